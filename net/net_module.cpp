#include "net/net.h"

#include "runtime/module.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {

void InitGNet();  // gnet_module.cpp

void InitNet() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  InitGNet();
}

}  // namespace vtl
