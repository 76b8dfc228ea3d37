// Every class the framework and the game register, walked through
// reflection: each declared field and method must resolve, and each field
// must read on a fresh object.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/framework.h"
#include "game/game.h"

namespace vtl {
namespace {

int32_t CountDeclarations(const ClassRecord& cls, Declaration::Kind kind) {
  int32_t n = 0;
  for (const Declaration& d : cls.declarations) n += d.kind == kind;
  return n;
}

class ReflectWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFramework();
    game::ResetGameState();  // registers the game's classes and makes the unit list
  }
};

TEST_F(ReflectWalk, FrameworkAndGameClassesAreFoundByName) {
  for (const char* name : {"TList", "TMap", "TPixmap", "TImage", "TStream", "TBank", "TTypeId", "TUnit"}) {
    Ref<TTypeId> t = TTypeId::ForName(name);
    ASSERT_TRUE(t) << name;
    EXPECT_TRUE(t->_class) << name;
  }
  Ref<TTypeId> unit = TTypeId::ForName("tunit");
  std::vector<std::string> names;
  Ref<TList> fields = unit->EnumFields(nullptr);
  for (Ref<TField> f : fields->Each<TField>()) names.push_back(f->Name().ToUtf8());
  EXPECT_EQ(names, (std::vector<std::string>{"N", "fra", "hp", "max_hp", "dmg", "m", "X", "Y", "hand", "richt", "m_t",
                                             "m_d", "Frame"}));
  Ref<game::TUnit> made = DowncastObject<game::TUnit>(unit->NewObject());
  ASSERT_TRUE(made);
  EXPECT_TRUE(game::UnitList->Contains(made));  // its constructor ran
  unit->FindField("max_hp")->SetInt(made, 30);
  unit->FindField("n")->SetString(made, "KARL");
  EXPECT_EQ(made->max_hp, 30);
  EXPECT_EQ(made->N, String("KARL"));
  unit->FindMethod("del")->Invoke(made, nullptr);
  EXPECT_FALSE(game::UnitList->Contains(made));
}

TEST_F(ReflectWalk, EveryDeclarationResolvesAndEveryFieldReads) {
  Ref<TList> types = TTypeId::EnumTypes();
  int32_t classes = 0, made = 0, reads = 0;
  for (Ref<TTypeId> t : types->Each<TTypeId>()) {
    if (!t->_class) continue;
    ++classes;
    const std::string name = t->Name().ToUtf8();
    EXPECT_EQ(t->Fields()->Count(), CountDeclarations(*t->_class, Declaration::Kind::Field)) << name;
    EXPECT_EQ(t->Methods()->Count(), CountDeclarations(*t->_class, Declaration::Kind::Method)) << name;
    EXPECT_TRUE(t == TTypeId::ForName("Object") || t->SuperType()) << name;
    for (Ref<TField> f : t->Fields()->Each<TField>()) {
      EXPECT_TRUE(f->TypeId()) << name << "." << f->Name();
      EXPECT_NO_THROW(f->TypeId()->Tag()) << name << "." << f->Name();
    }
    for (Ref<TMethod> m : t->Methods()->Each<TMethod>()) {
      for (const Ref<TTypeId>& arg : *m->ArgTypes()) EXPECT_TRUE(arg) << name << "." << m->Name();
    }
    if (!t->_class->create) continue;
    Ref<Object> object = t->NewObject();
    ASSERT_TRUE(object) << name;
    ++made;
    EXPECT_EQ(TTypeId::ForObject(object), t) << name;
    Ref<TList> fields = t->EnumFields(nullptr);
    for (Ref<TField> f : fields->Each<TField>()) {
      try {
        f->Get(object);
        ++reads;
      } catch (const ThrownObject& e) {
        ADD_FAILURE() << name << "." << f->Name() << ": " << e.what();
      }
    }
  }
  EXPECT_GT(classes, 60);
  EXPECT_GT(made, 30);
  EXPECT_GT(reads, 100);
}

// The records whose C++ type is a base of the record's own (isBaseOf at the
// type level; isInstance, a dynamic_cast, on an object) must be exactly the
// record's chain up to Object: no chain skips a registered C++ base or names
// one the class lacks. One object of every record that can make one also
// reports that record as its class.
TEST_F(ReflectWalk, EveryRecordsChainIsItsCxxChain) {
  // Records made by hand (a test's own) may lack the hooks; ClassBuilder's have them.
  std::vector<const ClassRecord*> records = RegisteredClasses();
  std::erase_if(records, [](const ClassRecord* r) { return !r->isBaseOf || !r->isInstance || !r->type; });
  int32_t made = 0;
  for (const ClassRecord* record : records) {
    const std::string name(record->BareName());
    std::set<std::string> chain, basesOf;
    for (const ClassRecord* r = record; r; r = r->base) chain.emplace(r->BareName());
    for (const ClassRecord* r : records) {
      if (r->isBaseOf(*record)) basesOf.emplace(r->BareName());
    }
    EXPECT_EQ(basesOf, chain) << name;
    if (!record->create) continue;
    Ref<Object> object = record->create();
    ASSERT_TRUE(object) << name;
    ++made;
    EXPECT_EQ(&object->Class(), record) << name << " makes a " << object->Class().BareName();
    const Object& instance = *object;
    EXPECT_TRUE(*record->type == typeid(instance)) << name;
    std::set<std::string> instanceOf;
    for (const ClassRecord* r : records) {
      if (r->isInstance(object.Get())) instanceOf.emplace(r->BareName());
    }
    EXPECT_EQ(instanceOf, chain) << name;
  }
  EXPECT_GT(made, 30);
}

}  // namespace
}  // namespace vtl
