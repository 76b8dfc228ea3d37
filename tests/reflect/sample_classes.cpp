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

void ExpectError(const std::function<void()>& call, const char* text, std::initializer_list<const char*> detailWords) {
  try {
    call();
    ADD_FAILURE() << "no error, expected " << text;
  } catch (const ThrownObject& t) {
    EXPECT_STREQ(t.what(), text);
    if (detailWords.size() == 0) return;
    Ref<TRuntimeException> e = DowncastObject<TRuntimeException>(t.object);
    ASSERT_TRUE(e) << text;
    const std::string detail = e->detail.ToUtf8();
    for (const char* word : detailWords) EXPECT_NE(detail.find(word), std::string::npos) << word << " in: " << detail;
  }
}

}  // namespace vtl::reflect_test
