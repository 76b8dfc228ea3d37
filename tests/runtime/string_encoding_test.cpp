// How bytes become 16-bit codes and back: literals and other text read as
// UTF-8 with a whole-text fallback to one code per byte, raw bytes through
// FromLatin1, and ToUtf8 on any sequence of codes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

std::u16string Codes(const String& s) { return std::u16string(s.View()); }

// One code per byte, as the fallback and FromLatin1 give.
std::u16string ByteCodes(std::string_view bytes) {
  std::u16string out;
  for (unsigned char c : bytes) out.push_back(c);
  return out;
}

TEST(StringsFromText, Utf8LiteralsDecodeToTheirCharacters) {
  String size = "Größe";
  EXPECT_EQ(size.Length(), 5);
  EXPECT_EQ(Codes(size), u"Größe");
  EXPECT_EQ(Codes("Preis: 5 €"), u"Preis: 5 \u20AC");
  // The edges of each sequence length.
  EXPECT_EQ(Codes("\x7f\xc2\x80\xdf\xbf"), u"\u007F\u0080\u07FF");
  EXPECT_EQ(Codes("\xe0\xa0\x80\xef\xbf\xbf"), u"\u0800\uFFFF");
  EXPECT_EQ(Codes("\xee\x80\x80"), u"\uE000");  // just above the surrogates
}

TEST(StringsFromText, CharactersAboveFFFFBecomeSurrogatePairs) {
  String face = "a😀b";
  ASSERT_EQ(face.Length(), 4);
  EXPECT_EQ(face[1], 0xD83D);
  EXPECT_EQ(face[2], 0xDE00);
  EXPECT_EQ(Codes("\xf0\x90\x80\x80"), u"\U00010000");
  EXPECT_EQ(Codes("\xf4\x8f\xbf\xbf"), (std::u16string{0xDBFF, 0xDFFF}));
  EXPECT_EQ(face.ToUtf8(), "a😀b");
}

TEST(StringsFromText, AnyBadSequenceMakesTheWholeTextOneCodePerByte) {
  // Each behind a valid "ä", which must fall back with it.
  const char* bad[] = {
      "\xc0\xaf",                  // overlong "/" in two bytes
      "\xc1\xbf",                  // overlong in two bytes, highest lead
      "\xe0\x80\xaf",              // overlong in three bytes
      "\xe0\x9f\xbf",              // overlong, just below U+0800
      "\xf0\x80\x80\xaf",          // overlong in four bytes
      "\xf0\x8f\xbf\xbf",          // overlong, just below U+10000
      "\xed\xa0\x80",              // U+D800 encoded
      "\xed\xbf\xbf",              // U+DFFF encoded
      "\xed\xa0\xbd\xed\xb8\x80",  // a surrogate pair encoded as two sequences
      "\xf4\x90\x80\x80",          // above U+10FFFF
      "\xf8\x88\x80\x80\x80",      // five-byte form
      "\xe2\x82",                  // cut off at the end
      "\xe2\x82x",                 // cut off by a plain byte
      "\xf0\x9f\x98",              // four-byte form missing its last byte
      "\x80",                      // continuation byte alone
      "\xbf",                      //
      "\xe4",                      // Latin-1 "ä" as it was never meant in UTF-8
      "\xfe",                      //
      "\xff",                      //
  };
  for (const char* tail : bad) {
    std::string text = std::string("\xc3\xa4 ") + tail;
    SCOPED_TRACE(testing::PrintToString(text));
    String s(text.c_str());
    EXPECT_EQ(Codes(s), ByteCodes(text));
    EXPECT_EQ(s.ToLatin1(), text);  // nothing lost
  }
}

TEST(StringsFromText, EveryByteSequenceReadsBackExactly) {
  // Whatever the bytes, the result is either their UTF-8 decoding or one
  // code per byte; either way the bytes can be had back.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> length(0, 12);
  const unsigned char alphabet[] = {'a',  0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                    0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
  int decoded = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (int n = length(random); n > 0; --n) bytes.push_back(static_cast<char>(alphabet[pick(random)]));
    // Exactly sized, so that reading past the end shows under the sanitizer.
    std::vector<char> exact(bytes.begin(), bytes.end());
    String s = String::FromText(std::string_view(exact.data(), exact.size()));
    if (s.ToUtf8() == bytes) {
      ++decoded;
    } else {
      ASSERT_EQ(Codes(s), ByteCodes(bytes)) << testing::PrintToString(bytes);
    }
  }
  EXPECT_GT(decoded, 100);  // the walk met valid multi-byte text too
}

TEST(StringsFromText, FromTextKeepsZerosAndTheConstructorStopsAtThem) {
  EXPECT_EQ(Codes(String::FromText(std::string_view("ä\0b", 4))), (std::u16string{0xE4, 0, 'b'}));
  EXPECT_EQ(Codes(String("a\0b")), u"a");
  EXPECT_EQ(String(static_cast<const char*>(nullptr)).Length(), 0);
}

TEST(StringsFromLatin1, OneCodePerByteWithZerosKept) {
  const char bytes[] = {'A', 0, '\xc3', '\xa4', '\xff'};
  String s = String::FromLatin1(bytes, 5);
  EXPECT_EQ(Codes(s), (std::u16string{'A', 0, 0xC3, 0xA4, 0xFF}));  // valid UTF-8 is not decoded
  EXPECT_EQ(s.ToLatin1(), std::string(bytes, 5));
  EXPECT_EQ(Codes(String::FromLatin1(std::string_view(bytes, 2))), (std::u16string{'A', 0}));
  EXPECT_TRUE(String::FromLatin1(nullptr, 0).SameObject(String()));
  EXPECT_TRUE(DowncastObject<TRuntimeException>([&] {
    try {
      String::FromLatin1(bytes, -1);
    } catch (const ThrownObject& t) {
      return t.object;
    }
    return Ref<Object>();
  }()));

  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  String every = String::FromLatin1(all.data(), 256);
  ASSERT_EQ(every.Length(), 256);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(every[b], b);
  EXPECT_EQ(every.ToLatin1(), all);
}

TEST(StringsToUtf8, EveryCodeRoundTripsAndLoneSurrogatesBecomeReplacements) {
  for (uint32_t c = 1; c <= 0xFFFF; ++c) {
    String one = StringFromChar(static_cast<int32_t>(c));
    std::string utf8 = one.ToUtf8();
    bool surrogate = c >= 0xD800 && c < 0xE000;
    char16_t expected = surrogate ? u'\uFFFD' : static_cast<char16_t>(c);
    ASSERT_EQ(Codes(String::FromText(utf8)), std::u16string(1, expected)) << std::hex << c;
  }
  EXPECT_EQ(String(u"\U0010FFFF").ToUtf8(), "\xf4\x8f\xbf\xbf");

  const char16_t lone[] = {u'x', 0xDC00, 0xD800, u'y', 0xD83D};  // low before high, high before a letter, high last
  std::string utf8 = String(std::u16string_view(lone, 5)).ToUtf8();
  EXPECT_EQ(utf8, "x\xef\xbf\xbd\xef\xbf\xbdy\xef\xbf\xbd");
  // The rest of the text survives a trip through UTF-8.
  EXPECT_EQ(Codes(String::FromText(String(u"Größe\xD800").ToUtf8())), u"Größe\uFFFD");
}

}  // namespace
