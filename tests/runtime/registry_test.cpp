// The registry chain: newest entry first, linked through _succ, asked until
// the first entry that does not refuse.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

class Entry : public Object {
 public:
  explicit Entry(int32_t i) : id(i) {}
  int32_t id;
  Ref<Entry> _succ;
};

class Answer : public Object {
 public:
  explicit Answer(int32_t i) : from(i) {}
  int32_t from;
};

std::vector<int32_t> Ids(const Registry<Entry>& chain) {
  std::vector<int32_t> ids;
  for (const Ref<Entry>& e : chain) ids.push_back(e->id);
  return ids;
}

struct ThreeEntries {
  ThreeEntries() {
    for (const Ref<Entry>& e : {a, b, c}) EXPECT_TRUE(chain.Add(e));
  }
  Registry<Entry> chain;
  Ref<Entry> a = New<Entry>(1), b = New<Entry>(2), c = New<Entry>(3);
};

TEST(Registry, NewestEntryComesFirstAndTheOldestEndsTheChain) {
  Registry<Entry> empty;
  EXPECT_EQ(empty.Head(), nullptr);
  EXPECT_TRUE(Ids(empty).empty());

  ThreeEntries t;
  EXPECT_EQ(Ids(t.chain), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(t.chain.Head(), t.c);
  EXPECT_EQ(t.c->_succ, t.b);
  EXPECT_EQ(t.b->_succ, t.a);
  EXPECT_EQ(t.a->_succ, nullptr);
}

TEST(Registry, RegisteringAgainOrTheNullObjectChangesNothing) {
  ThreeEntries t;
  // The oldest entry has no successor, like one never registered; it must
  // not be linked a second time, which would close the chain into a ring.
  for (const Ref<Entry>& e : {t.a, t.b, t.c}) ASSERT_FALSE(t.chain.Add(e)) << e->id;
  EXPECT_FALSE(t.chain.Add(nullptr));
  EXPECT_EQ(Ids(t.chain), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_TRUE(t.chain.Contains(t.a));
  EXPECT_FALSE(t.chain.Contains(New<Entry>(4)));
}

TEST(Registry, RefusalsFallThroughAndTheFirstAnswerEndsTheWalk) {
  ThreeEntries t;
  std::vector<int32_t> asked;
  auto answerFrom = [&](int32_t accepting) {
    asked.clear();
    return t.chain.FirstAnswer([&](const Ref<Entry>& e) -> Ref<Answer> {
      asked.push_back(e->id);
      return e->id == accepting ? New<Answer>(e->id) : nullptr;
    });
  };

  Ref<Answer> answer = answerFrom(2);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->from, 2);
  EXPECT_EQ(asked, (std::vector<int32_t>{3, 2}));  // the oldest is never asked

  EXPECT_EQ(answerFrom(0), nullptr);  // everyone refuses
  EXPECT_EQ(asked, (std::vector<int32_t>{3, 2, 1}));

  Registry<Entry> empty;
  EXPECT_EQ(empty.FirstAnswer([](const Ref<Entry>& e) { return e; }), nullptr);
}

TEST(Registry, AnExceptionWhileAskingLeavesTheWalk) {
  ThreeEntries t;
  std::vector<int32_t> asked;
  EXPECT_THROW(t.chain.FirstAnswer([&](const Ref<Entry>& e) -> Ref<Answer> {
    asked.push_back(e->id);
    if (e->id == 2) RuntimeError("broken entry");
    return nullptr;
  }),
               ThrownObject);
  EXPECT_EQ(asked, (std::vector<int32_t>{3, 2}));
}

// A data type whose own constructor gives up after the base's has run.
class HalfMadeDataType : public TDataType {
 public:
  HalfMadeDataType() { RuntimeError("refused to be made"); }
  String Tag() const override { return "RegistryTest.HalfMade"; }
};

class WholeDataType : public TDataType {
 public:
  String Tag() const override { return "RegistryTest.Whole"; }
};

class ReflectedDataType : public TDataType {
 public:
  String Tag() const override { return "RegistryTest.Reflected"; }
};

TEST(Registry, ADataTypeJoinsTheChainWhenNewHasMadeItWhole) {
  InitRuntime();
  EXPECT_THROW(New<HalfMadeDataType>(), ThrownObject);
  // Asking every type its tag touches each one: a half-made type left in the
  // chain would be memory already freed.
  for (Ref<TDataType> t = TDataType::Registered(); t; t = t->_succ) {
    EXPECT_FALSE(t->Tag() == String("RegistryTest.HalfMade"));
  }

  // Programs rely on a new type being found first, without a further call.
  Ref<WholeDataType> made = New<WholeDataType>();
  EXPECT_EQ(TDataType::Registered(), made);
  EXPECT_EQ(RegisterDataType(made), 0);  // linked already: nothing moves
  EXPECT_EQ(RegisterDataType(nullptr), 0);
  EXPECT_EQ(TDataType::Registered(), made);

  // Reflection makes objects through New too.
  ClassBuilder<ReflectedDataType, TDataType>("RegistryTestReflectedDataType").Register();
  const ClassRecord* record = FindClassRecord(typeid(ReflectedDataType));
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->create, nullptr);
  Ref<Object> reflected = record->create();
  EXPECT_EQ(Ref<Object>(TDataType::Registered()), reflected);
  EXPECT_EQ(TDataType::Registered()->_succ, made);
}

}  // namespace
