// InitFramework: every framework module, once each, in the program's order.
#include "runtime/module.h"

namespace vtl {

void InitFramework() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
}

}  // namespace vtl
