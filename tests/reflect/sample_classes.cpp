#include "sample_classes.h"

#include <gtest/gtest.h>

namespace vtl::reflect_test {

void RegisterSampleClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  InitReflect();
  ClassBuilder<TSample, Object>("TSample{doc=\"one of each\" version=2}")
      .Field<&TSample::b>("b")
      .Field<&TSample::s>("s")
      .Field<&TSample::i>("i", "max=100 unit=\"hit points\" label=hp")
      .Field<&TSample::l>("l")
      .Field<&TSample::f>("f")
      .Field<&TSample::d>("d")
      .Field<&TSample::text>("text")
      .Field<&TSample::list>("list")
      .Field<&TSample::numbers>("numbers")
      .Method<&TSample::Describe>("Describe", "pure")
      .Method<&TSample::Add>("Add")
      .Method<&TSample::Sum4>("Sum4")
      .Method<&TSample::Mix>("Mix")
      .Method<&TSample::Big>("Big")
      .Method<&TSample::Touch>("Touch")
      .Method<&TSample::Low>("Low")
      .Register();
  ClassBuilder<TDerivedSample, TSample>("TDerivedSample").Field<&TDerivedSample::extra>("extra").Register();
}

void ExpectError(const std::function<void()>& call, const char* text) {
  try {
    call();
    ADD_FAILURE() << "no error, expected " << text;
  } catch (const ThrownObject& t) {
    EXPECT_STREQ(t.what(), text);
  }
}

}  // namespace vtl::reflect_test
