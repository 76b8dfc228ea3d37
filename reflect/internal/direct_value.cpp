#include "reflect/internal/direct_value.h"

#include <cmath>
#include <limits>

namespace vtl::detail {

// Integers print every digit and read back whole. Floats print nine
// significant digits and doubles seventeen, enough for each to read back as
// itself; a NaN reads back without its payload. An integer's text read as a
// double is the integer correctly rounded, as the conversion is.

double PlainNaN(double x) { return std::isnan(x) ? std::copysign(std::numeric_limits<double>::quiet_NaN(), x) : x; }

float PlainNaN(float x) { return std::isnan(x) ? std::copysign(std::numeric_limits<float>::quiet_NaN(), x) : x; }

namespace {

Value Integer(int64_t n) { return Value{n, 0, nullptr}; }
Value Floating(double x) { return Value{0, x, nullptr}; }

}  // namespace

std::optional<Value> ValueOfInteger(char valueTag, int64_t n) {
  // Integer slots read the text as a 32-bit number that wraps, then keep
  // their width; Long reads all of it.
  switch (valueTag) {
    case 'b': return Integer(static_cast<uint8_t>(static_cast<int32_t>(n)));
    case 's': return Integer(static_cast<uint16_t>(static_cast<int32_t>(n)));
    case 'i': return Integer(static_cast<int32_t>(n));
    case 'l': return Integer(n);
    case 'f': return Floating(static_cast<float>(static_cast<double>(n)));
    case 'd': return Floating(static_cast<double>(n));
    default: return std::nullopt;
  }
}

std::optional<float> FloatOf(char valueTag, const Value& value) {
  if (std::optional<int64_t> n = IntegerOf(valueTag, value)) return static_cast<float>(static_cast<double>(*n));
  if (valueTag == 'f') return PlainNaN(static_cast<float>(value.d));
  if (valueTag == 'd') return static_cast<float>(PlainNaN(value.d));
  return std::nullopt;
}

std::optional<double> DoubleOf(char valueTag, const Value& value) {
  if (std::optional<int64_t> n = IntegerOf(valueTag, value)) return static_cast<double>(*n);
  if (valueTag == 'd') return PlainNaN(value.d);
  return std::nullopt;
}

std::optional<Value> ValueOfFloat(char valueTag, float x) {
  if (valueTag == 'f') return Floating(PlainNaN(x));
  return std::nullopt;
}

std::optional<Value> ValueOfDouble(char valueTag, double x) {
  if (valueTag == 'f') return Floating(static_cast<float>(PlainNaN(x)));
  if (valueTag == 'd') return Floating(PlainNaN(x));
  return std::nullopt;
}

}  // namespace vtl::detail
