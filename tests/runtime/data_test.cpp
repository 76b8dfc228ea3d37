#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

constexpr DataItem kItems[] = {
    7, 2.75f, -2.75f, "$1F", "%101", 1.5, DataItem::Byte(200), DataItem::Short(60000), "  -9 apples", EndOfData};
constexpr DataLabel First{kItems};
constexpr DataLabel Strings{kItems, 3};

bool ThrowsOutOfData(void (*read)()) {
  try {
    read();
  } catch (const ThrownObject& t) {
    return DowncastObject<TOutOfDataException>(t.object) &&
           t.object->ToString() == String("Attempt to read beyond end of data");
  }
  return false;
}

TEST(DataStatements, ConvertByTheItemsTag) {
  RestoreData(First);
  EXPECT_EQ(ReadDataInt(), 7);
  EXPECT_EQ(ReadDataInt(), 2);
  EXPECT_EQ(ReadDataInt(), -2);
  EXPECT_EQ(ReadDataInt(), 31);
  EXPECT_EQ(ReadDataInt(), 5);
  EXPECT_EQ(ReadDataInt(), 1);
  EXPECT_EQ(ReadDataInt(), 200);
  EXPECT_EQ(ReadDataInt(), 60000);
  EXPECT_EQ(ReadDataInt(), -9);

  RestoreData(First);
  EXPECT_EQ(ReadDataString(), String("7"));
  EXPECT_EQ(ReadDataString(), String("2.75000000"));
  EXPECT_FLOAT_EQ(ReadDataFloat(), -2.75f);
  EXPECT_EQ(ReadDataString(), String("$1F"));
  EXPECT_FLOAT_EQ(ReadDataFloat(), 0.0f);  // "%101" is not a decimal number
  EXPECT_EQ(ReadDataString(), String("1.50000000"));
  EXPECT_DOUBLE_EQ(ReadDataDouble(), 200.0);
}

TEST(DataStatements, LabelsRestartAndTheEndIsSticky) {
  RestoreData(Strings);
  EXPECT_EQ(ReadDataString(), String("$1F"));
  RestoreData(Strings);
  EXPECT_EQ(ReadDataInt(), 31);
  for (int i = 0; i < 5; ++i) ReadDataInt();
  EXPECT_TRUE(ThrowsOutOfData([] { ReadDataInt(); }));
  EXPECT_TRUE(ThrowsOutOfData([] { ReadDataString(); }));
  RestoreData(First);
  EXPECT_EQ(ReadDataInt(), 7);
}

}  // namespace
