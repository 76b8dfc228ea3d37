// Array types: they mirror the class hierarchy however the classes arrive,
// and their depth is bounded so that a name cannot make types without end.
#include <gtest/gtest.h>

#include <string>

#include "sample_classes.h"

namespace vtl {
namespace {

class TKeeperBase : public Object {};
class TKept : public TKeeperBase {};
class TKeeper : public Object {
 public:
  Ref<Array<Ref<TKept>>> kept;
};

TEST(ReflectArrayTypes, ArraysOfClassesRegisteredTogetherMirrorTheirBases) {
  InitReflect();
  ClassBuilder<TKeeperBase, Object>("TKeeperBase").Register();
  ASSERT_TRUE(TTypeId::ForName("TKeeperBase"));
  // In one go: the keeper's field names arrays of a class registered after it.
  ClassBuilder<TKeeper, Object>("TKeeper").Field<&TKeeper::kept>("kept").Register();
  ClassBuilder<TKept, TKeeperBase>("TKept").Register();

  Ref<TTypeId> kept = TTypeId::ForName("TKept[]");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->SuperType(), TTypeId::ForName("TKeeperBase[]"));
  EXPECT_EQ(kept->ExtendsType(TTypeId::ForName("TKeeperBase[]")), 1);
  EXPECT_EQ(TTypeId::ForName("TKeeper")->FindField("kept")->TypeId(), kept);
  EXPECT_EQ(TTypeId::ForName("TKept")->SuperType(), TTypeId::ForName("TKeeperBase"));
}

std::string Brackets(int32_t depth) {
  std::string out;
  for (int32_t i = 0; i < depth; ++i) out += "[]";
  return out;
}

class ReflectArrayDepth : public ::testing::Test {
 protected:
  void SetUp() override { reflect_test::RegisterSampleClasses(); }

  static int32_t TypeCount() { return TTypeId::EnumTypes()->Count(); }
};

TEST_F(ReflectArrayDepth, NamesAndTagsUpToTheBoundGiveTypes) {
  const int32_t bound = TTypeId::kMaxArrayDepth;
  Ref<TTypeId> deepest = TTypeId::ForName(String::FromText("TSample" + Brackets(bound)));
  ASSERT_TRUE(deepest);
  int32_t levels = 0;
  for (Ref<TTypeId> t = deepest; t->ElementType(); t = t->ElementType()) ++levels;
  EXPECT_EQ(levels, bound);
  EXPECT_EQ(TTypeId::ForTag(Brackets(bound) + ":TSample"), deepest);
  EXPECT_EQ(deepest->ArrayType(), nullptr);
  EXPECT_EQ(TTypeId::ForObject(deepest->NewArray(1)), deepest);
}

TEST_F(ReflectArrayDepth, DeeperNamesFindNothingAndMakeNothing) {
  const int32_t bound = TTypeId::kMaxArrayDepth;
  const int32_t before = TypeCount();
  EXPECT_EQ(TTypeId::ForName(String::FromText("Int" + Brackets(bound + 1))), nullptr);
  EXPECT_EQ(TTypeId::ForName(String::FromText("Short" + Brackets(20000))), nullptr);
  EXPECT_EQ(TTypeId::ForName(String::FromText("NoSuchType" + Brackets(3))), nullptr);
  EXPECT_EQ(TTypeId::ForName(String::FromText(Brackets(20000))), nullptr);
  EXPECT_EQ(TTypeId::ForTag(Brackets(bound + 1) + "d"), nullptr);
  EXPECT_EQ(TTypeId::ForTag(Brackets(20000) + ":TSample"), nullptr);
  EXPECT_EQ(TypeCount(), before);
}

}  // namespace
}  // namespace vtl
