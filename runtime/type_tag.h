// Type tags: the text form of a type as class records and arrays carry it.
//   "b" byte, "s" short, "i" int, "l" long, "f" float, "d" double, "$" string,
//   ":Name" an object of class Name, "[]" + tag an array of that type.
// ValueTraits<T> also moves a T in and out of a Value.
#pragma once

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

// Registered name (without metadata) of the class with this C++ type, or
// "Object" when it has no record of its own.
std::string ClassNameOf(const std::type_info& type);

template <class T>
struct ValueTraits;

// Joins pieces of a tag. (Appending avoids a false -Wrestrict that g++ 12
// reports for literal + std::string chains.)
inline std::string JoinTag(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view p : pieces) out.append(p);
  return out;
}

template <class T>
requires std::is_integral_v<T>
struct ValueTraits<T> {
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
  static Value ToValue(T v) { return Value{static_cast<int64_t>(v), 0, nullptr}; }
  static T FromValue(const Value& v) { return static_cast<T>(v.i); }
};

template <class T>
requires std::is_floating_point_v<T>
struct ValueTraits<T> {
  static std::string Tag() { return sizeof(T) == 4 ? "f" : "d"; }
  static Value ToValue(T v) { return Value{0, static_cast<double>(v), nullptr}; }
  static T FromValue(const Value& v) { return static_cast<T>(v.d); }
};

template <>
struct ValueTraits<String> {
  static std::string Tag() { return "$"; }
  static Value ToValue(const String& v) { return Value{0, 0, v}; }
  static String FromValue(const Value& v) { return AsString(v.o).value_or(String()); }
};

template <class U>
struct ValueTraits<Ref<U>> {
  static std::string Tag() {
    if constexpr (requires { typename U::ElementType; }) {
      return JoinTag({"[]", ValueTraits<typename U::ElementType>::Tag()});
    } else {
      return JoinTag({":", ClassNameOf(typeid(U))});
    }
  }
  static Value ToValue(const Ref<U>& v) { return Value{0, 0, v}; }
  // A non-Null object of another class is refused rather than stored.
  static Ref<U> FromValue(const Value& v) {
    if (!v.o) return nullptr;
    Ref<U> cast = DowncastObject<U>(v.o);
    if (!cast) RuntimeError("ERROR");
    return cast;
  }
};

template <class T>
std::string TypeTagOf() {
  return ValueTraits<T>::Tag();
}

}  // namespace vtl
