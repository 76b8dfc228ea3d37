#include "runtime/exceptions.h"

namespace vtl {

ThrownObject::ThrownObject(Ref<Object> thrown) : object(std::move(thrown)) {
  text_ = object ? object->ToString().ToUtf8() : std::string();
}

void Throw(const Ref<Object>& object) { throw ThrownObject(object); }

void RuntimeError(const String& error) { Throw(TRuntimeException::Create(error)); }

void RuntimeError(const String& error, const String& detail) {
  auto e = TRuntimeException::Create(error);
  e->detail = detail;
  Throw(e);
}

String TNullObjectException::ToString() const { return "Attempt to access field or method of Null object"; }
String TNullMethodException::ToString() const { return "Attempt to call abstract method"; }
String TNullFunctionException::ToString() const { return "Attempt to call uninitialized function pointer"; }
String TArrayBoundsException::ToString() const { return "Attempt to index array element beyond array length"; }
String TOutOfDataException::ToString() const { return "Attempt to read beyond end of data"; }

Ref<TRuntimeException> TRuntimeException::Create(const String& error) {
  auto e = New<TRuntimeException>();
  e->error = error;
  return e;
}

String TRuntimeException::ToString() const { return error; }

void ThrowNullObject() { Throw(New<TNullObjectException>()); }
void ThrowNullMethod() { Throw(New<TNullMethodException>()); }
void ThrowNullFunction() { Throw(New<TNullFunctionException>()); }
void ThrowArrayBounds() { Throw(New<TArrayBoundsException>()); }
void ThrowOutOfData() { Throw(New<TOutOfDataException>()); }

}  // namespace vtl
