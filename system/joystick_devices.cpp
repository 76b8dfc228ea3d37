// Devices by port over SDL's joystick and game controller parts. Every change
// is recorded first and then emitted, so a hook that sees an event reads the
// state that includes it; a change that leaves the state as it was (SDL
// repeats axis values, and reports a removal's recentring both ways) emits
// nothing.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "system/event.h"
#include "system/internal/joystick.h"
#include "system/sdl_system_driver.h"

namespace vtl {

namespace {

using desktop::JoyState;

// SDL's button, axis and hat events carry the number in one byte.
constexpr int32_t kMaxControls = 256;

struct JoyDevice {
  JoyState state;
  SDL_Joystick* joystick = nullptr;
  SDL_GameController* gamepad = nullptr;  // set when the device uses the gamepad layout
  SDL_JoystickID instance = -1;
};

// Index: the port; null: a free port.
std::vector<std::unique_ptr<JoyDevice>>& Ports() {
  static auto* ports = new std::vector<std::unique_ptr<JoyDevice>>();  // lives until the process ends
  return *ports;
}

JoyDevice* DeviceAt(int32_t port) {
  auto& ports = Ports();
  if (port < 0 || static_cast<size_t>(port) >= ports.size()) return nullptr;
  return ports[static_cast<size_t>(port)].get();
}

int32_t PortOf(SDL_JoystickID instance) {
  auto& ports = Ports();
  for (size_t port = 0; port < ports.size(); ++port) {
    if (ports[port] && ports[port]->instance == instance) return static_cast<int32_t>(port);
  }
  return -1;
}

// The port of a device whose input arrives as this kind of event: a gamepad's
// through the game controller events only, any other device's through the
// joystick events.
int32_t InputPort(SDL_JoystickID instance, bool fromGamepadEvent) {
  int32_t port = PortOf(instance);
  if (port < 0 || DeviceAt(port)->state.gamepad != fromGamepadEvent) return -1;
  return port;
}

template <typename T>
bool InRange(const std::vector<T>& values, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < values.size();
}

void Emit(int32_t id, int32_t data, int32_t port, int32_t y) {
  EmitDesktopEvent(id, nullptr, data, 0, port, y, nullptr);
}

// Each setter looks the port up again: the previous event ran every hook.
void SetButton(int32_t port, int32_t button, bool down) {
  JoyDevice* device = DeviceAt(port);
  if (!device || !InRange(device->state.buttons, button)) return;
  auto index = static_cast<size_t>(button);
  if ((device->state.buttons[index] != 0) == down) return;
  device->state.buttons[index] = down ? 1 : 0;
  if (down) ++device->state.hits[index];
  Emit(down ? EVENT_JOYBUTTONDOWN : EVENT_JOYBUTTONUP, button, port, 0);
}

void SetAxis(int32_t port, int32_t axis, float value) {
  JoyDevice* device = DeviceAt(port);
  if (!device || !InRange(device->state.axes, axis)) return;
  float& held = device->state.axes[static_cast<size_t>(axis)];
  if (held == value) return;
  held = value;
  Emit(EVENT_JOYAXISMOVE, axis, port, static_cast<int32_t>(std::lround(static_cast<double>(value) * 32767.0)));
}

void SetHat(int32_t port, int32_t hat, int32_t bits) {
  JoyDevice* device = DeviceAt(port);
  if (!device || !InRange(device->state.hats, hat)) return;
  bits &= SDL_HAT_UP | SDL_HAT_RIGHT | SDL_HAT_DOWN | SDL_HAT_LEFT;
  uint8_t& held = device->state.hats[static_cast<size_t>(hat)];
  if (held == bits) return;
  held = static_cast<uint8_t>(bits);
  Emit(EVENT_JOYHAT, hat, port, bits);
}

bool IsTrigger(int32_t axis) {
  return axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
}

void SizeState(JoyState& state, int32_t buttons, int32_t axes, int32_t hats) {
  auto count = [](int32_t n) { return static_cast<size_t>(std::clamp(n, 0, kMaxControls)); };
  state.buttons.assign(count(buttons), 0);
  state.hits.assign(count(buttons), 0);
  state.axes.assign(count(axes), 0.0f);
  state.hats.assign(count(hats), 0);
}

// Opens the device; null when SDL refuses. A device SDL knows as a game
// controller but cannot open as one is taken as a plain joystick.
std::unique_ptr<JoyDevice> OpenDevice(int deviceIndex) {
  auto device = std::make_unique<JoyDevice>();
  if (SDL_IsGameController(deviceIndex)) device->gamepad = SDL_GameControllerOpen(deviceIndex);
  device->joystick = device->gamepad ? SDL_GameControllerGetJoystick(device->gamepad) : SDL_JoystickOpen(deviceIndex);
  if (!device->joystick) {
    if (device->gamepad) SDL_GameControllerClose(device->gamepad);
    return nullptr;
  }
  device->instance = SDL_JoystickInstanceID(device->joystick);
  JoyState& state = device->state;
  state.gamepad = device->gamepad != nullptr;
  const char* name = state.gamepad ? SDL_GameControllerName(device->gamepad) : nullptr;
  if (!name) name = SDL_JoystickName(device->joystick);
  // A free port is the one without a name, so a device never goes without.
  state.name = name && *name ? String(name) : String("Unnamed device");
  if (state.gamepad) {
    SizeState(state, SDL_CONTROLLER_BUTTON_MAX, SDL_CONTROLLER_AXIS_MAX, 0);
  } else {
    SizeState(state, SDL_JoystickNumButtons(device->joystick), SDL_JoystickNumAxes(device->joystick),
              SDL_JoystickNumHats(device->joystick));
  }
  return device;
}

void CloseDevice(JoyDevice& device) {
  if (device.gamepad) {
    SDL_GameControllerClose(device.gamepad);
  } else {
    SDL_JoystickClose(device.joystick);
  }
}

// What the device already reports when it is opened comes as changes after
// its added event, in the order SDL reports changes: axes, buttons, hats.
void ReportHeldState(int32_t port) {
  JoyDevice* device = DeviceAt(port);
  if (!device) return;
  SDL_Joystick* joystick = device->joystick;
  SDL_GameController* gamepad = device->gamepad;
  const auto axes = static_cast<int32_t>(device->state.axes.size());
  const auto buttons = static_cast<int32_t>(device->state.buttons.size());
  const auto hats = static_cast<int32_t>(device->state.hats.size());
  for (int32_t axis = 0; axis < axes; ++axis) {
    int32_t value = gamepad ? SDL_GameControllerGetAxis(gamepad, static_cast<SDL_GameControllerAxis>(axis))
                            : SDL_JoystickGetAxis(joystick, axis);
    SetAxis(port, axis, desktop::JoyAxisFromSDL(value, gamepad && IsTrigger(axis)));
  }
  for (int32_t button = 0; button < buttons; ++button) {
    bool down = gamepad ? SDL_GameControllerGetButton(gamepad, static_cast<SDL_GameControllerButton>(button)) != 0
                        : SDL_JoystickGetButton(joystick, button) != 0;
    if (down) SetButton(port, button, true);
  }
  for (int32_t hat = 0; hat < hats; ++hat) SetHat(port, hat, SDL_JoystickGetHat(joystick, hat));
}

void Connect(int deviceIndex) {
  SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (instance < 0 || PortOf(instance) >= 0) return;
  std::unique_ptr<JoyDevice> device = OpenDevice(deviceIndex);
  if (!device) return;
  auto& ports = Ports();
  auto free = std::find(ports.begin(), ports.end(), nullptr);
  const auto port = static_cast<int32_t>(free - ports.begin());
  if (free == ports.end()) {
    ports.push_back(std::move(device));
  } else {
    *free = std::move(device);
  }
  Emit(EVENT_JOYADDED, 0, port, 0);
  ReportHeldState(port);
}

// SDL's added event names a device index, which a later removal may already
// have shifted; so every device not yet open is connected, in SDL's order.
void ConnectNewDevices() {
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) Connect(index);
}

// A device goes back to rest before its removal is reported, so nothing
// stays held on a port that is then free.
void Disconnect(SDL_JoystickID instance) {
  const int32_t port = PortOf(instance);
  if (port < 0) return;
  JoyDevice* device = DeviceAt(port);
  const auto axes = static_cast<int32_t>(device->state.axes.size());
  const auto buttons = static_cast<int32_t>(device->state.buttons.size());
  const auto hats = static_cast<int32_t>(device->state.hats.size());
  for (int32_t axis = 0; axis < axes; ++axis) SetAxis(port, axis, 0.0f);
  for (int32_t button = 0; button < buttons; ++button) SetButton(port, button, false);
  for (int32_t hat = 0; hat < hats; ++hat) SetHat(port, hat, 0);
  std::unique_ptr<JoyDevice> gone = std::move(Ports()[static_cast<size_t>(port)]);
  CloseDevice(*gone);
  Emit(EVENT_JOYREMOVED, 0, port, 0);
}

}  // namespace

void InitJoysticks() {
  // Without SDL's joystick part every port simply stays free.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void ForgetJoyButtonHits() {
  for (auto& device : Ports()) {
    if (device) std::fill(device->state.hits.begin(), device->state.hits.end(), 0);
  }
}

namespace desktop {

JoyState* JoyPortState(int32_t port) {
  JoyDevice* device = DeviceAt(port);
  return device ? &device->state : nullptr;
}

int32_t ConnectedJoyCount() {
  return static_cast<int32_t>(
      std::count_if(Ports().begin(), Ports().end(), [](const auto& d) { return d != nullptr; }));
}

bool RumbleJoyPort(int32_t port, uint16_t low, uint16_t high, uint32_t milliseconds) {
  JoyDevice* device = DeviceAt(port);
  return device && SDL_JoystickRumble(device->joystick, low, high, milliseconds) == 0;
}

float JoyAxisFromSDL(int32_t value, bool trigger) {
  // Dividing by the largest value keeps the mapping symmetric; the one value
  // below its negation (-32768) is clamped to -1.
  return static_cast<float>(std::clamp(value, trigger ? 0 : -32767, 32767)) / 32767.0f;
}

void TranslateJoystickEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_JOYDEVICEADDED: ConnectNewDevices(); break;
    case SDL_JOYDEVICEREMOVED: Disconnect(event.jdevice.which); break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      SetButton(InputPort(event.jbutton.which, false), event.jbutton.button, event.jbutton.state == SDL_PRESSED);
      break;
    case SDL_JOYAXISMOTION:
      SetAxis(InputPort(event.jaxis.which, false), event.jaxis.axis, JoyAxisFromSDL(event.jaxis.value, false));
      break;
    case SDL_JOYHATMOTION: SetHat(InputPort(event.jhat.which, false), event.jhat.hat, event.jhat.value); break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      SetButton(InputPort(event.cbutton.which, true), event.cbutton.button, event.cbutton.state == SDL_PRESSED);
      break;
    case SDL_CONTROLLERAXISMOTION:
      SetAxis(InputPort(event.caxis.which, true), event.caxis.axis,
              JoyAxisFromSDL(event.caxis.value, IsTrigger(event.caxis.axis)));
      break;
    default: break;
  }
}

}  // namespace desktop

}  // namespace vtl
