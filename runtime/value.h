// Value: one typed value crossing a generic interface (fields, methods and
// array elements reached by tag). The type tag that travels beside it says
// which member is meaningful: integers in `i`, floating values in `d`,
// strings and objects in `o`.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

struct Value {
  int64_t i = 0;
  double d = 0;
  Ref<Object> o;
};

}  // namespace vtl
