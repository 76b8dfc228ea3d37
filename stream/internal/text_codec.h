// Characters to bytes and back in the four text encodings. Decoding is
// strict where the bytes come from elsewhere: a malformed or cut-off UTF-8
// sequence becomes U+FFFD and never swallows the byte after it (a line feed
// stays a line feed), overlong forms are refused, and four-byte sequences
// give code points above U+FFFF rather than garbage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vtl {

// Where a decoder takes its bytes from. Next() gives the next byte, or -1 at
// the end; Unread(b) hands back one byte to be read first by the next Next().
class ByteSource {
 public:
  virtual int32_t Next() = 0;
  virtual void Unread(int32_t byte) = 0;

 protected:
  ~ByteSource() = default;
};

constexpr int32_t kReplacementChar = 0xFFFD;

// One code point (0 to 0x10FFFF) in the encoding (TTextStream's constants),
// or -1 when the source ended before its first byte. An unknown encoding
// consumes one byte and gives 0.
int32_t DecodeCodePoint(int32_t encoding, ByteSource& in);

// Appends the bytes of one code point. Codes outside 0 to 0x10FFFF become
// U+FFFD in UTF-8 and UTF-16; Latin-1 keeps the low 8 bits; an unknown
// encoding appends nothing.
void EncodeCodePoint(std::string& out, int32_t encoding, int32_t code);

// Appends text of 16-bit codes. In UTF-8 a high surrogate followed by a low
// one is written as the single four-byte sequence of their code point; a
// lone surrogate is written as its own three-byte form, so it survives a
// round trip.
void EncodeText(std::string& out, int32_t encoding, std::u16string_view text);

}  // namespace vtl
