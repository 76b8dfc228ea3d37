/// \file
/// How numbers are laid out and converted: the byte order the framework
/// relies on, and conversions of floating values to int that are defined for
/// every input.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vtl {

/// Byte order is stated here once. Stream values move in native order because
/// files are little-endian (stream/basic_stream.cpp), TXEndianStream's
/// BigEndian view is the swapping one, and packed colours, hub pixels and the
/// BMP and TGA loaders' words keep their low byte first (image/). Each file
/// that relies on it includes this header and refers to it where it does.
static_assert(std::endian::native == std::endian::little,
              "the framework assumes a little-endian machine: streams, pixel formats and loaders read "
              "multi-byte values in native order");

/// Truncates toward zero; values beyond the int range saturate and NaN gives 0
/// (a plain cast is undefined there).
inline int32_t TruncateToInt(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

}  // namespace vtl
