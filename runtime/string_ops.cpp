#include "runtime/string_ops.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "runtime/exceptions.h"

namespace vtl {

namespace {

// Character classes of codes 0 to 127 only, independent of the locale.
bool IsBlank(char16_t c) { return c == ' ' || (c >= 9 && c <= 13); }

int DigitValue(char16_t c, int base) {
  int v = c >= '0' && c <= '9'   ? c - '0'
          : c >= 'a' && c <= 'z' ? c - 'a' + 10
          : c >= 'A' && c <= 'Z' ? c - 'A' + 10
                                 : 99;
  return v < base ? v : -1;
}

uint64_t ParseInteger(const String& s, bool& negative) {
  const char16_t* p = s.Data();
  const char16_t* end = p + s.Length();
  while (p < end && IsBlank(*p)) ++p;
  negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int base = 10;
  if (p < end && *p == '%') {
    base = 2;
    ++p;
  } else if (p < end && *p == '$') {
    base = 16;
    ++p;
  }
  uint64_t value = 0;
  for (int d; p < end && (d = DigitValue(*p, base)) >= 0; ++p) value = value * base + static_cast<uint64_t>(d);
  return value;
}

String MapCase(const String& s, char16_t from, char16_t to) {
  return String::Build(s.Length(), [&](char16_t* out) {
    const char16_t* in = s.Data();
    for (int32_t i = 0; i < s.Length(); ++i) {
      char16_t c = in[i];
      out[i] = c >= from && c <= from + 25 ? static_cast<char16_t>(c - from + to) : c;
    }
  });
}

// Characters start to end - 1, blank-padded outside s. The bounds are 64-bit
// so that callers may compute them from any two 32-bit counts without the
// subtraction wrapping; only a result that is really too long is refused.
String SliceRange(const String& s, int64_t start, int64_t end) {
  int64_t length = end - start;
  if (length <= 0) return String();
  if (start == 0 && end == s.Length()) return s;
  if (length > std::numeric_limits<int32_t>::max()) RuntimeError("String too long");
  return String::Build(static_cast<int32_t>(length), [&](char16_t* out) {
    for (int64_t i = 0; i < length; ++i) {
      int64_t from = start + i;
      out[i] = from >= 0 && from < s.Length() ? s.Data()[from] : u' ';
    }
  });
}

}  // namespace

String ConcatStrings(const String& a, const String& b) {
  if (b.IsEmpty()) return a;
  if (a.IsEmpty()) return b;
  int64_t total = int64_t{a.Length()} + b.Length();
  if (total > std::numeric_limits<int32_t>::max()) RuntimeError("String too long");
  return String::Build(static_cast<int32_t>(total), [&](char16_t* out) {
    std::copy_n(a.Data(), a.Length(), out);
    std::copy_n(b.Data(), b.Length(), out + a.Length());
  });
}

int32_t CompareStrings(const String& a, const String& b) {
  int32_t n = std::min(a.Length(), b.Length());
  const char16_t* pa = a.Data();
  const char16_t* pb = b.Data();
  for (int32_t i = 0; i < n; ++i) {
    if (pa[i] != pb[i]) return int32_t{pa[i]} - int32_t{pb[i]};
  }
  return a.Length() - b.Length();
}

String StringFromLong(int64_t n) {
  char buf[24];
  char* end = buf + sizeof buf;
  char* p = end;
  uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (n < 0) *--p = '-';
  return String::FromLatin1(p, static_cast<int32_t>(end - p));
}

String StringFromInt(int32_t n) { return StringFromLong(n); }

String StringFromChar(int32_t code) {
  return String::Build(1, [&](char16_t* out) { out[0] = static_cast<char16_t>(code & 0xFFFF); });
}

String StringFromFloat(float x) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%#.9g", static_cast<double>(x));
  return String::FromLatin1(buf, std::clamp(n, 0, static_cast<int>(sizeof buf) - 1));
}

String StringFromDouble(double x) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%#.17g", x);
  return String::FromLatin1(buf, std::clamp(n, 0, static_cast<int>(sizeof buf) - 1));
}

int32_t StringToInt(const String& s) { return static_cast<int32_t>(StringToLong(s)); }

int64_t StringToLong(const String& s) {
  bool negative;
  uint64_t v = ParseInteger(s, negative);
  return static_cast<int64_t>(negative ? 0 - v : v);
}

double StringToDouble(const String& s) { return std::strtod(StringToNarrow(s).c_str(), nullptr); }

float StringToFloat(const String& s) { return static_cast<float>(StringToDouble(s)); }

std::string StringToNarrow(const String& s) { return s.ToLatin1(); }

String SliceString(const String& s, int32_t start, int32_t end) { return SliceRange(s, start, end); }

String LeftChars(const String& s, int32_t n) { return SliceRange(s, 0, std::min(n, s.Length())); }

String RightChars(const String& s, int32_t n) {
  n = std::min(n, s.Length());
  return SliceRange(s, int64_t{s.Length()} - n, s.Length());
}

String MidChars(const String& s, int32_t pos, int32_t count) {
  if (pos > s.Length()) return String();
  int64_t from = int64_t{pos} - 1;
  if (count < 0) return SliceRange(s, from, s.Length());
  int64_t n = count;
  if (from < 0) {
    n += from;
    from = 0;
  }
  n = std::min(n, s.Length() - from);
  return SliceRange(s, from, from + n);
}

String PadRight(const String& s, int32_t n) { return SliceRange(s, 0, n); }

String PadLeft(const String& s, int32_t n) { return SliceRange(s, int64_t{s.Length()} - n, s.Length()); }

String TrimString(const String& s) {
  const char16_t* p = s.Data();
  int32_t begin = 0;
  int32_t end = s.Length();
  while (begin < end && p[begin] <= 32) ++begin;
  if (begin == end) return String();
  while (p[end - 1] <= 32) --end;
  if (begin == 0 && end == s.Length()) return s;
  return SliceString(s, begin, end);
}

String UpperString(const String& s) { return MapCase(s, u'a', u'A'); }

String LowerString(const String& s) { return MapCase(s, u'A', u'a'); }

int32_t FindString(const String& s, const String& sub, int32_t start) {
  start = std::max(start, 0);
  if (start > s.Length()) return -1;
  size_t found = s.View().find(sub.View(), static_cast<size_t>(start));
  return found == std::u16string_view::npos ? -1 : static_cast<int32_t>(found);
}

int32_t InstrString(const String& s, const String& sub, int32_t start) {
  // start - 1 may not wrap; FindString treats every negative start as 0.
  return FindString(s, sub, start > 0 ? start - 1 : 0) + 1;
}

String ReplaceString(const String& s, const String& sub, const String& with) {
  if (sub.IsEmpty()) return s;
  int32_t at = FindString(s, sub, 0);
  if (at < 0) return s;
  std::u16string out;
  int32_t from = 0;
  while (at >= 0) {
    out.append(s.View().substr(static_cast<size_t>(from), static_cast<size_t>(at - from)));
    out.append(with.View());
    from = at + sub.Length();
    at = FindString(s, sub, from);
  }
  out.append(s.View().substr(static_cast<size_t>(from)));
  return String(std::u16string_view(out));
}

String HexString(int32_t n) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buf[8];
  uint32_t u = static_cast<uint32_t>(n);
  for (int i = 7; i >= 0; --i, u >>= 4) buf[i] = kDigits[u & 15];
  return String::FromLatin1(buf, 8);
}

String BinString(int32_t n) {
  char buf[32];
  uint32_t u = static_cast<uint32_t>(n);
  for (int i = 31; i >= 0; --i, u >>= 1) buf[i] = static_cast<char>('0' + (u & 1));
  return String::FromLatin1(buf, 32);
}

}  // namespace vtl
