// InitFramework: every framework module, once each, in the program's order.
#include "framework/framework.h"

namespace vtl {

void InitFramework() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  InitSystem();
  InitImage();
  InitGraphics();
  InitAudio();
  InitNet();
  InitReflect();
  InitProcess();
}

}  // namespace vtl
