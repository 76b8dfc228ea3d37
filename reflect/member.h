/// \file
/// Members of a reflected type: TField reads and writes a field of an object,
/// TMethod calls a method. Values cross as objects; primitive values travel as
/// their decimal text. The typed forms (GetInt, SetFloat, ...) give what the
/// text would and skip it where the number comes out the same.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/array.h"
#include "runtime/class_record.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TTypeId;

/// What fields and methods share: a name, a type and metadata.
class TMember : public Object {
 public:
  /// Releases the member's type.
  ~TMember() override;

  /// The member's name as declared.
  String Name() const { return _name; }
  /// The field's type, or the method's result type (Null for a method with no result).
  Ref<TTypeId> TypeId() const;
  /// The metadata value for key ("" when absent); with an empty key, the whole metadata text.
  String MetaData(const String& key) const;

  String _name;          ///< The member's name.
  Ref<TTypeId> _typeId;  ///< The field's type or the method's result type.
  String _meta;          ///< The metadata text, "" if none.
};

/// A field of a class, read and written through the class record's accessors.
class TField : public TMember {
 public:
  /// Sets the name, type, metadata, the declaration the accessors come from
  /// and the type that declares the field (named when a use is refused).
  void Init(const String& name, const Ref<TTypeId>& type, const String& meta, const Declaration& declaration,
            const TTypeId& owner);

  /// The field's value in object: a string for Byte, Short, Int, Long, Float
  /// and Double fields (their text), else the String or object itself. An
  /// object that is not of the field's class raises "ERROR"; the exception's
  /// detail names the field and both classes, as for every "ERROR" here.
  Ref<Object> Get(const Ref<Object>& object) const;
  /// Get's text converted to a number. A field of the same type, or an
  /// integer field, is read directly; the number is the same.
  ///@{
  int32_t GetInt(const Ref<Object>& object) const;
  int64_t GetLong(const Ref<Object>& object) const;
  float GetFloat(const Ref<Object>& object) const;
  double GetDouble(const Ref<Object>& object) const;
  ///@}
  /// Get's result when it is a string, else "".
  String GetString(const Ref<Object>& object) const;

  /// Stores value in object's field. Numeric fields take value's text
  /// (Byte and Short truncated to their width); a String field takes a
  /// string, the Null object storing ""; an object field takes the Null
  /// object or an object of the field's class. Anything else raises "ERROR",
  /// with a detail that names the field, its type and what was given.
  void Set(const Ref<Object>& object, const Ref<Object>& value) const;
  /// Set with the text of the number. A numeric field that takes the
  /// number whole is written directly; what it stores is the same.
  ///@{
  void SetInt(const Ref<Object>& object, int32_t value) const;
  void SetLong(const Ref<Object>& object, int64_t value) const;
  void SetFloat(const Ref<Object>& object, float value) const;
  void SetDouble(const Ref<Object>& object, double value) const;
  ///@}
  /// Set with the string.
  void SetString(const Ref<Object>& object, const String& value) const;

  int32_t _index = 0;  ///< The field's position among its class's fields.

 private:
  // "Field 'name' of TOwner", for the details of refusals.
  String SlotText() const;
  // The accessor's value, an object of another class refused.
  Value ReadValue(const Ref<Object>& object) const;
  // Writes a value already converted for the field; given is the object it
  // came from (Null for typed writes), named when the C++ field refuses it.
  void Store(Object& self, const Value& converted, const Ref<Object>& given) const;
  // A typed write that needs no text.
  void SetDirect(const Ref<Object>& object, const Value& value) const;

  const Declaration* declaration_ = nullptr;
  char valueTag_ = 0;  // the type's value tag, read on every typed use
  String owner_;       // the declaring type's name
};

/// A method of a class, called through the class record's invoker.
class TMethod : public TMember {
 public:
  /// Sets the name, result type (Null for none), metadata, owning type,
  /// argument types and the declaration the invoker comes from.
  void Init(const String& name, const Ref<TTypeId>& result, const String& meta, const Ref<TTypeId>& self,
            const Ref<Array<Ref<TTypeId>>>& argTypes, const Declaration& declaration);

  /// The argument types in order.
  Ref<Array<Ref<TTypeId>>> ArgTypes() const { return _argTypes; }
  /// Calls the method on object with the arguments converted by their types
  /// as Set converts (the Null object for no arguments). The call may take
  /// eight 32-bit words, the object included, Long and Double taking two:
  /// more raise "ERROR", as does a wrong argument count or an argument that
  /// does not fit its type (the detail says which). A Long result raises
  /// "TODO" without calling. The result comes back as Get gives values; a
  /// method with no result gives the Null object. A method the record never
  /// set raises TNullFunctionException.
  Ref<Object> Invoke(const Ref<Object>& object, const Ref<Array<Ref<Object>>>& arguments) const;

  Ref<TTypeId> _selfTypeId;            ///< The type that declares the method.
  int32_t _index = 0;                  ///< The method's position among its class's methods.
  Ref<Array<Ref<TTypeId>>> _argTypes;  ///< The argument types in order.

 private:
  const Declaration* declaration_ = nullptr;
  int32_t words_ = 1;  // 32-bit words of a call, the object included
  // The value tags of the arguments a call may take, for converting them
  // without looking their types up.
  std::array<char, 7> argTags_{};
};

}  // namespace vtl
