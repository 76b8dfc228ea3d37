// Data objects: the bases of objects that object streams can write and read.
// A TData names its TDataType, which writes and reads one object of it.
// The streams themselves live in the stream library; the runtime only knows
// the stream class by name, so the dependency points one way.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStream;
class TDataType;

class TData : public Object {
 public:
  // The type that writes and reads objects of this class.
  virtual Ref<TDataType> DataType() const;
};

class TDataType : public Object {
 public:
  // Registers the new type at once: it becomes the head of the registry chain.
  TDataType();

  virtual String Tag() const;
  virtual Ref<Object> ReadObject(const Ref<TStream>& stream);
  virtual void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream);
  // Reads what refers back to an object still being read; nothing by default.
  virtual void ReadCyclicObject(const Ref<Object>& object, const Ref<TStream>& stream);

  // The most recently made data type; follow _succ for the others.
  static Ref<TDataType> Registered();

  Ref<TDataType> _succ;
};

}  // namespace vtl
