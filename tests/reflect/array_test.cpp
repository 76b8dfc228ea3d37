// Arrays through their types: made by element tag, read and written with the
// field conversions, refused on types that are not array types.
#include <gtest/gtest.h>

#include "sample_classes.h"

namespace vtl {
namespace {

using reflect_test::ExpectError;

class ReflectArrays : public ::testing::Test {
 protected:
  void SetUp() override { reflect_test::RegisterSampleClasses(); }
};

TEST_F(ReflectArrays, NewArraysCarryTheElementTagAndFindTheirTypeAgain) {
  for (const char* name : {"Byte[]", "Short[]", "Int[]", "Long[]", "Float[]", "Double[]", "String[]", "Object[]",
                           "TList[]", "Int[][]", "TSample[]"}) {
    Ref<TTypeId> type = TTypeId::ForName(name);
    Ref<ArrayBase> array = type->NewArray(3);
    ASSERT_TRUE(array) << name;
    EXPECT_EQ(array->Length(), 3);
    EXPECT_EQ(type->ArrayLength(array), 3);
    EXPECT_EQ(array->ElementTag(), type->ElementType()->Tag()) << name;
    EXPECT_EQ(TTypeId::ForObject(array), type) << name;
  }
  // Arrays of Int and Object are the program's own array classes.
  EXPECT_TRUE(DowncastObject<Array<int32_t>>(TTypeId::ForName("Int[]")->NewArray(1)));
  EXPECT_TRUE(DowncastObject<Array<Ref<Object>>>(TTypeId::ForName("Object[]")->NewArray(1)));
  EXPECT_THROW(TTypeId::ForName("Int[]")->NewArray(-1), ThrownObject);
}

TEST_F(ReflectArrays, ElementsConvertAsFieldsDo) {
  Ref<TTypeId> bytes = TTypeId::ForName("Byte[]");
  Ref<ArrayBase> b = bytes->NewArray(2);
  bytes->SetArrayElement(b, 1, String("300"));
  EXPECT_EQ(AsString(bytes->GetArrayElement(b, 1)), String("44"));
  EXPECT_EQ(AsString(bytes->GetArrayElement(b, 0)), String("0"));

  Ref<TTypeId> strings = TTypeId::ForName("String[]");
  Ref<ArrayBase> s = strings->NewArray(1);
  EXPECT_EQ(AsString(strings->GetArrayElement(s, 0)), String(""));
  strings->SetArrayElement(s, 0, String("hi"));
  EXPECT_EQ(AsString(strings->GetArrayElement(s, 0)), String("hi"));

  Ref<TTypeId> lists = TTypeId::ForName("TList[]");
  Ref<ArrayBase> l = lists->NewArray(1);
  EXPECT_EQ(lists->GetArrayElement(l, 0), nullptr);
  Ref<TList> list = CreateList();
  lists->SetArrayElement(l, 0, list);
  EXPECT_EQ(lists->GetArrayElement(l, 0), list);
  ExpectError([&] { lists->SetArrayElement(l, 0, New<TMap>()); }, "ERROR");
  EXPECT_THROW(lists->GetArrayElement(l, 1), ThrownObject);
  EXPECT_THROW(lists->SetArrayElement(l, -1, nullptr), ThrownObject);

  // The array's own element type decides, whatever array type is asked.
  Ref<Array<double>> doubles = NewArray<double>({1});
  lists->SetArrayElement(doubles, 0, String("1.5"));
  EXPECT_EQ((*doubles)[0], 1.5);
}

TEST_F(ReflectArrays, TypesThatAreNotArrayTypesRefuse) {
  Ref<Array<int32_t>> ints = NewArray<int32_t>({1});
  for (const char* name : {"Int", "TList", "Null[]"}) {
    Ref<TTypeId> t = TTypeId::ForName(name);
    ExpectError([&] { t->NewArray(1); }, "TypeID is not an array type");
    ExpectError([&] { t->ArrayLength(ints); }, "TypeID is not an array type");
    ExpectError([&] { t->GetArrayElement(ints, 0); }, "TypeID is not an array type");
    ExpectError([&] { t->SetArrayElement(ints, 0, String("1")); }, "TypeID is not an array type");
  }
  ExpectError([&] { TTypeId::ForName("Int[]")->ArrayLength(CreateList()); }, "ERROR");
}

}  // namespace
}  // namespace vtl
