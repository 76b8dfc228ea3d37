/// \file
/// Conversions of floating values to int that are defined for every input.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vtl {

/// Truncates toward zero; values beyond the int range saturate and NaN gives 0
/// (a plain cast is undefined there).
inline int32_t TruncateToInt(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

}  // namespace vtl
