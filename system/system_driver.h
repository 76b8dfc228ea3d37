/// \file
/// The system driver: the one object through which the program meets the
/// desktop (message pump, pointer, requesters, shell). One instance,
/// ActiveSystemDriver; the free functions below forward to it.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// The desktop as the program sees it.
/// Every operation is abstract here and throws TNullMethodException.
class TSystemDriver : public Object {
 public:
  /// Pump pending desktop messages once.
  virtual void Poll();
  /// Sleep until a desktop message arrives, then pump.
  virtual void Wait();
  /// Moves the pointer to x, y.
  virtual void MoveMouse(int32_t x, int32_t y);
  /// Shows (1) or hides (0) the pointer.
  virtual void SetMouseVisible(int32_t visible);
  /// Shows the text until the user dismisses it; serious marks a warning.
  virtual void Notify(const String& text, int32_t serious);
  /// 1 for OK, else 0.
  virtual int32_t Confirm(const String& text, int32_t serious);
  /// 1 yes, 0 no, -1 cancel or closed.
  virtual int32_t Proceed(const String& text, int32_t serious);
  /// The chosen file, or empty. extensions as BuildFileFilter reads them;
  /// save asks for a file to write; path is where to start.
  virtual String RequestFile(const String& text, const String& extensions, int32_t save, const String& path);
  /// The chosen folder, or empty.
  virtual String RequestDir(const String& text, const String& path);
  /// Always 0.
  virtual int32_t OpenURL(const String& url);
};

/// The driver the free functions below use.
extern Ref<TSystemDriver> ActiveSystemDriver;

/// \name Pumping
/// Poll / Wait, returning at once when a pump is already running (so a hook
/// that queries input does not pump again inside a pump).
///@{

/// Pumps pending desktop messages once (ActiveSystemDriver's Poll).
void PumpSystemEvents();
/// Sleeps until a desktop message arrives, then pumps (ActiveSystemDriver's Wait).
void AwaitSystemEvents();
///@}
/// True while a pump or wait runs: a wait loop started from inside one could
/// never see the events it waits for.
bool SystemPumpBusy();

/// TSystemDriver::MoveMouse.
void SetPointerPosition(int32_t x, int32_t y);
/// TSystemDriver::SetMouseVisible with 1.
void ShowPointer();
/// TSystemDriver::SetMouseVisible with 0.
void HidePointer();
/// TSystemDriver::Notify.
void NotifyUser(const String& text, int32_t serious);
/// TSystemDriver::Confirm.
int32_t AskOkCancel(const String& text, int32_t serious);
/// TSystemDriver::Proceed.
int32_t AskYesNoCancel(const String& text, int32_t serious);
/// TSystemDriver::RequestFile.
String AskFileName(const String& text, const String& extensions, int32_t save, const String& path);
/// TSystemDriver::RequestDir.
String AskDirectory(const String& text, const String& path);
/// Completes a bare name to "file:" (when it exists) or "http:", then opens it.
void OpenInShell(const String& url);

}  // namespace vtl
