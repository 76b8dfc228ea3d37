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
  ExpectError([&] { lists->SetArrayElement(l, 0, New<TMap>()); }, "ERROR", {"Element 0", "TList[]", "TMap"});
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
  ExpectError([&] { TTypeId::ForName("Int[]")->ArrayLength(CreateList()); }, "ERROR",
              {"Int[]", "TList", "not an array"});
}

class TBeast : public Object {
 public:
  Ref<Array<Ref<TBeast>>> herd;
  Ref<Array<Ref<Array<Ref<TBeast>>>>> pens;
  Ref<Array<Ref<Array<int32_t>>>> grid;

  int32_t CountHerd(Ref<Array<Ref<TBeast>>> beasts) { return beasts ? beasts->Length() : -1; }
};
class TPup : public TBeast {};

// Arrays made by reflection are the program's own arrays of their type, so
// fields, arguments and elements declared with that type take them.
class ReflectArraysFit : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = [] {
      InitReflect();
      ClassBuilder<TBeast, Object>("TBeast")
          .Field<&TBeast::herd>("herd")
          .Field<&TBeast::pens>("pens")
          .Field<&TBeast::grid>("grid")
          .Method<&TBeast::CountHerd>("CountHerd")
          .Register();
      ClassBuilder<TPup, TBeast>("TPup").Register();
      return true;
    }();
    ASSERT_TRUE(registered);
    type = TTypeId::ForName("TBeast");
    ASSERT_TRUE(type);
    beast = New<TBeast>();
  }

  Ref<TTypeId> type;
  Ref<TBeast> beast;
};

TEST_F(ReflectArraysFit, FieldsAndArgumentsTakeArraysOfTheirType) {
  Ref<ArrayBase> herd = TTypeId::ForName("TBeast[]")->NewArray(2);
  ASSERT_EQ(TTypeId::ForObject(herd), type->FindField("herd")->TypeId());
  type->FindField("herd")->Set(beast, herd);
  EXPECT_EQ(Ref<Object>(beast->herd), Ref<Object>(herd));  // the same array, not a copy
  EXPECT_EQ(type->FindField("herd")->Get(beast), Ref<Object>(herd));

  Ref<Array<Ref<Object>>> args = NewArray<Ref<Object>>({1});
  (*args)[0] = herd;
  EXPECT_EQ(AsString(type->FindMethod("CountHerd")->Invoke(beast, args)), String("2"));

  // An array of another type is refused; so is one of a derived class,
  // which a C++ array of the base class cannot be.
  ExpectError([&] { type->FindField("herd")->Set(beast, TTypeId::ForName("TList[]")->NewArray(1)); }, "ERROR",
              {"'herd'", "of TBeast", "TBeast[]", "TList[]"});
  ExpectError([&] { type->FindField("herd")->Set(beast, TTypeId::ForName("TPup[]")->NewArray(1)); }, "ERROR",
              {"'herd'", "of TBeast", "TBeast[]", "TPup[]"});
  EXPECT_EQ(Ref<Object>(beast->herd), Ref<Object>(herd));
}

TEST_F(ReflectArraysFit, ArraysOfArraysTakeInnerArraysMadeByReflection) {
  Ref<TTypeId> pensType = TTypeId::ForName("TBeast[][]");
  Ref<ArrayBase> pens = pensType->NewArray(2);
  Ref<ArrayBase> pen = TTypeId::ForName("TBeast[]")->NewArray(3);
  pensType->SetArrayElement(pens, 1, pen);
  TTypeId::ForName("TBeast[]")->SetArrayElement(pen, 0, New<TPup>());
  type->FindField("pens")->Set(beast, pens);
  ASSERT_TRUE(beast->pens);
  EXPECT_EQ(Ref<Object>((*beast->pens)[1]), Ref<Object>(pen));
  EXPECT_TRUE(DowncastObject<TPup>((*(*beast->pens)[1])[0]));

  // An array the program made takes an inner array made by reflection too.
  Ref<Array<Ref<Array<Ref<TBeast>>>>> own = NewArray<Ref<Array<Ref<TBeast>>>>({1});
  pensType->SetArrayElement(own, 0, pen);
  EXPECT_EQ(Ref<Object>((*own)[0]), Ref<Object>(pen));

  Ref<ArrayBase> grid = TTypeId::ForName("Int[][]")->NewArray(1);
  TTypeId::ForName("Int[][]")->SetArrayElement(grid, 0, TTypeId::ForName("Int[]")->NewArray(4));
  type->FindField("grid")->Set(beast, grid);
  ASSERT_TRUE(beast->grid);
  EXPECT_EQ((*beast->grid)[0]->Length(), 4);
}

}  // namespace
}  // namespace vtl
