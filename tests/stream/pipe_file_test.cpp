// Files that cannot seek, opened by name: the read end of a real pipe (as
// /dev/fd/N, the way /dev/stdin reaches a program whose input is piped) and
// a FIFO. Every reader must go on to the real end of the data.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "data_samples.h"

namespace {

namespace fs = std::filesystem;
using vtl::DowncastObject;
using vtl::Ref;
using vtl::String;

enum class Kind { Pipe, Fifo };

// Bytes arriving through a pipe or a FIFO, written by a thread of its own.
// The name opens the reading end; once the reader has let go, a writer still
// waiting gets an error rather than blocking, so no test can hang here.
class Source {
 public:
  Source(Kind kind, std::string bytes, const fs::path& dir) : bytes_(std::move(bytes)) {
    if (kind == Kind::Pipe) {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return;
      readEnd_ = ends[0];
      name_ = "/dev/fd/" + std::to_string(ends[0]);
      writer_ = std::thread([this, fd = ends[1]] { WriteAll(fd); });
    } else {
      name_ = (dir / "fifo").string();
      if (::mkfifo(name_.c_str(), 0600) != 0) return;
      // Opening a FIFO for writing waits until a reader opens it.
      writer_ = std::thread([this] { WriteAll(::open(name_.c_str(), O_WRONLY | O_CLOEXEC)); });
    }
  }

  ~Source() {
    Done();
    if (!writer_.joinable()) return;
    // A writer still waiting for a reader of the FIFO that never came is
    // let through, and what it writes is taken.
    if (name_.rfind("/dev/fd/", 0) != 0) {
      const int fd = ::open(name_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      char scratch[4096];
      while (fd >= 0 && !written_) {
        if (::read(fd, scratch, sizeof scratch) <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (fd >= 0) ::close(fd);
    }
    writer_.join();
  }

  // The name to open, as a string of the framework.
  String Name() const { return String::FromLatin1(name_); }
  // The reader has opened the name: the test's own pipe end goes, so only
  // the reader's keeps the pipe open.
  void Done() {
    if (readEnd_ >= 0) ::close(readEnd_);
    readEnd_ = -1;
  }

 private:
  void WriteAll(int fd) {
    if (fd < 0) {
      written_ = true;
      return;
    }
    size_t at = 0;
    while (at < bytes_.size()) {
      ssize_t n = ::write(fd, bytes_.data() + at, bytes_.size() - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    ::close(fd);
    written_ = true;
  }

  std::string bytes_;
  std::string name_;
  int readEnd_ = -1;
  std::atomic<bool> written_{false};
  std::thread writer_;
};

class PipeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    vtl::InitImage();
    // A reader that stops early must cost the writer an error, not the process.
    ::signal(SIGPIPE, SIG_IGN);
    dir_ = fs::temp_directory_path() / ("vtl_pipe_test_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs check once over a pipe and once over a FIFO carrying bytes.
  template <class Check>
  void EachKind(const std::string& bytes, Check check) {
    for (Kind kind : {Kind::Pipe, Kind::Fifo}) {
      SCOPED_TRACE(kind == Kind::Pipe ? "pipe" : "FIFO");
      Source source(kind, bytes, dir_);
      check(source);
      fs::remove(dir_ / "fifo");
    }
  }

  fs::path dir_;
};

// A long text of lines, more than a pipe holds at once.
std::string ManyLines() {
  std::string text;
  for (int i = 0; text.size() < 200000; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST_F(PipeFile, AFileThatCannotSeekHasNoPositionOrSizeAndReadsToItsEnd) {
  EachKind("abc", [](Source& source) {
    Ref<vtl::TStream> s = vtl::OpenReadStream(source.Name());
    source.Done();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Pos(), -1);
    EXPECT_EQ(s->Size(), -1);
    EXPECT_FALSE(s->Eof());
    EXPECT_EQ(s->ReadString(10), String("abc"));
    EXPECT_TRUE(s->Eof());
    EXPECT_EQ(s->Pos(), -1);
  });
}

TEST_F(PipeFile, TextStreamsReadEveryLineAndTheWholeFile) {
  EachKind("A\r\n", [](Source& source) {
    Ref<vtl::TStream> text = vtl::OpenStreamUrl("utf8::" + source.Name(), 1, 0);
    source.Done();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->ReadLine(), String("A"));
    EXPECT_TRUE(text->Eof());
  });
  const std::string lines = ManyLines();
  EachKind(lines, [&](Source& source) {
    Ref<vtl::TStream> text = vtl::OpenStreamUrl("utf8::" + source.Name(), 1, 0);
    source.Done();
    ASSERT_NE(text, nullptr);
    int count = 0;
    String last;
    while (!text->Eof()) {
      last = text->ReadLine();
      ++count;
    }
    std::string lastWritten = lines.substr(lines.rfind("line "));
    lastWritten.resize(lastWritten.size() - 2);  // without its 13, 10
    EXPECT_EQ(count, std::count(lines.begin(), lines.end(), '\n'));
    EXPECT_EQ(last.ToUtf8(), lastWritten);
  });
  EachKind(lines, [&](Source& source) {
    Ref<vtl::TTextStream> text = DowncastObject<vtl::TTextStream>(vtl::OpenStreamUrl("latin1::" + source.Name(), 1, 0));
    source.Done();
    ASSERT_NE(text, nullptr);
    const std::string read = text->ReadFile().ToUtf8();
    EXPECT_EQ(read.size(), lines.size());
    EXPECT_TRUE(read == lines);
  });
}

TEST_F(PipeFile, BanksAndByteLoadsTakeEveryByte) {
  std::string bytes(300000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  EachKind(bytes, [&](Source& source) {
    Ref<vtl::TBank> bank = vtl::TBank::Load(source.Name());
    source.Done();
    ASSERT_NE(bank, nullptr);
    ASSERT_EQ(bank->Size(), static_cast<int32_t>(bytes.size()));
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(bank->Buf()), bytes.size()) == bytes);
  });
  EachKind(bytes, [&](Source& source) {
    Ref<vtl::Array<uint8_t>> loaded = vtl::LoadBytesUrl(source.Name());
    source.Done();
    ASSERT_EQ(loaded->Length(), static_cast<int32_t>(bytes.size()));
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(loaded->Data()), bytes.size()) == bytes);
  });
}

TEST_F(PipeFile, ObjectStreamsReadEveryObject) {
  const vtl::test::DataBytes written = vtl::test::WriteObjects({vtl::test::SharedGraph(), vtl::test::SampleImage()});
  EachKind(std::string(written.begin(), written.end()), [](Source& source) {
    Ref<vtl::TStream> in = vtl::OpenReadStream("data::" + source.Name());
    source.Done();
    ASSERT_NE(in, nullptr);
    Ref<vtl::TList> graph = DowncastObject<vtl::TList>(in->ReadObject());
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Count(), 2);
    Ref<vtl::TImage> image = DowncastObject<vtl::TImage>(in->ReadObject());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixmaps->Length(), 3);
    EXPECT_TRUE(in->Eof());
  });
}

}  // namespace
