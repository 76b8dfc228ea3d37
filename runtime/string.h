/// \file
/// Immutable 16-bit text shared by reference. A String is never the Null
/// object: the empty text is one shared, permanent object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/object.h"

namespace vtl {

/// The heap object behind a String: a length and that many codes, stored
/// right after the object in the same allocation.
class StringObject final : public Object {
 public:
  /// A new object of `length` codes, left for the caller to fill. A negative
  /// length raises "String length out of range".
  static StringObject* Allocate(int32_t length);
  /// Frees the single allocation that holds the object and its codes.
  static void operator delete(void* p) { ::operator delete(p); }

  /// The number of codes.
  int32_t Length() const noexcept { return length_; }
  /// The codes (not terminated).
  const char16_t* Chars() const noexcept { return reinterpret_cast<const char16_t*>(this + 1); }
  /// The codes, for filling a new object before it is shared.
  char16_t* MutableChars() noexcept { return reinterpret_cast<char16_t*>(this + 1); }

  /// The String over this object.
  String ToString() const override;
  /// Strings order by text; against any other object by identity.
  int32_t Compare(const Ref<Object>& other) const override;

 private:
  explicit StringObject(int32_t length) : length_(length) {}
  int32_t length_;
};

/// Immutable text of 16-bit codes, shared by reference: copying a String
/// copies a reference, never the text. Literals convert implicitly.
class String {
 public:
  /// The empty string.
  String() noexcept;
  /// Text as literals are written: UTF-8, characters above U+FFFF as two
  /// codes (a surrogate pair). Bytes that are not valid UTF-8 anywhere in the
  /// text (overlong forms, encoded surrogates, cut-off sequences, stray bytes
  /// 0x80 to 0xFF) make the whole text one code per byte instead, so nothing
  /// is lost. Raw bytes from files and streams go through FromLatin1.
  String(const char* text);
  /// The codes as they are; a null pointer gives the empty string.
  ///@{
  String(const char16_t* text);
  String(std::u16string_view text);
  ///@}
  /// Wraps an existing object (the Null object gives the empty string).
  explicit String(Ref<StringObject> object) noexcept;

  /// The constructor's reading for text with a length (zeros included), such
  /// as a std::string built from literals.
  static String FromText(std::string_view text);
  /// One code per byte, 0 to 255, zeros included: for raw bytes (stream and
  /// file contents, names the system hands over) that must come back out
  /// unchanged through ToLatin1. A negative length throws TRuntimeException.
  ///@{
  static String FromLatin1(const char* bytes, int32_t length);
  static String FromLatin1(std::string_view bytes);
  ///@}
  /// Decodes UTF-8 leniently: pairs above U+FFFF become two codes, each byte
  /// of a bad sequence becomes U+FFFD.
  static String FromUtf8(std::string_view text);
  /// A string whose object is never freed (for literals kept in globals).
  static String Permanent(const char* text);
  /// A new string of `length` codes that the caller fills through `fill`,
  /// called once with a `char16_t*` to the codes; the empty string when
  /// length is not positive.
  template <class Fill>
  static String Build(int32_t length, Fill&& fill);

  /// The number of codes.
  int32_t Length() const noexcept { return object_.Get()->Length(); }
  /// True for the empty string.
  bool IsEmpty() const noexcept { return Length() == 0; }
  /// The codes (not terminated).
  const char16_t* Data() const noexcept { return object_.Get()->Chars(); }
  /// The codes as a view, valid while the string lives.
  std::u16string_view View() const noexcept { return {Data(), static_cast<size_t>(Length())}; }
  /// Code at i; throws TArrayBoundsException outside the text.
  char16_t operator[](int32_t i) const;

  /// Surrogate pairs become one 4-byte sequence; a surrogate without its
  /// partner becomes U+FFFD, so the result is always valid UTF-8.
  std::string ToUtf8() const;
  /// Each code's low 8 bits.
  std::string ToLatin1() const;

  /// The object that holds the text.
  const Ref<StringObject>& Object() const noexcept { return object_; }
  /// A string is also an object: converts to its StringObject.
  operator Ref<vtl::Object>() const { return object_; }
  /// True when both share one object (not just the same text).
  bool SameObject(const String& o) const noexcept { return object_ == o.object_; }

  /// Same text, code by code.
  friend bool operator==(const String& a, const String& b) noexcept { return a.View() == b.View(); }
  /// Orders by code values, then by length.
  friend bool operator<(const String& a, const String& b) noexcept { return a.View() < b.View(); }

 private:
  Ref<StringObject> object_;
};

/// The two texts joined (ConcatStrings).
String operator+(const String& a, const String& b);
/// Prints the text as UTF-8.
std::ostream& operator<<(std::ostream& out, const String& s);

/// The object as a string, or nothing when it is not one.
std::optional<String> AsString(const Ref<Object>& object);

template <class Fill>
String String::Build(int32_t length, Fill&& fill) {
  if (length <= 0) return String();
  StringObject* o = StringObject::Allocate(length);
  Ref<StringObject> ref(o);
  fill(o->MutableChars());
  return String(std::move(ref));
}

}  // namespace vtl
