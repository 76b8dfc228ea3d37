/// \file
/// TPipeStream: a stream over the ends of two pipes, one read and one
/// written, with a line reader that never waits.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// Reads one pipe and writes another (either may be absent). Read and Write
/// wait as pipes do; ReadAvail, ReadPipe and ReadLine never wait. Handles
/// are the system's file descriptors, -1 when absent; the stream owns them
/// and closes them on Close or when the last reference goes.
class TPipeStream : public TStream {
 public:
  /// The size of the line buffer of ReadLine: the longest line it can return.
  static constexpr int32_t READ_BUFFER_SIZE = 4096;

  /// Closes both handles; closing again does nothing.
  void Close() override;
  /// Up to count bytes from the read pipe, waiting until at least one is
  /// there. 0 at the pipe's end (every writer gone), without a read handle,
  /// or when count is not positive. Bytes ReadLine holds are not seen here.
  int32_t Read(void* buf, int32_t count) override;
  /// Writes count bytes to the write pipe, waiting while it is full; returns
  /// the count written. Without a write handle 0. When the reading end has
  /// gone before any byte went, raises TStreamWriteException (the process
  /// is not ended by a signal).
  int32_t Write(const void* buf, int32_t count) override;
  /// Nothing: a pipe holds no bytes of this process.
  void Flush() override;

  /// The bytes the read pipe holds now, readable without waiting; 0 when
  /// there is no read handle or the system cannot tell.
  int32_t ReadAvail();
  /// Every byte the read pipe holds now, as a new array; an empty array when
  /// there are none. Never waits.
  Ref<Array<uint8_t>> ReadPipe();
  /// The next complete line without waiting: takes what the pipe holds (as
  /// much as fits readbuffer), then returns the bytes before the first line
  /// feed, as one code per byte, without a carriage return just before the
  /// line feed or at the line's start, and removes them and the line feed.
  /// Once the pipe has reached its end (every writer gone, nothing left to
  /// read), the bytes held without a line feed are returned the same way as
  /// the last line, so output that does not end with a line feed is not lost.
  /// "" when no complete line is held yet, as for an empty line. Raises
  /// "PipeStream ReadBuffer Overflow" when readbuffer is full without a line
  /// feed and more bytes wait; ReadPipe or Read can then drain the pipe.
  /// A stream made without Create gets its buffer here.
  String ReadLine() override;

  /// A stream over the two handles (-1 for one that is absent), taking
  /// ownership of them.
  static Ref<TPipeStream> Create(int32_t readhandle, int32_t writehandle);

  Ref<Array<uint8_t>> readbuffer;  ///< ReadLine's bytes, READ_BUFFER_SIZE of them.
  int32_t bufferpos = 0;           ///< How many bytes readbuffer holds.
  int32_t readhandle = -1;         ///< The pipe end read, -1 when absent or closed.
  int32_t writehandle = -1;        ///< The pipe end written, -1 when absent or closed.

 private:
  // True when every writer of the read pipe has gone and nothing is left in it.
  bool AtPipeEnd();
};

}  // namespace vtl
