#include "reflect/internal/type_registry.h"

#include <typeinfo>

#include "runtime/module.h"
#include "runtime/string_ops.h"

namespace vtl::detail {

namespace {

Ref<TTypeId> MakeType(const char* name, int32_t size, const ClassRecord* cls, char valueTag) {
  Ref<TTypeId> type = New<TTypeId>();
  type->_valueTag = valueTag;
  type->Init(name, size, cls, nullptr);
  return type;
}

TypeRegistry* MakeRegistry() {
  InitRuntime();  // the records of String, Object and arrays
  // Held from a pointer that is never freed: types refer to each other
  // (super and derived, element and array), so they are never released.
  auto* reg = new TypeRegistry;
  reg->names = New<TMap>();
  reg->classes = New<TMap>();
  return reg;
}

void MakeBuiltInTypes(TypeRegistry& reg) {
  reg.byteType = MakeType("Byte", 1, nullptr, 'b');
  reg.shortType = MakeType("Short", 2, nullptr, 's');
  reg.intType = MakeType("Int", 4, nullptr, 'i');
  reg.longType = MakeType("Long", 8, nullptr, 'l');
  reg.floatType = MakeType("Float", 4, nullptr, 'f');
  reg.doubleType = MakeType("Double", 8, nullptr, 'd');
  reg.stringType = MakeType("String", 4, FindClassRecord(typeid(StringObject)), '$');
  reg.objectType = MakeType("Object", 4, &ObjectClassRecord(), 0);
  reg.baseArrayType = MakeType("Null[]", 4, FindClassRecord(typeid(ArrayBase)), 0);
}

}  // namespace

TypeRegistry& Types() {
  // Set before the built-in types are made: making a type registers it here.
  // Reflection runs on the main thread only.
  static TypeRegistry* reg = nullptr;
  if (!reg) {
    reg = MakeRegistry();
    MakeBuiltInTypes(*reg);
  }
  return *reg;
}

Ref<TTypeId> LookUpName(const String& name) {
  return DowncastObject<TTypeId>(Types().names->ValueForKey(LowerString(name)));
}

Ref<TTypeId> LookUpClass(const ClassRecord& cls) {
  return DowncastObject<TTypeId>(Types().classes->ValueForKey(TClass::Create(&cls)));
}

}  // namespace vtl::detail
