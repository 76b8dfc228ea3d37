#include "system/system.h"

#include "runtime/module.h"
#include "system/internal/desktop.h"
#include "system/internal/joystick.h"

namespace vtl {

void InitSystem() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitHooks();
  InitEvents();
  InitSystemDriver();
  InitJoysticks();
  InitEventQueue();
  InitPolledInput();
  InitTimers();
}

}  // namespace vtl
