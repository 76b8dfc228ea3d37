/// \file
/// TTypeId: one type of the running program, found by name or from an
/// object. Every registered class becomes a type with its fields and methods;
/// the primitive types, String, Object and array types complete the set.
///
///     Ref<TTypeId> unit = TTypeId::ForName("tunit");
///     Ref<TField> hp = unit->FindField("hp");
///     hp->SetInt(object, 12);
#pragma once

#include <cstdint>
#include <string>

#include "reflect/member.h"
#include "runtime/array.h"
#include "runtime/class_record.h"
#include "runtime/list.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// A type: a primitive, String, a class or an array type.
class TTypeId : public Object {
 public:
  /// The type's name ("Int", "TList", "TList[]").
  String Name() const { return _name; }
  /// The metadata value for key ("" when absent); with an empty key, the whole metadata text.
  String MetaData(const String& key) const;
  /// The type this one extends; Null for Object and the primitive types.
  Ref<TTypeId> SuperType() const { return _super; }
  /// The type of arrays of this type, made on first use. An array type's
  /// super type is the array type of this type's super type, so arrays
  /// mirror the class hierarchy. Null for an array type kMaxArrayDepth deep.
  Ref<TTypeId> ArrayType();
  /// For an array type, its element type; else Null.
  Ref<TTypeId> ElementType() const { return _elementType; }
  /// 1 when this type is type or extends it, else 0.
  int32_t ExtendsType(const Ref<TTypeId>& type) const;
  /// The types that extend this one directly (an empty list when none).
  Ref<TList> DerivedTypes();
  /// A new instance of the class, its constructors run; a type without a
  /// class, or a class that cannot be made without arguments, raises
  /// "Unable to create new object".
  Ref<Object> NewObject() const;
  /// This type's own fields and methods (TField, TMethod); empty for types without a class.
  ///@{
  Ref<TList> Fields() const { return _fields; }
  Ref<TList> Methods() const { return _methods; }
  ///@}
  /// The member of that name, compared without regard to case, searched
  /// here first, then in the super types; Null when none.
  ///@{
  Ref<TField> FindField(const String& name) const;
  Ref<TMethod> FindMethod(const String& name) const;
  ///@}
  /// Appends the fields (methods) of the super types, then this type's own, to
  /// list, or to a new list when list is the Null object; returns the list.
  ///@{
  Ref<TList> EnumFields(Ref<TList> list) const;
  Ref<TList> EnumMethods(Ref<TList> list) const;
  ///@}

  /// Array operations; on a type that is not an array type each raises
  /// "TypeID is not an array type". Elements convert as field values do.
  ///@{
  /// A new array of length elements of the element type: the program's own
  /// array class wherever one is known for the type (every class's arrays,
  /// the primitive types' arrays and every array type a registered field or
  /// method uses), so a field or argument of this type takes it.
  Ref<ArrayBase> NewArray(int32_t length);
  /// The number of elements of array. On this and the element calls, an
  /// object that is not an array raises "ERROR", and so does a value that
  /// does not fit the element type; the exception's detail says which.
  int32_t ArrayLength(const Ref<Object>& array) const;
  /// Element index of array, as a field's Get gives values.
  Ref<Object> GetArrayElement(const Ref<Object>& array, int32_t index) const;
  /// Stores value at index of array, as a field's Set converts values.
  void SetArrayElement(const Ref<Object>& array, int32_t index, const Ref<Object>& value) const;
  ///@}

  /// The deepest array type: arrays nest at most this many levels. Deeper
  /// names and tags find no type, and a look-up that finds none makes none.
  static constexpr int32_t kMaxArrayDepth = 32;

  /// The type of that name, compared without regard to case; a name ending in
  /// "[]" gives the array type of the rest. Null when unknown or nested
  /// deeper than kMaxArrayDepth.
  static Ref<TTypeId> ForName(const String& name);
  /// The type of object: for an array, the array type of its element tag;
  /// otherwise the type of its class. Null for the Null object.
  static Ref<TTypeId> ForObject(const Ref<Object>& object);
  /// A new list of every type, ordered by lower-cased name.
  static Ref<TList> EnumTypes();
  /// The type a tag names ("i", "$", ":vtl.linkedlist.TList", "[]i"); Null
  /// for an empty or unknown tag, or one nested deeper than kMaxArrayDepth.
  static Ref<TTypeId> ForTag(const std::string& tag);
  /// The tag of this type; a type that has none raises "ERROR" (the
  /// exception's detail names the type).
  std::string Tag() const;

  /// Sets the name, size, class and super type and registers the type under
  /// its lower-cased name and, when it has one, its class.
  void Init(const String& name, int32_t size, const ClassRecord* cls, const Ref<TTypeId>& super);
  /// Makes this the type of a class record, its metadata split off the name.
  void SetClass(const ClassRecord& cls);
  /// Makes types for the classes registered since the last look-up.
  static void _Update();
  /// Links the type to its super type, then reads the class's declarations
  /// into fields and methods; once, and only for types with a class.
  void _Resolve();

  String _name;                         ///< The type's name.
  String _meta;                         ///< The type's metadata, "" if none.
  const ClassRecord* _class = nullptr;  ///< The class record; nullptr for primitive and array types.
  int32_t _size = 0;                    ///< Bytes of a value: 1, 2, 4 or 8.
  Ref<TList> _fields;                   ///< Own fields, filled when resolved.
  Ref<TList> _methods;                  ///< Own methods, filled when resolved.
  Ref<TTypeId> _super;                  ///< The super type.
  Ref<TList> _derived;                  ///< Types extending this one, made on first need.
  Ref<TTypeId> _arrayType;              ///< Arrays of this type, made on first need.
  Ref<TTypeId> _elementType;            ///< For an array type, the element type.
  std::string _typeTag;                 ///< For an array type, the element tag (cached).
  /// The one-character tag of a primitive type or String, 0 for object and array types.
  char _valueTag = 0;

 private:
  void CheckArrayType() const;
  // Sets the super type from the class's base and joins its derived list;
  // once. Every new class is linked before any declaration is read, and an
  // array type is made only from a linked type, so arrays made while
  // resolving mirror the whole hierarchy.
  void LinkSuperType();
  ArrayMaker FindMaker() const;

  bool resolved_ = false;
  bool linked_ = false;
  int32_t depth_ = 0;           // array levels: 0 for other types
  ArrayMaker maker_ = nullptr;  // the program's array class for this type, once found
};

/// A class record as a map key: Compare orders by the record's address.
class TClass : public Object {
 public:
  /// The key for cls.
  static Ref<TClass> Create(const ClassRecord* cls);
  /// Orders by record address; other objects by identity.
  int32_t Compare(const Ref<Object>& other) const override;

  const ClassRecord* _class = nullptr;  ///< The record.
};

}  // namespace vtl
