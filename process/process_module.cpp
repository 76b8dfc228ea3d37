#include "process/process.h"

#include "runtime/module.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {

void InitProcess() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
}

}  // namespace vtl
