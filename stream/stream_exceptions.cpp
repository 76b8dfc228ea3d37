#include "stream/stream_exceptions.h"

#include "runtime/exceptions.h"

namespace vtl {

String TStreamReadException::ToString() const { return "Error reading from stream"; }
String TStreamWriteException::ToString() const { return "Error writing to stream"; }

void ThrowStreamRead() { Throw(New<TStreamReadException>()); }
void ThrowStreamWrite() { Throw(New<TStreamWriteException>()); }

}  // namespace vtl
