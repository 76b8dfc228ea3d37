// Thrown objects and the runtime's exception classes.
//
// Anything can be thrown: Throw(object) raises the C++ exception ThrownObject
// carrying it. Catch by class with DowncastObject:
//
//   try { ... } catch (const vtl::ThrownObject& t) {
//     if (auto e = vtl::DowncastObject<vtl::TRuntimeException>(t.object)) { ... } else throw;
//   }
#pragma once

#include <exception>
#include <string>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class ThrownObject : public std::exception {
 public:
  explicit ThrownObject(Ref<Object> thrown);
  const char* what() const noexcept override { return text_.c_str(); }

  Ref<Object> object;

 private:
  std::string text_;
};

[[noreturn]] void Throw(const Ref<Object>& object);
// Throws a new TRuntimeException with the text.
[[noreturn]] void RuntimeError(const String& error);

// Base of the framework's exceptions.
class TQuornException : public Object {};

class TNullObjectException : public TQuornException {
 public:
  String ToString() const override;
};

class TNullMethodException : public TQuornException {
 public:
  String ToString() const override;
};

class TNullFunctionException : public TQuornException {
 public:
  String ToString() const override;
};

class TArrayBoundsException : public TQuornException {
 public:
  String ToString() const override;
};

class TOutOfDataException : public TQuornException {
 public:
  String ToString() const override;
};

class TRuntimeException : public TQuornException {
 public:
  static Ref<TRuntimeException> Create(const String& error);
  String ToString() const override;

  String error;
};

// Shorthands for the runtime's own checks.
[[noreturn]] void ThrowNullMethod();
[[noreturn]] void ThrowNullFunction();
[[noreturn]] void ThrowArrayBounds();
[[noreturn]] void ThrowOutOfData();

}  // namespace vtl
