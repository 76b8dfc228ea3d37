#include "runtime/string.h"

#include <limits>
#include <new>
#include <ostream>

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

}  // namespace

StringObject* StringObject::Allocate(int32_t length) {
  if (length < 0) RuntimeError("String length out of range");
  void* mem = ::operator new(sizeof(StringObject) + static_cast<size_t>(length) * sizeof(char16_t));
  return new (mem) StringObject(length);
}

String StringObject::ToString() const { return String(Ref<StringObject>(const_cast<StringObject*>(this))); }

int32_t StringObject::Compare(const Ref<vtl::Object>& other) const {
  if (auto* s = dynamic_cast<const StringObject*>(other.Get())) {
    return CompareStrings(ToString(), s->ToString());
  }
  return CompareIdentity(this, other.Get());
}

String::String() noexcept : object_(EmptyObject()) {}

String::String(Ref<StringObject> object) noexcept
    : object_(object && object->Length() > 0 ? std::move(object) : EmptyObject()) {}

String::String(const char* latin1) : String(FromLatin1(latin1 ? std::string_view(latin1) : std::string_view())) {}

String::String(const char16_t* text) : String(text ? std::u16string_view(text) : std::u16string_view()) {}

String::String(std::u16string_view text) : String() {
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RuntimeError("String too long");
  *this = Build(static_cast<int32_t>(text.size()), [&](char16_t* out) { text.copy(out, text.size()); });
}

String String::FromLatin1(std::string_view bytes) {
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RuntimeError("String too long");
  return Build(static_cast<int32_t>(bytes.size()), [&](char16_t* out) {
    for (unsigned char c : bytes) *out++ = c;
  });
}

String String::FromUtf8(std::string_view text) {
  static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    uint32_t code = ok ? (lead & (0x7Fu >> extra)) : 0;
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!ok || code < kMinimum[extra] || code > 0x10FFFF) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += static_cast<size_t>(extra) + 1;
  }
  return String(std::u16string_view(out));
}

String String::Permanent(const char* latin1) {
  String s(latin1);
  s.object_->MakePermanent();
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
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
      ++i;
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
