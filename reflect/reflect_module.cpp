#include "reflect/reflect.h"

#include "runtime/module.h"
#include "runtime/runtime.h"

namespace vtl {

void InitReflect() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
}

}  // namespace vtl
