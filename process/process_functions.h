/// \file
/// Free forms of the process and pipe stream operations: each forwards to the
/// object given first (the Null object raises TNullObjectException, except
/// where said otherwise).
#pragma once

#include <cstdint>

#include "process/child_process.h"
#include "process/pipe_stream.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// TProcess::Create: the started process, or the Null object.
inline Ref<TProcess> CreateProcess(const String& command, int32_t flags = 0) {
  return TProcess::Create(command, flags);
}
/// TProcess::Status; 0 for the Null object, which runs nothing.
inline int32_t ProcessStatus(const Ref<TProcess>& process) { return process ? process->Status() : 0; }
/// TProcess::Close.
inline void CloseProcess(const Ref<TProcess>& process) { process->Close(); }
/// TProcess::Terminate.
inline void TerminateProcess(const Ref<TProcess>& process) { process->Terminate(); }
/// TProcess::TerminateAll.
inline void TerminateAllProcesses() { TProcess::TerminateAll(); }

/// TPipeStream::Create over two descriptors (-1 for one that is absent).
inline Ref<TPipeStream> CreatePipeStream(int32_t readhandle, int32_t writehandle) {
  return TPipeStream::Create(readhandle, writehandle);
}
/// TPipeStream::ReadAvail.
inline int32_t ReadAvail(const Ref<TPipeStream>& stream) { return stream->ReadAvail(); }
/// TPipeStream::ReadPipe.
inline Ref<Array<uint8_t>> ReadPipe(const Ref<TPipeStream>& stream) { return stream->ReadPipe(); }

}  // namespace vtl
