// Classes registered for the reflection tests: one field of every value type,
// a derived class, methods at the edges of the call limits.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "reflect/reflect.h"
#include "runtime/runtime.h"

namespace vtl::reflect_test {

class TSample : public Object {
 public:
  TSample() { trail.push_back("TSample"); }

  uint8_t b = 0;
  uint16_t s = 0;
  int32_t i = 0;
  int64_t l = 0;
  float f = 0;
  double d = 0;
  String text;
  Ref<TList> list;
  Ref<Array<int32_t>> numbers;
  std::vector<std::string> trail;  // constructors and calls, in order

  String Describe(int32_t n, float x) { return StringFromInt(n) + "/" + StringFromFloat(x); }
  int32_t Add(int32_t a, int32_t c) { return a + c; }
  double Sum4(double a, double c, double e, double g) { return a + c + e + g; }
  int32_t Mix(int64_t a, int64_t c, int64_t e, int32_t n) {
    trail.push_back(std::to_string(a) + "," + std::to_string(c) + "," + std::to_string(e) + "," + std::to_string(n));
    return n;
  }
  int64_t Big() { return 1; }
  void Touch() { trail.push_back("Touch"); }
  uint8_t Low(uint8_t v) { return v; }
};

class TDerivedSample : public TSample {
 public:
  TDerivedSample() { trail.push_back("TDerivedSample"); }

  int32_t extra = 0;
};

// Registers the sample classes once; the records stay.
void RegisterSampleClasses();

// A fixture with the sample classes registered: TSample's type and a fresh
// TSample.
class SampleTypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSampleClasses();
    type = TTypeId::ForName("TSample");
    ASSERT_TRUE(type);
    sample = New<TSample>();
  }

  Ref<TTypeId> type;
  Ref<TSample> sample;
};

// Expects call to raise a runtime error whose text is text and whose detail
// holds each of the words: the member, what it takes and what it was given.
void ExpectError(const std::function<void()>& call, const char* text,
                 std::initializer_list<const char*> detailWords = {});

}  // namespace vtl::reflect_test
