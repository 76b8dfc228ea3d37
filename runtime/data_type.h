/// \file
/// Data objects: the bases of objects that object streams can write and read.
/// A TData names its TDataType, which writes and reads one object of it.
/// The streams themselves live in the stream library; the runtime only knows
/// the stream class by name, so the dependency points one way.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStream;
class TDataType;

/// An object that object streams can write and read through its data type.
class TData : public Object {
 public:
  /// The type that writes and reads objects of this class. The base throws
  /// TNullMethodException.
  virtual Ref<TDataType> DataType() const;
};

/// Writes and reads the objects of one class in object streams. Every data
/// type made with New joins the registry chain (RegisterDataType) and lives
/// until the process ends. The base's Tag, ReadObject and WriteObject throw
/// TNullMethodException.
class TDataType : public Object {
 public:
  /// Called by New once the type is whole: it becomes the head of the
  /// registry chain. A constructor that throws registers nothing.
  static void AfterNew(const Ref<TDataType>& made);

  /// The name under which streams record objects of this type.
  virtual String Tag() const;
  /// Reads one object from the stream.
  virtual Ref<Object> ReadObject(const Ref<TStream>& stream);
  /// Writes the object to the stream.
  virtual void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream);
  /// Reads what refers back to an object still being read; nothing by default.
  virtual void ReadCyclicObject(const Ref<Object>& object, const Ref<TStream>& stream);

  /// The most recently made data type; follow _succ for the others.
  static Ref<TDataType> Registered();

  Ref<TDataType> _succ;  ///< The data type made before this one, or Null.
};

/// Puts the data type at the head of the registry chain, so object streams
/// find it first. 1 when it was linked in; 0, changing nothing, for a type
/// already in the chain or the Null object. New calls it for every data type
/// it makes. Main thread only, like every registry.
int32_t RegisterDataType(const Ref<TDataType>& type);

}  // namespace vtl
