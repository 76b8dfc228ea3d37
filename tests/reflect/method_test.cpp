// Methods: signatures read from the method tags, calls through the class
// record's invokers with the call-size limits, results as Get gives values.
#include <gtest/gtest.h>

#include <functional>

#include "sample_classes.h"

namespace vtl {
namespace {

using reflect_test::TSample;

Ref<Array<Ref<Object>>> Args(std::initializer_list<Ref<Object>> values) {
  Ref<Array<Ref<Object>>> args = NewArray<Ref<Object>>({static_cast<int32_t>(values.size())});
  int32_t i = 0;
  for (const Ref<Object>& v : values) (*args)[i++] = v;
  return args;
}

using reflect_test::ExpectError;

class ReflectMethods : public reflect_test::SampleTypeTest {
 protected:
  Ref<TMethod> Method(const char* name) {
    Ref<TMethod> m = type->FindMethod(name);
    EXPECT_TRUE(m) << name;
    return m;
  }
};

TEST_F(ReflectMethods, SignaturesComeFromTheMethodTags) {
  Ref<TMethod> describe = Method("describe");
  ASSERT_EQ(describe->ArgTypes()->Length(), 2);  // "(i,f)$"
  EXPECT_EQ((*describe->ArgTypes())[0], TTypeId::ForName("Int"));
  EXPECT_EQ((*describe->ArgTypes())[1], TTypeId::ForName("Float"));
  EXPECT_EQ(describe->TypeId(), TTypeId::ForName("String"));
  EXPECT_EQ(describe->MetaData(""), String("pure"));
  EXPECT_EQ(describe->_selfTypeId, type);
  EXPECT_EQ(Method("Touch")->TypeId(), nullptr);  // no result
  EXPECT_EQ(Method("Touch")->ArgTypes()->Length(), 0);
  // Methods are listed in declaration order; class functions are not methods.
  EXPECT_EQ(type->Methods()->Count(), 7);
  EXPECT_EQ(TTypeId::ForName("TList")->FindMethod("FromArray"), nullptr);
  EXPECT_TRUE(TTypeId::ForName("TList")->FindMethod("addlast"));
}

TEST_F(ReflectMethods, InvokeConvertsArgumentsInOrderAndResultsToText) {
  Ref<Object> r = Method("Describe")->Invoke(sample, Args({String("-4"), String("0.5")}));
  EXPECT_EQ(AsString(r), String("-4/") + StringFromFloat(0.5f));
  EXPECT_EQ(AsString(Method("Add")->Invoke(sample, Args({String("2"), StringFromInt(40)}))), String("42"));
  EXPECT_EQ(AsString(Method("Low")->Invoke(sample, Args({String("300")}))), String("44"));
  EXPECT_EQ(Method("Touch")->Invoke(sample, nullptr), nullptr);
  EXPECT_EQ(Method("Touch")->Invoke(sample, Args({})), nullptr);
  EXPECT_EQ(sample->trail.back(), "Touch");
  // A base's method through the derived object.
  Ref<Object> list = CreateList();
  TTypeId::ForName("TList")->FindMethod("AddLast")->Invoke(list, Args({String("x")}));
  EXPECT_EQ(AsString(TTypeId::ForName("TList")->FindMethod("Count")->Invoke(list, nullptr)), String("1"));
}

TEST_F(ReflectMethods, CallsAreLimitedToEightWords) {
  // Object + four Doubles: nine words.
  ExpectError(
      [&] {
        Method("Sum4")->Invoke(sample, Args({String("1"), String("2"), String("3"), String("4")}));
      },
      "ERROR", {"'Sum4'", "of TSample", "9 words", "8"});
  // Object + three Longs + one Int: eight words, and the arguments arrive in order.
  Ref<Object> r =
      Method("Mix")->Invoke(sample, Args({String("5000000000"), String("-6000000000"), String("7"), String("8")}));
  EXPECT_EQ(AsString(r), String("8"));
  EXPECT_EQ(sample->trail.back(), "5000000000,-6000000000,7,8");
}

TEST_F(ReflectMethods, BadCallsRaiseErrors) {
  ExpectError([&] { Method("Big")->Invoke(sample, nullptr); }, "TODO");  // a Long result
  ExpectError([&] { Method("Add")->Invoke(sample, Args({String("1")})); }, "ERROR",
              {"'Add'", "of TSample", "2 arguments", "1 was given"});
  ExpectError([&] { Method("Add")->Invoke(sample, nullptr); }, "ERROR", {"'Add'", "0 were given"});
  ExpectError([&] { TTypeId::ForName("TList")->FindMethod("Swap")->Invoke(CreateList(), Args({New<TMap>()})); },
              "ERROR", {"Argument 1", "'Swap'", "of TList", "takes TList", "TMap"});
  EXPECT_THROW(Method("Touch")->Invoke(nullptr, nullptr), ThrownObject);
  EXPECT_THROW(Method("Touch")->Invoke(CreateList(), nullptr), ThrownObject);
}

class Unset : public Object {};

bool ThrowsNullFunction(const std::function<void()>& call) {
  try {
    call();
  } catch (const ThrownObject& t) {
    return DowncastObject<TNullFunctionException>(t.object) != nullptr;
  }
  return false;
}

TEST_F(ReflectMethods, AccessorsTheRecordNeverSetRaiseTheNullFunctionError) {
  ClassRecord record;
  record.name = "TUnsetMembers";
  record.type = &typeid(Unset);
  record.isInstance = [](const Object* o) { return dynamic_cast<const Unset*>(o) != nullptr; };
  Declaration method;
  method.kind = Declaration::Kind::Method;
  method.name = "Hollow";
  method.typeTag = [] { return std::string("(i)i"); };
  record.declarations.push_back(method);
  Declaration field;
  field.kind = Declaration::Kind::Field;
  field.name = "hollow";
  field.typeTag = [] { return std::string("i"); };
  record.declarations.push_back(field);
  RegisterClass(std::move(record));

  Ref<TTypeId> type = TTypeId::ForName("TUnsetMembers");
  ASSERT_TRUE(type && type->FindMethod("Hollow") && type->FindField("hollow"));
  Ref<Object> object = New<Unset>();
  EXPECT_TRUE(ThrowsNullFunction([&] { type->FindMethod("Hollow")->Invoke(object, Args({String("1")})); }));
  EXPECT_TRUE(ThrowsNullFunction([&] { type->FindField("hollow")->Get(object); }));
  EXPECT_TRUE(ThrowsNullFunction([&] { type->FindField("hollow")->SetInt(object, 1); }));
}

}  // namespace
}  // namespace vtl
