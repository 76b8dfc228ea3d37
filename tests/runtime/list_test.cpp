#include <gtest/gtest.h>

#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

int liveItems = 0;

class Item : public Object {
 public:
  explicit Item(int32_t v) : value(v) { ++liveItems; }
  ~Item() override { --liveItems; }
  int32_t Compare(const Ref<Object>& other) const override {
    auto o = DowncastObject<Item>(other);
    return o ? value - o->value : CompareIdentity(this, other.Get());
  }
  int32_t value;
};

// Values seen by a walk, -1 standing for a Null entry.
std::vector<int32_t> Walk(const Ref<TList>& list, const std::function<void(int32_t)>& onEach = {}) {
  std::vector<int32_t> seen;
  for (Ref<TListEnum> e = list->ObjectEnumerator(); e->HasNext();) {
    auto item = DowncastObject<Item>(e->NextObject());
    seen.push_back(item ? item->value : -1);
    if (onEach && item) onEach(item->value);
  }
  return seen;
}

struct Three {
  Ref<TList> list = CreateList();
  Ref<Item> a = New<Item>(1), b = New<Item>(2), c = New<Item>(3);
  Ref<TLink> la = list->AddLast(a), lb = list->AddLast(b), lc = list->AddLast(c);
};

TEST(ListWalks, AnElementRemovingItselfDoesNotDisturbTheWalk) {
  Three t;
  EXPECT_EQ(Walk(t.list,
                 [&](int32_t v) {
                   if (v == 2) t.list->Remove(t.b);
                 }),
            (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(Walk(t.list), (std::vector<int32_t>{1, 3}));
}

TEST(ListWalks, RemovingTheParkedLinkYieldsOneNull) {
  Three t;
  // While 1 is being handled the walk is parked on 2's link.
  EXPECT_EQ(Walk(t.list,
                 [&](int32_t v) {
                   if (v == 1) t.lb->Remove();
                 }),
            (std::vector<int32_t>{1, -1, 3}));
}

TEST(ListWalks, LinksRemovedFurtherAheadAreSkipped) {
  Three t;
  t.list->AddLast(New<Item>(4));
  EXPECT_EQ(Walk(t.list,
                 [&](int32_t v) {
                   if (v == 1) t.lc->Remove();
                 }),
            (std::vector<int32_t>{1, 2, 4}));
}

TEST(ListWalks, AppendsAreVisitedOnlyBeforeTheLastElementIsReturned) {
  Three t;
  EXPECT_EQ(Walk(t.list,
                 [&](int32_t v) {
                   if (v == 2) t.list->AddLast(New<Item>(9));
                 }),
            (std::vector<int32_t>{1, 2, 3, 9}));
  Three u;
  EXPECT_EQ(Walk(u.list,
                 [&](int32_t v) {
                   if (v == 3) u.list->AddLast(New<Item>(9));
                 }),
            (std::vector<int32_t>{1, 2, 3}));
  Three w;
  EXPECT_EQ(Walk(w.list,
                 [&](int32_t v) {
                   if (v == 1) w.list->AddFirst(New<Item>(0));
                 }),
            (std::vector<int32_t>{1, 2, 3}));
}

TEST(ListWalks, RangeForAndEachKeepTheEnumeratorSemantics) {
  Three t;
  std::vector<int32_t> seen;
  for (Ref<Object> v : *t.list) {
    auto item = DowncastObject<Item>(v);
    seen.push_back(item ? item->value : -1);
    if (item && item->value == 1) t.lb->Remove();
    if (item && item->value == 3) t.list->AddLast(New<Item>(8));
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{1, -1, 3}));
  t.list->AddLast(String("not an item"));
  seen.clear();
  for (Ref<Item> item : t.list->Each<Item>()) seen.push_back(item->value);
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 3, 8}));
}

TEST(Lists, RemoveFindsTheFirstEqualElement) {
  auto list = CreateList();
  auto x = New<Item>(5);
  list->AddLast(x);
  list->AddLast(New<Item>(6));
  list->AddLast(x);
  EXPECT_EQ(list->Remove(x), 1);
  EXPECT_EQ(Walk(list), (std::vector<int32_t>{6, 5}));
  EXPECT_EQ(list->Remove(New<Item>(7)), 0);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_TRUE(list->Contains(New<Item>(6)));  // equality is the element's Compare
  list->AddLast(String("key"));
  EXPECT_TRUE(list->Contains(String("key")));
  EXPECT_EQ(list->Remove(String("key")), 1);
}

TEST(Lists, RemovingALinkTwiceLeavesTheListIntact) {
  Three t;
  t.lb->Remove();
  t.lc->Remove();
  t.lb->Remove();  // its old neighbours have moved on; nothing may be relinked
  EXPECT_EQ(Walk(t.list), (std::vector<int32_t>{1}));
  EXPECT_EQ(t.list->LastLink(), t.la);
}

TEST(Lists, EndsAndIndexing) {
  auto list = CreateList();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_TRUE(list->IsEmpty());
  EXPECT_EQ(list->FirstLink(), nullptr);
  EXPECT_EQ(list->First(), nullptr);
  EXPECT_EQ(list->RemoveLast(), nullptr);
  EXPECT_TRUE(list->IsEmpty());
  for (int i = 0; i < 4; ++i) list->AddLast(New<Item>(i));
  EXPECT_EQ(DowncastObject<Item>(list->ValueAtIndex(3))->value, 3);
  for (int32_t bad : {-1, 4}) {
    try {
      list->ValueAtIndex(bad);
      FAIL();
    } catch (const ThrownObject& e) {
      EXPECT_STREQ(e.what(), "List index out of range");
    }
  }
  EXPECT_EQ(DowncastObject<Item>(list->RemoveFirst())->value, 0);
  EXPECT_EQ(DowncastObject<Item>(list->RemoveLast())->value, 3);
  EXPECT_EQ(list->FirstLink()->PrevLink(), nullptr);
  EXPECT_EQ(list->LastLink()->NextLink(), nullptr);
  EXPECT_EQ(DowncastObject<Item>(list->FirstLink()->NextLink()->Value())->value, 2);
}

TEST(Lists, SortIsStableInBothDirections) {
  auto list = CreateList();
  std::vector<Ref<Item>> items;
  for (int32_t v : {3, 1, 2, 1, 3}) items.push_back(New<Item>(v));
  for (auto& i : items) list->AddLast(i);
  list->Sort(1);
  EXPECT_EQ(Walk(list), (std::vector<int32_t>{1, 1, 2, 3, 3}));
  EXPECT_EQ(list->First(), items[1]);  // equal elements keep their order
  EXPECT_EQ(list->Last(), items[4]);
  list->Sort(0);
  EXPECT_EQ(Walk(list), (std::vector<int32_t>{3, 3, 2, 1, 1}));
  EXPECT_EQ(list->First(), items[0]);

  static int calls;
  calls = 0;
  list->Sort(0, [](const Ref<Object>& a, const Ref<Object>& b) {
    ++calls;
    return a->Compare(b);
  });
  EXPECT_EQ(calls, 4);  // already in order: one pass
}

TEST(Lists, SwapCopyReverseAndArrays) {
  auto full = CreateList();
  for (int i = 1; i <= 3; ++i) full->AddLast(New<Item>(i));
  auto empty = CreateList();
  SwapLists(empty, full);
  EXPECT_EQ(Walk(empty), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_TRUE(full->IsEmpty());

  auto copy = empty->Copy();
  EXPECT_EQ(copy->First(), empty->First());  // values shared
  copy->Reverse();
  EXPECT_EQ(Walk(copy), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(Walk(copy->Reversed()), (std::vector<int32_t>{1, 2, 3}));
  auto array = copy->ToArray();
  EXPECT_EQ(array->Length(), 3);
  EXPECT_EQ(Walk(TList::FromArray(array)), (std::vector<int32_t>{3, 2, 1}));
}

TEST(Lists, DestructionReleasesEverything) {
  liveItems = 0;
  Ref<TListEnum> parked;
  {
    auto list = CreateList();
    for (int i = 0; i < 1000; ++i) list->AddLast(New<Item>(i));
    parked = list->ObjectEnumerator();
    parked->NextObject();
    list->FirstLink()->NextLink()->Remove();
  }
  parked = nullptr;
  EXPECT_EQ(liveItems, 0);
}

}  // namespace
