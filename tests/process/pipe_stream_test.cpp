// Pipe streams over pipes made here: the line reader's rules, its buffer
// limit, reads that never wait, and writes nobody reads.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "process/process.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {
namespace {

// A pipe whose read end a TPipeStream owns; the test writes the other end.
class PipeStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProcess();
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    stream_ = CreatePipeStream(ends[0], -1);
    writeEnd_ = ends[1];
  }
  void TearDown() override {
    if (writeEnd_ >= 0) ::close(writeEnd_);
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(writeEnd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string Line() { return stream_->ReadLine().ToUtf8(); }

  Ref<TPipeStream> stream_;
  int writeEnd_ = -1;
};

TEST_F(PipeStreamTest, SeveralLinesFromOneReadComeOneByOne) {
  Send("one\ntwo\n\nthree");
  EXPECT_EQ(Line(), "one");
  EXPECT_EQ(Line(), "two");
  EXPECT_EQ(Line(), "");  // the empty line
  EXPECT_EQ(Line(), "");  // no line end yet
  EXPECT_EQ(stream_->bufferpos, 5);
  Send("\r\n");
  EXPECT_EQ(Line(), "three");  // kept until its line ended
  EXPECT_EQ(stream_->bufferpos, 0);
}

TEST_F(PipeStreamTest, CarriageReturnsAtLineStartAndEndAreDroppedOthersKept) {
  Send("\rlead\n\r\nmid\rdle\n\n");
  EXPECT_EQ(Line(), "lead");
  EXPECT_EQ(Line(), "");
  EXPECT_EQ(Line(), "mid\rdle");
  EXPECT_EQ(Line(), "");
}

TEST_F(PipeStreamTest, BytesAboveAsciiBecomeOneCodeEach) {
  Send("\xC3\xA4\xFF\n");
  String line = stream_->ReadLine();
  ASSERT_EQ(line.Length(), 3);
  EXPECT_EQ(line[0], 0xC3);
  EXPECT_EQ(line[1], 0xA4);
  EXPECT_EQ(line[2], 0xFF);
}

TEST_F(PipeStreamTest, LongLineFillsTheBufferThenOverflowsWhileBytesWait) {
  Send(std::string(5000, 'x'));
  EXPECT_EQ(Line(), "");
  EXPECT_EQ(stream_->bufferpos, TPipeStream::READ_BUFFER_SIZE);
  EXPECT_EQ(stream_->ReadAvail(), 5000 - 4096);
  try {
    stream_->ReadLine();
    FAIL() << "no overflow";
  } catch (const ThrownObject& t) {
    EXPECT_STREQ(t.what(), "PipeStream ReadBuffer Overflow");
  }
  // The waiting bytes can still be drained; without new bytes the full
  // buffer alone raises nothing.
  EXPECT_EQ(stream_->ReadPipe()->Length(), 5000 - 4096);
  EXPECT_EQ(Line(), "");
}

TEST_F(PipeStreamTest, LinesLongerTogetherThanTheBufferDoNotOverflow) {
  const std::string line(2000, 'k');
  Send(line + "\n" + line + "\n" + line + "\n");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Line(), line) << i;
  EXPECT_EQ(stream_->bufferpos, 0);
}

TEST_F(PipeStreamTest, LineOfExactlyTheBufferSizeWithItsEnd) {
  const std::string line(TPipeStream::READ_BUFFER_SIZE - 1, 'q');
  Send(line + "\n" + "tail\n");
  EXPECT_EQ(Line(), line);
  EXPECT_EQ(Line(), "tail");
}

TEST_F(PipeStreamTest, RestWithoutLineFeedIsTheLastLineOnceThePipeEnds) {
  Send("one\ntwo\r");
  EXPECT_EQ(Line(), "one");
  EXPECT_EQ(Line(), "");  // the writer may still end the line
  ::close(writeEnd_);
  writeEnd_ = -1;
  EXPECT_EQ(Line(), "two");
  EXPECT_EQ(stream_->bufferpos, 0);
  EXPECT_EQ(Line(), "");
}

TEST_F(PipeStreamTest, LongRestAtThePipesEndComesWhole) {
  const std::string rest(TPipeStream::READ_BUFFER_SIZE, 'r');
  Send(rest);
  ::close(writeEnd_);
  writeEnd_ = -1;
  EXPECT_TRUE(Line() == rest) << "the rest of " << rest.size() << " bytes did not come whole";
  EXPECT_EQ(Line(), "");
}

TEST_F(PipeStreamTest, ReadPipeTakesWhatIsThereAndReadWaitsForMore) {
  Send("hello");
  Ref<Array<uint8_t>> bytes = ReadPipe(stream_);
  ASSERT_EQ(bytes->Length(), 5);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "hello");
  Send("abc");
  char buf[8] = {};
  EXPECT_EQ(stream_->Read(buf, 8), 3);
  EXPECT_STREQ(buf, "abc");
  ::close(writeEnd_);
  writeEnd_ = -1;
  EXPECT_EQ(stream_->Read(buf, 8), 0);  // every writer gone: the end
  EXPECT_THROW(stream_->ReadByte(), ThrownObject);
}

TEST_F(PipeStreamTest, ClosedStreamReadsNothingAndRefusesWrites) {
  Send("data\n");
  stream_->Close();
  stream_->Close();
  EXPECT_EQ(stream_->readhandle, -1);
  EXPECT_EQ(stream_->ReadAvail(), 0);
  char c;
  EXPECT_EQ(stream_->Read(&c, 1), 0);
  EXPECT_EQ(stream_->Write("x", 1), 0);
  EXPECT_THROW(stream_->WriteByte('x'), ThrownObject);
}

TEST_F(PipeStreamTest, FieldsSetFromOutsideCannotTakeTheLineReaderOutOfItsBuffer) {
  Send("abc\n");
  stream_->bufferpos = 1 << 20;
  EXPECT_THROW(stream_->ReadLine(), ThrownObject);  // the buffer counts as full
  stream_->bufferpos = -5;
  EXPECT_EQ(Line(), "abc");
  Ref<TPipeStream> bare = New<TPipeStream>();  // as reflection makes one
  EXPECT_EQ(bare->ReadLine().ToUtf8(), "");
  EXPECT_EQ(bare->readbuffer->Length(), TPipeStream::READ_BUFFER_SIZE);
}

// A pipe whose reading end is gone: the write is a stream write error, and
// SIGPIPE neither ends the process nor stays pending or blocked after it.
TEST(PipeStreamWrite, WriteWithoutReaderIsStreamWriteError) {
  InitProcess();
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  ::close(ends[0]);
  Ref<TPipeStream> stream = CreatePipeStream(-1, ends[1]);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      stream->WriteLine("nobody reads this");
      FAIL() << "write succeeded";
    } catch (const ThrownObject& t) {
      EXPECT_NE(DowncastObject<TStreamWriteException>(t.object), nullptr) << t.what();
    }
  }
  sigset_t pending, blocked;
  sigpending(&pending);
  sigprocmask(SIG_BLOCK, nullptr, &blocked);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
  EXPECT_FALSE(sigismember(&blocked, SIGPIPE));
}

TEST(PipeStreamWrite, WritesReachTheReaderWhole) {
  InitProcess();
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  Ref<TPipeStream> writer = CreatePipeStream(-1, ends[1]);
  Ref<TPipeStream> reader = CreatePipeStream(ends[0], -1);
  writer->WriteInt(0x01020304);
  writer->WriteLine("text");
  writer->Flush();
  EXPECT_EQ(reader->ReadInt(), 0x01020304);
  EXPECT_EQ(reader->ReadLine().ToUtf8(), "text");
  writer = nullptr;  // the last reference closes the write end
  char c;
  EXPECT_EQ(reader->Read(&c, 1), 0);
}

}  // namespace
}  // namespace vtl
