#include "stream/ram_stream.h"

#include <cstring>

namespace vtl {

int32_t TRamStream::Pos() { return _pos; }
int32_t TRamStream::Size() { return _size; }

int32_t TRamStream::Seek(int32_t pos) {
  if (pos < 0) pos = 0;
  if (pos > _size) pos = _size;
  _pos = pos;
  return _pos;
}

int32_t TRamStream::Read(void* buf, int32_t count) {
  if (count <= 0 || !_read) return 0;
  int32_t n = count < _size - _pos ? count : _size - _pos;
  if (n <= 0) return 0;
  std::memcpy(buf, _buf + _pos, static_cast<size_t>(n));
  _pos += n;
  return n;
}

int32_t TRamStream::Write(const void* buf, int32_t count) {
  if (count <= 0 || !_write) return 0;
  int32_t n = count < _size - _pos ? count : _size - _pos;
  if (n <= 0) return 0;
  std::memcpy(_buf + _pos, buf, static_cast<size_t>(n));
  _pos += n;
  return n;
}

Ref<TRamStream> TRamStream::Create(void* buf, int32_t size, int32_t readable, int32_t writeable) {
  auto stream = New<TRamStream>();
  stream->_buf = static_cast<uint8_t*>(buf);
  stream->_size = (buf && size > 0) ? size : 0;
  stream->_read = readable != 0;
  stream->_write = writeable != 0;
  return stream;
}

}  // namespace vtl
