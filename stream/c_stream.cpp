#include "stream/c_stream.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/last_error.h"
#include "stream/stream_exceptions.h"

namespace vtl {

namespace {

// Positions beyond 32 bits cannot be expressed by the interface; clamp.
int32_t ClampPos(long pos) {
  if (pos < 0) return 0;
  return pos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pos);
}

// The name as bytes, the likelier reading first (see SystemFileNames).
std::vector<std::string> Readings(const String& path) {
  std::string bytes = path.ToLatin1();
  bool high = false, wide = false;
  for (char16_t c : path.View()) {
    high |= c >= 0x80;
    wide |= c > 0xFF;
  }
  if (!high) return {bytes};
  if (wide) return {path.ToUtf8()};
  bool bytesAreUtf8 = String::FromText(bytes).Length() < path.Length();
  if (bytesAreUtf8) return {bytes, path.ToUtf8()};
  return {path.ToUtf8(), bytes};
}

}  // namespace

// File names reach the system as bytes. A name the system handed over was
// read one code per byte (String::FromLatin1), so its codes are its bytes; a
// name written as text (a literal such as "Größe.png") holds characters, which
// the file system keeps as UTF-8. The codes tell which where they can: a code
// above 255 is text, and codes 128 to 255 that are not UTF-8 as bytes are most
// likely text too. The likelier reading comes first; the other is worth a try
// when the file must already exist.
std::vector<std::string> SystemFileNames(const String& path) {
  std::vector<std::string> names = Readings(path);
  for (std::string& name : names) {
    for (char& c : name) {
      if (c == '\\') c = '/';
      // A zero would cut the name short and open some other file.
      if (c == '\0') return {};
    }
    if (name.empty()) return {};
  }
  return names;
}

std::string SystemBytes(const String& text) { return Readings(text).front(); }

TCStream::~TCStream() { CloseHandle(); }

int32_t TCStream::Eof() {
  if (!_cstream || Seekable() || !(_mode & MODE_READ)) return TStream::Eof();
  // Nothing to compare with: only reading tells whether more will come.
  SwitchTo(LastOp::Read);
  const int c = std::getc(_cstream);
  // A failed read is no end: the read that follows reports the error.
  if (c == EOF) return std::feof(_cstream) ? 1 : 0;
  std::ungetc(c, _cstream);
  return 0;
}

int32_t TCStream::Pos() { return _pos; }
int32_t TCStream::Size() { return _size; }

int32_t TCStream::Seek(int32_t pos) {
  if (!_cstream) return -1;
  // A failed seek may drop what the C library has buffered: not tried at all.
  if (!Seekable()) return _pos;
  std::fseek(_cstream, pos, SEEK_SET);
  long at = std::ftell(_cstream);
  if (at >= 0) _pos = ClampPos(at);
  lastOp_ = LastOp::None;
  return _pos;
}

void TCStream::Flush() {
  if (_cstream && std::fflush(_cstream) != 0 && (_mode & MODE_WRITE)) ThrowStreamWrite();
}

void TCStream::Close() {
  if (!CloseHandle()) ThrowStreamWrite();
}

bool TCStream::CloseHandle() noexcept {
  if (!_cstream) return true;
  const bool flushed = std::fflush(_cstream) == 0;
  const bool closed = std::fclose(_cstream) == 0;
  _cstream = nullptr;
  _pos = 0;
  _size = 0;
  return (flushed && closed) || !(_mode & MODE_WRITE);
}

void TCStream::SwitchTo(LastOp op) {
  if (lastOp_ != LastOp::None && lastOp_ != op && Seekable()) std::fseek(_cstream, _pos, SEEK_SET);
  lastOp_ = op;
}

int32_t TCStream::Read(void* buf, int32_t count) {
  if (!_cstream || count <= 0) return 0;
  SwitchTo(LastOp::Read);
  size_t n = std::fread(buf, 1, static_cast<size_t>(count), _cstream);
  if (Seekable()) _pos = ClampPos(static_cast<long>(_pos) + static_cast<long>(n));
  return static_cast<int32_t>(n);
}

int32_t TCStream::Write(const void* buf, int32_t count) {
  if (!_cstream || count <= 0) return 0;
  SwitchTo(LastOp::Write);
  size_t n = std::fwrite(buf, 1, static_cast<size_t>(count), _cstream);
  if (Seekable()) {
    _pos = ClampPos(static_cast<long>(_pos) + static_cast<long>(n));
    if (_pos > _size) _size = _pos;
  }
  return static_cast<int32_t>(n);
}

Ref<TCStream> TCStream::OpenFile(const String& path, int32_t readable, int32_t writeable) {
  const char* mode = "rb";
  int32_t bits = MODE_READ;
  if (readable && writeable) {
    mode = "r+b";
    bits = MODE_READ | MODE_WRITE;
  } else if (writeable) {
    mode = "wb";
    bits = MODE_WRITE;
  }
  FILE* handle = nullptr;
  int error = 0;
  for (const std::string& name : SystemFileNames(path)) {
    handle = std::fopen(name.c_str(), mode);
    if (!handle && error == 0) error = errno;  // the likelier name's reason
    // A new file is made under the likelier name only.
    if (handle || bits == MODE_WRITE) break;
  }
  struct stat info;
  if (handle && fstat(fileno(handle), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(handle);
    handle = nullptr;
    error = EISDIR;
  }
  if (!handle) {
    const char* purpose = bits == MODE_READ ? "reading" : (bits == MODE_WRITE ? "writing" : "reading and writing");
    SetLastErrorText("Cannot open '" + path + "' for " + purpose + ": " +
                     (error ? std::strerror(error) : "the name holds a zero character"));
    return nullptr;
  }
  return CreateWithCStream(handle, bits);
}

Ref<TCStream> TCStream::CreateWithCStream(FILE* handle, int32_t mode) {
  if (!handle) return nullptr;
  auto stream = New<TCStream>();
  stream->_cstream = handle;
  stream->_mode = mode;
  // A pipe or a FIFO cannot tell its position: both stay unknown, and reads
  // go on to the end of the data rather than stopping at a size of 0.
  stream->_pos = -1;
  stream->_size = -1;
  long pos = std::ftell(handle);
  if (pos >= 0 && std::fseek(handle, 0, SEEK_END) == 0) {
    long end = std::ftell(handle);
    std::fseek(handle, pos, SEEK_SET);
    if (end >= 0) {
      stream->_pos = ClampPos(pos);
      stream->_size = ClampPos(end);
    }
  }
  return stream;
}

}  // namespace vtl
