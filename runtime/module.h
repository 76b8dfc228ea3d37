/// \file
/// Module initialisation. Every module has one initialiser that runs its body
/// once: it first initialises the modules it imports, then registers its
/// classes, fills its registries and installs its hooks.
///
///     void InitStream() {
///       static bool done = false;
///       if (!vtl::BeginModule(done)) return;
///       vtl::InitRuntime();
///       ... register this module's classes and factories ...
///     }
#pragma once

namespace vtl {

/// True the first time for a given flag (the caller then does the work).
inline bool BeginModule(bool& done) {
  if (done) return false;
  done = true;
  return true;
}

/// The runtime core: registers Object, String, arrays, lists, maps and the
/// runtime's exception classes. Runs once.
void InitRuntime();

}  // namespace vtl
