/// \file
/// Text streams: a stream of characters in one of four encodings over any
/// stream. Text is encoded, numbers travel as lines of decimal text and raw
/// bytes as lines of hexadecimal digits; reading undoes each of these. The
/// protocols "latin1", "utf8", "utf16be" and "utf16le" open one by URL.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/stream_factory.h"
#include "stream/stream_wrapper.h"

namespace vtl {

/// Characters in one encoding over the wrapped stream.
///
/// Reading is safe on any bytes: in UTF-8 a malformed, overlong or cut-off
/// sequence reads as U+FFFD and the byte that broke it is read again as the
/// start of the next character, so a line feed is never swallowed; a
/// four-byte sequence reads as the two characters of its surrogate pair.
/// Half a UTF-16 code unit at the end reads as U+FFFD. Lines are limited to
/// MAX_LINE_LENGTH characters.
///
/// Raw bytes (Read, Write, and so ReadBytes and WriteBytes) are lines of 64
/// hexadecimal digits, 32 bytes to a line, ended by 13, 10. The digits and
/// line ends are single bytes whatever the encoding. A text or number
/// operation first ends an open line of digits.
class TTextStream : public TStreamWrapper {
 public:
  static constexpr int32_t LATIN1 = 1;   ///< One byte per character, 0 to 255.
  static constexpr int32_t UTF8 = 2;     ///< UTF-8.
  static constexpr int32_t UTF16BE = 3;  ///< UTF-16, high byte first.
  static constexpr int32_t UTF16LE = 4;  ///< UTF-16, low byte first.
  /// The longest line ReadLine returns; a longer one raises "Line too long"
  /// rather than filling memory with an endless line.
  static constexpr int32_t MAX_LINE_LENGTH = 16 * 1024 * 1024;

  /// A text stream over stream in encoding (one of the four constants); the
  /// Null object for a null stream. Any other encoding raises a runtime
  /// error.
  static Ref<TTextStream> Create(const Ref<TStream>& stream, int32_t encoding);

  /// The wrapped stream's end, but not while a byte or character read ahead
  /// is still to be delivered.
  int32_t Eof() override;

  /// Decodes pairs of hexadecimal digits (either case) into bytes, reading
  /// the line end after every 32nd byte. Returns the bytes decoded: fewer
  /// than count when the data ends. Any other character where a digit is due
  /// raises "Malformed hexadecimal digit", a wrong line end "Malformed line
  /// terminator"; the end of the data is a line end.
  int32_t Read(void* buf, int32_t count) override;
  /// Writes each byte as two upper-case hexadecimal digits and 13, 10 after
  /// every 32nd byte of a line. Returns count.
  int32_t Write(const void* buf, int32_t count) override;

  /// Numbers as lines of decimal text. A read ends an open line of digits,
  /// reads a line and converts it (leading blanks skipped, 0 for no digits);
  /// ReadByte and ReadShort return the low bits of the number read. A write
  /// ends an open line of digits and writes the number's text as a line.
  ///@{
  uint8_t ReadByte() override;
  void WriteByte(int32_t n) override;
  uint16_t ReadShort() override;
  void WriteShort(int32_t n) override;
  int32_t ReadInt() override;
  void WriteInt(int32_t n) override;
  int64_t ReadLong() override;
  void WriteLong(int64_t n) override;
  float ReadFloat() override;
  void WriteFloat(float f) override;
  double ReadDouble() override;
  void WriteDouble(double d) override;
  ///@}

  /// The characters up to a line feed or a character 0, which is consumed
  /// and not returned, or up to the end of the data; carriage returns are
  /// dropped.
  String ReadLine() override;
  /// ReadLine of at most maxLength characters, carriage returns included
  /// (see TStream::ReadLineUpTo).
  String ReadLineUpTo(int32_t maxLength, int32_t& ended) override;
  /// Every character up to the end of the data, with no line handling.
  virtual String ReadFile();
  /// The text and then 13, 10, encoded. Returns 1.
  int32_t WriteLine(const String& text) override;
  /// count characters, fewer when the data ends first.
  String ReadString(int32_t count) override;
  /// The text, encoded; nothing is appended.
  void WriteString(const String& text) override;

  /// One character (0 to 65535) in the stream's encoding; 0 at the end of
  /// the data.
  virtual int32_t ReadChar();
  /// One character or code point in the stream's encoding. Code points above
  /// 65535 become four UTF-8 bytes or a UTF-16 surrogate pair.
  virtual void WriteChar(int32_t code);

  int32_t _encoding = UTF8;  ///< LATIN1, UTF8, UTF16BE or UTF16LE.
  /// Bytes written to, or read from, the open line of hexadecimal digits;
  /// 0 when none is open.
  int32_t _bufcount = 0;

 private:
  friend class TextByteSource;

  // The next byte of the wrapped stream (a byte handed back first), or -1
  // at its end.
  int32_t _ReadByte();
  // Ends an open line of digits: reads its line end, or writes 13, 10.
  void _FlushRead();
  void _FlushWrite();
  // The next character, or -1 at the end of the data.
  int32_t NextChar();

  int32_t unreadByte_ = -1;   // a byte the decoder handed back, or -1
  int32_t pendingChar_ = -1;  // the low surrogate of a pair read, or -1
};

/// Opens text streams for the protocols "latin1", "utf8", "utf16be" and
/// "utf16le": the path is opened as a URL with the same flags and wrapped in
/// that encoding. Other protocols, and paths that do not open, give the Null
/// object.
class TTextStreamFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

/// Saves text so that no character is lost: one byte per character when
/// every code is 255 or less (as SaveTextUrl), else the UTF-16 little-endian
/// byte-order mark 255, 254 and two bytes per character, low byte first.
/// Raises TStreamWriteException when the url cannot be opened for writing.
///@{
void SaveTextEncoded(const String& text, const Ref<Object>& url);
void SaveTextEncoded(const String& text, const String& url);
///@}

}  // namespace vtl
