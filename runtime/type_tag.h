/// \file
/// Type tags: the text form of a type as class records and arrays carry it.
///   "b" byte, "s" short, "i" int, "l" long, "f" float, "d" double, "$" string,
///   ":Name" an object of class Name, "[]" + tag an array of that type.
/// `ValueTraits<T>` also moves a T in and out of a Value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <typeinfo>

#include "runtime/exceptions.h"
#include "runtime/object.h"
#include "runtime/string.h"
#include "runtime/value.h"

namespace vtl {

template <class T>
class Array;

/// Registered name (without metadata) of the class with this C++ type, or
/// "Object" when it has no record of its own.
std::string ClassNameOf(const std::type_info& type);
/// The name of the type a tag stands for, as reflection names it: "Int",
/// "String", "TList" for ":vtl.linkedlist.TList", "TUnit[]" for "[]:TUnit";
/// a tag it does not know is returned as it is.
std::string TypeNameOfTag(std::string_view tag);
/// The name of object's type: "String", its array type ("Int[]"), or its
/// class's registered name.
std::string TypeNameOfObject(const Object& object);

namespace detail {
// Raises "ERROR" for a value that does not fit a slot of the tag's type,
// naming both types in the exception's detail.
[[noreturn]] void RefuseValue(std::string_view expectedTag, const Object& given);
// "takes 2 arguments; 3 were given", for refusals of a call.
std::string ArgumentCountText(size_t takes, size_t given);
}  // namespace detail

/// The tag of T and its moves in and out of a Value. Defined for integers,
/// floating types, String, `Ref<U>` (objects and arrays) and Function.
template <class T>
struct ValueTraits;

/// Joins pieces of a tag.
// (Appending avoids a false -Wrestrict that g++ 12 reports for literal +
// std::string chains.)
inline std::string JoinTag(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view p : pieces) out.append(p);
  return out;
}

/// Integers: "b" for uint8_t, "s" for uint16_t, "l" for 64-bit types, else
/// "i"; they travel in Value::i and convert back with a plain cast.
template <class T>
requires std::is_integral_v<T>
struct ValueTraits<T> {
  /// The integer's tag.
  static std::string Tag() {
    if constexpr (std::is_same_v<T, uint8_t>)
      return "b";
    else if constexpr (std::is_same_v<T, uint16_t>)
      return "s";
    else if constexpr (sizeof(T) == 8)
      return "l";
    else
      return "i";
  }
  /// The value in Value::i.
  static Value ToValue(T v) { return Value{static_cast<int64_t>(v), 0, nullptr}; }
  /// Value::i cast to T.
  static T FromValue(const Value& v) { return static_cast<T>(v.i); }
};

/// Floating types: "f" for float, "d" for double; they travel in Value::d.
template <class T>
requires std::is_floating_point_v<T>
struct ValueTraits<T> {
  /// "f" or "d".
  static std::string Tag() { return sizeof(T) == 4 ? "f" : "d"; }
  /// The value in Value::d.
  static Value ToValue(T v) { return Value{0, static_cast<double>(v), nullptr}; }
  /// Value::d cast to T.
  static T FromValue(const Value& v) { return static_cast<T>(v.d); }
};

/// Strings: "$"; they travel as their object in Value::o.
template <>
struct ValueTraits<String> {
  /// "$".
  static std::string Tag() { return "$"; }
  /// The string's object in Value::o.
  static Value ToValue(const String& v) { return Value{0, 0, v}; }
  /// The string in Value::o; the empty string when it holds none.
  static String FromValue(const Value& v) { return AsString(v.o).value_or(String()); }
};

/// Objects: ":Name" with the class's registered name, arrays "[]" and the
/// element tag; they travel in Value::o.
template <class U>
struct ValueTraits<Ref<U>> {
  /// ":Name", or "[]" + the element's tag for an Array.
  static std::string Tag() {
    if constexpr (requires { typename U::ElementType; }) {
      return JoinTag({"[]", ValueTraits<typename U::ElementType>::Tag()});
    } else {
      return JoinTag({":", ClassNameOf(typeid(U))});
    }
  }
  /// The object in Value::o.
  static Value ToValue(const Ref<U>& v) { return Value{0, 0, v}; }
  /// The object in Value::o as a U; the Null object stays Null.
  /// A non-Null object of another class is refused rather than stored: a
  /// TRuntimeException "ERROR" whose detail names both types.
  static Ref<U> FromValue(const Value& v) {
    if (!v.o) return nullptr;
    Ref<U> cast = DowncastObject<U>(v.o);
    if (!cast) detail::RefuseValue(Tag(), *v.o);
    return cast;
  }
};

/// The tag of T (`ValueTraits<T>::Tag()`).
template <class T>
std::string TypeTagOf() {
  return ValueTraits<T>::Tag();
}

}  // namespace vtl
