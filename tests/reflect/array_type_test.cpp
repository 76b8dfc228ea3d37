// Array types mirror the class hierarchy however the classes arrive.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vtl
