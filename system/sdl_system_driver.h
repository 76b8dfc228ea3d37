// The system driver over SDL2, and what its desktop layer offers programs:
// the modifier state, emitting desktop events, and handing calls to the main
// thread. Windows reach the pump through system/desktop_seam.h, which only
// graphics drivers use.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "system/system_driver.h"

namespace vtl {

// The driver InitSystem installs as ActiveSystemDriver. A program may derive
// from it to replace requesters while keeping the desktop's pump.
class TSDLSystemDriver : public TSystemDriver {
 public:
  // Starts SDL's event part once (no display needed).
  TSDLSystemDriver();

  void Poll() override;
  void Wait() override;
  void MoveMouse(int32_t x, int32_t y) override;
  void SetMouseVisible(int32_t visible) override;
  void Notify(const String& text, int32_t serious) override;
  int32_t Confirm(const String& text, int32_t serious) override;
  int32_t Proceed(const String& text, int32_t serious) override;
  String RequestFile(const String& text, const String& extensions, int32_t save, const String& path) override;
  String RequestDir(const String& text, const String& path) override;
  int32_t OpenURL(const String& url) override;
};

// Modifier keys held as of the last modifier key event: 1 shift, 2 control,
// 4 alt, 8 system key.
extern int32_t ModifierState;

void EmitDesktopEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra);

// A function to run on the main thread with an argument and a value.
using MainThreadFunction = void (*)(void* argument, int32_t value);
// Safe from any thread: the call runs exactly once on the main thread, when a
// pump or wait there removes it from SDL's queue.
void PostMainThreadCall(MainThreadFunction function, void* argument, int32_t value);
// Runs work(workArgument) on a new thread, then completion(object, result) on
// the main thread. The object is held until the completion has run.
using BackgroundWork = int32_t (*)(void* workArgument);
void RunInBackground(BackgroundWork work, void* workArgument, MainThreadFunction completion, const Ref<Object>& object);

}  // namespace vtl
