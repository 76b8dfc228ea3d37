/// \file
/// Thrown objects and the runtime's exception classes.
///
/// Anything can be thrown: Throw(object) raises the C++ exception ThrownObject
/// carrying it. Catch by class with DowncastObject:
///
///     try { ... } catch (const vtl::ThrownObject& t) {
///       if (auto e = vtl::DowncastObject<vtl::TRuntimeException>(t.object)) { ... } else throw;
///     }
#pragma once

#include <exception>
#include <string>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// The C++ exception that carries every thrown object.
class ThrownObject : public std::exception {
 public:
  /// Carries thrown; its ToString() is taken now, as UTF-8, for what().
  explicit ThrownObject(Ref<Object> thrown);
  /// The thrown object's text in UTF-8 ("" for the Null object).
  const char* what() const noexcept override { return text_.c_str(); }

  Ref<Object> object;  ///< The thrown object.

 private:
  std::string text_;
};

/// Throws the object as a ThrownObject.
[[noreturn]] void Throw(const Ref<Object>& object);
/// Throws a new TRuntimeException with the text.
[[noreturn]] void RuntimeError(const String& error);
/// Throws a new TRuntimeException with the text and, in its detail field, the
/// reason in full. Used where the text itself is fixed (the bare "ERROR" of
/// reflection, for one), so that callers matching the text still match.
[[noreturn]] void RuntimeError(const String& error, const String& detail);

/// Base of the framework's exceptions.
class TQuornException : public Object {};

/// A member was used through the Null object.
class TNullObjectException : public TQuornException {
 public:
  /// "Attempt to access field or method of Null object".
  String ToString() const override;
};

/// An abstract method was called.
class TNullMethodException : public TQuornException {
 public:
  /// "Attempt to call abstract method".
  String ToString() const override;
};

/// A function pointer that was never set was called.
class TNullFunctionException : public TQuornException {
 public:
  /// "Attempt to call uninitialized function pointer".
  String ToString() const override;
};

/// An index outside an array or string.
class TArrayBoundsException : public TQuornException {
 public:
  /// "Attempt to index array element beyond array length".
  String ToString() const override;
};

/// A data statement read at the end of its block.
class TOutOfDataException : public TQuornException {
 public:
  /// "Attempt to read beyond end of data".
  String ToString() const override;
};

/// An error described by its text; RuntimeError throws one.
class TRuntimeException : public TQuornException {
 public:
  /// A new exception with the text.
  static Ref<TRuntimeException> Create(const String& error);
  /// The text; the detail is not part of it.
  String ToString() const override;

  String error;  ///< The text.
  /// Why, in full, where the text alone does not say; "" otherwise. Kept out
  /// of the class record, whose fields programs may list.
  String detail;
};

/// \name Shorthands for the runtime's own checks
///@{

/// Throws a new TNullMethodException.
[[noreturn]] void ThrowNullMethod();
/// Throws a new TNullFunctionException.
[[noreturn]] void ThrowNullFunction();
/// Throws a new TArrayBoundsException.
[[noreturn]] void ThrowArrayBounds();
/// Throws a new TOutOfDataException.
[[noreturn]] void ThrowOutOfData();
///@}

}  // namespace vtl
