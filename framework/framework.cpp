// InitFramework: every framework module, once each, in the program's order.
#include "graphics/graphics.h"
#include "image/image.h"
#include "runtime/module.h"
#include "stream/stream.h"
#include "system/system.h"

namespace vtl {

void InitFramework() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  InitSystem();
  InitImage();
  InitGraphics();
}

}  // namespace vtl
