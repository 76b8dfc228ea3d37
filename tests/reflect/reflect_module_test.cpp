#include <gtest/gtest.h>

#include "reflect/reflect.h"

namespace vtl {
namespace {

TEST(ReflectModule, InitialisesOnceAndAgainIsHarmless) {
  InitReflect();
  InitReflect();
}

}  // namespace
}  // namespace vtl
