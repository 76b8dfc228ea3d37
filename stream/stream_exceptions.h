/// \file
/// Stream errors. Read and write failures are thrown as these objects (through
/// vtl::Throw), so callers can tell them from runtime errors.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// Base of the stream errors.
class TStreamException : public Object {};

/// A read failed.
class TStreamReadException : public TStreamException {
 public:
  String ToString() const override;  ///< "Error reading from stream"
};

/// A write failed.
class TStreamWriteException : public TStreamException {
 public:
  String ToString() const override;  ///< "Error writing to stream"
};

/// Throws a new TStreamReadException.
[[noreturn]] void ThrowStreamRead();
/// Throws a new TStreamWriteException.
[[noreturn]] void ThrowStreamWrite();

}  // namespace vtl
