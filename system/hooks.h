/// \file
/// Hooks: 256 numbered chains of callback functions. Data passed through a
/// chain visits every function in order of descending priority; each function
/// may hand it on, replace it or return the Null object.
#pragma once

#include <cstdint>

#include "runtime/function.h"
#include "runtime/object.h"

namespace vtl {

/// A function of a chain: gets the chain's id, the data so far and the
/// context it was installed with; returns the data for the next function.
using HookFunction = Ref<Object> (*)(int32_t id, const Ref<Object>& data, const Ref<Object>& context);

/// One node of a hook chain.
class THook : public Object {
 public:
  Ref<THook> succ;       ///< The next node, or Null at the end.
  int32_t priority = 0;  ///< Higher priorities come first.
  /// The function called.
  Function<Ref<Object>(int32_t, const Ref<Object>&, const Ref<Object>&)> func;
  Ref<Object> context;  ///< Passed to the function on every call.
};

/// The next free hook id, 0 to 255; the 257th request throws "Too many hook ids".
int32_t ReserveHookId();
/// Links a new node into chain `id`: after every node of equal or higher priority.
/// An id outside 0 to 255 throws TArrayBoundsException, here and below.
void InstallHook(int32_t id, HookFunction func, const Ref<Object>& context, int32_t priority);
/// The data after every function of chain `id` has had it.
Ref<Object> CallHookChain(int32_t id, const Ref<Object>& data);
/// Unlinks the first node with this very function and context; nothing if none.
void UninstallHook(int32_t id, HookFunction func, const Ref<Object>& context);

/// Called once by InitSystem.
void InitHooks();

}  // namespace vtl
