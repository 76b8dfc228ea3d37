#include <gtest/gtest.h>

#include "process/process.h"

namespace vtl {
namespace {

TEST(ProcessModule, InitialisesOnceAndAgainIsHarmless) {
  InitProcess();
  InitProcess();
}

}  // namespace
}  // namespace vtl
