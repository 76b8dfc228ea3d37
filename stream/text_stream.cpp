#include "stream/text_stream.h"

#include <climits>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/string_ops.h"
#include "stream/internal/text_codec.h"
#include "stream/stream_exceptions.h"
#include "stream/stream_utils.h"

namespace vtl {

namespace {

constexpr int32_t kBytesPerHexLine = 32;
constexpr char kHexDigits[] = "0123456789ABCDEF";

int32_t HexValue(int32_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsKnownEncoding(int32_t encoding) { return encoding >= TTextStream::LATIN1 && encoding <= TTextStream::UTF16LE; }

String TextOf(const std::u16string& chars) { return String(std::u16string_view(chars)); }

}  // namespace

// The decoder's view of the wrapped stream.
class TextByteSource final : public ByteSource {
 public:
  explicit TextByteSource(TTextStream& stream) : stream_(stream) {}
  int32_t Next() override { return stream_._ReadByte(); }
  void Unread(int32_t byte) override { stream_.unreadByte_ = byte; }

 private:
  TTextStream& stream_;
};

Ref<TTextStream> TTextStream::Create(const Ref<TStream>& stream, int32_t encoding) {
  if (!IsKnownEncoding(encoding)) RuntimeError("Unknown text encoding: " + StringFromInt(encoding));
  if (stream == nullptr) return nullptr;
  auto text = New<TTextStream>();
  text->SetStream(stream);
  text->_encoding = encoding;
  return text;
}

int32_t TTextStream::Eof() {
  if (unreadByte_ >= 0 || pendingChar_ >= 0) return 0;
  return _stream->Eof();
}

int32_t TTextStream::_ReadByte() {
  if (unreadByte_ >= 0) {
    int32_t b = unreadByte_;
    unreadByte_ = -1;
    return b;
  }
  if (_stream->Eof()) return -1;
  uint8_t b = 0;
  // A source that delivers nothing counts as ended, so no loop over it spins.
  return _stream->Read(&b, 1) == 1 ? b : -1;
}

void TTextStream::_FlushRead() {
  if (_bufcount == 0) return;
  _bufcount = 0;
  int32_t b = _ReadByte();
  if (b < 0 || b == 10) return;  // the end of the data ends the line too
  if (b == 13) {
    b = _ReadByte();
    if (b < 0 || b == 10) return;
  }
  RuntimeError("Malformed line terminator");
}

void TTextStream::_FlushWrite() {
  if (_bufcount == 0) return;
  _bufcount = 0;
  static const uint8_t kCrLf[2] = {13, 10};
  _stream->WriteBytes(kCrLf, 2);
}

int32_t TTextStream::NextChar() {
  if (pendingChar_ >= 0) {
    int32_t c = pendingChar_;
    pendingChar_ = -1;
    return c;
  }
  TextByteSource source(*this);
  int32_t code = DecodeCodePoint(_encoding, source);
  if (code > 0xFFFF) {  // characters are 16-bit: a surrogate pair
    pendingChar_ = 0xDC00 + ((code - 0x10000) & 0x3FF);
    code = 0xD800 + ((code - 0x10000) >> 10);
  }
  return code;
}

int32_t TTextStream::ReadChar() {
  int32_t c = NextChar();
  return c < 0 ? 0 : c;
}

void TTextStream::WriteChar(int32_t code) {
  std::string bytes;
  EncodeCodePoint(bytes, _encoding, code);
  _stream->WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
}

int32_t TTextStream::Read(void* buf, int32_t count) {
  auto* out = static_cast<uint8_t*>(buf);
  int32_t n = 0;
  while (n < count) {
    int32_t high = _ReadByte();
    if (high < 0) break;
    int32_t low = _ReadByte();
    if (HexValue(high) < 0 || HexValue(low) < 0) RuntimeError("Malformed hexadecimal digit");
    out[n++] = static_cast<uint8_t>(HexValue(high) << 4 | HexValue(low));
    // The line end is read as soon as the line is full, as it is written.
    if (++_bufcount == kBytesPerHexLine) _FlushRead();
  }
  return n;
}

int32_t TTextStream::Write(const void* buf, int32_t count) {
  if (count <= 0) return 0;
  const auto* in = static_cast<const uint8_t*>(buf);
  std::string digits;
  digits.reserve(static_cast<size_t>(count) * 2 + static_cast<size_t>(count / kBytesPerHexLine + 1) * 2);
  for (int32_t i = 0; i < count; ++i) {
    digits += kHexDigits[in[i] >> 4];
    digits += kHexDigits[in[i] & 15];
    if (++_bufcount == kBytesPerHexLine) {
      digits += "\r\n";
      _bufcount = 0;
    }
  }
  _stream->WriteBytes(digits.data(), static_cast<int32_t>(digits.size()));
  return count;
}

uint8_t TTextStream::ReadByte() { return static_cast<uint8_t>(ReadInt()); }
void TTextStream::WriteByte(int32_t n) { WriteInt(n); }
uint16_t TTextStream::ReadShort() { return static_cast<uint16_t>(ReadInt()); }
void TTextStream::WriteShort(int32_t n) { WriteInt(n); }
int32_t TTextStream::ReadInt() { return StringToInt(ReadLine()); }
void TTextStream::WriteInt(int32_t n) { WriteLine(StringFromInt(n)); }
int64_t TTextStream::ReadLong() { return StringToLong(ReadLine()); }
void TTextStream::WriteLong(int64_t n) { WriteLine(StringFromLong(n)); }
float TTextStream::ReadFloat() { return StringToFloat(ReadLine()); }
void TTextStream::WriteFloat(float f) { WriteLine(StringFromFloat(f)); }
double TTextStream::ReadDouble() { return StringToDouble(ReadLine()); }
void TTextStream::WriteDouble(double d) { WriteLine(StringFromDouble(d)); }

String TTextStream::ReadLine() {
  int32_t ended = 0;
  // Room for the line's carriage return, and one character more to tell a
  // line too long.
  String line = ReadLineUpTo(MAX_LINE_LENGTH + 2, ended);
  if (!ended || line.Length() > MAX_LINE_LENGTH) RuntimeError("Line too long");
  return line;
}

String TTextStream::ReadLineUpTo(int32_t maxLength, int32_t& ended) {
  _FlushRead();
  std::u16string line;
  ended = 1;
  for (int32_t taken = 0;; ++taken) {
    if (taken == maxLength) {
      ended = 0;
      break;
    }
    const int32_t c = NextChar();
    if (c <= 0 || c == 10) break;
    if (c != 13) line += static_cast<char16_t>(c);
  }
  return TextOf(line);
}

String TTextStream::ReadFile() {
  _FlushRead();
  std::u16string text;
  for (int32_t c = NextChar(); c >= 0; c = NextChar()) {
    if (text.size() >= static_cast<size_t>(INT32_MAX)) RuntimeError("String too long");
    text += static_cast<char16_t>(c);
  }
  return TextOf(text);
}

String TTextStream::ReadString(int32_t count) {
  _FlushRead();
  // Grown as characters arrive: count often comes from the data itself.
  std::u16string text;
  for (int32_t i = 0; i < count; ++i) {
    int32_t c = NextChar();
    if (c < 0) break;
    text += static_cast<char16_t>(c);
  }
  return TextOf(text);
}

int32_t TTextStream::WriteLine(const String& text) {
  _FlushWrite();
  std::string bytes;
  EncodeText(bytes, _encoding, text.View());
  EncodeText(bytes, _encoding, u"\r\n");
  _stream->WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  return 1;
}

void TTextStream::WriteString(const String& text) {
  _FlushWrite();
  std::string bytes;
  EncodeText(bytes, _encoding, text.View());
  _stream->WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
}

Ref<TStream> TTextStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path,
                                              int32_t readable, int32_t writeable) {
  int32_t encoding = 0;
  if (protocol == "latin1") encoding = TTextStream::LATIN1;
  if (protocol == "utf8") encoding = TTextStream::UTF8;
  if (protocol == "utf16be") encoding = TTextStream::UTF16BE;
  if (protocol == "utf16le") encoding = TTextStream::UTF16LE;
  if (encoding == 0) return nullptr;
  return TTextStream::Create(OpenStreamUrl(path, readable, writeable), encoding);
}

void SaveTextEncoded(const String& text, const Ref<Object>& url) {
  bool latin1 = true;
  for (char16_t c : text.View()) latin1 = latin1 && c <= 255;
  if (latin1) {
    SaveTextUrl(text, url);
    return;
  }
  Ref<TStream> stream = OpenWriteStream(url);
  if (stream == nullptr) ThrowStreamWrite();
  static const uint8_t kByteOrderMark[2] = {255, 254};
  stream->WriteBytes(kByteOrderMark, 2);
  Ref<TTextStream> utf16 = TTextStream::Create(stream, TTextStream::UTF16LE);
  utf16->WriteString(text);
  utf16->Close();
  stream->Close();
}

void SaveTextEncoded(const String& text, const String& url) { SaveTextEncoded(text, Ref<Object>(url)); }

}  // namespace vtl
