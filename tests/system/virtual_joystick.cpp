#include "tests/system/virtual_joystick.h"

#include <cmath>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "system/system.h"
#include "tests/system/system_test_support.h"

namespace systest {

namespace {

int SDLCALL RecordRumble(void* userdata, Uint16 low, Uint16 high) {
  static_cast<std::vector<VirtualJoystick::Rumble>*>(userdata)->push_back({low, high});
  return 0;
}

struct JoyRecord {
  std::vector<std::string> events;
  std::vector<std::string> states;
};

JoyRecord& Record() {
  static JoyRecord record;
  return record;
}

bool IsJoyEvent(int32_t id) { return id >= vtl::EVENT_JOYADDED && id <= vtl::EVENT_JOYHAT; }

vtl::Ref<vtl::Object> JoyHook(int32_t, const vtl::Ref<vtl::Object>& data, const vtl::Ref<vtl::Object>&) {
  auto e = vtl::DowncastObject<vtl::TEvent>(data);
  if (e && IsJoyEvent(e->id)) {
    std::string text = e->ToString().ToUtf8();
    Record().events.push_back(text.substr(0, text.find(':')) + " " + std::to_string(e->data) +
                              " x=" + std::to_string(e->x) + " y=" + std::to_string(e->y));
    // Inside the pump the queries read without pumping again.
    Record().states.push_back(JoyPortText(e->x));
  }
  return data;
}

}  // namespace

VirtualJoystick::VirtualJoystick(const SDL_VirtualJoystickDesc& desc, std::vector<Rumble>* rumbles)
    : rumbles_(rumbles) {
  int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) throw std::runtime_error(std::string("cannot attach a virtual joystick: ") + SDL_GetError());
  // The test's own handle: SDL sets a virtual device's inputs through it.
  joystick_ = SDL_JoystickOpen(index);
  if (!joystick_) throw std::runtime_error(std::string("cannot open the virtual joystick: ") + SDL_GetError());
  instance_ = SDL_JoystickInstanceID(joystick_);
}

VirtualJoystick::VirtualJoystick(VirtualJoystick&& other) noexcept
    : joystick_(other.joystick_), instance_(other.instance_), rumbles_(other.rumbles_) {
  other.joystick_ = nullptr;
  other.rumbles_ = nullptr;
}

VirtualJoystick::~VirtualJoystick() {
  Detach();
  delete rumbles_;
}

VirtualJoystick VirtualJoystick::Gamepad(const char* name, bool rumble) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = name;
  auto* rumbles = new std::vector<Rumble>();
  if (rumble) {
    desc.userdata = rumbles;
    desc.Rumble = &RecordRumble;
  }
  return VirtualJoystick(desc, rumbles);
}

VirtualJoystick VirtualJoystick::Raw(int axes, int buttons, int hats, const char* name) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = static_cast<Uint16>(axes);
  desc.nbuttons = static_cast<Uint16>(buttons);
  desc.nhats = static_cast<Uint16>(hats);
  desc.name = name;
  return VirtualJoystick(desc, new std::vector<Rumble>());
}

void VirtualJoystick::Button(int button, bool down) {
  SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualJoystick::Axis(int axis, int16_t value) { SDL_JoystickSetVirtualAxis(joystick_, axis, value); }

void VirtualJoystick::Hat(int hat, uint8_t bits) { SDL_JoystickSetVirtualHat(joystick_, hat, bits); }

void VirtualJoystick::Detach() {
  if (!joystick_) return;
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == instance_) {
      SDL_JoystickDetachVirtual(index);
      break;
    }
  }
  SDL_JoystickClose(joystick_);
  joystick_ = nullptr;
}

bool StartJoystickTest() {
  static bool hooked = false;
  StartSystem();
  if (!hooked) {
    hooked = true;
    // Presses are otherwise dropped while the program has windows but none
    // has the focus (other tests of this process may have made some).
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    vtl::InstallHook(vtl::EventHookId, &JoyHook, nullptr, 500);
  }
  ResetInput();
  ClearJoyEvents();
  return vtl::JoyCount() == 0 && JoyEvents().empty();
}

std::vector<std::string> JoyEvents() { return Record().events; }
std::vector<std::string> JoyStatesAtEvents() { return Record().states; }

void ClearJoyEvents() {
  Record().events.clear();
  Record().states.clear();
}

std::string JoyPortText(int32_t port) {
  std::ostringstream text;
  text << "count=" << vtl::JoyCount() << " down=";
  const char* comma = "";
  for (int32_t b = 0; b < vtl::JoyButtonCount(port); ++b) {
    if (vtl::JoyButtonIsDown(port, b)) text << std::exchange(comma, ",") << b;
  }
  text << " axes=";
  comma = "";
  for (int32_t a = 0; a < vtl::JoyAxisCount(port); ++a) {
    if (float v = vtl::JoyAxis(port, a); v != 0.0f) {
      text << std::exchange(comma, ",") << a << ":" << std::lround(static_cast<double>(v) * 32767.0);
    }
  }
  text << " hats=";
  comma = "";
  for (int32_t h = 0; h < vtl::JoyHatCount(port); ++h) {
    if (int32_t v = vtl::JoyHat(port, h)) text << std::exchange(comma, ",") << h << ":" << v;
  }
  return text.str();
}

std::vector<std::string> PumpJoyEvents() {
  ClearJoyEvents();
  vtl::PumpSystemEvents();
  auto events = JoyEvents();
  return events;
}

}  // namespace systest
