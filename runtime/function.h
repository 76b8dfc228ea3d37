// Function pointers that start out unset: calling one that was never set
// throws TNullFunctionException instead of jumping nowhere.
#pragma once

#include <utility>

#include "runtime/exceptions.h"

namespace vtl {

template <class Signature>
class Function;

template <class R, class... A>
class Function<R(A...)> {
 public:
  using Pointer = R (*)(A...);

  constexpr Function() noexcept = default;
  constexpr Function(Pointer p) noexcept : fn_(p ? p : &Stub) {}

  R operator()(A... args) const { return fn_(std::forward<A>(args)...); }
  bool IsSet() const noexcept { return fn_ != &Stub; }
  Pointer Get() const noexcept { return IsSet() ? fn_ : nullptr; }

 private:
  static R Stub(A...) { ThrowNullFunction(); }
  Pointer fn_ = &Stub;
};

}  // namespace vtl
