#include "system/system.h"

#include "runtime/module.h"
#include "system/internal/desktop.h"

namespace vtl {

void InitSystem() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitHooks();
  InitEvents();
  InitSystemDriver();
  InitEventQueue();
  InitPolledInput();
  InitTimers();
}

}  // namespace vtl

// Under the leak checker: the session-bus library that SDL loads with the
// display keeps a buffer for the whole process and frees it only in a global
// shutdown SDL never calls. It is not ours to free, so it is not reported.
// (Here because every program that starts the desktop links this file.)
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
#endif
