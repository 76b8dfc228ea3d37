/// \file
/// The system driver over SDL2, and what its desktop layer offers programs:
/// the modifier state, emitting desktop events, and handing calls to the main
/// thread. Windows reach the pump through system/internal/desktop_seam.h, which
/// only graphics drivers use.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "system/system_driver.h"

namespace vtl {

/// The driver InitSystem installs as ActiveSystemDriver. Message boxes come
/// from SDL, file and folder choosers from zenity when it is installed (empty
/// answers without it); while one is open, main-thread calls and timer ticks
/// go on. A program may derive from it to replace requesters while keeping
/// the desktop's pump.
class TSDLSystemDriver : public TSystemDriver {
 public:
  /// Starts SDL's event part once (no display needed).
  TSDLSystemDriver();

  /// Takes every pending SDL event to its window procedure or translation.
  void Poll() override;
  /// Waits for one SDL event, then polls.
  void Wait() override;
  /// Client coordinates of the window with the keyboard focus, screen
  /// coordinates without one; nothing before video runs.
  void MoveMouse(int32_t x, int32_t y) override;
  /// 0 hides the pointer while it is over one of the program's windows.
  void SetMouseVisible(int32_t visible) override;
  /// A box with OK; serious makes it a warning. The caption is ApplicationTitle.
  void Notify(const String& text, int32_t serious) override;
  /// A box with OK and Cancel.
  int32_t Confirm(const String& text, int32_t serious) override;
  /// A box with Yes, No and Cancel.
  int32_t Proceed(const String& text, int32_t serious) override;
  /// zenity's file chooser: save asks before overwriting; the filter of the
  /// path's extension comes first.
  String RequestFile(const String& text, const String& extensions, int32_t save, const String& path) override;
  /// zenity's folder chooser, starting in path.
  String RequestDir(const String& text, const String& path) override;
  /// Hands the URL to the desktop's opener; always 0.
  int32_t OpenURL(const String& url) override;
};

/// Modifier keys held as of the last modifier key event: 1 shift, 2 control,
/// 4 alt, 8 system key.
extern int32_t ModifierState;

/// Emits an event as the desktop does: made with these fields and broadcast
/// through the event hook, where polled input and the event queue see it.
void EmitDesktopEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra);

/// A function to run on the main thread with an argument and a value.
using MainThreadFunction = void (*)(void* argument, int32_t value);
/// Safe from any thread: the call runs exactly once on the main thread, when a
/// pump or wait there removes it from SDL's queue.
void PostMainThreadCall(MainThreadFunction function, void* argument, int32_t value);
/// Work for RunInBackground: runs on its own thread and returns a result.
using BackgroundWork = int32_t (*)(void* workArgument);
/// Runs work(workArgument) on a new thread, then completion(object, result) on
/// the main thread. The object is held until the completion has run.
void RunInBackground(BackgroundWork work, void* workArgument, MainThreadFunction completion, const Ref<Object>& object);

}  // namespace vtl
