// File streams and the whole-file helpers, in a scratch directory.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "stream/stream.h"

namespace {

namespace fs = std::filesystem;
using vtl::Ref;
using vtl::String;
using vtl::TCStream;

class FileStream : public ::testing::Test {
 protected:
  void SetUp() override {
    vtl::InitStream();
    dir_ = fs::temp_directory_path() / ("vtl_stream_test_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  String Path(const std::string& name) const { return String::FromLatin1((dir_ / name).string()); }
  std::string Contents(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  fs::path dir_;
};

template <class E, class F>
bool Throws(F&& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    return vtl::DowncastObject<E>(t.object) != nullptr;
  }
  return false;
}

TEST_F(FileStream, ModesFollowTheFlags) {
  Put("a.bin", "abc");
  auto r = TCStream::OpenFile(Path("a.bin"), 0, 0);  // neither flag still reads
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->_mode, TCStream::MODE_READ);
  EXPECT_EQ(r->Size(), 3);
  EXPECT_EQ(r->ReadByte(), 'a');
  EXPECT_TRUE(Throws<vtl::TStreamWriteException>([&] { r->WriteByte(1); }));
  r->Close();

  auto rw = TCStream::OpenFile(Path("a.bin"), 1, 1);
  ASSERT_NE(rw, nullptr);
  EXPECT_EQ(rw->_mode, TCStream::MODE_READ | TCStream::MODE_WRITE);
  EXPECT_EQ(rw->Size(), 3);  // "r+b" keeps the contents
  rw->Close();

  auto w = TCStream::OpenFile(Path("a.bin"), 0, 1);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->_mode, TCStream::MODE_WRITE);
  EXPECT_EQ(w->Size(), 0);  // "wb" truncates
  w->Close();

  EXPECT_EQ(TCStream::OpenFile(Path("missing.bin"), 1, 1), nullptr);  // r+b never creates
  EXPECT_EQ(TCStream::OpenFile(Path("missing.bin"), 1, 0), nullptr);
}

TEST_F(FileStream, WritesTrackPositionAndSizeAndReadBack) {
  auto s = vtl::OpenWriteStream(Path("w.bin"));
  ASSERT_NE(s, nullptr);
  s->WriteInt(0x01020304);
  s->WriteLine("hi");
  EXPECT_EQ(s->Pos(), 8);
  EXPECT_EQ(s->Size(), 8);
  EXPECT_EQ(s->Seek(2), 2);
  s->WriteByte(0xFF);
  EXPECT_EQ(s->Size(), 8);
  s = nullptr;  // releasing closes and flushes
  EXPECT_EQ(Contents("w.bin"), std::string("\x04\x03\xFF\x01hi\r\n", 8));

  auto r = vtl::OpenReadStream(Path("w.bin"));
  EXPECT_EQ(r->Seek(4), 4);
  EXPECT_EQ(r->ReadLine(), String("hi"));
  EXPECT_TRUE(r->Eof());
  EXPECT_EQ(r->Seek(-1), 8);  // a failed seek leaves the position
}

TEST_F(FileStream, ReadWriteStreamsMayAlternateDirections) {
  Put("rw.bin", "abcdef");
  auto s = vtl::OpenStreamUrl(Path("rw.bin"), 1, 1);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ReadByte(), 'a');
  s->WriteByte('X');
  EXPECT_EQ(s->ReadByte(), 'c');
  s->WriteByte('Y');
  EXPECT_EQ(s->Pos(), 4);
  s->Close();
  EXPECT_EQ(Contents("rw.bin"), "aXcYef");
}

TEST_F(FileStream, BackslashesBecomeSlashesAndBadNamesAreRefused) {
  Put("b.bin", "z");
  std::string dosStyle = (dir_ / "b.bin").string();
  dosStyle[dosStyle.rfind('/')] = '\\';
  auto s = vtl::OpenReadStream(String::FromLatin1(dosStyle));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ReadByte(), 'z');

  EXPECT_EQ(vtl::OpenReadStream(Path("")), nullptr);  // the directory itself
  String withZero = Path("b.bin") + String(std::u16string_view(u"\0x", 2));
  EXPECT_EQ(vtl::OpenReadStream(withZero), nullptr);
}

// Names written as text in the program and names the system handed over (one
// code per byte) both open the file they name.
TEST_F(FileStream, NamesAsTextAndAsTheSystemsBytesOpenTheSameFiles) {
  const std::string utf8Name =
      "Gr\xC3\xB6\xC3\x9F"
      "e.bin";  // "Größe.bin" as the file system keeps it
  Put(utf8Name, "u");
  const std::string dir = dir_.string() + "/";
  auto text = vtl::OpenReadStream(String::FromLatin1(dir) + "Größe.bin");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->ReadByte(), 'u');
  auto bytes = vtl::OpenReadStream(String::FromLatin1(dir + utf8Name));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes->ReadByte(), 'u');

  // An older name in one byte per character still opens from its bytes.
  const std::string latin1Name = "Ma\xDF.bin";
  Put(latin1Name, "l");
  auto legacy = vtl::OpenReadStream(String::FromLatin1(dir + latin1Name));
  ASSERT_NE(legacy, nullptr);
  EXPECT_EQ(legacy->ReadByte(), 'l');

  // A file made under a name written as text gets the UTF-8 name.
  auto made = vtl::OpenWriteStream(String::FromLatin1(dir) + "Käse.bin");
  ASSERT_NE(made, nullptr);
  made->WriteByte('k');
  made->Close();
  EXPECT_EQ(Contents("K\xC3\xA4se.bin"), "k");
}

TEST_F(FileStream, CloseIsIdempotentAndAClosedStreamIsInert) {
  Put("c.bin", "12");
  auto s = TCStream::OpenFile(Path("c.bin"), 1, 0);
  s->Close();
  s->Close();
  EXPECT_EQ(s->Pos(), 0);
  EXPECT_EQ(s->Size(), 0);
  EXPECT_EQ(s->_cstream, nullptr);
  uint8_t b = 0;
  EXPECT_EQ(s->Read(&b, 1), 0);
  EXPECT_EQ(s->Write(&b, 1), 0);
  EXPECT_EQ(s->Seek(1), -1);
  EXPECT_EQ(s->ReadByte(), 0);  // at its (empty) end
  EXPECT_EQ(TCStream::CreateWithCStream(nullptr, 1), nullptr);
}

TEST_F(FileStream, CreateWithCStreamStartsWhereTheHandleIs) {
  Put("h.bin", "hello");
  FILE* f = std::fopen((dir_ / "h.bin").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 2, SEEK_SET);
  auto s = TCStream::CreateWithCStream(f, TCStream::MODE_READ);
  EXPECT_EQ(s->Pos(), 2);
  EXPECT_EQ(s->Size(), 5);
  EXPECT_EQ(s->ReadString(10), String("llo"));
}

TEST_F(FileStream, WholeFileHelpersRoundTripAndGrow) {
  auto bytes = vtl::NewArray<uint8_t>({5000});
  for (int32_t i = 0; i < 5000; ++i) (*bytes)[i] = static_cast<uint8_t>(i * 31);
  vtl::SaveBytesUrl(bytes, Path("big.bin"));
  auto back = vtl::LoadBytesUrl(Path("big.bin"));
  ASSERT_EQ(back->Length(), 5000);
  EXPECT_EQ(std::memcmp(back->Data(), bytes->Data(), 5000), 0);

  vtl::SaveTextUrl(String(u"\u00C4rger\n"), Path("t.txt"));
  EXPECT_EQ(Contents("t.txt"), "\xC4rger\n");
  EXPECT_EQ(vtl::LoadTextUrl(Path("t.txt")), String(u"\u00C4rger\n"));

  Put("empty.bin", "");
  EXPECT_EQ(vtl::LoadBytesUrl(Path("empty.bin"))->Length(), 0);
  EXPECT_EQ(vtl::LoadBytesUrl("incbin::sample.bin")->Length(), 300);
}

TEST_F(FileStream, WholeFileHelpersReportFailuresAsStreamErrors) {
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { vtl::LoadBytesUrl(Path("none.bin")); }));
  EXPECT_TRUE(Throws<vtl::TStreamReadException>([&] { vtl::LoadTextUrl("nowhere::x"); }));
  EXPECT_TRUE(Throws<vtl::TStreamWriteException>([&] { vtl::SaveTextUrl("x", Path("no/dir/x.txt")); }));
  EXPECT_TRUE(Throws<vtl::TStreamWriteException>([&] { vtl::SaveBytesUrl(vtl::NewArray<uint8_t>({1}), "incbin::x"); }));
}

TEST_F(FileStream, LoadingFromAnOpenStreamLeavesItOpen) {
  std::vector<uint8_t> mem = {1, 2, 3, 4};
  auto ram = vtl::TRamStream::Create(mem.data(), 4, 1, 0);
  ram->Seek(1);
  auto bytes = vtl::LoadBytesUrl(ram);
  EXPECT_EQ(bytes->Length(), 3);
  EXPECT_EQ(ram->Seek(0), 0);
  EXPECT_EQ(ram->ReadByte(), 1);
}

TEST_F(FileStream, CopyingStopsAtTheSourceEnd) {
  std::vector<uint8_t> src(10000);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i);
  auto from = vtl::TRamStream::Create(src.data(), 10000, 1, 0);
  auto to = vtl::OpenWriteStream(Path("copy.bin"));
  vtl::CopyStreamData(from, to, 0);  // a useless buffer size falls back to the default
  to->Close();
  EXPECT_EQ(Contents("copy.bin"), std::string(src.begin(), src.end()));

  std::vector<uint8_t> dst(64, 0xEE);
  auto small = vtl::TRamStream::Create(src.data(), 10, 1, 0);
  auto sink = vtl::TRamStream::Create(dst.data(), 64, 0, 1);
  vtl::CopyStreamBytes(small, sink, 6, 4);
  EXPECT_EQ(sink->Pos(), 6);
  EXPECT_EQ(dst[5], 5);
  // Asked for more than is left: only what was read is written.
  vtl::CopyStreamBytes(small, sink, 40, 3);
  EXPECT_EQ(sink->Pos(), 10);
  EXPECT_EQ(dst[9], 9);
  EXPECT_EQ(dst[10], 0xEE);
}

// A source that cannot tell its position, as a socket, handing out at most
// three bytes a read.
class Trickle : public vtl::TStream {
 public:
  explicit Trickle(std::string bytes) : bytes_(std::move(bytes)) {}
  int32_t Eof() override { return at_ == bytes_.size(); }
  int32_t Read(void* buf, int32_t count) override {
    const size_t n = std::min<size_t>({static_cast<size_t>(count), 3, bytes_.size() - at_});
    std::memcpy(buf, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<int32_t>(n);
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

TEST_F(FileStream, CopyingFromAStreamWithoutPositionsWritesOnlyWhatArrived) {
  auto to = vtl::OpenWriteStream(Path("trickle.bin"));
  // Chunks of 4 over reads of 3, and a source that ends in mid-chunk: no
  // stale buffer bytes may follow the last real one.
  vtl::CopyStreamBytes(vtl::New<Trickle>("0123456789"), to, 40, 4);
  vtl::CopyStreamBytes(vtl::New<Trickle>("abcdefgh"), to, 5, 4);  // stops at the count
  to->Close();
  EXPECT_EQ(Contents("trickle.bin"), "0123456789abcde");
}

}  // namespace
