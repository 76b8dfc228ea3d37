#include "runtime/string.h"

#include <limits>
#include <new>
#include <ostream>
#include <typeinfo>

#include "runtime/exceptions.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

const Ref<StringObject>& EmptyObject() {
  // Never freed: strings may be released from static destructors and
  // at-exit handlers after any ordinary static would be gone.
  static const Ref<StringObject>* empty = [] {
    StringObject* o = StringObject::Allocate(0);
    o->MakePermanent();
    return new Ref<StringObject>(o);
  }();
  return *empty;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xE000; }
bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

constexpr uint32_t kBadSequence = 0xFFFFFFFF;

// The code of the multi-byte sequence at p, moving p past it; kBadSequence
// (p moved by one byte) for a stray byte, a sequence cut short, an overlong
// form, an encoded surrogate or a code above U+10FFFF.
uint32_t DecodeSequence(const unsigned char*& p, const unsigned char* end) {
  static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  unsigned char lead = *p;
  int extra = lead < 0xC0 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : -1;
  if (extra < 0 || end - p <= extra) {
    ++p;
    return kBadSequence;
  }
  uint32_t code = lead & (0x7Fu >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((p[k] & 0xC0) != 0x80) {
      ++p;
      return kBadSequence;
    }
    code = (code << 6) | (p[k] & 0x3Fu);
  }
  if (code < kMinimum[extra] || code > 0x10FFFF || IsSurrogate(code)) {
    ++p;
    return kBadSequence;
  }
  p += extra + 1;
  return code;
}

// Hands each UTF-16 code of the UTF-8 text to emit. A bad sequence stops the
// walk with false when strict, else each of its bytes gives U+FFFD.
template <class Emit>
bool DecodeUtf8(std::string_view text, bool strict, Emit&& emit) {
  auto p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + text.size();
  while (p < end) {
    uint32_t code = *p < 0x80 ? *p++ : DecodeSequence(p, end);
    if (code == kBadSequence) {
      if (strict) return false;
      code = 0xFFFD;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      emit(static_cast<char16_t>(0xD800 + (code >> 10)));
      emit(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      emit(static_cast<char16_t>(code));
    }
  }
  return true;
}

// The decoded text; for a strict reading of bad text, the empty optional.
std::optional<String> DecodeUtf8String(std::string_view text, bool strict) {
  int32_t length = 0;  // never more codes than bytes, so this cannot overflow
  if (!DecodeUtf8(text, strict, [&](char16_t) { ++length; })) return std::nullopt;
  return String::Build(length, [&](char16_t* out) { DecodeUtf8(text, strict, [&](char16_t c) { *out++ = c; }); });
}

int32_t CheckedLength(size_t bytes) {
  if (bytes > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RuntimeError("String too long");
  return static_cast<int32_t>(bytes);
}

}  // namespace

StringObject* StringObject::Allocate(int32_t length) {
  if (length < 0) RuntimeError("String length out of range");
  void* mem = ::operator new(sizeof(StringObject) + static_cast<size_t>(length) * sizeof(char16_t));
  return new (mem) StringObject(length);
}

String StringObject::ToString() const { return String(Ref<StringObject>(const_cast<StringObject*>(this))); }

int32_t StringObject::Compare(const Ref<vtl::Object>& other) const {
  // The class is final, so an exact type test stands in for a cast; maps
  // compare strings on every step of a search.
  const vtl::Object* o = other.Get();
  if (o && typeid(*o) == typeid(StringObject)) {
    return CompareStrings(ToString(), static_cast<const StringObject*>(o)->ToString());
  }
  return CompareIdentity(this, other.Get());
}

String::String() noexcept : object_(EmptyObject()) {}

String::String(Ref<StringObject> object) noexcept
    : object_(object && object->Length() > 0 ? std::move(object) : EmptyObject()) {}

String::String(const char* text) : String(FromText(text ? std::string_view(text) : std::string_view())) {}

String::String(const char16_t* text) : String(text ? std::u16string_view(text) : std::u16string_view()) {}

String::String(std::u16string_view text) : String() {
  *this = Build(CheckedLength(text.size()), [&](char16_t* out) { text.copy(out, text.size()); });
}

String String::FromText(std::string_view bytes) {
  // Plain ASCII, by far the common case, is one code per byte either way:
  // widen while looking for high bits, and decode only when there are some.
  unsigned char high = 0;
  String latin1 = Build(CheckedLength(bytes.size()), [&](char16_t* out) {
    auto in = reinterpret_cast<const unsigned char*>(bytes.data());
    unsigned char bits = 0;
    for (size_t i = 0, n = bytes.size(); i < n; ++i) {
      bits |= in[i];
      out[i] = in[i];
    }
    high = bits;
  });
  if (high < 0x80) return latin1;
  return DecodeUtf8String(bytes, true).value_or(latin1);
}

String String::FromLatin1(const char* bytes, int32_t length) {
  if (length < 0 || (!bytes && length > 0)) RuntimeError("String length out of range");
  return Build(length, [&](char16_t* out) {
    for (int32_t i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  });
}

String String::FromLatin1(std::string_view bytes) { return FromLatin1(bytes.data(), CheckedLength(bytes.size())); }

String String::FromUtf8(std::string_view text) {
  CheckedLength(text.size());
  return *DecodeUtf8String(text, false);
}

String String::Permanent(const char* text) {
  String s(text);
  // The shared empty string is permanent already; a second mark would
  // overflow its count.
  if (!s.IsEmpty()) s.object_->MakePermanent();
  return s;
}

char16_t String::operator[](int32_t i) const {
  if (i < 0 || i >= Length()) ThrowArrayBounds();
  return Data()[i];
}

std::string String::ToUtf8() const {
  std::string out;
  out.reserve(static_cast<size_t>(Length()));
  const char16_t* p = Data();
  int32_t n = Length();
  for (int32_t i = 0; i < n; ++i) {
    uint32_t c = p[i];
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(p[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
      ++i;
    } else if (IsSurrogate(c)) {
      c = 0xFFFD;  // encoded alone it would be invalid UTF-8
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string String::ToLatin1() const {
  std::string out(static_cast<size_t>(Length()), '\0');
  for (int32_t i = 0; i < Length(); ++i) out[i] = static_cast<char>(Data()[i] & 0xFF);
  return out;
}

String operator+(const String& a, const String& b) { return ConcatStrings(a, b); }

std::ostream& operator<<(std::ostream& out, const String& s) { return out << s.ToUtf8(); }

std::optional<String> AsString(const Ref<Object>& object) {
  if (auto* s = dynamic_cast<StringObject*>(object.Get())) return String(Ref<StringObject>(s));
  return std::nullopt;
}

}  // namespace vtl
