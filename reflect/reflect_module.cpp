#include "reflect/reflect.h"

#include "reflect/internal/type_registry.h"
#include "runtime/class_record.h"
#include "runtime/module.h"
#include "runtime/runtime.h"

namespace vtl {

namespace {

void RegisterReflectClasses() {
  ClassBuilder<TTypeId, Object>("TTypeId")
      .Field<&TTypeId::_name>("_name")
      .Field<&TTypeId::_meta>("_meta")
      .Field<&TTypeId::_size>("_size")
      .Field<&TTypeId::_fields>("_fields")
      .Field<&TTypeId::_methods>("_methods")
      .Field<&TTypeId::_super>("_super")
      .Field<&TTypeId::_derived>("_derived")
      .Field<&TTypeId::_arrayType>("_arrayType")
      .Field<&TTypeId::_elementType>("_elementType")
      .Method<&TTypeId::Name>("Name")
      .Method<&TTypeId::MetaData>("MetaData")
      .Method<&TTypeId::SuperType>("SuperType")
      .Method<&TTypeId::ArrayType>("ArrayType")
      .Method<&TTypeId::ElementType>("ElementType")
      .Method<&TTypeId::ExtendsType>("ExtendsType")
      .Method<&TTypeId::DerivedTypes>("DerivedTypes")
      .Method<&TTypeId::NewObject>("NewObject")
      .Method<&TTypeId::Fields>("Fields")
      .Method<&TTypeId::Methods>("Methods")
      .Method<&TTypeId::FindField>("FindField")
      .Method<&TTypeId::FindMethod>("FindMethod")
      .Method<&TTypeId::EnumFields>("EnumFields")
      .Method<&TTypeId::EnumMethods>("EnumMethods")
      .Method<&TTypeId::ArrayLength>("ArrayLength")
      .Method<&TTypeId::GetArrayElement>("GetArrayElement")
      .Method<&TTypeId::SetArrayElement>("SetArrayElement")
      .Function<&TTypeId::ForName>("ForName")
      .Function<&TTypeId::ForObject>("ForObject")
      .Function<&TTypeId::EnumTypes>("EnumTypes")
      .Register();
  ClassBuilder<TMember, Object>("TMember")
      .Field<&TMember::_name>("_name")
      .Field<&TMember::_typeId>("_typeId")
      .Field<&TMember::_meta>("_meta")
      .Method<&TMember::Name>("Name")
      .Method<&TMember::TypeId>("TypeId")
      .Method<&TMember::MetaData>("MetaData")
      .Register();
  ClassBuilder<TField, TMember>("TField")
      .Field<&TField::_index>("_index")
      .Method<&TField::Get>("Get")
      .Method<&TField::GetInt>("GetInt")
      .Method<&TField::GetFloat>("GetFloat")
      .Method<&TField::GetDouble>("GetDouble")
      .Method<&TField::GetString>("GetString")
      .Method<&TField::Set>("Set")
      .Method<&TField::SetInt>("SetInt")
      .Method<&TField::SetFloat>("SetFloat")
      .Method<&TField::SetDouble>("SetDouble")
      .Method<&TField::SetString>("SetString")
      .Register();
  ClassBuilder<TMethod, TMember>("TMethod")
      .Field<&TMethod::_selfTypeId>("_selfTypeId")
      .Field<&TMethod::_index>("_index")
      .Field<&TMethod::_argTypes>("_argTypes")
      .Method<&TMethod::ArgTypes>("ArgTypes")
      .Method<&TMethod::Invoke>("Invoke")
      .Register();
  ClassBuilder<TClass, Object>("TClass").Register();
}

}  // namespace

void InitReflect() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  detail::Types();
  RegisterReflectClasses();
}

}  // namespace vtl
