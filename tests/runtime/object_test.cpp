#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

int liveCount = 0;

class Tracked : public Object {
 public:
  Tracked() { ++liveCount; }
  ~Tracked() override { --liveCount; }
  int32_t hp = 0;
  float speed = 0;
  String name;
  Ref<Tracked> friend_;
  int32_t Heal(int32_t amount, float factor) { return hp += static_cast<int32_t>(amount * factor); }
  String Greet(const String& other) const { return ConcatStrings(name, other); }
};

class Derived : public Tracked {};

// Registered only by the refusal test, each in its own way.
class Unlisted : public Object {};
class Orphan : public Unlisted {};
class Adopted : public Unlisted {};

// For the refusals of records whose chain would not be the C++ chain.
class Twice : public Object {};
class Tier0 : public Object {};
class Tier1 : public Tier0 {};
class Tier2 : public Tier1 {};
class AbstractTier2 : public Tier1 {
 public:
  virtual void Act() = 0;
};
class Skipped : public Tier0 {};
class Skipper : public Skipped {};

class Abstract : public Object {
 public:
  virtual int32_t Speak() { ThrowNullMethod(); }
};

template <class F>
Ref<Object> Caught(F&& f) {
  try {
    f();
  } catch (const ThrownObject& t) {
    return t.object;
  }
  return nullptr;
}

TEST(ObjectModel, ReferencesCountAndRelease) {
  {
    Ref<Tracked> a = New<Tracked>();
    EXPECT_EQ(a->RefCount(), 1);
    Ref<Object> b = a;
    EXPECT_EQ(a->RefCount(), 2);
    Ref<Tracked> c = std::move(a);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(c->RefCount(), 2);
    EXPECT_EQ(liveCount, 1);
  }
  EXPECT_EQ(liveCount, 0);
}

// A permanent object's count stays as it is, so threads may share it (the
// empty string is one); marking it again changes nothing either.
TEST(ObjectModel, PermanentObjectKeepsItsCount) {
  class Shared : public Object {};
  static Ref<Shared> kept = New<Shared>();  // reachable to the end: not a leak
  kept->MakePermanent();
  const int32_t count = kept->RefCount();
  {
    Ref<Object> b = kept;
    Ref<Object> c = b;
    EXPECT_EQ(kept->RefCount(), count);
  }
  kept->MakePermanent();
  EXPECT_EQ(kept->RefCount(), count);
  EXPECT_GT(count, 0);
}

// Last-release work runs once, while virtual calls still reach the derived
// class, and may keep the object by storing a reference.
class Keeper : public Tracked {
 public:
  static inline int lastReleases = 0;
  static inline Ref<Object> kept;
  bool keepOnce = false;
  virtual void Note() { ++lastReleases; }

 protected:
  void OnLastRelease() noexcept override {
    Note();
    if (keepOnce) kept = Ref<Object>(this);
  }
};

class DerivedKeeper : public Keeper {
 public:
  static inline int derivedNotes = 0;
  void Note() override {
    ++derivedNotes;
    Keeper::Note();
  }
};

TEST(ObjectModel, LastReleaseWorkRunsOnceOnTheWholeObject) {
  Keeper::lastReleases = DerivedKeeper::derivedNotes = 0;
  New<DerivedKeeper>();
  EXPECT_EQ(DerivedKeeper::derivedNotes, 1);
  EXPECT_EQ(liveCount, 0);

  auto keeper = New<Keeper>();
  keeper->keepOnce = true;
  keeper = nullptr;
  EXPECT_EQ(Keeper::lastReleases, 2);
  ASSERT_NE(Keeper::kept, nullptr);
  EXPECT_EQ(Keeper::kept->RefCount(), 1);
  EXPECT_EQ(liveCount, 1);
  Keeper::kept = nullptr;  // the second last release only deletes
  EXPECT_EQ(Keeper::lastReleases, 2);
  EXPECT_EQ(liveCount, 0);
}

TEST(ObjectModel, NullObjectThrowsInsteadOfCrashing) {
  Ref<Tracked> none;
  auto thrown = Caught([&] { none->hp = 3; });
  ASSERT_TRUE(DowncastObject<TNullObjectException>(thrown));
  EXPECT_EQ(thrown->ToString(), String("Attempt to access field or method of Null object"));
  EXPECT_TRUE(DowncastObject<TQuornException>(thrown));
}

TEST(ObjectModel, DowncastFollowsTheClassChain) {
  Ref<Object> d = New<Derived>();
  EXPECT_TRUE(DowncastObject<Tracked>(d));
  EXPECT_TRUE(DowncastObject<Derived>(d));
  EXPECT_FALSE(DowncastObject<TList>(d));
  EXPECT_FALSE(DowncastObject<Tracked>(Ref<Object>()));
  Ref<Object> s = String("text");
  EXPECT_TRUE(AsString(s).has_value());
  EXPECT_FALSE(AsString(d).has_value());
}

TEST(ObjectModel, BaseCompareIsIdentityAndStringsCompareByText) {
  auto a = New<Tracked>();
  auto b = New<Tracked>();
  EXPECT_EQ(a->Compare(a), 0);
  EXPECT_EQ(a->Compare(b), -b->Compare(a));
  EXPECT_NE(a->Compare(b), 0);
  Ref<Object> x = String("same");
  Ref<Object> y = String("same");
  EXPECT_EQ(x->Compare(y), 0);
  EXPECT_EQ(a->SendMessage(x, y), nullptr);
}

TEST(ObjectModel, AbstractSlotsAndUnsetFunctionsThrowTheirExceptions) {
  auto abstract = New<Abstract>();
  auto thrown = Caught([&] { abstract->Speak(); });
  EXPECT_EQ(thrown->ToString(), String("Attempt to call abstract method"));

  Function<int32_t(int32_t)> fn;
  EXPECT_FALSE(fn.IsSet());
  thrown = Caught([&] { fn(1); });
  ASSERT_TRUE(DowncastObject<TNullFunctionException>(thrown));
  EXPECT_EQ(thrown->ToString(), String("Attempt to call uninitialized function pointer"));
  fn = [](int32_t x) { return x * 2; };
  EXPECT_EQ(fn(21), 42);

  auto table = NewArray<Function<void()>>({2});
  EXPECT_TRUE(DowncastObject<TNullFunctionException>(Caught([&] { (*table)[1](); })));
}

TEST(ObjectModel, ThrowCarriesAnyObjectAndRuntimeErrorItsText) {
  auto payload = New<Tracked>();
  auto thrown = Caught([&] { Throw(payload); });
  EXPECT_EQ(thrown, payload);
  try {
    RuntimeError("broken");
  } catch (const ThrownObject& t) {
    EXPECT_STREQ(t.what(), "broken");
    auto e = DowncastObject<TRuntimeException>(t.object);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->error, String("broken"));
  }
  EXPECT_EQ(TRuntimeException::Create("")->ToString(), String(""));
}

// A chain member in miniature: every whole instance made by New joins.
class Joiner : public Object {
 public:
  static std::vector<Object*>& Joined() {
    static std::vector<Object*> joined;
    return joined;
  }
  static void AfterNew(const Ref<Joiner>& made) { Joined().push_back(made.Get()); }
};
class WholeJoiner : public Joiner {};
class FailingJoiner : public Joiner {
 public:
  FailingJoiner() { RuntimeError("no"); }
};

TEST(ObjectModel, NewRunsTheAfterNewHookOnlyForWholeObjects) {
  Joiner::Joined().clear();
  auto whole = New<WholeJoiner>();
  EXPECT_THROW(New<FailingJoiner>(), ThrownObject);
  ASSERT_EQ(Joiner::Joined().size(), 1u);
  EXPECT_EQ(Joiner::Joined()[0], whole.Get());
  New<Tracked>();  // classes without the hook are made as before
  EXPECT_EQ(Joiner::Joined().size(), 1u);
}

TEST(Arrays, StartEmptyAndCheckEveryIndex) {
  auto ints = NewArray<int32_t>({3, 4});
  EXPECT_EQ(ints->Length(), 12);
  EXPECT_EQ(ints->Dimensions(), (std::vector<int32_t>{3, 4}));
  for (int32_t v : *ints) EXPECT_EQ(v, 0);
  ints->At(2, 1) = 7;
  EXPECT_EQ((*ints)[2 * 4 + 1], 7);  // last index fastest
  EXPECT_TRUE(DowncastObject<TArrayBoundsException>(Caught([&] { ints->At(3, 0); })));
  EXPECT_TRUE(DowncastObject<TArrayBoundsException>(Caught([&] { ints->At(0, -1); })));
  EXPECT_TRUE(DowncastObject<TArrayBoundsException>(Caught([&] { ints->At(1); })));
  EXPECT_TRUE(DowncastObject<TArrayBoundsException>(Caught([&] { (*ints)[12]; })));
  EXPECT_EQ(ints->ElementTag(), "i");

  auto strings = NewArray<String>({2});
  EXPECT_EQ((*strings)[1].Length(), 0);
  EXPECT_EQ(strings->ElementTag(), "$");
  auto objects = NewArray<Ref<Tracked>>({2});
  EXPECT_EQ((*objects)[0], nullptr);
  EXPECT_EQ(NewArray<Ref<Array<float>>>({1})->ElementTag(), "[]f");

  EXPECT_TRUE(DowncastObject<TRuntimeException>(Caught([] { NewArray<int32_t>({-1}); })));
  EXPECT_TRUE(DowncastObject<TRuntimeException>(Caught([] { NewArray<int32_t>({65536, 65536}); })));
  EXPECT_EQ(NewArray<int32_t>({0})->Length(), 0);
}

TEST(ClassRecords, DescribeFieldsAndMethodsForReflection) {
  InitRuntime();
  const ClassRecord& tracked = ClassBuilder<Tracked, Object>("Tracked{max=100 unit=\"hp\"}")
                                   .Field<&Tracked::hp>("hp")
                                   .Field<&Tracked::speed>("speed", "slow")
                                   .Field<&Tracked::name>("name")
                                   .Field<&Tracked::friend_>("friend")
                                   .Method<&Tracked::Heal>("Heal")
                                   .Method<&Tracked::Greet>("Greet")
                                   .Register();
  EXPECT_EQ(tracked.BareName(), "Tracked");
  EXPECT_EQ(tracked.MetaData(), "max=100 unit=\"hp\"");
  EXPECT_EQ(tracked.base, &ObjectClassRecord());
  const auto& d = tracked.declarations;
  ASSERT_EQ(d.size(), 6u);
  EXPECT_EQ(d[0].Tag(), "i");
  EXPECT_EQ(d[1].Tag(), "f{slow}");
  EXPECT_EQ(d[2].Tag(), "$");
  EXPECT_EQ(d[3].Tag(), ":Tracked");
  EXPECT_EQ(d[4].Tag(), "(i,f)i");
  EXPECT_EQ(d[5].Tag(), "($)$");
  EXPECT_EQ(d[4].position, 0);
  EXPECT_EQ(d[5].position, 1);

  Ref<Object> made = tracked.create();
  auto t = DowncastObject<Tracked>(made);
  ASSERT_TRUE(t);
  d[0].set(*t, Value{-3, 0, nullptr});
  EXPECT_EQ(t->hp, -3);
  EXPECT_EQ(d[0].get(*t).i, -3);
  d[2].set(*t, Value{0, 0, String("Ada")});
  Value args[] = {Value{4, 0, nullptr}, Value{0, 2.5, nullptr}};
  EXPECT_EQ(d[4].invoke(t.Get(), std::span<const Value>(args)).i, 7);
  Value greet[] = {Value{0, 0, String("!")}};
  EXPECT_EQ(AsString(d[5].invoke(t.Get(), std::span<const Value>(greet)).o), String("Ada!"));
  // An object of the wrong class is refused, not stored, and so is a call
  // with the wrong count; the text stays "ERROR", the detail says why.
  auto wrongClass = DowncastObject<TRuntimeException>(Caught([&] { d[3].set(*t, Value{0, 0, New<TList>()}); }));
  ASSERT_TRUE(wrongClass);
  EXPECT_EQ(wrongClass->error, String("ERROR"));
  EXPECT_EQ(wrongClass->detail, String("A slot of type Tracked cannot hold the given TList"));
  auto wrongCount = DowncastObject<TRuntimeException>(Caught([&] { d[4].invoke(t.Get(), std::span(args, 1)); }));
  ASSERT_TRUE(wrongCount);
  EXPECT_EQ(wrongCount->error, String("ERROR"));
  EXPECT_EQ(wrongCount->detail, String("A method of Tracked takes 2 arguments; 1 was given"));
  EXPECT_EQ(TypeNameOfObject(*NewArray<Ref<Array<uint8_t>>>({1})), "Byte[][]");
  EXPECT_EQ(TypeNameOfTag(":vtl.linkedlist.TList"), "TList");

  // Derived has no record: it reports its nearest registered ancestor.
  EXPECT_EQ(&New<Derived>()->Class(), &tracked);
  EXPECT_EQ(New<TList>()->Class().BareName(), "TList");
  EXPECT_EQ(New<TList>()->Class().base->BareName(), "TData");
  EXPECT_EQ(New<Derived>()->ToString(), String("Tracked"));
}

TEST(ClassRecords, RuntimeRegistersItsClassesInOrder) {
  InitRuntime();
  std::vector<std::string> names;
  for (const ClassRecord* r : RegisteredClasses()) names.emplace_back(r->BareName());
  auto at = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_EQ(names.front(), "Object");
  EXPECT_LT(at("TQuornException"), at("TNullObjectException"));
  EXPECT_LT(at("TOutOfDataException"), at("TRuntimeException"));
  EXPECT_LT(at("TRuntimeException"), static_cast<long>(names.size()));
  EXPECT_LT(at("TList"), static_cast<long>(names.size()));
}

TEST(ClassRecords, BuilderRefusesABaseWithoutARecord) {
  InitRuntime();
  ASSERT_EQ(FindClassRecord(typeid(Unlisted)), nullptr);
  Ref<TRuntimeException> refused;
  try {
    ClassBuilder<Orphan, Unlisted>("Orphan{kind=1}").Register();
  } catch (const ThrownObject& t) {
    refused = DowncastObject<TRuntimeException>(t.object);
  }
  ASSERT_TRUE(refused);
  std::string text = refused->error.ToUtf8();
  EXPECT_NE(text.find("Orphan:"), std::string::npos) << text;  // the bare name, without metadata
  EXPECT_EQ(text.find("kind=1"), std::string::npos) << text;
  EXPECT_NE(text.find("Unlisted"), std::string::npos) << text;
  // Nothing was registered, so the class can still get its proper chain.
  EXPECT_EQ(FindClassRecord(typeid(Orphan)), nullptr);

  const ClassRecord& base = ClassBuilder<Unlisted, Object>("Unlisted").Register();
  const ClassRecord& adopted = ClassBuilder<Adopted, Unlisted>("Adopted").Register();
  EXPECT_EQ(adopted.base, &base);
  EXPECT_EQ(&New<Adopted>()->Class(), &adopted);
  EXPECT_TRUE(adopted.Extends(base));
}

// The refusal's text, or "" when call registered without one.
std::string RefusalText(const std::function<void()>& call) {
  Ref<TRuntimeException> e = DowncastObject<TRuntimeException>(Caught(call));
  return e ? e->error.ToUtf8() : std::string();
}

TEST(ClassRecords, TheSameTypeAgainMustMeanTheSameRecord) {
  InitRuntime();
  const ClassRecord& first = ClassBuilder<Twice, Object>("Twice{v=1}").Register();
  EXPECT_EQ((&ClassBuilder<Twice, Object>("Twice{v=1}").Register()), &first);  // harmless again

  std::string text = RefusalText([] { ClassBuilder<Twice, Object>("Twice{v=2}").Register(); });
  EXPECT_NE(text.find("'Twice{v=2}'"), std::string::npos) << text;
  EXPECT_NE(text.find("'Twice{v=1}'"), std::string::npos) << text;
  // A record made by hand with another base is refused the same way.
  const ClassRecord& tier0 = ClassBuilder<Tier0, Object>("Tier0").Register();
  ClassRecord rebased;
  rebased.name = "Twice{v=1}";
  rebased.type = &typeid(Twice);
  rebased.base = &tier0;
  text = RefusalText([&] { RegisterClass(std::move(rebased)); });
  EXPECT_NE(text.find("base Tier0"), std::string::npos) << text;
  EXPECT_NE(text.find("base Object"), std::string::npos) << text;
  EXPECT_EQ(FindClassRecord(typeid(Twice)), &first);
  EXPECT_EQ(&New<Twice>()->Class(), &first);
}

TEST(ClassRecords, ARegisteredClassInBetweenMustBeTheBase) {
  InitRuntime();
  const ClassRecord& tier0 = ClassBuilder<Tier0, Object>("Tier0").Register();
  const ClassRecord& tier1 = ClassBuilder<Tier1, Tier0>("Tier1").Register();

  // The nearest registered class in between is named, however far up the
  // declared base is; abstract classes are checked as well.
  std::string text = RefusalText([] { ClassBuilder<Tier2, Tier0>("Tier2").Register(); });
  EXPECT_NE(text.find("Tier2 with base Tier0"), std::string::npos) << text;
  EXPECT_NE(text.find("is Tier1"), std::string::npos) << text;
  text = RefusalText([] { ClassBuilder<Tier2, Object>("Tier2").Register(); });
  EXPECT_NE(text.find("is Tier1"), std::string::npos) << text;
  text = RefusalText([] { ClassBuilder<AbstractTier2, Tier0>("AbstractTier2").Register(); });
  EXPECT_NE(text.find("is Tier1"), std::string::npos) << text;
  // Nothing was kept, so each can still be registered with its true base.
  EXPECT_EQ(FindClassRecord(typeid(Tier2)), nullptr);
  EXPECT_EQ((ClassBuilder<Tier2, Tier1>("Tier2").Register().base), &tier1);
  EXPECT_EQ((ClassBuilder<AbstractTier2, Tier1>("AbstractTier2").Register().base), &tier1);

  // A class registered after a class derived from it would be skipped by
  // that class's record: refused too.
  const ClassRecord& skipper = ClassBuilder<Skipper, Tier0>("Skipper").Register();
  text = RefusalText([] { ClassBuilder<Skipped, Tier0>("Skipped").Register(); });
  EXPECT_NE(text.find("Skipped with base Tier0"), std::string::npos) << text;
  EXPECT_NE(text.find("Skipper"), std::string::npos) << text;
  EXPECT_EQ(FindClassRecord(typeid(Skipped)), nullptr);
  EXPECT_EQ(&New<Skipper>()->Class(), &skipper);
  EXPECT_TRUE(skipper.Extends(tier0));
}

}  // namespace
