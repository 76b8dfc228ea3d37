// Lists and data statements, no window: a table of monsters compiled into the
// program is read with data statements into a TList, which is sorted,
// walked, changed during a walk and searched.
//   example_lists_data
#include <iostream>

#include "framework/framework.h"

namespace {

using namespace vtl;

// Name, hit points, speed; an empty name ends the table.
// clang-format off
constexpr DataItem kMonsters[] = {
    "Goblin", 7, 1.5f,
    "Troll", 30, 0.5f,
    "Bat", 3, 3.0f,
    "Ghoul", 12, 1.0f,
    "Wyrm", 45, 0.75f,
    "", EndOfData};
// clang-format on
constexpr DataLabel Monsters{kMonsters};
// Items convert by their own tag: a "$" string reads as hexadecimal, a float truncates.
constexpr DataItem kConversions[] = {"$1F", 2.75f, DataItem::Byte(200), EndOfData};
constexpr DataLabel Conversions{kConversions};

class TMonster : public Object {
 public:
  TMonster(const String& name, int32_t hp, float speed) : name(name), hp(hp), speed(speed) {}
  String ToString() const override { return name + " (" + StringFromInt(hp) + " hp)"; }
  // Sorting a list uses Compare: monsters order by hit points.
  int32_t Compare(const Ref<Object>& other) const override {
    Ref<TMonster> m = DowncastObject<TMonster>(other);
    return m == nullptr ? Object::Compare(other) : hp - m->hp;
  }

  String name;
  int32_t hp;
  float speed;
};

void Print(const String& title, const Ref<TList>& list) {
  std::cout << title << ":";
  for (Ref<Object> value : *list) std::cout << " " << value->ToString() << ";";
  std::cout << " (" << list->Count() << ")\n";
}

void Main() {
  InitFramework();
  Ref<TList> monsters = CreateList();
  RestoreData(Monsters);
  for (String name = ReadDataString(); name.Length() > 0; name = ReadDataString()) {
    const int32_t hp = ReadDataInt();
    monsters->AddLast(New<TMonster>(name, hp, ReadDataFloat()));
  }
  Print("read", monsters);

  monsters->Sort();
  Print("sorted by hp", monsters);
  monsters->Sort(0);
  Print("strongest first", monsters);

  // Removing the element just returned is safe in the middle of a walk.
  for (Ref<TMonster> m : monsters->Each<TMonster>()) {
    if (m->speed >= 1.5f) monsters->Remove(m);
  }
  Print("without the fast ones", monsters);

  Ref<TMonster> first = DowncastObject<TMonster>(monsters->First());
  monsters->InsertAfterLink(New<TMonster>("Imp", 5, 2.0f), monsters->FindLink(first));
  Print("an imp after the first", monsters);
  std::cout << "third: " << monsters->ValueAtIndex(2)->ToString() << "\n";

  // Strings are objects too, and sort by their text.
  Ref<TList> names = CreateList();
  for (Ref<TMonster> m : monsters->Each<TMonster>()) names->AddFirst(m->name);
  names->Sort();
  Print("names", names);
  for (const char* name : {"Troll", "Bat"})
    std::cout << name << (names->Contains(String(name)) ? " is" : " is not") << " there\n";

  try {
    names->ValueAtIndex(10);
  } catch (const ThrownObject& thrown) {
    std::cout << "index 10: " << thrown.what() << "\n";
  }

  RestoreData(Conversions);
  std::cout << "\"$1F\" as int: " << ReadDataInt() << ", 2.75 as int: " << ReadDataInt()
            << ", byte as string: " << ReadDataString() << "\n";
  try {
    ReadDataInt();
  } catch (const ThrownObject& thrown) {
    std::cout << "past the end: " << thrown.what() << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
