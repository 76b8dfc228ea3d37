// Reflection, no window: a class registers its record with metadata on the
// class and its fields; the program finds the class by name, lists its
// fields with their types and metadata, sets them by name and calls a method
// by name with arguments given as text.
//   example_reflect_fields
#include <iostream>

#include "framework/framework.h"

namespace {

using namespace vtl;

class TPotion : public Object {
 public:
  String name;
  int32_t strength = 0;
  float weight = 0;
  uint8_t charges = 0;

  String Describe(int32_t doses, float factor) {
    return name + ": " + StringFromInt(doses) + " doses, strength " +
           StringFromInt(static_cast<int32_t>(static_cast<float>(strength * doses) * factor));
  }
};

void RegisterPotion() {
  ClassBuilder<TPotion, Object>("TPotion{doc=\"a brew in a bottle\"}")
      .Field<&TPotion::name>("name", "label=Name")
      .Field<&TPotion::strength>("strength", "max=100 unit=\"hit points\"")
      .Field<&TPotion::weight>("weight", "unit=kg")
      .Field<&TPotion::charges>("charges")
      .Method<&TPotion::Describe>("Describe")
      .Register();
}

void Main() {
  InitFramework();
  RegisterPotion();

  Ref<TTypeId> type = TTypeId::ForName("tpotion");  // names ignore case
  std::cout << type->Name() << " (" << type->MetaData("doc") << "), extends " << type->SuperType()->Name() << "\n";

  Ref<Object> potion = type->NewObject();
  type->FindField("name")->SetString(potion, "Heiltrank");
  type->FindField("strength")->SetInt(potion, 40);
  type->FindField("weight")->Set(potion, String("0.25"));
  type->FindField("charges")->SetInt(potion, 300);  // a Byte keeps the low 8 bits: 44

  Ref<TList> fields = type->EnumFields(nullptr);
  for (Ref<TField> f : fields->Each<TField>()) {
    std::cout << "  " << f->Name() << " : " << f->TypeId()->Name() << " = " << f->Get(potion)->ToString();
    if (!f->MetaData("").IsEmpty()) std::cout << "  {" << f->MetaData("") << "}";
    if (!f->MetaData("unit").IsEmpty()) std::cout << "  unit: " << f->MetaData("unit");
    std::cout << "\n";
  }

  // Arguments and results cross as objects; numbers as their text.
  Ref<TMethod> describe = type->FindMethod("describe");
  Ref<Array<Ref<Object>>> args = NewArray<Ref<Object>>({2});
  (*args)[0] = String("3");
  (*args)[1] = String("1.5");
  std::cout << describe->Name() << "(3, 1.5) -> " << describe->Invoke(potion, args)->ToString() << "\n";
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
