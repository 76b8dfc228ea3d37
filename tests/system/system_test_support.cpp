#include "tests/system/system_test_support.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "runtime/runtime.h"
#include "system/internal/desktop_seam.h"

namespace systest {

namespace {

vtl::Ref<vtl::Object> RecordHook(int32_t, const vtl::Ref<vtl::Object>& data, const vtl::Ref<vtl::Object>&) {
  // A copy: the queue later merges newer ticks into the event it holds.
  if (auto e = vtl::DowncastObject<vtl::TEvent>(data)) {
    Recorded().push_back(vtl::TEvent::Create(e->id, e->source, e->data, e->mods, e->x, e->y, e->extra));
    RecordedOriginals().push_back(e);
  }
  return data;
}

void Push(SDL_Event& event) { SDL_PushEvent(&event); }

}  // namespace

std::vector<vtl::Ref<vtl::TEvent>>& Recorded() {
  static std::vector<vtl::Ref<vtl::TEvent>> events;
  return events;
}

std::vector<vtl::Ref<vtl::TEvent>>& RecordedOriginals() {
  static std::vector<vtl::Ref<vtl::TEvent>> events;
  return events;
}

bool StartVideoDriver(const char* driver) {
  StartSystem();
  const char* current = SDL_GetCurrentVideoDriver();
  if (current && std::strcmp(current, driver) != 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  return vtl::StartDesktopVideo();
}

int XdotoolWhilePumping(const std::string& arguments) {
  std::atomic<bool> done{false};
  int status = -1;
  std::thread runner([&] {
    status = std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
    done = true;
  });
  while (!done) {
    vtl::PumpSystemEvents();
    SDL_Delay(5);
  }
  runner.join();
  for (int i = 0; i < 30; ++i) {
    vtl::PumpSystemEvents();
    SDL_Delay(5);
  }
  return status;
}

void ClearRecorded() {
  Recorded().clear();
  RecordedOriginals().clear();
}

std::vector<std::string> RecordedSummary() {
  std::vector<std::string> out;
  for (const auto& e : Recorded()) {
    std::string text = e->ToString().ToUtf8();
    std::string name = text.substr(0, text.find(':'));
    out.push_back(name + ":" + std::to_string(e->data) + ":" + std::to_string(e->mods));
  }
  return out;
}

void StartSystem() {
  static bool started = false;
  if (started) return;
  started = true;
  vtl::InitSystem();
  vtl::StartPolledInput(nullptr);
  // Above polled input, so the record shows each event before anyone acts on it.
  vtl::InstallHook(vtl::EventHookId, &RecordHook, nullptr, 1000);
}

void ResetInput() {
  StartSystem();
  vtl::FlushInput();
  vtl::FlushPointer();
  while (vtl::NextQueuedEvent() != 0) {
  }
  vtl::TakeTerminateRequest();
  ClearRecorded();
}

void PushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod, uint8_t repeat, uint32_t windowId) {
  SDL_Event e{};
  e.type = type;
  e.key.windowID = windowId;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat;
  e.key.keysym.scancode = scancode;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  Push(e);
}

void PushText(const char* utf8, uint32_t windowId) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = windowId;
  std::strncpy(e.text.text, utf8, sizeof(e.text.text) - 1);
  Push(e);
}

void PushWindowEvent(uint8_t which, uint32_t windowId) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = windowId;
  e.window.event = which;
  Push(e);
}

void PushMotion(uint32_t windowId, int32_t x, int32_t y, uint32_t buttonState) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = windowId;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.state = buttonState;
  Push(e);
}

void PushButton(uint32_t type, uint8_t button, uint32_t windowId, int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = windowId;
  e.button.button = button;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = x;
  e.button.y = y;
  Push(e);
}

void PushWheel(uint32_t windowId, int32_t steps, bool flipped, int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = windowId;
  e.wheel.y = steps;
  e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  e.wheel.mouseX = x;
  e.wheel.mouseY = y;
  Push(e);
}

}  // namespace systest
