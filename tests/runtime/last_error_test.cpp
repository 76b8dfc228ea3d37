#include <gtest/gtest.h>

#include <thread>

#include "runtime/runtime.h"

using namespace vtl;

TEST(LastError, IsKeptPerThreadUntilClearedOrReplaced) {
  ClearLastErrorText();
  EXPECT_EQ(LastErrorText(), String(""));
  SetLastErrorText("first reason");
  SetLastErrorText("second reason");
  String seen_elsewhere = "unset";
  std::thread other([&] {
    seen_elsewhere = LastErrorText();
    SetLastErrorText("worker reason");
  });
  other.join();
  EXPECT_EQ(seen_elsewhere, String(""));
  EXPECT_EQ(LastErrorText(), String("second reason"));
  ClearLastErrorText();
  EXPECT_EQ(LastErrorText(), String(""));
}

TEST(LastError, AnExceptionDetailLeavesItsFixedTextAlone) {
  try {
    RuntimeError("ERROR", "field 'x' takes an int");
    FAIL() << "no throw";
  } catch (const ThrownObject& t) {
    EXPECT_STREQ(t.what(), "ERROR");
    auto e = DowncastObject<TRuntimeException>(t.object);
    ASSERT_TRUE(e != nullptr);
    EXPECT_EQ(e->error, String("ERROR"));
    EXPECT_EQ(e->detail, String("field 'x' takes an int"));
  }
  EXPECT_EQ(TRuntimeException::Create("plain")->detail, String(""));
}
