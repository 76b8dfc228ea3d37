// Text streams byte by byte in the four encodings: characters, lines,
// numbers, hexadecimal lines of raw bytes, hostile input, the text protocols
// and SaveTextEncoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "stream/stream.h"
#include "test_file_helpers.h"

namespace {

using vtl::Ref;
using vtl::String;
using vtl::TTextStream;
using Bytes = std::vector<uint8_t>;

// A growable memory stream: what was written can be read back from the start.
class MemoryStream : public vtl::TStream {
 public:
  explicit MemoryStream(Bytes bytes = {}) : bytes(std::move(bytes)) {}
  int32_t Pos() override { return pos; }
  int32_t Size() override { return static_cast<int32_t>(bytes.size()); }
  int32_t Seek(int32_t p) override { return pos = std::clamp(p, 0, Size()); }
  int32_t Read(void* buf, int32_t count) override {
    int32_t n = std::min(count, Size() - pos);
    if (n <= 0) return 0;
    std::memcpy(buf, bytes.data() + pos, static_cast<size_t>(n));
    pos += n;
    return n;
  }
  int32_t Write(const void* buf, int32_t count) override {
    auto* p = static_cast<const uint8_t*>(buf);
    bytes.insert(bytes.end(), p, p + count);
    return count;
  }

  Bytes bytes;
  int32_t pos = 0;
};

// Endless: a line that never ends.
class EndlessStream : public vtl::TStream {
 public:
  int32_t Read(void* buf, int32_t count) override {
    std::memset(buf, 'x', static_cast<size_t>(count));
    return count;
  }
};

// Reports no end and never delivers.
class StalledStream : public vtl::TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
};

struct Text {
  Ref<MemoryStream> memory;
  Ref<TTextStream> text;
};

Text Over(int32_t encoding, Bytes bytes = {}) {
  vtl::InitStream();
  auto memory = vtl::New<MemoryStream>(std::move(bytes));
  return {memory, TTextStream::Create(memory, encoding)};
}

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Every character ReadChar gives until the end of the data.
std::vector<int32_t> CharsOf(int32_t encoding, const Bytes& bytes) {
  auto t = Over(encoding, bytes);
  std::vector<int32_t> chars;
  while (!t.text->Eof()) chars.push_back(t.text->ReadChar());
  return chars;
}

std::string ThrownText(const std::function<void()>& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    return t.what();
  }
  return "";
}

const int32_t kAllEncodings[] = {TTextStream::LATIN1, TTextStream::UTF8, TTextStream::UTF16BE, TTextStream::UTF16LE};

TEST(TextStream, CharactersHaveTheirExactBytesInEachEncoding) {
  struct Case {
    int32_t encoding;
    int32_t code;
    Bytes bytes;
  };
  const Case cases[] = {
      {TTextStream::LATIN1, 228, {228}},
      {TTextStream::UTF8, 0, {0}},
      {TTextStream::UTF8, 127, {127}},
      {TTextStream::UTF8, 128, {194, 128}},
      {TTextStream::UTF8, 228, {195, 164}},
      {TTextStream::UTF8, 960, {207, 128}},
      {TTextStream::UTF8, 2047, {223, 191}},
      {TTextStream::UTF8, 2048, {224, 160, 128}},
      {TTextStream::UTF8, 0x20AC, {226, 130, 172}},
      {TTextStream::UTF8, 0xFFFF, {239, 191, 191}},
      {TTextStream::UTF8, 0x1F600, {240, 159, 152, 128}},
      {TTextStream::UTF16BE, 960, {3, 192}},
      {TTextStream::UTF16LE, 960, {192, 3}},
      {TTextStream::UTF16BE, 0x1F600, {0xD8, 0x3D, 0xDE, 0x00}},
      {TTextStream::UTF16LE, 0x1F600, {0x3D, 0xD8, 0x00, 0xDE}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "encoding " << c.encoding << ", code " << c.code);
    auto t = Over(c.encoding);
    t.text->WriteChar(c.code);
    EXPECT_EQ(t.memory->bytes, c.bytes);
    std::vector<int32_t> back = CharsOf(c.encoding, c.bytes);
    if (c.code <= 0xFFFF) {
      EXPECT_EQ(back, std::vector<int32_t>{c.code});
    } else {  // read as the two characters of its surrogate pair
      EXPECT_EQ(back, (std::vector<int32_t>{0xD800 + ((c.code - 0x10000) >> 10), 0xDC00 + (c.code & 0x3FF)}));
    }
  }
}

TEST(TextStream, CodesNoEncodingHoldsAreWrittenAsTheReplacementCharacter) {
  for (int32_t code : {-1, 0x110000}) {
    auto utf8 = Over(TTextStream::UTF8);
    utf8.text->WriteChar(code);
    EXPECT_EQ(utf8.memory->bytes, (Bytes{0xEF, 0xBF, 0xBD}));
    auto utf16 = Over(TTextStream::UTF16BE);
    utf16.text->WriteChar(code);
    EXPECT_EQ(utf16.memory->bytes, (Bytes{0xFF, 0xFD}));
  }
  auto latin1 = Over(TTextStream::LATIN1);
  latin1.text->WriteChar(0x3C0);  // Latin-1 keeps the low 8 bits
  EXPECT_EQ(latin1.memory->bytes, Bytes{0xC0});
}

TEST(TextStream, TextSurvivesARoundTripInEveryEncoding) {
  // A surrogate pair, a lone high and a lone low surrogate among others.
  const std::u16string wide = u"A\u00e4\u03c0\u20ac\U0001F600\xD800x\xDC00\uFFFF";
  for (int32_t encoding : kAllEncodings) {
    SCOPED_TRACE(encoding);
    String text = encoding == TTextStream::LATIN1 ? String(u"A\u00e4\u00ff ~") : String(wide);
    auto t = Over(encoding);
    t.text->WriteLine(text);
    t.text->WriteString(text);
    t.memory->Seek(0);
    EXPECT_EQ(t.text->ReadLine(), text);
    EXPECT_EQ(t.text->ReadString(text.Length() + 5), text);  // stops at the end
    EXPECT_TRUE(t.text->Eof());
    EXPECT_EQ(t.text->ReadChar(), 0);
    EXPECT_EQ(t.text->ReadLine(), String());
  }
}

TEST(TextStream, APairIsOneFourByteSequenceInUtf8) {
  auto t = Over(TTextStream::UTF8);
  t.text->WriteString(String(u"\U0001F600\xDBFF"));
  // The lone high surrogate at the end keeps its three-byte form.
  EXPECT_EQ(t.memory->bytes, (Bytes{240, 159, 152, 128, 0xED, 0xAF, 0xBF}));
}

TEST(TextStream, LinesEndAtLineFeedOrZeroAndDropCarriageReturns) {
  auto t = Over(TTextStream::LATIN1, {65, 13, 10, 66});
  EXPECT_EQ(t.text->ReadLine(), "A");
  EXPECT_EQ(t.text->ReadLine(), "B");
  EXPECT_TRUE(t.text->Eof());

  t = Over(TTextStream::UTF8, B(std::string("a\rb\0c\n\nd", 8)));
  EXPECT_EQ(t.text->ReadLine(), "ab");
  EXPECT_EQ(t.text->ReadLine(), "c");
  EXPECT_EQ(t.text->ReadLine(), "");
  EXPECT_EQ(t.text->ReadLine(), "d");

  // In UTF-16 a line end is a character of two bytes, not a byte.
  t = Over(TTextStream::UTF16LE, {65, 0, 13, 0, 10, 0, 0x0A, 0x01, 10, 0});
  EXPECT_EQ(t.text->ReadLine(), "A");
  EXPECT_EQ(t.text->ReadLine(), String(u"\u010a"));
  EXPECT_TRUE(t.text->Eof());

  t = Over(TTextStream::UTF16BE);
  EXPECT_EQ(t.text->WriteLine("hi"), 1);
  EXPECT_EQ(t.memory->bytes, (Bytes{0, 'h', 0, 'i', 0, 13, 0, 10}));
}

TEST(TextStream, ReadFileTakesEverythingWithoutLineHandling) {
  auto t = Over(TTextStream::UTF8, B("one\r\ntwo\n\xC3\xA4"));
  EXPECT_EQ(t.text->ReadLine(), "one");
  EXPECT_EQ(t.text->ReadFile(), String(u"two\n\u00e4"));
  EXPECT_EQ(t.text->ReadFile(), String());
}

TEST(TextStream, MalformedUtf8ReadsAsReplacementsAndNeverSwallowsTheNextByte) {
  constexpr int32_t R = 0xFFFD;
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<int32_t> chars;
  };
  const Case cases[] = {
      {"stray continuation byte",
       "\x80"
       "A",
       {R, 'A'}},
      {"two-byte form cut by a line feed", "\xC3\n", {R, 10}},
      {"three-byte form cut by a letter",
       "\xE2\x82"
       "A",
       {R, 'A'}},
      {"cut off at the end", "x\xE2\x82", {'x', R}},
      {"lead byte alone at the end", "\xC3", {R}},
      {"overlong zero", "\xC0\x80", {R, R}},
      {"overlong line feed", "\xC0\x8A", {R, R}},
      {"overlong three-byte slash", "\xE0\x80\xAF", {R, R, R}},
      {"overlong four-byte form", "\xF0\x80\x80\x80", {R, R, R, R}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
      {"bytes that never occur", "\xF5\xFE\xFF", {R, R, R}},
      {"four-byte form then a line feed", "\xF0\x9F\x98\x80\n", {0xD83D, 0xDE00, 10}},
      {"encoded surrogate, as lone surrogates are written", "\xED\xA0\x80", {0xD800}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CharsOf(TTextStream::UTF8, B(c.bytes)), c.chars);
  }

  // An emoji and a broken sequence in the middle of lines leave the lines whole.
  auto t = Over(TTextStream::UTF8, B("a\xF0\x9F\x98\x80"
                                     "b\n\xC3\nc"));
  EXPECT_EQ(t.text->ReadLine(), String(u"a\U0001F600b"));
  EXPECT_EQ(t.text->ReadLine(), String(u"\uFFFD"));
  EXPECT_EQ(t.text->ReadLine(), "c");
}

TEST(TextStream, ACharacterReadAheadKeepsTheStreamFromEnding) {
  auto t = Over(TTextStream::UTF8, B("\xC3"
                                     "A"));
  EXPECT_EQ(t.text->ReadChar(), 0xFFFD);
  EXPECT_FALSE(t.text->Eof());  // the 'A' was read to find the sequence broken
  EXPECT_EQ(t.text->ReadChar(), 'A');
  EXPECT_TRUE(t.text->Eof());

  t = Over(TTextStream::UTF8, B("\xF0\x9F\x98\x80"));
  EXPECT_EQ(t.text->ReadChar(), 0xD83D);
  EXPECT_FALSE(t.text->Eof());
  EXPECT_EQ(t.text->ReadChar(), 0xDE00);
  EXPECT_TRUE(t.text->Eof());
}

TEST(TextStream, Utf16KeepsLoneSurrogatesAndReplacesAHalfUnitAtTheEnd) {
  EXPECT_EQ(CharsOf(TTextStream::UTF16BE, {0xDC, 0x00, 0x00, 0x41}), (std::vector<int32_t>{0xDC00, 'A'}));
  EXPECT_EQ(CharsOf(TTextStream::UTF16LE, {0x41, 0x00, 0x42}), (std::vector<int32_t>{'A', 0xFFFD}));
  EXPECT_EQ(CharsOf(TTextStream::LATIN1, {0, 255}), (std::vector<int32_t>{0, 255}));
}

TEST(TextStream, AnEndlessLineIsRefusedInsteadOfFillingMemory) {
  vtl::InitStream();
  auto text = TTextStream::Create(vtl::New<EndlessStream>(), TTextStream::LATIN1);
  EXPECT_EQ(ThrownText([&] { text->ReadLine(); }), "Line too long");
}

TEST(TextStream, ASourceThatStallsEndsTheText) {
  vtl::InitStream();
  auto text = TTextStream::Create(vtl::New<StalledStream>(), TTextStream::UTF8);
  EXPECT_EQ(text->ReadFile(), String());
  EXPECT_EQ(text->ReadLine(), String());
  EXPECT_EQ(text->ReadString(1000000000), String());
  EXPECT_EQ(text->ReadChar(), 0);
}

TEST(TextStream, NumbersAreLinesOfDecimalText) {
  auto t = Over(TTextStream::UTF8);
  t.text->WriteInt(-5);
  EXPECT_EQ(t.memory->bytes, B("-5\r\n"));
  t.text->WriteLong(-9007199254740993);
  t.text->WriteByte(300);  // no range test on the way out
  t.text->WriteShort(70000);
  t.text->WriteFloat(0.1f);
  t.text->WriteDouble(0.1);
  EXPECT_EQ(t.memory->bytes, B("-5\r\n-9007199254740993\r\n300\r\n70000\r\n0.100000001\r\n0.10000000000000001\r\n"));
  EXPECT_EQ(t.text->ReadInt(), -5);
  EXPECT_EQ(t.text->ReadLong(), -9007199254740993);
  EXPECT_EQ(t.text->ReadByte(), 300 & 0xFF);  // the low bits of the number read
  EXPECT_EQ(t.text->ReadShort(), 70000 & 0xFFFF);
  EXPECT_EQ(t.text->ReadFloat(), 0.1f);
  EXPECT_EQ(t.text->ReadDouble(), 0.1);

  t = Over(TTextStream::LATIN1, B("  42\nxyz\n$1F"));
  EXPECT_EQ(t.text->ReadInt(), 42);
  EXPECT_EQ(t.text->ReadInt(), 0);
  EXPECT_EQ(t.text->ReadInt(), 31);
  EXPECT_EQ(t.text->ReadInt(), 0);  // at the end

  t = Over(TTextStream::UTF16LE);
  t.text->WriteInt(7);
  EXPECT_EQ(t.memory->bytes, (Bytes{'7', 0, 13, 0, 10, 0}));
  EXPECT_EQ(t.text->ReadInt(), 7);
}

TEST(TextStream, RawBytesAreLinesOf32HexadecimalPairs) {
  auto t = Over(TTextStream::UTF16BE);  // digits are single bytes in every encoding
  const uint8_t two[] = {1, 171};
  EXPECT_EQ(t.text->Write(two, 2), 2);
  EXPECT_EQ(t.memory->bytes, B("01AB"));
  EXPECT_EQ(t.text->_bufcount, 2);

  Bytes many(70);
  for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i * 37);
  t = Over(TTextStream::UTF8);
  t.text->WriteBytes(many.data(), 31);
  EXPECT_EQ(t.memory->bytes.size(), 62u);
  t.text->WriteBytes(many.data() + 31, 39);
  std::string digits(t.memory->bytes.begin(), t.memory->bytes.end());
  ASSERT_EQ(digits.size(), 64u + 2 + 64 + 2 + 12);
  EXPECT_EQ(digits.substr(0, 6), "00254A");
  EXPECT_EQ(digits.substr(64, 2), "\r\n");
  EXPECT_EQ(digits.substr(130, 2), "\r\n");
  EXPECT_EQ(t.text->_bufcount, 6);

  // Any text or number operation first ends the open line.
  t.text->WriteInt(9);
  EXPECT_EQ(std::string(t.memory->bytes.end() - 5, t.memory->bytes.end()), "\r\n9\r\n");

  Bytes back(70);
  EXPECT_EQ(t.text->ReadBytes(back.data(), 70), 70);
  EXPECT_EQ(back, many);
  EXPECT_EQ(t.text->ReadInt(), 9);
  EXPECT_TRUE(t.text->Eof());
  uint8_t none = 0;
  EXPECT_EQ(t.text->Read(&none, 1), 0);
}

TEST(TextStream, HexadecimalLinesFromElsewhereAreReadExactlyOrRefused) {
  std::string line(64, '0');
  auto t = Over(TTextStream::LATIN1, B("ab" + line.substr(2) + "\n" + "0f"));
  uint8_t out[40] = {};
  EXPECT_EQ(t.text->Read(out, 40), 33);  // lower case digits; a bare line feed; the data ends
  EXPECT_EQ(out[0], 0xAB);
  EXPECT_EQ(out[32], 0x0F);

  t = Over(TTextStream::LATIN1, B(line));  // the end of the data ends the last line
  EXPECT_EQ(t.text->Read(out, 40), 32);
  EXPECT_EQ(t.text->ReadLine(), "");

  const std::pair<std::string, std::string> bad[] = {
      {line + "X", "Malformed line terminator"}, {line + "\rX", "Malformed line terminator"},
      {"0G", "Malformed hexadecimal digit"},     {"0 ", "Malformed hexadecimal digit"},
      {"0", "Malformed hexadecimal digit"},      {"\xC3\xA4", "Malformed hexadecimal digit"},
  };
  for (const auto& [bytes, error] : bad) {
    SCOPED_TRACE(bytes);
    t = Over(TTextStream::UTF8, B(bytes));
    EXPECT_EQ(ThrownText([&] { t.text->Read(out, 40); }), error);
  }

  // A partial line is ended before text is read; its end must be there.
  t = Over(TTextStream::LATIN1, B("0102\r\nnext"));
  EXPECT_EQ(t.text->Read(out, 2), 2);
  EXPECT_EQ(t.text->ReadLine(), "next");
  t = Over(TTextStream::LATIN1, B("0102next"));
  EXPECT_EQ(t.text->Read(out, 2), 2);
  EXPECT_EQ(ThrownText([&] { t.text->ReadLine(); }), "Malformed line terminator");
}

TEST(TextStream, CreateRefusesUnknownEncodingsAndPassesNullOn) {
  vtl::InitStream();
  EXPECT_EQ(TTextStream::Create(nullptr, TTextStream::UTF8), nullptr);
  auto memory = vtl::New<MemoryStream>();
  EXPECT_EQ(ThrownText([&] { TTextStream::Create(memory, 5); }), "Unknown text encoding: 5");
  EXPECT_EQ(ThrownText([&] { TTextStream::Create(memory, 0); }), "Unknown text encoding: 0");
}

TEST(TextStream, ProtocolWordsOpenTextStreamsOverTheirPath) {
  vtl::InitStream();
  std::string path = vtl::test::TempPath("text.txt");
  Ref<vtl::TStream> out = vtl::OpenWriteStream("UTF8::" + String::FromLatin1(path));
  ASSERT_NE(vtl::DowncastObject<TTextStream>(out), nullptr);
  out->WriteLine(String(u"gr\u00fc\u00df"));
  out->Close();
  EXPECT_EQ(vtl::test::ReadFile(path), B("gr\xC3\xBC\xC3\x9F\r\n"));

  struct Case {
    const char* protocol;
    String line;
  };
  const Case cases[] = {{"utf8", String(u"gr\u00fc\u00df")},
                        {"latin1", String(u"gr\u00c3\u00bc\u00c3\u009f")},
                        {"utf16le", String(u"\u7267\ubcc3\u9fc3\u0a0d")}};
  for (const Case& c : cases) {
    auto in = vtl::OpenReadStream(String(c.protocol) + "::" + String::FromLatin1(path));
    ASSERT_NE(vtl::DowncastObject<TTextStream>(in), nullptr) << c.protocol;
    EXPECT_EQ(in->ReadLine(), c.line) << c.protocol;
  }
  // Nested protocols: the path is itself a URL.
  auto nested = vtl::OpenReadStream("utf8::littleendian::" + String::FromLatin1(path));
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->ReadLine(), String(u"gr\u00fc\u00df"));

  EXPECT_EQ(vtl::OpenReadStream("utf32::" + String::FromLatin1(path)), nullptr);
  EXPECT_EQ(vtl::OpenReadStream("utf8::" + String::FromLatin1(path) + ".missing"), nullptr);
  std::remove(path.c_str());
}

TEST(TextStream, SaveTextEncodedAddsAByteOrderMarkOnlyWhenLatin1CannotHoldTheText) {
  vtl::InitStream();
  std::string path = vtl::test::TempPath("saved.txt");
  vtl::SaveTextEncoded(String(u"caf\u00e9\u00ff"), String::FromLatin1(path));
  EXPECT_EQ(vtl::test::ReadFile(path), (Bytes{'c', 'a', 'f', 0xE9, 0xFF}));

  vtl::SaveTextEncoded(String(u"a\u03c0\U0001F600"), String::FromLatin1(path));
  EXPECT_EQ(vtl::test::ReadFile(path), (Bytes{255, 254, 'a', 0, 0xC0, 0x03, 0x3D, 0xD8, 0x00, 0xDE}));
  std::remove(path.c_str());

  for (String text : {String("plain"), String(u"\u03c0")}) {
    try {
      vtl::SaveTextEncoded(text, "/nonexistent-dir/x.txt");
      ADD_FAILURE() << "no exception";
    } catch (const vtl::ThrownObject& t) {
      EXPECT_NE(vtl::DowncastObject<vtl::TStreamWriteException>(t.object), nullptr);
    }
  }
}

}  // namespace
