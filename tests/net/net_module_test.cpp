#include <gtest/gtest.h>

#include "net/net.h"

namespace vtl {
namespace {

TEST(NetModule, InitialisesOnceAndAgainIsHarmless) {
  InitNet();
  InitNet();
}

}  // namespace
}  // namespace vtl
