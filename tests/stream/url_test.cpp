// Opening by URL: the factory chain, embedded files and byte-order views.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/runtime.h"
#include "stream/stream.h"

VTL_DECLARE_EMBEDDED_FILE(sample_bin)

namespace {

using vtl::Ref;
using vtl::String;
using vtl::TStream;

uint8_t SampleByte(int i) { return static_cast<uint8_t>((i * 7 + 3) % 256); }

// Records what it was asked and answers only to its own word.
class RecordingFactory : public vtl::TStreamFactory {
 public:
  explicit RecordingFactory(String word) : word_(word) {}
  Ref<TStream> CreateStream(const Ref<vtl::Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override {
    ++calls;
    lastProtocol = protocol;
    lastPath = path;
    lastUrl = url;
    if (!active || !(protocol == word_)) return nullptr;
    (void)readable;
    (void)writeable;
    return vtl::TRamStream::Create(bytes, 4, 1, 0);
  }
  bool active = true;  // the chain never shrinks, so tests switch theirs off
  int calls = 0;
  String lastProtocol, lastPath;
  Ref<vtl::Object> lastUrl;
  uint8_t bytes[4] = {9, 8, 7, 6};

 private:
  String word_;
};

class Url : public ::testing::Test {
 protected:
  void SetUp() override { vtl::InitStream(); }
};

TEST_F(Url, EmbeddedFilesOpenByCaseInsensitiveProtocolAndExactName) {
  auto s = vtl::OpenStreamUrl("InCbIn::sample.bin", 1, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Size(), 300);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(s->ReadByte(), SampleByte(i)) << i;
  EXPECT_TRUE(s->Eof());

  EXPECT_EQ(vtl::OpenStreamUrl("incbin::sample.bin", 1, 1), nullptr);  // writing refused
  EXPECT_EQ(vtl::OpenWriteStream("incbin::sample.bin"), nullptr);
  EXPECT_EQ(vtl::OpenReadStream("incbin::SAMPLE.bin"), nullptr);
  EXPECT_EQ(vtl::OpenReadStream("incbin::missing"), nullptr);
  EXPECT_NE(vtl::OpenReadStream("incbin::dir/Mixed Case.bin"), nullptr);
}

TEST_F(Url, EmbeddedFilesFromTheBuildIncludingGeneratedAndEmpty) {
  auto generated = vtl::LoadBytesUrl("incbin::generated.bin");
  ASSERT_EQ(generated->Length(), 300);
  EXPECT_EQ((*generated)[299], SampleByte(299));

  auto empty = vtl::OpenReadStream("incbin::empty.bin");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Size(), 0);
  EXPECT_TRUE(empty->Eof());
  EXPECT_EQ(vtl::EmbeddedFileLength("empty.bin"), 0);

  // Registering again (as a module initialiser would) changes nothing.
  EXPECT_EQ(vtl::embedded::Register_sample_bin(), 0);
  EXPECT_EQ(vtl::EmbeddedFileLength("sample.bin"), 300);
}

TEST_F(Url, RegistryKeepsTheFirstEntryOfAName) {
  static const uint8_t first[] = {1, 2, 3};
  static const uint8_t second[] = {4};
  EXPECT_EQ(vtl::RegisterEmbeddedFile("url_test.first", first, 3), 1);
  EXPECT_EQ(vtl::RegisterEmbeddedFile("url_test.first", second, 1), 0);
  EXPECT_EQ(vtl::EmbeddedFileData("url_test.first"), first);
  EXPECT_EQ(vtl::EmbeddedFileLength("url_test.first"), 3);
  EXPECT_EQ(vtl::EmbeddedFileData("url_test.firs"), nullptr);
  EXPECT_EQ(vtl::EmbeddedFileLength("nothing"), 0);
}

TEST_F(Url, UnknownProtocolsEmptyAndOtherObjectsGiveNull) {
  EXPECT_EQ(vtl::OpenReadStream("GFX::x"), nullptr);
  EXPECT_EQ(vtl::OpenReadStream(""), nullptr);
  EXPECT_EQ(vtl::OpenReadStream(Ref<vtl::Object>()), nullptr);
  EXPECT_EQ(vtl::OpenReadStream(Ref<vtl::Object>(vtl::New<vtl::TList>())), nullptr);
  EXPECT_EQ(vtl::OpenReadStream("::"), nullptr);
}

// A factory whose own constructor gives up after the base's has run.
class HalfMadeFactory : public RecordingFactory {
 public:
  HalfMadeFactory() : RecordingFactory("half_made") { vtl::RuntimeError("refused to be made"); }
};

TEST_F(Url, AFactoryWhoseConstructorThrowsNeverJoinsTheChain) {
  EXPECT_THROW(vtl::New<HalfMadeFactory>(), vtl::ThrownObject);
  // Every factory is asked: a half-made one left in the chain is freed memory.
  EXPECT_EQ(vtl::OpenReadStream("half_made::x"), nullptr);
  EXPECT_NE(vtl::OpenReadStream("incbin::sample.bin"), nullptr);
}

TEST_F(Url, AnOpeningThatFailsSaysWhyAndOneThatSucceedsLeavesTheReason) {
  using vtl::LastErrorText;
  vtl::ClearLastErrorText();
  EXPECT_EQ(vtl::OpenReadStream("x/y.png"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open 'x/y.png' for reading: No such file or directory"));
  EXPECT_EQ(vtl::OpenWriteStream("x/y.bin"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open 'x/y.bin' for writing: No such file or directory"));
  EXPECT_EQ(vtl::OpenReadStream("."), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open '.' for reading: Is a directory"));
  EXPECT_EQ(vtl::OpenReadStream("GOPHER::x"), nullptr);
  EXPECT_EQ(LastErrorText(), String("No stream factory for protocol 'gopher' in 'GOPHER::x'"));
  EXPECT_EQ(vtl::OpenReadStream("incbin::no-such.bin"), nullptr);
  EXPECT_EQ(LastErrorText(), String("No embedded file named 'no-such.bin'"));
  EXPECT_EQ(vtl::OpenWriteStream("incbin::sample.bin"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Embedded file 'sample.bin' cannot be opened for writing"));
  // A nested protocol gives the innermost reason.
  EXPECT_EQ(vtl::OpenReadStream("bigendian::x/y.png"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open 'x/y.png' for reading: No such file or directory"));

  EXPECT_NE(vtl::OpenReadStream("bigendian::incbin::sample.bin"), nullptr);
  EXPECT_EQ(vtl::OpenReadStream(Ref<vtl::Object>(vtl::New<vtl::TList>())), nullptr);
  EXPECT_EQ(LastErrorText(), String("No stream factory opens this object as a URL"));
  EXPECT_NE(vtl::OpenReadStream("littleendian::incbin::sample.bin"), nullptr);
  EXPECT_EQ(LastErrorText(), String("No stream factory opens this object as a URL"));
}

TEST_F(Url, FactoriesSeeLowerCaseProtocolAndNewestIsAskedFirst) {
  auto spy = vtl::New<RecordingFactory>("url_test_word");
  EXPECT_EQ(vtl::TStreamFactory::Registered(), spy);
  EXPECT_EQ(vtl::RegisterStreamFactory(spy), 0);  // linked already: nothing moves
  EXPECT_EQ(vtl::TStreamFactory::Registered(), spy);
  auto s = vtl::OpenReadStream("URL_Test_Word::Some::Path");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ReadByte(), 9);
  EXPECT_EQ(spy->lastProtocol, String("url_test_word"));
  EXPECT_EQ(spy->lastPath, String("Some::Path"));
  EXPECT_EQ(vtl::AsString(spy->lastUrl).value_or(String()), String("URL_Test_Word::Some::Path"));

  // A plain name never reaches the factories.
  int before = spy->calls;
  vtl::OpenReadStream("no-such-file-here.bin");
  EXPECT_EQ(spy->calls, before);

  // Empty strings and non-string objects are still offered, with no protocol.
  vtl::OpenReadStream("");
  EXPECT_EQ(spy->calls, before + 1);
  EXPECT_EQ(spy->lastProtocol, String());

  // A newer factory for an existing word takes precedence.
  auto shadow = vtl::New<RecordingFactory>("incbin");
  auto shadowed = vtl::OpenReadStream("incbin::sample.bin");
  ASSERT_NE(shadowed, nullptr);
  EXPECT_EQ(shadowed->Size(), 4);
  EXPECT_EQ(shadow->calls, 1);
  shadow->active = false;
  spy->active = false;
  EXPECT_EQ(vtl::OpenReadStream("incbin::sample.bin")->Size(), 300);
}

TEST_F(Url, BigEndianProtocolSwapsAndNests) {
  static const uint8_t one[] = {1, 0, 0, 0, 0x12, 0x34};
  vtl::RegisterEmbeddedFile("url_test.one", one, sizeof one);
  EXPECT_EQ(vtl::OpenReadStream("incbin::url_test.one")->ReadInt(), 1);
  auto big = vtl::OpenReadStream("BigEndian::incbin::url_test.one");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->ReadInt(), 16777216);
  EXPECT_EQ(big->ReadShort(), 0x1234);
  EXPECT_EQ(vtl::OpenReadStream("littleendian::incbin::url_test.one")->ReadInt(), 1);
  EXPECT_EQ(vtl::OpenReadStream("bigendian::incbin::nothing"), nullptr);
}

TEST_F(Url, DeepNestingIsRefused) {
  String url = "incbin::sample.bin";
  for (int i = 0; i < 200; ++i) url = String("bigendian::") + url;
  EXPECT_EQ(vtl::OpenReadStream(url), nullptr);
}

TEST_F(Url, SwappedWritesAndViews) {
  std::vector<uint8_t> bytes(32);
  auto ram = vtl::TRamStream::Create(bytes.data(), 32, 1, 1);
  EXPECT_EQ(vtl::LittleEndianView(ram), Ref<TStream>(ram));
  EXPECT_EQ(vtl::BigEndianView(nullptr), nullptr);
  auto big = vtl::BigEndianView(ram);
  big->WriteShort(0x0102);
  big->WriteInt(0x03040506);
  big->WriteLong(0x0708090A0B0C0D0ELL);
  big->WriteFloat(1.0f);  // 0x3F800000
  big->WriteDouble(2.0);  // 0x4000000000000000
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[2], 3);
  EXPECT_EQ(bytes[6], 7);
  EXPECT_EQ(bytes[13], 0x0E);
  EXPECT_EQ(bytes[14], 0x3F);
  EXPECT_EQ(bytes[18], 0x40);
  big->Seek(0);
  EXPECT_EQ(big->ReadShort(), 0x0102);
  EXPECT_EQ(big->ReadInt(), 0x03040506);
  EXPECT_EQ(big->ReadLong(), 0x0708090A0B0C0D0ELL);
  EXPECT_EQ(big->ReadFloat(), 1.0f);
  EXPECT_EQ(big->ReadDouble(), 2.0);
  EXPECT_EQ(big->ReadByte(), 0);  // bytes are not swapped, and the end gives 0

  uint32_t v = 0x11223344;
  vtl::TXEndianStream::Swap4(&v);
  EXPECT_EQ(v, 0x44332211u);
}

TEST_F(Url, OpeningAStreamWrapsItAndClosingTheWrapperLeavesItOpen) {
  std::vector<uint8_t> bytes = {5, 6, 7};
  auto ram = vtl::TRamStream::Create(bytes.data(), 3, 1, 0);
  auto opened = vtl::OpenReadStream(ram);
  ASSERT_NE(opened, nullptr);
  EXPECT_NE(opened, Ref<TStream>(ram));
  EXPECT_EQ(opened->ReadByte(), 5);
  opened->Close();
  EXPECT_EQ(ram->ReadByte(), 6);
  opened = nullptr;
  EXPECT_EQ(ram->ReadByte(), 7);
}

// A program's own stream that buffers its writes and delivers them to a sink
// only when it is closed, as a socket or pipe stream might.
class BufferedSink : public vtl::TStream {
 public:
  explicit BufferedSink(std::vector<uint8_t>& sink, int& closes) : sink_(sink), closes_(closes) {}
  int32_t Write(const void* buf, int32_t count) override {
    auto bytes = static_cast<const uint8_t*>(buf);
    pending_.insert(pending_.end(), bytes, bytes + count);
    return count;
  }
  int32_t Read(void*, int32_t) override { return 0; }
  void Close() override {
    ++closes_;
    sink_.insert(sink_.end(), pending_.begin(), pending_.end());
    pending_.clear();
  }

 private:
  std::vector<uint8_t>& sink_;
  int& closes_;
  std::vector<uint8_t> pending_;
};

TEST_F(Url, AProgramsStreamIsClosedWhenItsLastReferenceGoes) {
  std::vector<uint8_t> sink;
  int closes = 0;
  {
    Ref<TStream> s = vtl::New<BufferedSink>(sink, closes);
    s->WriteInt(0x04030201);
  }
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(sink, (std::vector<uint8_t>{1, 2, 3, 4}));

  // Held only by the wrapper that opening it again hands out: dropping the
  // wrapper lets go of it, and then it closes itself, once.
  sink.clear();
  closes = 0;
  Ref<TStream> opened = vtl::OpenReadStream(Ref<TStream>(vtl::New<BufferedSink>(sink, closes)));
  ASSERT_NE(opened, nullptr);
  opened->WriteByte(9);
  EXPECT_EQ(closes, 0);
  opened = nullptr;
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(sink, (std::vector<uint8_t>{9}));
}

TEST_F(Url, DroppingAWrapperClosesTheStreamItWraps) {
  std::vector<uint8_t> sink;
  int closes = 0;
  auto inner = vtl::New<BufferedSink>(sink, closes);
  auto wrapper = vtl::New<vtl::TStreamWrapper>();
  wrapper->SetStream(inner);
  wrapper->WriteByte(3);
  wrapper = nullptr;
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(sink, (std::vector<uint8_t>{3}));
}

}  // namespace
