#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

int liveKeys = 0;

// A key ordered by its number. With throwAfter set, its Compare throws once
// that many more comparisons have been made.
class Key : public Object {
 public:
  explicit Key(int32_t v) : value(v) { ++liveKeys; }
  ~Key() override { --liveKeys; }
  int32_t Compare(const Ref<Object>& other) const override {
    if (throwAfter >= 0 && throwAfter-- == 0) RuntimeError("Compare failed");
    auto o = DowncastObject<Key>(other);
    return o ? value - o->value : CompareIdentity(this, other.Get());
  }
  int32_t value;
  static inline int32_t throwAfter = -1;
};

int32_t KeyOf(const Ref<Object>& o) { return DowncastObject<Key>(o)->value; }
std::string TextOf(const Ref<Object>& o) { return AsString(o).value().ToUtf8(); }

std::vector<std::string> KeyTexts(const Ref<TMap>& map) {
  std::vector<std::string> out;
  for (Ref<Object> k : map->Keys()) out.push_back(TextOf(k));
  return out;
}

std::vector<int32_t> KeyNumbers(const Ref<TMap>& map) {
  std::vector<int32_t> out;
  for (const Ref<TNode>& n : *map) out.push_back(KeyOf(n->Key()));
  return out;
}

// The tree's shape, colours and keys, e.g. "((1r)2b(3r))".
std::string Shape(const Ref<TNode>& n) {
  if (n->IsNil()) return "";
  return "(" + Shape(n->_left) + std::to_string(KeyOf(n->_key)) + (n->_color == TNode::RED ? "r" : "b") +
         Shape(n->_right) + ")";
}

// Checks one subtree: parent links, colours, no red node with a red child,
// equal black heights, and the entries in order against `expected` (walked
// along). Returns its black height, or -1 with `fault` set. Plain code, not
// assertions: it runs on every node after every step of the randomised test.
int CheckSubtree(const TNode* n, const TNode* parent, std::map<int32_t, int32_t>::const_iterator& expected,
                 std::map<int32_t, int32_t>::const_iterator end, std::string& fault) {
  if (n->IsNil()) return 1;
  int32_t key = static_cast<const Key*>(n->_key.Get())->value;
  auto fail = [&](const std::string& what) {
    fault = what + " at key " + std::to_string(key);
    return -1;
  };
  if (n->_parent.Get() != parent) return fail("wrong parent link");
  if (n->_color != TNode::RED && n->_color != TNode::BLACK) return fail("no colour");
  if (n->_color == TNode::RED && (n->_left->_color == TNode::RED || n->_right->_color == TNode::RED)) {
    return fail("red child under red");
  }
  int left = CheckSubtree(n->_left.Get(), n, expected, end, fault);
  if (left < 0) return -1;
  if (expected == end || expected->first != key) return fail("key out of order or not expected");
  if (static_cast<const Key*>(n->_value.Get())->value != expected->second) return fail("wrong value");
  ++expected;
  int right = CheckSubtree(n->_right.Get(), n, expected, end, fault);
  if (right < 0) return -1;
  if (left != right) return fail("black heights differ");
  return left + (n->_color == TNode::BLACK ? 1 : 0);
}

// The red-black invariants, parent links, the shared nil node left untouched,
// and the entries exactly those of `expected` in ascending order.
void CheckTree(const Ref<TMap>& map, const std::map<int32_t, int32_t>& expected) {
  Ref<TNode> nil = TNode::Nil();
  ASSERT_EQ(nil->_color, TNode::BLACK);
  ASSERT_TRUE(nil->_parent == nullptr && nil->_left == nullptr && nil->_right == nullptr);
  ASSERT_TRUE(nil->_key == nullptr && nil->_value == nullptr);
  EXPECT_EQ(map->_root->_color, TNode::BLACK);
  auto it = expected.begin();
  std::string fault;
  EXPECT_GE(CheckSubtree(map->_root.Get(), nil.Get(), it, expected.end(), fault), 0) << fault;
  EXPECT_TRUE(it == expected.end()) << "missing key " << it->first;
  EXPECT_EQ(map->IsEmpty(), expected.empty());
  EXPECT_EQ(map->Count(), static_cast<int32_t>(expected.size()));
}

int Height(const Ref<TNode>& n) { return n->IsNil() ? 0 : 1 + std::max(Height(n->_left), Height(n->_right)); }

Ref<TMap> MapOf(std::initializer_list<int32_t> keys) {
  Ref<TMap> map = New<TMap>();
  for (int32_t k : keys) map->Insert(New<Key>(k), New<Key>(k * 10));
  return map;
}

// ---- order and look-up ----

TEST(MapOrder, StringKeysComeOutSortedByText) {
  Ref<TMap> map = New<TMap>();
  map->Insert(String("b"), String("B"));
  map->Insert(String("a"), String("A"));
  map->Insert(String("c"), String("C"));
  map->Insert(String("ab"), String("AB"));
  EXPECT_EQ(KeyTexts(map), (std::vector<std::string>{"a", "ab", "b", "c"}));
  std::vector<std::string> values;
  for (Ref<Object> v : map->Values()) values.push_back(TextOf(v));
  EXPECT_EQ(values, (std::vector<std::string>{"A", "AB", "B", "C"}));
  // Look-up with a different string object of the same text.
  EXPECT_EQ(TextOf(map->ValueForKey(String(u"ab"))), "AB");
}

TEST(MapOrder, EnumeratorsWalkAscendingAndStopAtTheEnd) {
  Ref<TMap> map = MapOf({5, 1, 4, 2, 3});
  Ref<TNodeEnumerator> keys = map->Keys()->ObjectEnumerator();
  std::vector<int32_t> seen;
  while (keys->HasNext()) seen.push_back(KeyOf(keys->NextObject()));
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(keys->NextObject(), nullptr);  // past the end: Null, and no crash

  Ref<TNodeEnumerator> nodes = map->ObjectEnumerator();
  auto first = DowncastObject<TKeyValue>(nodes->NextObject());
  ASSERT_TRUE(first);
  EXPECT_EQ(KeyOf(first->Key()), 1);
  EXPECT_EQ(KeyOf(first->Value()), 10);

  std::vector<int32_t> backwards;
  for (Ref<TNode> n = map->_LastNode(); !n->IsNil(); n = n->PrevNode()) backwards.push_back(KeyOf(n->_key));
  EXPECT_EQ(backwards, (std::vector<int32_t>{5, 4, 3, 2, 1}));
  EXPECT_TRUE(TNode::Nil()->NextNode()->IsNil());
  EXPECT_TRUE(New<TMap>()->_FirstNode()->IsNil());
  EXPECT_FALSE(New<TMap>()->ObjectEnumerator()->HasNext());
}

TEST(MapOrder, InsertingAnExistingKeyReplacesOnlyTheValue) {
  Ref<TMap> map = New<TMap>();
  String first = String::FromText("key");
  map->Insert(first, String("old"));
  map->Insert(String("other"), String("x"));
  String second = String::FromText("key");
  ASSERT_FALSE(first.SameObject(second));
  map->Insert(second, String("new"));
  EXPECT_EQ(KeyTexts(map), (std::vector<std::string>{"key", "other"}));
  EXPECT_EQ(TextOf(map->ValueForKey(String("key"))), "new");
  EXPECT_TRUE(AsString(map->_FindNode(String("key"))->_key)->SameObject(first));
}

TEST(MapOrder, CountFollowsInsertRemoveClearAndCopy) {
  Ref<TMap> map = MapOf({4, 2, 6});
  EXPECT_EQ(map->Count(), 3);
  map->Insert(New<Key>(2), nullptr);  // an existing key: the count stays
  map->Remove(New<Key>(9));           // an absent one: likewise
  EXPECT_EQ(map->Count(), 3);
  map->Remove(New<Key>(4));  // the root, which has two children
  Ref<TMap> copy = map->Copy();
  copy->Insert(New<Key>(7), nullptr);
  EXPECT_EQ(map->Count(), 2);
  EXPECT_EQ(copy->Count(), 3);
  map->Clear();
  EXPECT_EQ(map->Count(), 0);
  EXPECT_EQ(New<TMap>()->Count(), 0);
}

TEST(MapOrder, AbsentKeysGiveNullAndZero) {
  Ref<TMap> map = MapOf({1, 2, 3});
  Ref<Key> absent = New<Key>(7);
  EXPECT_EQ(map->ValueForKey(absent), nullptr);
  EXPECT_EQ(map->Contains(absent), 0);
  EXPECT_EQ(map->Remove(absent), 0);
  EXPECT_TRUE(map->_FindNode(absent)->IsNil());
  EXPECT_EQ(New<TMap>()->Remove(absent), 0);
  EXPECT_EQ(KeyNumbers(map), (std::vector<int32_t>{1, 2, 3}));
}

TEST(MapOrder, PlainObjectsOrderByIdentity) {
  std::vector<Ref<Object>> objects;
  for (int i = 0; i < 20; ++i) objects.push_back(New<Object>());
  Ref<TMap> map = New<TMap>();
  for (auto& o : objects) map->Insert(o, o);
  std::sort(objects.begin(), objects.end(), [](auto& a, auto& b) { return a.Get() < b.Get(); });
  std::vector<Ref<Object>> keys;
  for (Ref<Object> k : map->Keys()) keys.push_back(k);
  EXPECT_EQ(keys, objects);
  EXPECT_EQ(map->ValueForKey(objects[3]), objects[3]);
  EXPECT_EQ(map->Contains(New<Object>()), 0);  // a different object, though alike
}

TEST(MapOrder, NullIsAKeyBelowEveryObject) {
  Ref<TMap> map = New<TMap>();
  EXPECT_EQ(map->ValueForKey(nullptr), nullptr);
  map->Insert(String("a"), String("A"));
  map->Insert(nullptr, String("none"));
  map->Insert(String("b"), String("B"));
  EXPECT_EQ(TextOf(map->ValueForKey(nullptr)), "none");
  EXPECT_EQ(map->_FirstNode()->_key, nullptr);
  EXPECT_EQ(map->Remove(nullptr), 1);
  EXPECT_EQ(KeyTexts(map), (std::vector<std::string>{"a", "b"}));
}

// ---- removal ----

TEST(MapRemove, ANodeWithTwoChildrenTakesItsPredecessor) {
  Ref<TMap> map = MapOf({2, 1, 3});
  Ref<TNode> root = map->_root;
  ASSERT_EQ(KeyOf(root->_key), 2);
  ASSERT_FALSE(root->_left->IsNil());
  ASSERT_FALSE(root->_right->IsNil());
  EXPECT_EQ(map->Remove(New<Key>(2)), 1);
  // The same node object stays at the root holding 1's key and value.
  EXPECT_EQ(map->_root, root);
  EXPECT_EQ(KeyOf(root->_key), 1);
  EXPECT_EQ(KeyOf(root->_value), 10);
  EXPECT_EQ(KeyNumbers(map), (std::vector<int32_t>{1, 3}));
  CheckTree(map, {{1, 10}, {3, 30}});
}

TEST(MapRemove, RemovingTheEntryJustReturnedDuringAWalkIsSafe) {
  Ref<TMap> map = New<TMap>();
  std::map<int32_t, int32_t> expected;
  for (int32_t k = 0; k < 50; ++k) {
    map->Insert(New<Key>(k), New<Key>(k));
    expected[k] = k;
  }
  std::vector<int32_t> seen;
  for (const Ref<TNode>& n : *map) {
    int32_t k = KeyOf(n->_key);
    seen.push_back(k);
    if (k % 3 != 0) {
      EXPECT_EQ(map->Remove(n->_key), 1);
      expected.erase(k);
    }
  }
  EXPECT_EQ(seen.size(), 50u);
  CheckTree(map, expected);
}

TEST(MapRemove, AWalkParkedOnARemovedNodeEnds) {
  Ref<TMap> map = New<TMap>();
  for (int32_t k = 0; k < 30; ++k) map->Insert(New<Key>(k), New<Key>(k));
  // Remove the entry the walk is parked on at every step: the walk may skip or
  // repeat, but it must end and hand out only keys that were in the map.
  Ref<TNodeEnumerator> e = map->Keys()->ObjectEnumerator();
  int steps = 0;
  while (e->HasNext() && steps < 1000) {
    int32_t k = KeyOf(e->NextObject());
    EXPECT_GE(k, 0);
    EXPECT_LT(k, 30);
    if (e->HasNext()) map->Remove(e->_node->_key);
    ++steps;
  }
  EXPECT_LT(steps, 1000);
}

// ---- copies, clearing, lifetime ----

TEST(MapCopy, SameShapeSharedEntriesIndependentTrees) {
  Ref<TMap> map = MapOf({8, 3, 10, 1, 6, 14, 4, 7, 13});
  Ref<TMap> copy = map->Copy();
  EXPECT_EQ(Shape(copy->_root), Shape(map->_root));
  EXPECT_NE(copy->_root, map->_root);
  for (Ref<TNode> a = map->_FirstNode(), b = copy->_FirstNode(); !a->IsNil(); a = a->NextNode(), b = b->NextNode()) {
    EXPECT_NE(a, b);
    EXPECT_EQ(a->_key, b->_key);
    EXPECT_EQ(a->_value, b->_value);
  }
  copy->Insert(New<Key>(5), New<Key>(50));
  map->Remove(New<Key>(8));
  EXPECT_EQ(KeyNumbers(map), (std::vector<int32_t>{1, 3, 4, 6, 7, 10, 13, 14}));
  EXPECT_EQ(KeyNumbers(copy), (std::vector<int32_t>{1, 3, 4, 5, 6, 7, 8, 10, 13, 14}));
  CheckTree(copy, {{1, 10}, {3, 30}, {4, 40}, {5, 50}, {6, 60}, {7, 70}, {8, 80}, {10, 100}, {13, 130}, {14, 140}});
  EXPECT_TRUE(New<TMap>()->Copy()->IsEmpty());
}

TEST(MapLifetime, ClearAndDestructionReleaseEveryEntry) {
  ASSERT_EQ(liveKeys, 0);
  {
    Ref<TMap> map = New<TMap>();
    for (int32_t k = 0; k < 100; ++k) map->Insert(New<Key>(k), New<Key>(-k));
    Ref<TMap> copy = map->Copy();
    EXPECT_EQ(map->Clear(), 0);
    EXPECT_TRUE(map->IsEmpty());
    EXPECT_TRUE(map->_root->IsNil());
    EXPECT_EQ(liveKeys, 200);  // the copy still shares them
    map->Insert(New<Key>(1), nullptr);
    EXPECT_EQ(KeyNumbers(map), (std::vector<int32_t>{1}));
  }
  EXPECT_EQ(liveKeys, 0);  // the parent links did not keep the trees alive
}

TEST(MapLifetime, AnEnumeratorKeepsItsMapUntilTheWalkEnds) {
  Ref<TNodeEnumerator> e;
  {
    Ref<TMap> map = MapOf({1, 2, 3});
    e = map->ObjectEnumerator();
  }
  EXPECT_EQ(liveKeys, 6);  // the map outlives its last reference while walked
  std::vector<int32_t> seen;
  while (e->HasNext()) seen.push_back(KeyOf(DowncastObject<TNode>(e->NextObject())->_key));
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(liveKeys, 0);  // the walk has ended: the map has gone with it
  EXPECT_EQ(e->NextObject(), nullptr);
}

// A map of the keys "a", "b" and "c" that nobody else holds: a walk over it
// is all that keeps it.
Ref<TMap> FreshMap() {
  Ref<TMap> map = New<TMap>();
  for (const char* k : {"c", "a", "b"}) map->Insert(String(k), String(k) + String("!"));
  return map;
}

TEST(MapLifetime, WalksOverAMapReleasedMeanwhileGiveEveryEntry) {
  const std::vector<std::string> all{"a", "b", "c"};
  std::vector<std::string> keys, values, nodes, enumerated, dropped;
  for (Ref<Object> k : FreshMap()->Keys()) keys.push_back(TextOf(k));
  for (Ref<Object> v : FreshMap()->Values()) values.push_back(TextOf(v));
  for (Ref<TNodeEnumerator> e = FreshMap()->ObjectEnumerator(); e->HasNext();)
    nodes.push_back(TextOf(DowncastObject<TNode>(e->NextObject())->_key));
  for (Ref<TNodeEnumerator> e = FreshMap()->Values()->ObjectEnumerator(); e->HasNext();)
    enumerated.push_back(TextOf(e->NextObject()));
  // The owner lets go of the map in the middle of a range-for over its nodes.
  Ref<TMap> map = FreshMap();
  for (const Ref<TNode>& n : *map) {
    dropped.push_back(TextOf(n->_key));
    map = nullptr;
  }
  EXPECT_EQ(keys, all);
  EXPECT_EQ(values, (std::vector<std::string>{"a!", "b!", "c!"}));
  EXPECT_EQ(nodes, all);
  EXPECT_EQ(enumerated, values);
  EXPECT_EQ(dropped, all);
}

TEST(MapLifetime, AHugeMapIsBalancedAndGoesQuietly) {
  Ref<TMap> map = New<TMap>();
  constexpr int32_t n = 200000;
  for (int32_t k = 0; k < n; ++k) map->Insert(New<Key>(k), nullptr);  // ascending: the worst order unbalanced
  EXPECT_LE(Height(map->_root), 2 * 18);                              // 2 log2(n + 1)
  EXPECT_EQ(KeyOf(map->_LastNode()->_key), n - 1);
  map = nullptr;
  EXPECT_EQ(liveKeys, 0);
}

// ---- failing compares ----

TEST(MapFailure, ACompareThatThrowsLeavesTheMapAsItWas) {
  Ref<TMap> map = New<TMap>();
  std::map<int32_t, int32_t> expected;
  for (int32_t k = 0; k < 40; k += 2) {
    map->Insert(New<Key>(k), New<Key>(k));
    expected[k] = k;
  }
  std::string before = Shape(map->_root);
  // Throw at the first, second, ... comparison of each search, as long as the
  // search makes that many.
  auto failEach = [&](const std::function<void()>& change) {
    int throws = 0;
    for (int32_t after = 0;; ++after) {
      Key::throwAfter = after;
      try {
        change();
        Key::throwAfter = -1;
        break;
      } catch (const ThrownObject&) {
        Key::throwAfter = -1;
        ++throws;
      }
      EXPECT_EQ(Shape(map->_root), before);
      CheckTree(map, expected);
    }
    return throws;
  };
  EXPECT_GE(failEach([&] { map->Insert(New<Key>(13), New<Key>(13)); }), 4);
  expected[13] = 13;
  CheckTree(map, expected);
  before = Shape(map->_root);
  EXPECT_GE(failEach([&] { map->Remove(New<Key>(14)); }), 1);
  expected.erase(14);
  CheckTree(map, expected);
}

// ---- randomised against std::map ----

TEST(MapRandom, MixedInsertsAndRemovesKeepTheInvariants) {
  Ref<TMap> map = New<TMap>();
  std::map<int32_t, int32_t> expected;
  std::vector<Ref<Key>> keys;  // one key object per number, shared like real keys
  for (int32_t k = 0; k < 1000; ++k) keys.push_back(New<Key>(k));
  std::mt19937 rng(13);
  for (int step = 0; step < 100000; ++step) {
    int32_t k = static_cast<int32_t>(rng() % 1000);
    // Lean towards inserts early and removals late so the size sweeps up and down.
    bool insert = rng() % 100 < (step % 20000 < 10000 ? 65u : 35u);
    if (insert) {
      int32_t v = static_cast<int32_t>(rng() % 100000);
      map->Insert(New<Key>(k), keys[v % 1000]);  // a fresh but equal key object
      expected[k] = v % 1000;
    } else {
      EXPECT_EQ(map->Remove(keys[k]), static_cast<int32_t>(expected.erase(k)));
    }
    CheckTree(map, expected);
    if (HasFailure()) FAIL() << "at step " << step << (insert ? " inserting " : " removing ") << k;
  }
}

// ---- class records ----

TEST(MapClasses, RegisteredWithTheirBases) {
  InitRuntime();
  const ClassRecord* node = FindClassRecord(typeid(TNode));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->base->BareName(), "TKeyValue");
  const ClassRecord* keys = FindClassRecord(typeid(TKeyEnumerator));
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->base->BareName(), "TNodeEnumerator");
  EXPECT_EQ(New<TMap>()->Class().BareName(), "TMap");
}

}  // namespace
