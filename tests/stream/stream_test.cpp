// TStream's typed reads and writes, lines and strings, over memory streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "stream/stream.h"

namespace {

using vtl::Ref;
using vtl::TRamStream;

Ref<TRamStream> Over(std::vector<uint8_t>& bytes, bool readable = true, bool writeable = false) {
  vtl::InitStream();
  return TRamStream::Create(bytes.data(), static_cast<int32_t>(bytes.size()), readable, writeable);
}

// The class of what a call threw, by downcast.
template <class E, class F>
bool Throws(F&& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    return vtl::DowncastObject<E>(t.object) != nullptr;
  }
  return false;
}

template <class F>
std::string ThrownText(F&& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    return t.what();
  }
  return "";
}

// Reports no end and never delivers: the shape of a broken source.
class StalledStream : public vtl::TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t) override { return 0; }
};

// Knows of its end only after a Read has found it, as a socket whose other
// side closes while a read waits.
class EndFoundByReading : public vtl::TStream {
 public:
  explicit EndFoundByReading(std::string bytes) : bytes_(std::move(bytes)) {}
  int32_t Eof() override { return ended_; }
  int32_t Read(void* buf, int32_t count) override {
    const size_t n = std::min(static_cast<size_t>(count), bytes_.size() - at_);
    std::memcpy(buf, bytes_.data() + at_, n);
    at_ += n;
    ended_ = n == 0;
    return static_cast<int32_t>(n);
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
  bool ended_ = false;
};

TEST(StreamEnd, AnEndFoundByReadingEndsReadsWithoutAnError) {
  char buf[8] = {};
  EXPECT_EQ(vtl::New<EndFoundByReading>("abc")->ReadBytes(buf, 8), 8);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(vtl::New<EndFoundByReading>("abc")->ReadString(10), "abc");
  EXPECT_EQ(vtl::New<EndFoundByReading>("abc")->SkipBytes(10), 10);
  EXPECT_EQ(vtl::New<EndFoundByReading>("\x01\x02")->ReadInt(), 0x0201);  // completed with zero bytes
  std::vector<uint8_t> out(16, 0xEE);
  auto sink = TRamStream::Create(out.data(), 16, 0, 1);
  vtl::CopyStreamBytes(vtl::New<EndFoundByReading>("abcde"), sink, 16, 4);
  EXPECT_EQ(sink->Pos(), 5);
  // A Read that brings nothing while the stream still reports no end is an error as before.
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([] { vtl::New<StalledStream>()->ReadBytes(nullptr, 4); }));
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([] { vtl::New<StalledStream>()->ReadString(4); }));
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([] { vtl::New<StalledStream>()->SkipBytes(4); }));
}

TEST(RamStream, SeekClampsAndTransfersStopAtTheEnd) {
  std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
  auto s = Over(bytes, true, true);
  EXPECT_EQ(s->Seek(-5), 0);
  EXPECT_EQ(s->Seek(s->Size() + 10), 5);
  EXPECT_TRUE(s->Eof());
  EXPECT_EQ(s->Seek(3), 3);
  uint8_t out[8] = {};
  EXPECT_EQ(s->Read(out, 8), 2);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[1], 5);
  EXPECT_EQ(s->Read(out, 8), 0);
  EXPECT_EQ(s->Read(out, -1), 0);
  s->Seek(4);
  uint8_t in[3] = {9, 9, 9};
  EXPECT_EQ(s->Write(in, 3), 1);  // never grows
  EXPECT_EQ(bytes[4], 9);
  EXPECT_EQ(s->Size(), 5);
}

TEST(RamStream, DirectionFlagsAndNullMemory) {
  std::vector<uint8_t> bytes = {1, 2};
  auto readOnly = Over(bytes, true, false);
  uint8_t b = 7;
  EXPECT_EQ(readOnly->Write(&b, 1), 0);
  EXPECT_TRUE(Throws<vtl::TStreamWriteException>([&] { readOnly->WriteByte(1); }));
  auto writeOnly = Over(bytes, false, true);
  EXPECT_EQ(writeOnly->Read(&b, 1), 0);
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { writeOnly->ReadByte(); }));
  auto empty = TRamStream::Create(nullptr, 100, 1, 1);
  EXPECT_EQ(empty->Size(), 0);
  EXPECT_EQ(empty->ReadInt(), 0);
}

TEST(Stream, TypedValuesAreLittleEndianAndRoundTrip) {
  std::vector<uint8_t> bytes(64);
  auto s = Over(bytes, true, true);
  s->WriteByte(0x1FF);
  s->WriteShort(0x12345);
  s->WriteInt(-2);
  s->WriteLong(0x0102030405060708LL);
  s->WriteFloat(1.5f);
  s->WriteDouble(-0.25);
  EXPECT_EQ(s->Pos(), 1 + 2 + 4 + 8 + 4 + 8);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x45);
  EXPECT_EQ(bytes[2], 0x23);
  EXPECT_EQ(bytes[7], 0x08);
  EXPECT_EQ(bytes[14], 0x01);
  s->Seek(0);
  EXPECT_EQ(s->ReadByte(), 0xFF);
  EXPECT_EQ(s->ReadShort(), 0x2345);
  EXPECT_EQ(s->ReadInt(), -2);
  EXPECT_EQ(s->ReadLong(), 0x0102030405060708LL);
  EXPECT_EQ(s->ReadFloat(), 1.5f);
  EXPECT_EQ(s->ReadDouble(), -0.25);
}

TEST(Stream, ReadsAtTheEndCompleteWithZeros) {
  std::vector<uint8_t> bytes = {1, 0, 0, 0, 0x34, 0x12};
  auto s = Over(bytes);
  EXPECT_EQ(s->ReadInt(), 1);
  EXPECT_EQ(s->ReadInt(), 0x1234);  // two bytes left, two zero bytes
  EXPECT_TRUE(s->Eof());
  EXPECT_EQ(s->ReadByte(), 0);
  EXPECT_EQ(s->ReadDouble(), 0.0);
  uint8_t buf[4] = {7, 7, 7, 7};
  s->Seek(5);
  EXPECT_EQ(s->ReadBytes(buf, 4), 4);  // reports the request, fills what there was
  EXPECT_EQ(buf[0], 0x12);
  EXPECT_EQ(buf[1], 7);
  EXPECT_EQ(s->SkipBytes(5000), 5000);
}

TEST(Stream, NoProgressBeforeTheEndIsAnError) {
  auto s = vtl::New<StalledStream>();
  uint8_t buf[4];
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { s->ReadBytes(buf, 4); }));
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { s->SkipBytes(4); }));
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { s->ReadString(4); }));
  EXPECT_TRUE(Throws<vtl::TStreamWriteException>([&] { s->WriteInt(4); }));
  EXPECT_EQ(ThrownText([&] { s->ReadInt(); }), "Error reading from stream");
  EXPECT_EQ(ThrownText([&] { s->WriteInt(1); }), "Error writing to stream");
  EXPECT_EQ(s->ReadLine(), vtl::String());  // ReadLine just stops
}

TEST(Stream, BaseInterfaceRefusesTransfersAndObjects) {
  auto io = vtl::New<vtl::TStream>();
  uint8_t b = 0;
  EXPECT_EQ(io->Pos(), -1);
  EXPECT_EQ(io->Size(), 0);
  EXPECT_EQ(io->Seek(3), -1);
  EXPECT_FALSE(io->Eof());
  EXPECT_EQ(ThrownText([&] { io->Read(&b, 1); }), "Stream is not readable");
  EXPECT_EQ(ThrownText([&] { io->Write(&b, 1); }), "Stream is not writeable");
  EXPECT_EQ(ThrownText([&] { io->ReadObject(); }), "Unable to read object");
  EXPECT_EQ(ThrownText([&] { io->WriteObject(nullptr); }), "Unable to write object");
  EXPECT_TRUE(Throws<vtl::TRuntimeException>([&] { io->Read(&b, 1); }));
}

TEST(Stream, ReadLineSplitsOnLineFeedAndZeroAndDropsCarriageReturns) {
  std::vector<uint8_t> bytes = {'a', 'b', 13, 10, 'c', 0, 'd', 13, 'e', 0xE9};
  auto s = Over(bytes);
  EXPECT_EQ(s->ReadLine(), vtl::String("ab"));
  EXPECT_EQ(s->ReadLine(), vtl::String("c"));
  vtl::String last = s->ReadLine();
  ASSERT_EQ(last.Length(), 3);
  EXPECT_EQ(last[2], u'\u00E9');  // bytes keep their codes
  EXPECT_EQ(s->ReadLine(), vtl::String());

  std::vector<uint8_t> longLine(3000, 'x');
  longLine.push_back(10);
  EXPECT_EQ(Over(longLine)->ReadLine().Length(), 3000);
}

// A bounded line read stops at the bound, carriage returns counted, leaves
// the rest unread and says whether the line ended; wrappers pass it on and
// text streams count characters.
TEST(Stream, ReadLineUpToStopsAtItsBoundAndSaysWhetherTheLineEnded) {
  std::vector<uint8_t> bytes = {'a', 'b', 13, 10, 'c', 'd', 'e', 'f', 10, 13, 13, 13, 'g'};
  auto s = Over(bytes);
  int32_t ended = -1;
  EXPECT_EQ(s->ReadLineUpTo(4, ended), vtl::String("ab"));  // "ab", 13 and the line feed fit
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(s->ReadLineUpTo(3, ended), vtl::String("cde"));
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(s->ReadLine(), vtl::String("f"));  // the rest was left unread
  auto wrapped = vtl::OpenReadStream(s);       // a wrapper passes the call on
  EXPECT_EQ(wrapped->ReadLineUpTo(2, ended), vtl::String());
  EXPECT_EQ(ended, 0);  // carriage returns count
  EXPECT_EQ(wrapped->ReadLineUpTo(100, ended), vtl::String("g"));
  EXPECT_EQ(ended, 1);  // the end of the data ends the line

  const std::string utf8 = "\xCF\x80\xCF\x80\xCF\x80\n";  // three characters of two bytes
  std::vector<uint8_t> text(utf8.begin(), utf8.end());
  auto t = vtl::TTextStream::Create(Over(text), vtl::TTextStream::UTF8);
  EXPECT_EQ(t->ReadLineUpTo(4, ended), vtl::String(u"\u03C0\u03C0\u03C0"));
  EXPECT_EQ(ended, 1);
}

TEST(Stream, WriteLineAddsCrLfOnlyWhenTheTextFits) {
  std::vector<uint8_t> bytes(4);
  auto s = Over(bytes, false, true);
  EXPECT_TRUE(s->WriteLine("x"));
  EXPECT_EQ(bytes[0], 120);
  EXPECT_EQ(bytes[1], 13);
  EXPECT_EQ(bytes[2], 10);
  EXPECT_EQ(s->Pos(), 3);
  EXPECT_FALSE(s->WriteLine("yz"));  // one byte of room
  EXPECT_EQ(s->Pos(), 4);
}

TEST(Stream, StringsAreOneBytePerCharacter) {
  std::vector<uint8_t> bytes(8);
  auto s = Over(bytes, true, true);
  s->WriteString(vtl::String(u"A\u0142z"));  // 0x142 keeps its low byte
  EXPECT_EQ(bytes[1], 0x42);
  s->Seek(0);
  EXPECT_EQ(s->ReadString(2), vtl::String("AB"));
  // Longer than what is left: the text ends with the data, whatever was asked.
  s->Seek(6);
  EXPECT_EQ(s->ReadString(0x7FFFFFFF).Length(), 2);
  EXPECT_EQ(s->ReadString(-3), vtl::String());
}

// Streams carry bytes: even bytes that form valid UTF-8 stay one code each,
// so that writing the text back gives the very same bytes.
TEST(Stream, LinesAndStringsNeverDecodeTheirBytes) {
  const std::string utf8Line =
      "Gr\xC3\xB6\xC3\x9F"
      "e \xF0\x9F\x98\x80";
  std::vector<uint8_t> bytes(utf8Line.begin(), utf8Line.end());
  bytes.push_back(10);
  for (int b = 0x80; b <= 0xFF; ++b) bytes.push_back(static_cast<uint8_t>(b));
  auto s = Over(bytes);

  vtl::String line = s->ReadLine();
  ASSERT_EQ(line.Length(), static_cast<int32_t>(utf8Line.size()));
  EXPECT_EQ(line[2], 0xC3);
  EXPECT_EQ(line[3], 0xB6);
  EXPECT_EQ(line.ToLatin1(), utf8Line);

  vtl::String high = s->ReadString(128);
  ASSERT_EQ(high.Length(), 128);
  for (int32_t i = 0; i < 128; ++i) EXPECT_EQ(high[i], 0x80 + i);

  std::vector<uint8_t> copy(bytes.size() + 1);
  auto out = Over(copy, false, true);
  EXPECT_TRUE(out->WriteLine(line));
  out->WriteString(high);
  EXPECT_EQ(std::memcmp(copy.data(), bytes.data(), utf8Line.size()), 0);
  EXPECT_EQ(copy[utf8Line.size()], 13);  // WriteLine ends with CR LF
  EXPECT_EQ(std::memcmp(copy.data() + utf8Line.size() + 2, bytes.data() + utf8Line.size() + 1, 128), 0);

  // Whole files the same way.
  s->Seek(0);
  EXPECT_EQ(vtl::LoadTextUrl(Ref<vtl::Object>(s)).ToLatin1(), std::string(bytes.begin(), bytes.end()));
}

}  // namespace
