// How the shader driver draws the triangle fans of its batch: with one
// glMultiDrawArrays call where the context offers it, else with one call per
// fan. Every context Mesa makes offers it, so tests force the second way here
// to check that it draws the same pixels.
#pragma once

namespace vtl {

/// true: one call per fan on every context; false: the context decides.
void ForceGL3CallPerFan(bool force);

}  // namespace vtl
