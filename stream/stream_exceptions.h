// Stream errors. Read and write failures are thrown as these objects (through
// vtl::Throw), so callers can tell them from runtime errors.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStreamException : public Object {};

class TStreamReadException : public TStreamException {
 public:
  String ToString() const override;  // "Error reading from stream"
};

class TStreamWriteException : public TStreamException {
 public:
  String ToString() const override;  // "Error writing to stream"
};

[[noreturn]] void ThrowStreamRead();
[[noreturn]] void ThrowStreamWrite();

}  // namespace vtl
