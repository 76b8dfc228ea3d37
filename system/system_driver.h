// The system driver: the one object through which the program meets the
// desktop (message pump, pointer, requesters, shell). One instance,
// ActiveSystemDriver; the free functions below forward to it.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

// Every operation is abstract here and throws TNullMethodException.
class TSystemDriver : public Object {
 public:
  // Pump pending desktop messages once.
  virtual void Poll();
  // Sleep until a desktop message arrives, then pump.
  virtual void Wait();
  virtual void MoveMouse(int32_t x, int32_t y);
  virtual void SetMouseVisible(int32_t visible);
  virtual void Notify(const String& text, int32_t serious);
  // 1 for OK, else 0.
  virtual int32_t Confirm(const String& text, int32_t serious);
  // 1 yes, 0 no, -1 cancel or closed.
  virtual int32_t Proceed(const String& text, int32_t serious);
  // The chosen file, or empty.
  virtual String RequestFile(const String& text, const String& extensions, int32_t save, const String& path);
  // The chosen folder, or empty.
  virtual String RequestDir(const String& text, const String& path);
  // Always 0.
  virtual int32_t OpenURL(const String& url);
};

extern Ref<TSystemDriver> ActiveSystemDriver;

// Poll / Wait, returning at once when a pump is already running (so a hook
// that queries input does not pump again inside a pump).
void PumpSystemEvents();
void AwaitSystemEvents();
// True while a pump or wait runs: a wait loop started from inside one could
// never see the events it waits for.
bool SystemPumpBusy();

void SetPointerPosition(int32_t x, int32_t y);
void ShowPointer();
void HidePointer();
void NotifyUser(const String& text, int32_t serious);
int32_t AskOkCancel(const String& text, int32_t serious);
int32_t AskYesNoCancel(const String& text, int32_t serious);
String AskFileName(const String& text, const String& extensions, int32_t save, const String& path);
String AskDirectory(const String& text, const String& path);
// Completes a bare name to "file:" (when it exists) or "http:", then opens it.
void OpenInShell(const String& url);

}  // namespace vtl
