#include "stream/internal/text_codec.h"

#include "stream/text_stream.h"

namespace vtl {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Reads one continuation byte in [low, high]. A byte outside goes back to
// the source: it begins the next character.
bool Continuation(ByteSource& in, int32_t low, int32_t high, int32_t& code) {
  int32_t b = in.Next();
  if (b < 0) return false;
  if (b < low || b > high) {
    in.Unread(b);
    return false;
  }
  code = (code << 6) | (b & 0x3F);
  return true;
}

// The second byte's range rules out overlong forms and code points above
// U+10FFFF. Encoded surrogates (ED A0..BF) are accepted: the text model holds
// any 16-bit code, and EncodeText writes lone surrogates that way.
int32_t DecodeUtf8(ByteSource& in) {
  int32_t a = in.Next();
  if (a < 0x80) return a;  // also -1 at the end
  int32_t code;
  int32_t more;
  int32_t low = 0x80;
  int32_t high = 0xBF;
  if (a >= 0xC2 && a <= 0xDF) {
    code = a & 0x1F;
    more = 1;
  } else if (a >= 0xE0 && a <= 0xEF) {
    code = a & 0x0F;
    more = 2;
    if (a == 0xE0) low = 0xA0;
  } else if (a >= 0xF0 && a <= 0xF4) {
    code = a & 0x07;
    more = 3;
    if (a == 0xF0) low = 0x90;
    if (a == 0xF4) high = 0x8F;
  } else {
    return kReplacementChar;  // a stray continuation byte, C0, C1 or F5..FF
  }
  for (int32_t i = 0; i < more; ++i) {
    if (!Continuation(in, low, high, code)) return kReplacementChar;
    low = 0x80;
    high = 0xBF;
  }
  return code;
}

int32_t DecodeUtf16(ByteSource& in, bool bigEndian) {
  int32_t a = in.Next();
  if (a < 0) return -1;
  int32_t c = in.Next();
  if (c < 0) return kReplacementChar;  // half a code unit at the end
  return bigEndian ? (a << 8 | c) : (a | c << 8);
}

void PutUtf16(std::string& out, int32_t unit, bool bigEndian) {
  auto high = static_cast<char>(unit >> 8);
  auto low = static_cast<char>(unit & 0xFF);
  out += bigEndian ? high : low;
  out += bigEndian ? low : high;
}

}  // namespace

int32_t DecodeCodePoint(int32_t encoding, ByteSource& in) {
  switch (encoding) {
    case TTextStream::LATIN1: return in.Next();
    case TTextStream::UTF8: return DecodeUtf8(in);
    case TTextStream::UTF16BE: return DecodeUtf16(in, true);
    case TTextStream::UTF16LE: return DecodeUtf16(in, false);
    default: return in.Next() < 0 ? -1 : 0;
  }
}

void EncodeCodePoint(std::string& out, int32_t encoding, int32_t code) {
  if (encoding == TTextStream::LATIN1) {
    out += static_cast<char>(code & 0xFF);
    return;
  }
  if (code < 0 || code > 0x10FFFF) code = kReplacementChar;
  auto put = [&](int32_t b) { out += static_cast<char>(b); };
  switch (encoding) {
    case TTextStream::UTF8:
      if (code <= 0x7F) {
        put(code);
      } else if (code <= 0x7FF) {
        put(0xC0 | code >> 6);
        put(0x80 | (code & 0x3F));
      } else if (code <= 0xFFFF) {
        put(0xE0 | code >> 12);
        put(0x80 | (code >> 6 & 0x3F));
        put(0x80 | (code & 0x3F));
      } else {
        put(0xF0 | code >> 18);
        put(0x80 | (code >> 12 & 0x3F));
        put(0x80 | (code >> 6 & 0x3F));
        put(0x80 | (code & 0x3F));
      }
      return;
    case TTextStream::UTF16BE:
    case TTextStream::UTF16LE: {
      bool bigEndian = encoding == TTextStream::UTF16BE;
      if (code <= 0xFFFF) {
        PutUtf16(out, code, bigEndian);
      } else {
        PutUtf16(out, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
        PutUtf16(out, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
      }
      return;
    }
    default: return;
  }
}

void EncodeText(std::string& out, int32_t encoding, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    int32_t code = text[i];
    if (encoding == TTextStream::UTF8 && IsHighSurrogate(text[i]) && i + 1 < text.size() &&
        IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    EncodeCodePoint(out, encoding, code);
  }
}

}  // namespace vtl
