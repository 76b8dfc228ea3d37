// Fields: values cross as objects, numbers as their text; writes are checked
// against the field's type; members are found and listed base first.
#include <gtest/gtest.h>

#include "sample_classes.h"

namespace vtl {
namespace {

using reflect_test::ExpectError;
using reflect_test::TDerivedSample;
using reflect_test::TSample;

class ReflectFields : public reflect_test::SampleTypeTest {
 protected:
  Ref<TField> Field(const char* name) {
    Ref<TField> f = type->FindField(name);
    EXPECT_TRUE(f) << name;
    return f;
  }
};

TEST_F(ReflectFields, NumbersTravelAsTheirText) {
  sample->i = -3;
  Ref<Object> text = Field("i")->Get(sample);
  EXPECT_EQ(AsString(text), String("-3"));
  EXPECT_EQ(Field("i")->GetInt(sample), -3);
  sample->l = -9000000000LL;
  EXPECT_EQ(AsString(Field("l")->Get(sample)), String("-9000000000"));
  sample->f = 0.5f;
  EXPECT_EQ(AsString(Field("f")->Get(sample)), StringFromFloat(0.5f));
  sample->d = 0.1;
  EXPECT_EQ(AsString(Field("d")->Get(sample)), StringFromDouble(0.1));
  EXPECT_EQ(Field("i")->GetString(sample), String("-3"));
}

TEST_F(ReflectFields, WritesTruncateToTheFieldWidth) {
  Field("b")->Set(sample, String("300"));
  EXPECT_EQ(sample->b, 44);
  Field("b")->SetInt(sample, -1);
  EXPECT_EQ(sample->b, 255);
  Field("s")->SetInt(sample, 65537);
  EXPECT_EQ(sample->s, 1);
  Field("i")->Set(sample, String("12abc"));  // the digits up to the first non-digit
  EXPECT_EQ(sample->i, 12);
  Field("i")->Set(sample, CreateList());  // an object's text counts, not the object
  EXPECT_EQ(sample->i, 0);
  Field("i")->Set(sample, nullptr);
  EXPECT_EQ(sample->i, 0);
}

TEST_F(ReflectFields, EveryPrimitiveTypeRoundTrips) {
  Field("b")->SetInt(sample, 255);
  EXPECT_EQ(Field("b")->GetInt(sample), 255);
  Field("s")->SetInt(sample, 65535);
  EXPECT_EQ(Field("s")->GetInt(sample), 65535);
  Field("i")->SetInt(sample, -2147483647 - 1);
  EXPECT_EQ(Field("i")->GetInt(sample), -2147483647 - 1);
  Field("l")->SetLong(sample, 9223372036854775807LL);
  EXPECT_EQ(Field("l")->GetLong(sample), 9223372036854775807LL);
  EXPECT_EQ(sample->l, 9223372036854775807LL);
  Field("f")->SetFloat(sample, 3.14159274f);
  EXPECT_EQ(Field("f")->GetFloat(sample), 3.14159274f);
  Field("d")->SetDouble(sample, 2.718281828459045);
  EXPECT_EQ(Field("d")->GetDouble(sample), 2.718281828459045);
  EXPECT_EQ(sample->d, 2.718281828459045);
  Field("text")->SetString(sample, u"Grüße");
  EXPECT_EQ(Field("text")->GetString(sample), String(u"Grüße"));
  // Numbers also go in through the other typed forms.
  Field("i")->SetDouble(sample, 7.0);  // "7.0000000000000000" reads as 7
  EXPECT_EQ(sample->i, 7);
}

TEST_F(ReflectFields, StringAndObjectFieldsCheckWhatTheyAreGiven) {
  Field("text")->Set(sample, String("x"));
  Field("text")->Set(sample, nullptr);
  EXPECT_EQ(sample->text, String(""));
  ExpectError([&] { Field("text")->Set(sample, CreateList()); }, "ERROR", {"'text'", "TSample", "String", "TList"});

  Ref<TList> list = CreateList();
  Field("list")->Set(sample, list);
  EXPECT_EQ(sample->list, list);
  EXPECT_EQ(Field("list")->Get(sample), list);
  EXPECT_EQ(Field("list")->GetString(sample), String(""));
  Field("list")->Set(sample, nullptr);
  EXPECT_EQ(sample->list, nullptr);
  ExpectError([&] { Field("list")->Set(sample, New<TMap>()); }, "ERROR", {"'list'", "takes TList", "TMap"});
  ExpectError([&] { Field("list")->Set(sample, String("a list")); }, "ERROR", {"'list'", "given String"});
  EXPECT_EQ(sample->list, nullptr);

  Ref<Array<int32_t>> numbers = NewArray<int32_t>({2});
  Field("numbers")->Set(sample, numbers);
  EXPECT_EQ(sample->numbers, numbers);
  ExpectError([&] { Field("numbers")->Set(sample, NewArray<float>({2})); }, "ERROR", {"'numbers'", "Int[]", "Float[]"});
  ExpectError([&] { Field("numbers")->Set(sample, CreateList()); }, "ERROR", {"'numbers'", "Int[]", "TList"});
}

TEST_F(ReflectFields, ObjectsOfAnotherClassAreRefused) {
  ExpectError([&] { Field("i")->Get(CreateList()); }, "ERROR", {"'i'", "of TSample", "read", "TList"});
  ExpectError([&] { Field("i")->SetInt(CreateList(), 1); }, "ERROR", {"'i'", "of TSample", "written", "TList"});
  EXPECT_THROW(Field("i")->Get(nullptr), ThrownObject);
  // A derived object has its base's fields.
  Ref<TDerivedSample> derived = New<TDerivedSample>();
  Field("i")->SetInt(derived, 5);
  EXPECT_EQ(derived->i, 5);
}

TEST_F(ReflectFields, MetaDataValuesQuotedOrNot) {
  Ref<TField> i = Field("i");
  EXPECT_EQ(i->MetaData("max"), String("100"));
  EXPECT_EQ(i->MetaData("MAX"), String("100"));
  EXPECT_EQ(i->MetaData("unit"), String("hit points"));  // a quoted value keeps its blank
  EXPECT_EQ(i->MetaData("label"), String("hp"));
  EXPECT_EQ(i->MetaData("ax"), String(""));  // keys match whole
  EXPECT_EQ(i->MetaData("points"), String(""));
  EXPECT_EQ(i->MetaData(""), String("max=100 unit=\"hit points\" label=hp"));
  EXPECT_EQ(Field("b")->MetaData(""), String(""));
  EXPECT_EQ(i->TypeId(), TTypeId::ForName("Int"));
  EXPECT_EQ(Field("list")->TypeId(), TTypeId::ForName("TList"));
  EXPECT_EQ(Field("numbers")->TypeId(), TTypeId::ForName("Int[]"));
}

TEST_F(ReflectFields, DerivedTypesFindAndListTheirBasesFieldsFirst) {
  Ref<TTypeId> derived = TTypeId::ForName("TDerivedSample");
  EXPECT_EQ(derived->Fields()->Count(), 1);
  EXPECT_EQ(derived->FindField("EXTRA"), derived->Fields()->First());
  EXPECT_EQ(derived->FindField("text"), Field("text"));
  EXPECT_EQ(derived->FindField("nothing"), nullptr);
  std::vector<std::string> names;
  Ref<TList> fields = derived->EnumFields(nullptr);
  for (Ref<TField> f : fields->Each<TField>()) names.push_back(f->Name().ToUtf8());
  EXPECT_EQ(names, (std::vector<std::string>{"b", "s", "i", "l", "f", "d", "text", "list", "numbers", "extra"}));
  // Appending to a given list keeps what it held.
  Ref<TList> list = CreateList();
  list->AddLast(String("first"));
  EXPECT_EQ(derived->EnumFields(list), list);
  EXPECT_EQ(list->Count(), 11);
  EXPECT_EQ(derived->EnumMethods(nullptr)->Count(), type->Methods()->Count());
}

}  // namespace
}  // namespace vtl
