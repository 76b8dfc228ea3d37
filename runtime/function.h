/// \file
/// Function pointers that start out unset: calling one that was never set
/// throws TNullFunctionException instead of jumping nowhere.
#pragma once

#include <utility>

#include "runtime/exceptions.h"
#include "runtime/type_tag.h"

namespace vtl {

/// A function pointer of the given signature (`Function<int32_t(int32_t)>`).
template <class Signature>
class Function;

/// A function pointer that throws TNullFunctionException when called unset.
template <class R, class... A>
class Function<R(A...)> {
 public:
  /// The plain function pointer type.
  using Pointer = R (*)(A...);

  /// An unset pointer.
  constexpr Function() noexcept = default;
  /// Points at p; a null p leaves the pointer unset.
  constexpr Function(Pointer p) noexcept : fn_(p ? p : &Stub) {}
  /// Capture-free lambdas convert like plain functions.
  template <class F>
  requires(std::is_convertible_v<F, Pointer> &&
           !std::is_same_v<std::decay_t<F>, Pointer>) constexpr Function(F f) noexcept
      : Function(static_cast<Pointer>(f)) {}

  /// Calls the function; throws TNullFunctionException when it is unset.
  R operator()(A... args) const { return fn_(std::forward<A>(args)...); }
  /// True once set to a function.
  bool IsSet() const noexcept { return fn_ != &Stub; }
  /// The function, or nullptr when unset.
  Pointer Get() const noexcept { return IsSet() ? fn_ : nullptr; }

 private:
  static R Stub(A...) { ThrowNullFunction(); }
  Pointer fn_ = &Stub;
};

/// Function pointers carry the tag of their signature; they do not travel
/// through Value (a read gives 0, a write leaves the stub).
template <class R, class... A>
struct ValueTraits<Function<R(A...)>> {
  /// "(args)result", as for methods.
  static std::string Tag() {
    std::string args;
    ((args.append(args.empty() ? "" : ","), args.append(TypeTagOf<std::decay_t<A>>())), ...);
    std::string result;
    if constexpr (!std::is_void_v<R>) result = TypeTagOf<std::decay_t<R>>();
    return JoinTag({"(", args, ")", result});
  }
  /// The zero Value.
  static Value ToValue(const Function<R(A...)>&) { return Value{}; }
  /// An unset pointer.
  static Function<R(A...)> FromValue(const Value&) { return {}; }
};

}  // namespace vtl
