/// \file
/// TCStream: a file opened with the C standard file functions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// A file through the C standard file functions. Positions and sizes beyond
/// the int range are clamped to it.
///
/// A file whose position the system cannot tell (a pipe, a FIFO, a terminal)
/// has position and size -1; it is read to the real end of its data, which
/// Eof learns by looking at the next byte.
///
/// Small writes wait in the C library's buffer, so a write the system refuses
/// (a full disk) may show only when they are flushed: Flush and Close raise
/// TStreamWriteException then. Closing at the last release drops the error,
/// so code that must know closes explicitly.
class TCStream : public TStream {
 public:
  static constexpr int32_t MODE_READ = 1;   ///< Mode bit: open for reading.
  static constexpr int32_t MODE_WRITE = 2;  ///< Mode bit: open for writing.

  /// Closes the file, dropping any error.
  ~TCStream() override;

  /// At the tracked size; for a file of unknown size, when the next read
  /// would find nothing more (this may wait for data, as reading does).
  int32_t Eof() override;
  /// The position as this stream has tracked it; -1 when the system cannot
  /// tell it.
  int32_t Pos() override;
  /// The size as this stream has tracked it (grown by writes past the end);
  /// -1 when the system cannot tell the position.
  int32_t Size() override;
  /// Moves to pos; returns the position the file reports (-1 when closed or
  /// when the file cannot seek).
  int32_t Seek(int32_t pos) override;
  /// Flushes the C library's buffer; raises TStreamWriteException when the
  /// system refuses the bytes of a writeable file.
  void Flush() override;
  /// Flushes and closes the file; closing again does nothing. The file is
  /// closed in any case; a writeable file whose last bytes the system
  /// refused then raises TStreamWriteException.
  void Close() override;
  /// Up to count bytes through fread / fwrite; 0 when closed or count is not
  /// positive. Writing past the end grows the size.
  ///@{
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  ///@}

  /// "r+b" when both flags are set, "wb" when only writeable, else "rb".
  /// Backslashes become slashes. A name written as text reaches the file
  /// system as UTF-8, a name the system handed over (one code per byte) as
  /// its bytes. The Null object when the file cannot be opened (or is a
  /// directory, or the name holds a zero character); LastErrorText() then
  /// says "Cannot open 'name' for reading: " and the system's reason.
  static Ref<TCStream> OpenFile(const String& path, int32_t readable, int32_t writeable);
  /// Takes ownership of an open handle; mode is MODE_READ, MODE_WRITE or both.
  /// The Null object for a null handle.
  static Ref<TCStream> CreateWithCStream(FILE* handle, int32_t mode);

  int32_t _pos = 0;          ///< The position.
  int32_t _size = 0;         ///< The size.
  FILE* _cstream = nullptr;  ///< The open file, nullptr once closed.
  int32_t _mode = 0;         ///< MODE_READ, MODE_WRITE or both.

 private:
  // The C library needs a seek between a read and a following write (and
  // back); this remembers which way the last transfer went.
  enum class LastOp { None, Read, Write };
  void SwitchTo(LastOp op);
  // Closes the handle; false when a writeable file's bytes were refused.
  bool CloseHandle() noexcept;
  bool Seekable() const { return _size >= 0; }
  LastOp lastOp_ = LastOp::None;
};

/// The bytes under which the file system may know a name, the likelier
/// first: a name written as text as UTF-8, a name the system handed over
/// (one code per byte) as its bytes, and where the codes leave it open both.
/// Backslashes become slashes. Empty for an empty name or one holding a zero
/// character. For code that hands file names to C libraries.
std::vector<std::string> SystemFileNames(const String& path);

/// The bytes the system most likely knows a text by, as the first of
/// SystemFileNames reads it but with backslashes and zero characters kept:
/// UTF-8 for text written as such, the bytes themselves for text the system
/// handed over one code per byte. For command lines and other text that
/// leaves the program.
std::string SystemBytes(const String& text);

}  // namespace vtl
