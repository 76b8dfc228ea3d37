// TCStream: a file opened with the C standard file functions.
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

class TCStream : public TStream {
 public:
  static constexpr int32_t MODE_READ = 1;
  static constexpr int32_t MODE_WRITE = 2;

  ~TCStream() override;

  int32_t Pos() override;
  int32_t Size() override;
  int32_t Seek(int32_t pos) override;
  void Flush() override;
  // Flushes and closes the file; closing again does nothing.
  void Close() override;
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;

  // "r+b" when both flags are set, "wb" when only writeable, else "rb".
  // Backslashes become slashes. The Null object when the file cannot be
  // opened (or is a directory, or the name holds a zero character).
  static Ref<TCStream> OpenFile(const String& path, int32_t readable, int32_t writeable);
  // Takes ownership of an open handle; mode is MODE_READ, MODE_WRITE or both.
  static Ref<TCStream> CreateWithCStream(FILE* handle, int32_t mode);

  int32_t _pos = 0;
  int32_t _size = 0;
  FILE* _cstream = nullptr;
  int32_t _mode = 0;

 private:
  // The C library needs a seek between a read and a following write (and
  // back); this remembers which way the last transfer went.
  enum class LastOp { None, Read, Write };
  void SwitchTo(LastOp op);
  LastOp lastOp_ = LastOp::None;
};

}  // namespace vtl
