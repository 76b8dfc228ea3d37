// Finding types: by name, by object, by tag; the built-in types; array types
// mirroring the class hierarchy; classes registered after the first look-up.
#include <gtest/gtest.h>

#include "sample_classes.h"

namespace vtl {
namespace {

using reflect_test::TDerivedSample;
using reflect_test::TSample;

class ReflectTypes : public ::testing::Test {
 protected:
  void SetUp() override { reflect_test::RegisterSampleClasses(); }
};

TEST_F(ReflectTypes, BuiltInTypesHaveTheirSizesTagsAndNoClassBelowString) {
  struct Expect {
    const char* name;
    int32_t size;
    const char* tag;
  } builtIns[] = {{"Byte", 1, "b"},  {"Short", 2, "s"},  {"Int", 4, "i"},   {"Long", 8, "l"},
                  {"Float", 4, "f"}, {"Double", 8, "d"}, {"String", 4, "$"}};
  for (const Expect& e : builtIns) {
    Ref<TTypeId> t = TTypeId::ForName(e.name);
    ASSERT_TRUE(t) << e.name;
    EXPECT_EQ(t->Name(), String(e.name));
    EXPECT_EQ(t->_size, e.size) << e.name;
    EXPECT_EQ(t->Tag(), e.tag) << e.name;
    EXPECT_EQ(TTypeId::ForTag(e.tag), t) << e.name;
  }
  EXPECT_EQ(TTypeId::ForName("Int")->_class, nullptr);
  EXPECT_EQ(TTypeId::ForName("Object")->SuperType(), nullptr);
  EXPECT_EQ(TTypeId::ForName("String")->SuperType(), TTypeId::ForName("Object"));
  EXPECT_EQ(TTypeId::ForName("Null[]")->Name(), String("Null[]"));
  EXPECT_EQ(TTypeId::ForTag(""), nullptr);
  EXPECT_EQ(TTypeId::ForTag("x"), nullptr);
  EXPECT_EQ(TTypeId::ForTag(":NoSuchClass"), nullptr);
  EXPECT_EQ(TTypeId::ForTag("[]:NoSuchClass"), nullptr);
}

TEST_F(ReflectTypes, NamesIgnoreCaseAndArraySuffixesGiveArrayTypes) {
  Ref<TTypeId> list = TTypeId::ForName("TList");
  ASSERT_TRUE(list);
  EXPECT_EQ(TTypeId::ForName("tlist"), list);
  EXPECT_EQ(TTypeId::ForName("TLIST"), list);
  EXPECT_EQ(TTypeId::ForName("NoSuchType"), nullptr);
  EXPECT_EQ(TTypeId::ForName("NoSuchType[]"), nullptr);

  Ref<TTypeId> lists = TTypeId::ForName("TList[]");
  ASSERT_TRUE(lists);
  EXPECT_EQ(lists->Name(), String("TList[]"));
  EXPECT_EQ(lists->ElementType(), list);
  EXPECT_EQ(lists->SuperType(), list->SuperType()->ArrayType());
  EXPECT_EQ(lists, list->ArrayType());  // made once
  EXPECT_EQ(TTypeId::ForName("tlist[][]")->ElementType(), lists);
  // The array of a type without a super type extends the base array type.
  EXPECT_EQ(TTypeId::ForName("Int[]")->SuperType(), TTypeId::ForName("Null[]"));
  EXPECT_TRUE(lists->ExtendsType(TTypeId::ForName("Object[]")));
  EXPECT_TRUE(lists->ExtendsType(TTypeId::ForName("Null[]")));
  EXPECT_FALSE(lists->ExtendsType(TTypeId::ForName("TMap[]")));
}

TEST_F(ReflectTypes, TagsResolveClassesWithoutTheirModulePath) {
  EXPECT_EQ(TTypeId::ForTag(":vtl.linkedlist.TList"), TTypeId::ForName("TList"));
  EXPECT_EQ(TTypeId::ForTag(":TList"), TTypeId::ForName("TList"));
  EXPECT_EQ(TTypeId::ForTag("[][]i"), TTypeId::ForName("Int[][]"));
  EXPECT_EQ(TTypeId::ForName("TList[]")->Tag(), "[]:TList");
  EXPECT_EQ(TTypeId::ForName("Byte[][]")->Tag(), "[][]b");
  EXPECT_EQ(TTypeId::ForName("String[]")->Tag(), "[]$");
}

TEST_F(ReflectTypes, ForObjectFindsClassesStringsAndArraysByElementTag) {
  EXPECT_EQ(TTypeId::ForObject(nullptr), nullptr);
  EXPECT_EQ(TTypeId::ForObject(CreateList()), TTypeId::ForName("TList"));
  EXPECT_EQ(TTypeId::ForObject(String("x")), TTypeId::ForName("String"));
  EXPECT_EQ(TTypeId::ForObject(New<TDerivedSample>()), TTypeId::ForName("TDerivedSample"));
  EXPECT_EQ(TTypeId::ForObject(NewArray<int32_t>({3})), TTypeId::ForName("Int[]"));
  EXPECT_EQ(TTypeId::ForObject(NewArray<Ref<TList>>({2})), TTypeId::ForName("TList[]"));
  // An empty array keeps its element type; it is not the base array type.
  EXPECT_EQ(TTypeId::ForObject(NewArray<double>({0})), TTypeId::ForName("Double[]"));
  EXPECT_EQ(TTypeId::ForObject(NewArray<Ref<Array<uint8_t>>>({1})), TTypeId::ForName("Byte[][]"));
}

TEST_F(ReflectTypes, HierarchyLinksSuperAndDerivedTypes) {
  Ref<TTypeId> base = TTypeId::ForName("TSample");
  Ref<TTypeId> derived = TTypeId::ForName("TDerivedSample");
  ASSERT_TRUE(base && derived);
  EXPECT_EQ(derived->SuperType(), base);
  EXPECT_EQ(base->SuperType(), TTypeId::ForName("Object"));
  EXPECT_TRUE(derived->ExtendsType(base));
  EXPECT_TRUE(derived->ExtendsType(TTypeId::ForName("Object")));
  EXPECT_FALSE(base->ExtendsType(derived));
  EXPECT_FALSE(TTypeId::ForName("Int")->ExtendsType(TTypeId::ForName("Object")));
  EXPECT_TRUE(base->DerivedTypes()->Contains(derived));
  EXPECT_EQ(base->DerivedTypes()->Count(), 1);
  EXPECT_TRUE(derived->DerivedTypes()->IsEmpty());
  EXPECT_FALSE(TTypeId::ForName("Object")->DerivedTypes()->Contains(TTypeId::ForName("TList")));
  EXPECT_TRUE(TTypeId::ForName("TData")->DerivedTypes()->Contains(TTypeId::ForName("TList")));
}

TEST_F(ReflectTypes, ClassMetaDataIsSplitOffTheName) {
  Ref<TTypeId> t = TTypeId::ForName("TSample");
  EXPECT_EQ(t->Name(), String("TSample"));
  EXPECT_EQ(t->MetaData(""), String("doc=\"one of each\" version=2"));
  EXPECT_EQ(t->MetaData("DOC"), String("one of each"));
  EXPECT_EQ(t->MetaData("version"), String("2"));
  EXPECT_EQ(t->MetaData("missing"), String(""));
}

class LateClass : public Object {
 public:
  int32_t late = 7;
};

TEST_F(ReflectTypes, ClassesRegisteredAfterALookUpAreFoundByTheNext) {
  ASSERT_EQ(TTypeId::ForName("LateClass"), nullptr);
  ClassBuilder<LateClass, Object>("LateClass").Field<&LateClass::late>("late").Register();
  Ref<TTypeId> t = TTypeId::ForName("lateclass");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->FindField("LATE")->GetInt(New<LateClass>()), 7);
  EXPECT_TRUE(TTypeId::ForName("Object")->DerivedTypes()->Contains(t));
}

TEST_F(ReflectTypes, EnumTypesListsEveryTypeOnceInNameOrder) {
  Ref<TList> types = TTypeId::EnumTypes();
  String previous;
  int32_t count = 0;
  bool sawSample = false;
  for (Ref<TTypeId> t : types->Each<TTypeId>()) {
    String lower = LowerString(t->Name());
    if (count++ > 0) {
      EXPECT_LT(CompareStrings(previous, lower), 0) << previous << " before " << lower;
    }
    previous = lower;
    sawSample = sawSample || t->Name() == String("TSample");
  }
  EXPECT_TRUE(sawSample);
  EXPECT_GE(count, 9);
  EXPECT_NE(types, TTypeId::EnumTypes());  // a new list each time
}

TEST_F(ReflectTypes, NewObjectRunsTheConstructorChainOrRefuses) {
  Ref<TDerivedSample> made = DowncastObject<TDerivedSample>(TTypeId::ForName("TDerivedSample")->NewObject());
  ASSERT_TRUE(made);
  EXPECT_EQ(made->trail, (std::vector<std::string>{"TSample", "TDerivedSample"}));
  for (const char* name : {"Int", "Int[]", "Null[]"}) {
    try {
      TTypeId::ForName(name)->NewObject();
      ADD_FAILURE() << name;
    } catch (const ThrownObject& t) {
      EXPECT_STREQ(t.what(), "Unable to create new object") << name;
    }
  }
}

}  // namespace
}  // namespace vtl
