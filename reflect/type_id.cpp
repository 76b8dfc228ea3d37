#include "reflect/type_id.h"

#include <string_view>
#include <typeinfo>

#include "reflect/internal/object_array.h"
#include "reflect/internal/tag_text.h"
#include "reflect/internal/type_registry.h"
#include "reflect/internal/value_text.h"
#include "runtime/exceptions.h"
#include "runtime/string_ops.h"

namespace vtl {

using detail::Types;

String TTypeId::MetaData(const String& key) const { return detail::MetaDataValue(_meta, key); }

Ref<TTypeId> TTypeId::ArrayType() {
  if (!_arrayType && depth_ < kMaxArrayDepth) {
    LinkSuperType();  // made once, so the super type must be known before
    Ref<TTypeId> array = New<TTypeId>();
    // A super type is never nested deeper than its subtype, so its array type exists.
    array->Init(_name + "[]", 4, nullptr, _super ? _super->ArrayType() : Types().baseArrayType);
    array->_elementType = Ref<TTypeId>(this);
    array->depth_ = depth_ + 1;
    _arrayType = array;
  }
  return _arrayType;
}

namespace {

// type nested depth levels deeper; Null past the bound.
Ref<TTypeId> NestedArrayType(Ref<TTypeId> type, int32_t depth) {
  for (; type && depth > 0; --depth) type = type->ArrayType();
  return type;
}

}  // namespace

int32_t TTypeId::ExtendsType(const Ref<TTypeId>& type) const {
  for (const TTypeId* t = this; t; t = t->_super.Get()) {
    if (t == type.Get()) return 1;
  }
  return 0;
}

Ref<TList> TTypeId::DerivedTypes() {
  if (!_derived) _derived = CreateList();
  return _derived;
}

Ref<Object> TTypeId::NewObject() const {
  if (!_class || !_class->create) RuntimeError("Unable to create new object");
  return _class->create();
}

namespace {

template <class Member>
Ref<Member> FindMember(const TTypeId* type, Ref<TList> TTypeId::*list, const String& name) {
  const String wanted = LowerString(name);
  for (; type; type = type->_super.Get()) {
    if (!(type->*list)) continue;
    for (Ref<Member> m : (type->*list)->Each<Member>()) {
      if (LowerString(m->_name) == wanted) return m;
    }
  }
  return nullptr;
}

Ref<TList> EnumMembers(const TTypeId* type, Ref<TList> TTypeId::*list, Ref<TList> out) {
  if (!out) out = CreateList();
  if (type->_super) EnumMembers(type->_super.Get(), list, out);
  if (type->*list) {
    for (const Ref<Object>& m : *(type->*list)) out->AddLast(m);
  }
  return out;
}

}  // namespace

Ref<TField> TTypeId::FindField(const String& name) const { return FindMember<TField>(this, &TTypeId::_fields, name); }

Ref<TMethod> TTypeId::FindMethod(const String& name) const {
  return FindMember<TMethod>(this, &TTypeId::_methods, name);
}

Ref<TList> TTypeId::EnumFields(Ref<TList> list) const { return EnumMembers(this, &TTypeId::_fields, std::move(list)); }

Ref<TList> TTypeId::EnumMethods(Ref<TList> list) const {
  return EnumMembers(this, &TTypeId::_methods, std::move(list));
}

Ref<TTypeId> TTypeId::ForName(const String& name) {
  _Update();
  // The "[]" suffixes are counted, not copied off level by level, and a name
  // deeper than the bound is refused before any type is made for it.
  const std::u16string_view text = name.View();
  size_t length = text.size();
  int32_t depth = 0;
  while (length > 2 && text.substr(0, length).ends_with(u"[]")) {
    if (++depth > kMaxArrayDepth) return nullptr;
    length -= 2;
  }
  // The innermost registered name wins: "Null[]" names the base array type,
  // whose element type is no type.
  for (;; length += 2, --depth) {
    Ref<TTypeId> type = detail::LookUpName(length == text.size() ? name : String(text.substr(0, length)));
    if (type || depth == 0) return NestedArrayType(type, depth);
  }
}

Ref<TTypeId> TTypeId::ForObject(const Ref<Object>& object) {
  if (!object) return nullptr;
  _Update();
  if (auto* array = dynamic_cast<const ArrayBase*>(object.Get())) {
    // Every array carries its element tag, empty ones too; an array nested
    // beyond the bound is still an array.
    Ref<TTypeId> type = NestedArrayType(ForTag(array->ElementTag()), 1);
    return type ? type : Types().baseArrayType;
  }
  return detail::LookUpClass(object->Class());
}

Ref<TList> TTypeId::EnumTypes() {
  _Update();
  Ref<TList> list = CreateList();
  for (Ref<Object> type : Types().names->Values()) list->AddLast(type);
  return list;
}

namespace {

Ref<TTypeId> ForElementTag(std::string_view tag) {
  if (tag.starts_with(":")) {
    // A module path before the class name is ignored.
    size_t dot = tag.rfind('.');
    return detail::LookUpName(String::FromText(tag.substr(dot == std::string_view::npos ? 1 : dot + 1)));
  }
  detail::TypeRegistry& reg = Types();
  switch (detail::ValueTagOf(tag)) {
    case 'b': return reg.byteType;
    case 's': return reg.shortType;
    case 'i': return reg.intType;
    case 'l': return reg.longType;
    case 'f': return reg.floatType;
    case 'd': return reg.doubleType;
    case '$': return reg.stringType;
    default: return nullptr;
  }
}

}  // namespace

Ref<TTypeId> TTypeId::ForTag(const std::string& tag) {
  std::string_view element = tag;
  int32_t depth = 0;
  while (element.starts_with("[]")) {
    if (++depth > kMaxArrayDepth) return nullptr;
    element.remove_prefix(2);
  }
  return NestedArrayType(ForElementTag(element), depth);
}

// Built by appending: g++ 12 warns wrongly (-Wrestrict) about a literal
// added to a temporary string in optimised builds.
std::string TTypeId::Tag() const {
  if (_elementType) return std::string("[]").append(_elementType->Tag());
  if (_valueTag) return std::string(1, _valueTag);
  if (ExtendsType(Types().objectType)) return std::string(1, ':').append(_name.ToUtf8());
  RuntimeError("ERROR",
               "Type " + _name + " has no tag: it is neither a primitive type, String, a class nor an array type");
}

void TTypeId::CheckArrayType() const {
  if (!_elementType) RuntimeError("TypeID is not an array type");
}

namespace {

ArrayBase& AsArray(const TTypeId& type, const Ref<Object>& object) {
  if (!object) ThrowNullObject();
  auto* array = dynamic_cast<ArrayBase*>(object.Get());
  if (!array) {
    RuntimeError("ERROR", "Type " + type._name + " reads and writes arrays; the given " +
                              String::FromText(TypeNameOfObject(*object)) + " is not an array");
  }
  return *array;
}

Ref<ArrayBase> MakeArray(const std::string& tag, int32_t length) {
  switch (detail::ValueTagOf(tag)) {
    case 'b': return vtl::NewArray<uint8_t>({length});
    case 's': return vtl::NewArray<uint16_t>({length});
    case 'i': return vtl::NewArray<int32_t>({length});
    case 'l': return vtl::NewArray<int64_t>({length});
    case 'f': return vtl::NewArray<float>({length});
    case 'd': return vtl::NewArray<double>({length});
    case '$': return vtl::NewArray<String>({length});
    default: break;
  }
  if (tag == ":Object") return vtl::NewArray<Ref<Object>>({length});
  return New<detail::TaggedObjectArray>(tag, length);
}

// The C++ type of a type's values as array makers are recorded under, or
// nullptr for a type no tag names.
const std::type_info* CxxTypeOf(const TTypeId& type) {
  switch (type._valueTag) {
    case 'b': return &typeid(uint8_t);
    case 's': return &typeid(uint16_t);
    case 'i': return &typeid(int32_t);
    case 'l': return &typeid(int64_t);
    case 'f': return &typeid(float);
    case 'd': return &typeid(double);
    case '$': return &typeid(String);
    default: return type._class ? type._class->type : nullptr;
  }
}

}  // namespace

ArrayMaker TTypeId::FindMaker() const {
  const TTypeId* leaf = this;
  int32_t depth = 0;
  for (; leaf->_elementType; leaf = leaf->_elementType.Get()) ++depth;
  const std::type_info* cxxType = CxxTypeOf(*leaf);
  return cxxType ? FindArrayMaker(*cxxType, depth) : nullptr;
}

Ref<ArrayBase> TTypeId::NewArray(int32_t length) {
  CheckArrayType();
  // Asked again until found: a class registered later may declare this type.
  if (!maker_) maker_ = FindMaker();
  if (maker_) return maker_(length);
  if (_typeTag.empty()) _typeTag = _elementType->Tag();
  return MakeArray(_typeTag, length);
}

int32_t TTypeId::ArrayLength(const Ref<Object>& array) const {
  CheckArrayType();
  return AsArray(*this, array).Length();
}

// Elements convert by the array's own element tag, so an array of another
// type than this one is still read and written safely.
Ref<Object> TTypeId::GetArrayElement(const Ref<Object>& array, int32_t index) const {
  CheckArrayType();
  const ArrayBase& a = AsArray(*this, array);
  return detail::ValueToObject(detail::ValueTagOf(a.ElementTag()), a.GetElement(index));
}

void TTypeId::SetArrayElement(const Ref<Object>& array, int32_t index, const Ref<Object>& value) const {
  CheckArrayType();
  ArrayBase& a = AsArray(*this, array);
  Ref<TTypeId> element = ForTag(a.ElementTag());
  if (!element) {
    RuntimeError("ERROR",
                 "The given array's element tag '" + String::FromText(a.ElementTag()) + "' names no known type");
  }
  a.SetElement(index, detail::ObjectToValue(*element, value, [&] {
                 return "Element " + StringFromInt(index) + " of " + String::FromText(TypeNameOfObject(a));
               }));
}

void TTypeId::Init(const String& name, int32_t size, const ClassRecord* cls, const Ref<TTypeId>& super) {
  _name = name;
  _size = size;
  _class = cls;
  _super = super;
  _fields = CreateList();
  _methods = CreateList();
  detail::TypeRegistry& reg = Types();
  reg.names->Insert(LowerString(name), Ref<TTypeId>(this));
  if (cls) reg.classes->Insert(TClass::Create(cls), Ref<TTypeId>(this));
}

void TTypeId::SetClass(const ClassRecord& cls) {
  detail::MetaSplit split = detail::SplitMetaData(cls.name);
  Init(String::FromText(split.text), 4, &cls, nullptr);
  _meta = String::FromText(split.meta);
}

void TTypeId::_Update() {
  detail::TypeRegistry& reg = Types();
  // Looked up on every ForName and ForObject: the count alone tells whether
  // anything was registered since the last look.
  if (RegisteredClassCount() == reg.classesSeen) return;
  std::vector<const ClassRecord*> records = RegisteredClasses();
  std::vector<Ref<TTypeId>> fresh;
  for (size_t i = reg.classesSeen; i < records.size(); ++i) {
    Ref<TTypeId> type = detail::LookUpClass(*records[i]);  // String, Object and arrays are built in
    if (!type) {
      type = New<TTypeId>();
      type->SetClass(*records[i]);
    }
    fresh.push_back(type);
  }
  reg.classesSeen = records.size();
  // The whole hierarchy first: a declaration may name arrays of any new class.
  for (const Ref<TTypeId>& type : fresh) type->LinkSuperType();
  for (const Ref<TTypeId>& type : fresh) type->_Resolve();
}

void TTypeId::LinkSuperType() {
  // Object is the root: it has no super type.
  if (linked_ || !_class || !_class->base) return;
  linked_ = true;
  _super = detail::LookUpClass(*_class->base);
  if (!_super) _super = Types().objectType;
  _super->DerivedTypes()->AddLast(Ref<TTypeId>(this));
}

void TTypeId::_Resolve() {
  if (resolved_ || !_class) return;
  resolved_ = true;
  LinkSuperType();
  for (const Declaration& d : _class->declarations) {
    detail::MetaSplit tag = detail::SplitMetaData(d.Tag());
    if (d.kind == Declaration::Kind::Field) {
      Ref<TTypeId> type = ForTag(tag.text);
      if (!type) continue;
      Ref<TField> field = New<TField>();
      field->Init(String::FromText(d.name), type, String::FromText(tag.meta), d, *this);
      _fields->AddLast(field);
    } else if (d.kind == Declaration::Kind::Method) {
      detail::MethodTag parts = detail::SplitMethodTag(tag.text);
      if (!parts.valid) continue;
      // An empty result tag is a method without a result.
      Ref<TTypeId> result = parts.result.empty() ? nullptr : ForTag(parts.result);
      if (!parts.result.empty() && !result) continue;
      Ref<Array<Ref<TTypeId>>> args = vtl::NewArray<Ref<TTypeId>>({static_cast<int32_t>(parts.args.size())});
      bool known = true;
      for (size_t i = 0; i < parts.args.size() && known; ++i) {
        (*args)[static_cast<int32_t>(i)] = ForTag(parts.args[i]);
        known = (*args)[static_cast<int32_t>(i)] != nullptr;
      }
      if (!known) continue;
      Ref<TMethod> method = New<TMethod>();
      method->Init(String::FromText(d.name), result, String::FromText(tag.meta), Ref<TTypeId>(this), args, d);
      _methods->AddLast(method);
    }
  }
}

Ref<TClass> TClass::Create(const ClassRecord* cls) {
  Ref<TClass> key = New<TClass>();
  key->_class = cls;
  return key;
}

int32_t TClass::Compare(const Ref<Object>& other) const {
  const auto* key = dynamic_cast<const TClass*>(other.Get());
  return key ? CompareIdentity(_class, key->_class) : Object::Compare(other);
}

}  // namespace vtl
