// Function pointers that start out unset: calling one that was never set
// throws TNullFunctionException instead of jumping nowhere.
#pragma once

#include <utility>

#include "runtime/exceptions.h"
#include "runtime/type_tag.h"

namespace vtl {

template <class Signature>
class Function;

template <class R, class... A>
class Function<R(A...)> {
 public:
  using Pointer = R (*)(A...);

  constexpr Function() noexcept = default;
  constexpr Function(Pointer p) noexcept : fn_(p ? p : &Stub) {}
  // Capture-free lambdas convert like plain functions.
  template <class F>
  requires(std::is_convertible_v<F, Pointer> &&
           !std::is_same_v<std::decay_t<F>, Pointer>) constexpr Function(F f) noexcept
      : Function(static_cast<Pointer>(f)) {}

  R operator()(A... args) const { return fn_(std::forward<A>(args)...); }
  bool IsSet() const noexcept { return fn_ != &Stub; }
  Pointer Get() const noexcept { return IsSet() ? fn_ : nullptr; }

 private:
  static R Stub(A...) { ThrowNullFunction(); }
  Pointer fn_ = &Stub;
};

// Function pointers carry the tag of their signature; they do not travel
// through Value (a read gives 0, a write leaves the stub).
template <class R, class... A>
struct ValueTraits<Function<R(A...)>> {
  static std::string Tag() {
    std::string args;
    ((args.append(args.empty() ? "" : ","), args.append(TypeTagOf<std::decay_t<A>>())), ...);
    std::string result;
    if constexpr (!std::is_void_v<R>) result = TypeTagOf<std::decay_t<R>>();
    return JoinTag({"(", args, ")", result});
  }
  static Value ToValue(const Function<R(A...)>&) { return Value{}; }
  static Function<R(A...)> FromValue(const Value&) { return {}; }
};

}  // namespace vtl
