/// \file
/// Typed reads and writes without the decimal text: each conversion here
/// gives exactly the number that printing the value and reading the text
/// back would give, for the pairs of types where that number can be had
/// directly. The other pairs keep going through the text.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/value.h"

namespace vtl::detail {

/// The number a field or result of value tag 'b', 's', 'i' or 'l' reads as
/// (all but Long printed as an Int); nullopt for other tags.
inline std::optional<int64_t> IntegerOf(char valueTag, const Value& value) {
  if (valueTag == 'l') return value.i;
  if (valueTag == 'i' || valueTag == 'b' || valueTag == 's') return static_cast<int32_t>(value.i);
  return std::nullopt;
}
/// A NaN replaced by the plain quiet NaN of its sign, as a NaN read back
/// from its text ("nan", "-nan") is; other values stay.
///@{
double PlainNaN(double x);
float PlainNaN(float x);
///@}

/// What the text of integer n gives when stored in a slot of value tag
/// 'b', 's', 'i', 'l', 'f' or 'd'; nullopt for other tags.
std::optional<Value> ValueOfInteger(char valueTag, int64_t n);

/// What the text of a float or double gives when read as a Float or Double
/// (tag 'f' or 'd'). Nullopt where the text must be read: a float's nine
/// digits are not the float itself once read as a double, and integers stop
/// at the decimal point or the exponent.
///@{
std::optional<float> FloatOf(char valueTag, const Value& value);
std::optional<double> DoubleOf(char valueTag, const Value& value);
std::optional<Value> ValueOfFloat(char valueTag, float x);
std::optional<Value> ValueOfDouble(char valueTag, double x);
///@}

}  // namespace vtl::detail
