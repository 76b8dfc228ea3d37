/// \file
/// Value: one typed value crossing a generic interface (fields, methods and
/// array elements reached by tag). The type tag that travels beside it says
/// which member is meaningful: integers in `i`, floating values in `d`,
/// strings and objects in `o`.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

/// One value of any tagged type; ValueTraits moves C++ values in and out.
struct Value {
  int64_t i = 0;  ///< Integers of every width.
  double d = 0;   ///< Floats and doubles.
  Ref<Object> o;  ///< Strings and objects.
};

}  // namespace vtl
