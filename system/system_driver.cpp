#include "system/system_driver.h"

#include "runtime/exceptions.h"
#include "system/internal/requesters.h"

namespace vtl {

Ref<TSystemDriver> ActiveSystemDriver;

void TSystemDriver::Poll() { ThrowNullMethod(); }
void TSystemDriver::Wait() { ThrowNullMethod(); }
void TSystemDriver::MoveMouse(int32_t, int32_t) { ThrowNullMethod(); }
void TSystemDriver::SetMouseVisible(int32_t) { ThrowNullMethod(); }
void TSystemDriver::Notify(const String&, int32_t) { ThrowNullMethod(); }
int32_t TSystemDriver::Confirm(const String&, int32_t) { ThrowNullMethod(); }
int32_t TSystemDriver::Proceed(const String&, int32_t) { ThrowNullMethod(); }
String TSystemDriver::RequestFile(const String&, const String&, int32_t, const String&) { ThrowNullMethod(); }
String TSystemDriver::RequestDir(const String&, const String&) { ThrowNullMethod(); }
int32_t TSystemDriver::OpenURL(const String&) { ThrowNullMethod(); }

namespace {

bool pumpBusy = false;

// Sets the busy flag for one pump or wait, clearing it however the pump ends.
class BusyScope {
 public:
  BusyScope() { pumpBusy = true; }
  ~BusyScope() { pumpBusy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace

bool SystemPumpBusy() { return pumpBusy; }

void PumpSystemEvents() {
  if (pumpBusy) return;
  BusyScope busy;
  ActiveSystemDriver->Poll();
}

void AwaitSystemEvents() {
  if (pumpBusy) return;
  BusyScope busy;
  ActiveSystemDriver->Wait();
}

void SetPointerPosition(int32_t x, int32_t y) { ActiveSystemDriver->MoveMouse(x, y); }
void ShowPointer() { ActiveSystemDriver->SetMouseVisible(1); }
void HidePointer() { ActiveSystemDriver->SetMouseVisible(0); }
void NotifyUser(const String& text, int32_t serious) { ActiveSystemDriver->Notify(text, serious); }
int32_t AskOkCancel(const String& text, int32_t serious) { return ActiveSystemDriver->Confirm(text, serious); }
int32_t AskYesNoCancel(const String& text, int32_t serious) { return ActiveSystemDriver->Proceed(text, serious); }

String AskFileName(const String& text, const String& extensions, int32_t save, const String& path) {
  return ActiveSystemDriver->RequestFile(text, extensions, save, path);
}

String AskDirectory(const String& text, const String& path) { return ActiveSystemDriver->RequestDir(text, path); }

void OpenInShell(const String& url) { ActiveSystemDriver->OpenURL(CompleteShellUrl(url)); }

}  // namespace vtl
