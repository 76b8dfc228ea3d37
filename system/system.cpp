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
