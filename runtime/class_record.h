/// \file
/// Class records: what the runtime knows about a registered class. Reflection,
/// object streams and maps read them; nothing else needs them, so classes work
/// with Ref, New, DowncastObject and lists without one.
///
///     vtl::ClassBuilder<TUnit, vtl::Object>("TUnit{doc=\"a creature\"}")
///         .Field<&TUnit::hp>("hp")
///         .Method<&TUnit::Move>("Move")
///         .Register();
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "runtime/array.h"
#include "runtime/type_tag.h"
#include "runtime/value.h"

namespace vtl {

/// One member a class record declares: a field, method, function or constant,
/// with the accessors reflection calls.
struct Declaration {
  /// What the declaration is.
  enum class Kind { Field, Method, Function, Constant };

  Kind kind = Kind::Field;  ///< What the declaration is.
  std::string name;         ///< The member's name.
  std::string meta;         ///< text between the braces of "tag{meta}", "" if none
  /// Fields: the value's tag. Methods and functions: "(args)result".
  std::string (*typeTag)() = nullptr;
  int32_t position = 0;  ///< index among the class's declarations of the same kind

  /// Fields: reads and writes the field of an object of the class.
  ///@{
  Value (*get)(const Object& self) = nullptr;
  void (*set)(Object& self, const Value& value) = nullptr;
  ///@}
  /// Methods take the object; functions ignore it. Arguments arrive converted
  /// to their declared types; a null invoker raises TNullFunctionException.
  Value (*invoke)(Object* self, std::span<const Value> args) = nullptr;
  /// Constants: the value.
  Value constant;

  /// The tag with its metadata, "tag{meta}", as reflection reads it.
  std::string Tag() const;
};

/// What the runtime knows about one registered class. ClassBuilder makes them.
struct ClassRecord {
  std::string name;                      ///< may carry "{metadata}" after the bare name
  const ClassRecord* base = nullptr;     ///< nullptr only for Object
  const std::type_info* type = nullptr;  ///< The C++ type the record stands for.
  /// True when the object is of this class or derives from it.
  bool (*isInstance)(const Object* object) = nullptr;
  /// Throws a null pointer to the record's C++ type, for isBaseOf to catch.
  void (*throwTypedNull)() = nullptr;
  /// True when other's C++ type is this record's or derives from it
  /// (publicly and unambiguously); false when other has no throwTypedNull.
  bool (*isBaseOf)(const ClassRecord& other) = nullptr;
  Ref<Object> (*create)() = nullptr;      ///< nullptr when the class needs arguments
  std::vector<Declaration> declarations;  ///< Fields, methods, functions and constants, in order of declaration.

  /// The name without its metadata.
  std::string_view BareName() const;
  /// The text between the braces after the bare name, "" if none.
  std::string_view MetaData() const;
  /// True when other is this record or one of its bases.
  bool Extends(const ClassRecord& other) const;
};

/// Adds a record to the runtime; returns the stored record, which lives until
/// the process ends. A record without a base gets Object's. Registering the
/// same C++ type again with the same name and base returns the first record;
/// with another name or base it throws a TRuntimeException naming both. When
/// the records can tell (throwTypedNull, isBaseOf: ClassBuilder sets them),
/// the chain of records must follow the C++ chain: a record whose C++ class
/// derives from a registered class below its base, or one registered after a
/// class that derives from it under the same base, is refused the same way.
/// Nothing is stored when a record is refused.
const ClassRecord& RegisterClass(ClassRecord record);
/// Every registered record, in order of registration.
std::vector<const ClassRecord*> RegisteredClasses();
/// How many records are registered: a cheap test for new ones, since records
/// are only ever added.
size_t RegisteredClassCount();
/// The record for exactly this C++ type, or nullptr.
const ClassRecord* FindClassRecord(const std::type_info& type);
/// The record of Object, the root of every chain.
const ClassRecord& ObjectClassRecord();

/// Makes a new one-dimensional array of one C++ array type, length elements long.
using ArrayMaker = Ref<ArrayBase> (*)(int32_t length);
/// Records how arrays nested depth levels around the element type leaf are
/// made (`Ref<Array<Ref<Array<Ref<TUnit>>>>>` is two levels around TUnit);
/// the first maker of a shape stays. ClassBuilder records one level around
/// each class and every array type its declarations use, so reflection makes
/// arrays that those declarations take.
void RegisterArrayMaker(const std::type_info& leaf, int32_t depth, ArrayMaker maker);
/// The maker recorded for depth levels around leaf, or nullptr.
ArrayMaker FindArrayMaker(const std::type_info& leaf, int32_t depth);

namespace detail {

// How arrays nest in a value type: Leaf is the innermost element type (the
// class for Ref<U>), depth the number of array levels around it.
template <class T>
struct ArrayNesting {
  static constexpr int32_t depth = 0;
  using Leaf = T;
};
template <class U>
struct ArrayNesting<Ref<U>> {
  static constexpr int32_t depth = 0;
  using Leaf = U;
};
template <class E>
struct ArrayNesting<Ref<Array<E>>> {
  static constexpr int32_t depth = ArrayNesting<E>::depth + 1;
  using Leaf = typename ArrayNesting<E>::Leaf;
  using Element = E;
};

// The element types a tag can name: classes, String and the primitive type
// each tag letter stands for.
template <class Leaf>
constexpr bool kTaggableLeaf =
    std::is_base_of_v<Object, Leaf> || std::is_same_v<Leaf, String> || std::is_same_v<Leaf, uint8_t> ||
    std::is_same_v<Leaf, uint16_t> || std::is_same_v<Leaf, int32_t> || std::is_same_v<Leaf, int64_t> ||
    std::is_same_v<Leaf, float> || std::is_same_v<Leaf, double>;

// Records the makers of T when it is an array type, and of its inner array types.
template <class T>
void RegisterArrayMakers() {
  if constexpr (ArrayNesting<T>::depth > 0 && kTaggableLeaf<typename ArrayNesting<T>::Leaf>) {
    using Element = typename ArrayNesting<T>::Element;
    RegisterArrayMaker(typeid(typename ArrayNesting<T>::Leaf), ArrayNesting<T>::depth,
                       [](int32_t length) -> Ref<ArrayBase> { return NewArray<Element>({length}); });
    RegisterArrayMakers<Element>();
  }
}

template <class R, class... A>
void RegisterSignatureArrayMakers(std::tuple<A...>*) {
  if constexpr (!std::is_void_v<R>) RegisterArrayMakers<std::decay_t<R>>();
  (RegisterArrayMakers<A>(), ...);
}

// Throws a TRuntimeException naming the class and its unregistered base.
[[noreturn]] void RefuseMissingBase(std::string_view className, const std::type_info& base);

// Whether one record's C++ type derives from another's, asked at run time
// without an object. dynamic_cast needs an instance, which abstract classes
// and classes that need arguments do not have (and making one would run a
// constructor with effects); a handler for `const B*` catches a thrown null
// `const D*` exactly when D is B or derives from it publicly and
// unambiguously. Only registration asks.
template <class T>
void ThrowTypedNull() {
  throw static_cast<const T*>(nullptr);
}

template <class T>
bool IsBaseOf(const ClassRecord& other) {
  if (!other.throwTypedNull) return false;
  try {
    other.throwTypedNull();
  } catch (const T*) {
    return true;
  } catch (...) {
  }
  return false;
}

template <class Signature>
struct MethodShape;

template <class R, class C, class... A>
struct MethodShape<R (C::*)(A...)> {
  using Result = R;
  using Class = C;
  using Args = std::tuple<std::decay_t<A>...>;
};
template <class R, class C, class... A>
struct MethodShape<R (C::*)(A...) const> : MethodShape<R (C::*)(A...)> {};
template <class R, class... A>
struct MethodShape<R (*)(A...)> {
  using Result = R;
  using Class = void;
  using Args = std::tuple<std::decay_t<A>...>;
};

template <class Pointer>
struct MemberShape;
template <class M, class C>
struct MemberShape<M C::*> {
  using Type = M;
  using Class = C;
};

template <class Tuple>
struct ArgTags;
template <class... A>
struct ArgTags<std::tuple<A...>> {
  static std::string Join() {
    std::string out;
    ((out.append(out.empty() ? "" : ","), out.append(TypeTagOf<A>())), ...);
    return out;
  }
};

template <class R>
std::string ResultTag() {
  if constexpr (std::is_void_v<R>)
    return "";
  else
    return TypeTagOf<std::decay_t<R>>();
}

template <auto Fn>
std::string CallableTag() {
  using Shape = MethodShape<decltype(Fn)>;
  return JoinTag({"(", ArgTags<typename Shape::Args>::Join(), ")", ResultTag<typename Shape::Result>()});
}

// "ERROR", with a detail that names the method's class and both counts.
template <class Self>
[[noreturn]] void RefuseArgumentCount(size_t takes, size_t given) {
  std::string who = "The function";
  if constexpr (!std::is_void_v<Self>) who = JoinTag({"A method of ", ClassNameOf(typeid(Self))});
  RuntimeError("ERROR", String::FromText(JoinTag({who, " ", ArgumentCountText(takes, given)})));
}

// self as a C: a plain cast when it is exactly a C (the common case, and a
// dynamic_cast costs more than the call it precedes), else a dynamic_cast;
// nullptr when self is no C.
template <class C, class O>
C* CastTo(O* self) {
  if constexpr (requires { static_cast<C*>(std::declval<O*>()); }) {
    if (self && typeid(*self) == typeid(C)) return static_cast<C*>(self);
  }
  return dynamic_cast<C*>(self);
}

template <auto Fn, class Self>
Value Invoke(Object* self, std::span<const Value> args) {
  using Shape = MethodShape<decltype(Fn)>;
  using Args = typename Shape::Args;
  constexpr size_t n = std::tuple_size_v<Args>;
  if (args.size() != n) RefuseArgumentCount<Self>(n, args.size());
  return [&]<size_t... I>(std::index_sequence<I...>)->Value {
    auto call = [&]() -> decltype(auto) {
      if constexpr (std::is_void_v<Self>) {
        return Fn(ValueTraits<std::tuple_element_t<I, Args>>::FromValue(args[I])...);
      } else {
        Self* target = CastTo<Self>(self);
        if (!target) ThrowNullObject();
        return (target->*Fn)(ValueTraits<std::tuple_element_t<I, Args>>::FromValue(args[I])...);
      }
    };
    using R = typename Shape::Result;
    if constexpr (std::is_void_v<R>) {
      call();
      return Value{};
    } else {
      return ValueTraits<std::decay_t<R>>::ToValue(call());
    }
  }
  (std::make_index_sequence<n>());
}

}  // namespace detail

/// Builds and registers the record of class T whose base is Base. Base's
/// record must exist already (module initialisers register bases first);
/// otherwise the constructor throws a TRuntimeException naming both classes.
/// Base must be T's nearest registered C++ base: Register refuses a Base
/// with a registered class between it and T (see RegisterClass).
template <class T, class Base>
class ClassBuilder {
  static_assert(std::is_base_of_v<Base, T> || std::is_same_v<T, Base>);

 public:
  /// Starts the record of T; name may carry "{metadata}" after the bare name.
  explicit ClassBuilder(std::string name) {
    record_.name = std::move(name);
    record_.type = &typeid(T);
    record_.isInstance = [](const Object* o) { return dynamic_cast<const T*>(o) != nullptr; };
    record_.throwTypedNull = &detail::ThrowTypedNull<T>;
    record_.isBaseOf = &detail::IsBaseOf<T>;
    if constexpr (!std::is_same_v<T, Base>) {
      // Falling back to Object would give T a record whose chain skips its
      // real base, for good: a record is registered once.
      record_.base = FindClassRecord(typeid(Base));
      if (!record_.base) detail::RefuseMissingBase(record_.BareName(), typeid(Base));
    }
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>) {
      record_.create = []() -> Ref<Object> { return New<T>(); };
    }
    detail::RegisterArrayMakers<Ref<Array<Ref<T>>>>();
  }

  /// Declares the data member Member (`&T::field`, or a base's) under name.
  template <auto Member>
  ClassBuilder& Field(std::string name, std::string meta = "") {
    using M = typename detail::MemberShape<decltype(Member)>::Type;
    using Owner = typename detail::MemberShape<decltype(Member)>::Class;
    static_assert(std::is_base_of_v<Owner, T>, "field of another class");
    detail::RegisterArrayMakers<M>();
    Declaration d = Begin(Declaration::Kind::Field, std::move(name), std::move(meta));
    d.typeTag = &TypeTagOf<M>;
    d.get = [](const Object& self) { return ValueTraits<M>::ToValue(OwnerOf<const Owner>(self).*Member); };
    d.set = [](Object& self, const Value& value) { OwnerOf<Owner>(self).*Member = ValueTraits<M>::FromValue(value); };
    record_.declarations.push_back(std::move(d));
    return *this;
  }

  /// Declares the member function Fn (`&T::Method`, or a base's) under
  /// name. Invoked on an object that is not a T, it raises
  /// TNullObjectException; with the wrong argument count, "ERROR" (the
  /// exception's detail gives both counts).
  template <auto Fn>
  ClassBuilder& Method(std::string name, std::string meta = "") {
    using Shape = detail::MethodShape<decltype(Fn)>;
    static_assert(std::is_base_of_v<typename Shape::Class, T>, "method of another class");
    detail::RegisterSignatureArrayMakers<typename Shape::Result>(static_cast<typename Shape::Args*>(nullptr));
    Declaration d = Begin(Declaration::Kind::Method, std::move(name), std::move(meta));
    d.typeTag = &detail::CallableTag<Fn>;
    d.invoke = &detail::Invoke<Fn, typename Shape::Class>;
    record_.declarations.push_back(std::move(d));
    return *this;
  }

  /// Declares the plain function Fn under name; invoking it ignores the object.
  template <auto Fn>
  ClassBuilder& Function(std::string name, std::string meta = "") {
    using Shape = detail::MethodShape<decltype(Fn)>;
    detail::RegisterSignatureArrayMakers<typename Shape::Result>(static_cast<typename Shape::Args*>(nullptr));
    Declaration d = Begin(Declaration::Kind::Function, std::move(name), std::move(meta));
    d.typeTag = &detail::CallableTag<Fn>;
    d.invoke = &detail::Invoke<Fn, void>;
    record_.declarations.push_back(std::move(d));
    return *this;
  }

  /// Declares a constant with its value, converted through ValueTraits<V>.
  template <class V>
  ClassBuilder& Constant(std::string name, const V& value, std::string meta = "") {
    Declaration d = Begin(Declaration::Kind::Constant, std::move(name), std::move(meta));
    d.typeTag = &TypeTagOf<V>;
    d.constant = ValueTraits<V>::ToValue(value);
    record_.declarations.push_back(std::move(d));
    return *this;
  }

  /// Registers the record (RegisterClass) and returns the stored one.
  const ClassRecord& Register() { return RegisterClass(std::move(record_)); }

 private:
  Declaration Begin(Declaration::Kind kind, std::string name, std::string meta) {
    Declaration d;
    d.kind = kind;
    d.name = std::move(name);
    d.meta = std::move(meta);
    for (const Declaration& other : record_.declarations) {
      if (other.kind == kind) ++d.position;
    }
    return d;
  }

  // self as the field's owner: a plain cast when self is exactly a T, else
  // a dynamic_cast (std::bad_cast when self is no Owner).
  template <class Owner, class O>
  static Owner& OwnerOf(O& self) {
    using Exact = std::conditional_t<std::is_const_v<O>, const T, T>;
    if constexpr (requires { static_cast<Exact*>(std::declval<O*>()); }) {
      if (typeid(self) == typeid(T)) return *static_cast<Exact*>(&self);
    }
    return dynamic_cast<Owner&>(self);
  }

  ClassRecord record_;
};

}  // namespace vtl
