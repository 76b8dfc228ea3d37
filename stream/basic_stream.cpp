#include "stream/basic_stream.h"

#include <cstring>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/numeric.h"
#include "stream/stream_exceptions.h"

namespace vtl {

namespace {

// Native order is the streams' little-endian order (runtime/numeric.h).
template <class T>
T ReadValue(TStream& s) {
  T value{};
  s.ReadBytes(&value, sizeof value);
  return value;
}

}  // namespace

int32_t TStream::ReadBytes(void* buf, int32_t count) {
  auto* p = static_cast<uint8_t*>(buf);
  int32_t left = count;
  while (left > 0 && !Eof()) {
    int32_t n = Read(p, left);
    // A stream that learns of its end only by reading (a socket whose other
    // side closes while we wait) is at its end now, not broken.
    if (n <= 0 && Eof()) break;
    if (n <= 0) ThrowStreamRead();
    if (n > left) n = left;  // a misbehaving Read must not push us past the buffer
    p += n;
    left -= n;
  }
  return count;
}

int32_t TStream::WriteBytes(const void* buf, int32_t count) {
  auto* p = static_cast<const uint8_t*>(buf);
  int32_t left = count;
  while (left > 0) {
    int32_t n = Write(p, left);
    if (n <= 0) ThrowStreamWrite();
    if (n > left) n = left;
    p += n;
    left -= n;
  }
  return count;
}

int32_t TStream::SkipBytes(int32_t count) {
  uint8_t scratch[1024];
  int32_t left = count;
  while (left > 0 && !Eof()) {
    int32_t n = Read(scratch, left < 1024 ? left : 1024);
    if (n <= 0 && Eof()) break;
    if (n <= 0) ThrowStreamRead();
    left -= n;
  }
  return count;
}

uint8_t TStream::ReadByte() { return ReadValue<uint8_t>(*this); }
void TStream::WriteByte(int32_t n) {
  auto v = static_cast<uint8_t>(n);
  WriteBytes(&v, 1);
}
uint16_t TStream::ReadShort() { return ReadValue<uint16_t>(*this); }
void TStream::WriteShort(int32_t n) {
  auto v = static_cast<uint16_t>(n);
  WriteBytes(&v, 2);
}
int32_t TStream::ReadInt() { return ReadValue<int32_t>(*this); }
void TStream::WriteInt(int32_t n) { WriteBytes(&n, 4); }
int64_t TStream::ReadLong() { return ReadValue<int64_t>(*this); }
void TStream::WriteLong(int64_t n) { WriteBytes(&n, 8); }
float TStream::ReadFloat() { return ReadValue<float>(*this); }
void TStream::WriteFloat(float f) { WriteBytes(&f, 4); }
double TStream::ReadDouble() { return ReadValue<double>(*this); }
void TStream::WriteDouble(double d) { WriteBytes(&d, 8); }

// Lines and strings are bytes, one code per byte (no decoding): WriteLine
// and WriteString give the same bytes back.
String TStream::ReadLine() {
  int32_t ended = 0;
  return ReadLineUpTo(INT32_MAX, ended);  // no string is longer
}

String TStream::ReadLineUpTo(int32_t maxLength, int32_t& ended) {
  std::string line;
  uint8_t c = 0;
  ended = 1;
  for (int32_t taken = 0;; ++taken) {
    if (taken == maxLength) {
      ended = 0;
      break;
    }
    if (Read(&c, 1) != 1 || c == 0 || c == 10) break;
    if (c == 13) continue;
    if (line.size() == line.capacity()) line.reserve(line.size() + 1024);
    line.push_back(static_cast<char>(c));
  }
  return String::FromLatin1(line);
}

int32_t TStream::WriteLine(const String& text) {
  std::string bytes = text.ToLatin1();
  auto length = static_cast<int32_t>(bytes.size());
  if (Write(bytes.data(), length) != length) return 0;
  static const uint8_t kCrLf[2] = {13, 10};
  return Write(kCrLf, 2) == 2;
}

String TStream::ReadString(int32_t length) {
  // Read piece by piece rather than sizing the text up front: the length
  // often comes from the data itself and must not decide the allocation.
  std::string text;
  char chunk[1024];
  int32_t left = length;
  while (left > 0 && !Eof()) {
    int32_t n = left < 1024 ? left : 1024;
    int32_t got = Read(chunk, n);
    if (got <= 0 && Eof()) break;
    if (got <= 0) ThrowStreamRead();
    if (got > n) got = n;
    text.append(chunk, chunk + got);
    left -= got;
  }
  return String::FromLatin1(text);
}

void TStream::WriteString(const String& text) {
  std::string bytes = text.ToLatin1();
  WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
}

Ref<Object> TStream::ReadObject() { RuntimeError("Unable to read object"); }
void TStream::WriteObject(const Ref<Object>&) { RuntimeError("Unable to write object"); }

}  // namespace vtl
