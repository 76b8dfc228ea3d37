#include "system/sdl_system_driver.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>

#include "runtime/exceptions.h"
#include "runtime/program.h"
#include "system/internal/desktop.h"
#include "system/internal/desktop_seam.h"
#include "system/internal/joystick.h"

namespace vtl {

namespace {

struct MainThreadCall {
  MainThreadFunction function;
  void* argument;
  int32_t value;
  int32_t release;  // nonzero: release the argument object after the call
};

struct WindowProcEntry {
  DesktopWindowProc proc;
  void* context;
};

std::atomic<uint32_t> callEventType{0};
bool desktopStarted = false;

std::unordered_map<uint32_t, WindowProcEntry>& WindowProcs() {
  static auto* procs = new std::unordered_map<uint32_t, WindowProcEntry>();  // lives until the process ends
  return *procs;
}

void ReleaseArgument(const MainThreadCall& call) {
  if (call.release && call.argument) static_cast<Object*>(call.argument)->Release();
}

// Posts a record; when SDL refuses it (not started, queue full) the call is
// dropped, and the held argument with it.
void PostRecord(MainThreadCall* record) {
  uint32_t type = callEventType.load();
  if (type != 0) {
    SDL_Event event{};
    event.type = type;
    event.user.data1 = record;
    if (SDL_PushEvent(&event) == 1) return;
  }
  ReleaseArgument(*record);
  delete record;
}

uint32_t EventWindowId(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
  }
}

bool IsWindowInput(uint32_t type) {
  switch (type) {
    case SDL_WINDOWEVENT:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL: return true;
    default: return false;
  }
}

// What a window procedure loop does with one event.
void Dispatch(const SDL_Event& event) {
  if (event.type == callEventType.load()) {
    desktop::RunMainThreadCall(event);
  } else if (event.type == SDL_QUIT) {
    TranslateDesktopMessage(event, nullptr);
  } else if (IsWindowInput(event.type)) {
    auto found = WindowProcs().find(EventWindowId(event));
    if (found != WindowProcs().end()) {
      WindowProcEntry entry = found->second;
      entry.proc(event, entry.context);
    } else {
      TranslateDesktopMessage(event, nullptr);
    }
  } else {
    desktop::TranslateJoystickEvent(event);
  }
}

// At program end: gives the display and SDL's own connections back.
void StopDesktop() { SDL_Quit(); }

void StartDesktop() {
  if (desktopStarted) return;
  // The runtime handles the signals itself, and a closing window is the
  // program's decision, not a quit by itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
    RuntimeError(String("Could not start desktop events: ") + String::FromUtf8(SDL_GetError()));
  }
  uint32_t type = SDL_RegisterEvents(1);
  if (type == static_cast<uint32_t>(-1)) RuntimeError("Could not register the main-thread call event");
  callEventType.store(type);
  desktopStarted = true;
  AtExit(&StopDesktop);
}

}  // namespace

namespace desktop {

uint32_t MainThreadCallEventType() { return callEventType.load(); }

void RunMainThreadCall(const SDL_Event& event) {
  std::unique_ptr<MainThreadCall> record(static_cast<MainThreadCall*>(event.user.data1));
  if (!record) return;
  struct ReleaseAfter {
    const MainThreadCall& call;
    ~ReleaseAfter() { ReleaseArgument(call); }
  } releaseAfter{*record};
  if (record->function) record->function(record->argument, record->value);
}

void RunMainThreadCallsUntil(const std::atomic<bool>& done) {
  uint32_t type = callEventType.load();
  while (!done.load()) {
    SDL_PumpEvents();
    SDL_Event event;
    while (type != 0 && SDL_PeepEvents(&event, 1, SDL_GETEVENT, type, type) == 1) RunMainThreadCall(event);
    SDL_Delay(5);
  }
}

bool VideoRunning() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

}  // namespace desktop

TSDLSystemDriver::TSDLSystemDriver() { StartDesktop(); }

void TSDLSystemDriver::Poll() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) Dispatch(event);
}

void TSDLSystemDriver::Wait() {
  SDL_Event event;
  if (SDL_WaitEvent(&event)) Dispatch(event);
  Poll();
}

bool StartDesktopVideo() {
  if (desktop::VideoRunning()) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_StartTextInput();
  return true;
}

void RegisterDesktopWindow(uint32_t windowId, DesktopWindowProc proc, void* context) {
  if (!proc) return;
  WindowProcs()[windowId] = WindowProcEntry{proc, context};
}

void UnregisterDesktopWindow(uint32_t windowId) {
  WindowProcs().erase(windowId);
  desktop::ForgetTrackedWindow(windowId);
}

void PostMainThreadCall(MainThreadFunction function, void* argument, int32_t value) {
  PostRecord(new MainThreadCall{function, argument, value, 0});
}

void RunInBackground(BackgroundWork work, void* workArgument, MainThreadFunction completion,
                     const Ref<Object>& object) {
  Object* held = object.Get();
  if (held) held->AddRef();  // released on the main thread after the completion
  auto* record = new MainThreadCall{completion, held, 0, 1};
  try {
    std::thread([work, workArgument, record] {
      int32_t result = 0;
      try {
        if (work) result = work(workArgument);
      } catch (...) {
        // The work's failure cannot travel to the main thread; the completion
        // still runs, with 0.
      }
      record->value = result;
      PostRecord(record);
    }).detach();
  } catch (...) {
    ReleaseArgument(*record);
    delete record;
    throw;
  }
}

void InitSystemDriver() { ActiveSystemDriver = New<TSDLSystemDriver>(); }

}  // namespace vtl
