// Real children: starting, talking to them through their pipes, asking after
// them and ending them.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "child_watch.h"
#include "process/process.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using process_test::CollectKilled;
using process_test::Helper;
using process_test::Listed;
using process_test::NextLine;
using process_test::OwnChildren;
using process_test::WaitForEnd;
using process_test::WaitUntil;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { InitProcess(); }
  void TearDown() override { TProcess::TerminateAll(); }

  // Every line the child writes to standard output until it ends.
  static std::vector<std::string> AllLines(const Ref<TProcess>& p) {
    std::vector<std::string> lines;
    std::string text;
    WaitUntil([&] {
      const bool ended = p->Status() == 0;  // before reading: nothing comes after the end
      Ref<Array<uint8_t>> bytes = p->pipe->ReadPipe();
      text.append(bytes->begin(), bytes->end());
      return ended && p->pipe->ReadAvail() == 0;
    });
    size_t start = 0;
    for (size_t feed; (feed = text.find('\n', start)) != std::string::npos; start = feed + 1)
      lines.push_back(text.substr(start, feed - start));
    return lines;
  }
};

TEST_F(ProcessTest, StatusIsOneWhileRunningAndZeroAfterExitWithTheChildReaped) {
  Ref<TProcess> p = CreateProcess(Helper("echo"));
  ASSERT_NE(p, nullptr);
  const pid_t pid = p->handle;
  EXPECT_GT(pid, 0);
  EXPECT_EQ(p->name.ToUtf8(), Helper("echo").ToUtf8());
  EXPECT_EQ(p->Status(), 1);
  p->pipe->WriteLine("ping");
  EXPECT_EQ(NextLine(p->pipe), "ping");
  EXPECT_EQ(ProcessStatus(p), 1);
  ::close(p->pipe->writehandle);  // end of its input: it exits
  p->pipe->writehandle = -1;
  ASSERT_TRUE(WaitForEnd(p));
  EXPECT_EQ(p->handle, 0);
  EXPECT_FALSE(Listed(pid)) << "an ended child was left unreaped";
  EXPECT_EQ(p->Status(), 0);
  EXPECT_EQ(ProcessStatus(nullptr), 0);
}

TEST_F(ProcessTest, ChildWritingCrLfGivesTheLineThenEmptyUntilTheRestEnds) {
  Ref<TProcess> p = CreateProcess("/bin/sh -c \"printf 'AB\\r\\nXY'; sleep 30\"");
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return p->pipe->ReadAvail() == 6; }));
  EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), "AB");
  EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), "");
  EXPECT_EQ(p->pipe->bufferpos, 2);
  Ref<TPipeStream> out = p->pipe;
  p->Terminate();  // the pipe's end: the rest is the last line
  EXPECT_EQ(NextLine(out), "XY");
}

TEST_F(ProcessTest, ChildWritingA5000ByteLineOverflowsTheLineBuffer) {
  Ref<TProcess> p = CreateProcess(Helper("repeat 5000"));
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return p->pipe->ReadAvail() == 5000; }));
  EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), "");
  EXPECT_EQ(p->pipe->bufferpos, 4096);
  EXPECT_THROW(p->pipe->ReadLine(), ThrownObject);
}

TEST_F(ProcessTest, QuotedArgumentsArriveWholeAndNothingIsExpanded) {
  Ref<TProcess> p = CreateProcess(Helper("args \"a b\" 'c  d' e\\ f \"x\\\"y\" * '*' $HOME \"$(id)\" a;b"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(AllLines(p), (std::vector<std::string>{"[a b]", "[c  d]", "[e f]", "[x\"y]", "[*]", "[*]", "[$HOME]",
                                                   "[$(id)]", "[a;b]"}));
}

TEST_F(ProcessTest, CommandsThatCannotStartGiveNullAndLeaveNoChild) {
  const std::vector<pid_t> before = OwnChildren();
  EXPECT_EQ(CreateProcess("/nonexistent/program --flag"), nullptr);
  EXPECT_EQ(CreateProcess("no-such-program-anywhere-in-path"), nullptr);
  EXPECT_EQ(CreateProcess("/"), nullptr);  // a directory
  EXPECT_EQ(CreateProcess(""), nullptr);
  EXPECT_EQ(CreateProcess("  \t "), nullptr);
  EXPECT_EQ(CreateProcess("printf 'open"), nullptr);
  EXPECT_EQ(CreateProcess(String(std::u16string_view(u"printf a\0b", 10))), nullptr);
  EXPECT_EQ(OwnChildren(), before);
}

TEST_F(ProcessTest, ReadLineReturnsAtOnceWhileTheChildIsSilent) {
  Ref<TProcess> p = CreateProcess("sleep 30");
  ASSERT_NE(p, nullptr);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), "");
    EXPECT_EQ(p->err->ReadLine().ToUtf8(), "");
    EXPECT_EQ(ReadAvail(p->pipe), 0);
    EXPECT_EQ(ReadPipe(p->pipe)->Length(), 0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(p->Status(), 1);
}

// The child fills its error pipe long before it writes its one output line.
// Reading only standard output must not wait on it; once the error pipe is
// drained as well, everything arrives.
TEST_F(ProcessTest, MegabyteOnStandardErrorWhileOnlyOutputIsReadDoesNotDeadlock) {
  constexpr int32_t kBytes = 1 << 20;
  Ref<TProcess> p = CreateProcess(Helper("stderr " + std::to_string(kBytes)));
  ASSERT_NE(p, nullptr);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), "");
    ::usleep(2000);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(p->Status(), 1) << "the child should be held by its full error pipe";

  int32_t errBytes = 0;
  std::string line;
  ASSERT_TRUE(WaitUntil([&] {
    errBytes += p->err->ReadPipe()->Length();
    if (line.empty()) line = p->pipe->ReadLine().ToUtf8();
    return line == "done" && errBytes == kBytes;
  })) << errBytes
      << " bytes, line '" << line << "'";
  EXPECT_TRUE(WaitForEnd(p));
}

TEST_F(ProcessTest, WritingToChildThatClosedItsInputOrExitedIsStreamWriteError) {
  auto expectWriteError = [](const Ref<TProcess>& p) {
    try {
      // More than a pipe holds, so the write cannot just sit in the pipe.
      p->pipe->WriteString(String::FromLatin1(std::string(1 << 20, 'w')));
      ADD_FAILURE() << "write succeeded";
    } catch (const ThrownObject& t) {
      EXPECT_NE(DowncastObject<TStreamWriteException>(t.object), nullptr) << t.what();
    }
  };
  Ref<TProcess> closed = CreateProcess(Helper("closein"));
  ASSERT_NE(closed, nullptr);
  ASSERT_EQ(NextLine(closed->pipe), "closed");
  expectWriteError(closed);
  EXPECT_EQ(closed->Status(), 1);

  Ref<TProcess> exited = CreateProcess("true");
  ASSERT_NE(exited, nullptr);
  ASSERT_TRUE(WaitForEnd(exited));
  expectWriteError(exited);
}

TEST_F(ProcessTest, TerminateEndsTheChildAndItsChildrenAndForgetsTheHandle) {
  // Orphans come to this process, so their ends can be seen and collected.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  Ref<TProcess> p = CreateProcess(Helper("children 2"));
  ASSERT_NE(p, nullptr);
  const pid_t pid = p->handle;
  std::vector<pid_t> grandchildren;
  for (std::string line; (line = NextLine(p->pipe)) != "ready" && !line.empty();)
    grandchildren.push_back(std::stoi(line));
  ASSERT_EQ(grandchildren.size(), 2u);
  TerminateProcess(p);
  EXPECT_EQ(p->handle, 0);
  EXPECT_EQ(p->Status(), 0);
  EXPECT_FALSE(Listed(pid));
  for (pid_t g : grandchildren) {
    EXPECT_TRUE(CollectKilled(g)) << g;
    EXPECT_FALSE(Listed(g));
  }
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  p->Terminate();  // again: nothing left to do
}

TEST_F(ProcessTest, TerminateAllEndsEveryChildAndItsDirectChildren) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  std::vector<Ref<TProcess>> started;
  std::vector<pid_t> pids, grandchildren;
  for (int i = 0; i < 3; ++i) {
    Ref<TProcess> p = CreateProcess(Helper("children 2"), i == 0 ? TProcess::HIDDEN : 0);
    ASSERT_NE(p, nullptr);
    pids.push_back(p->handle);
    for (std::string line; (line = NextLine(p->pipe)) != "ready" && !line.empty();)
      grandchildren.push_back(std::stoi(line));
    started.push_back(p);
  }
  Ref<TProcess> shell = CreateProcess("/bin/sh -c 'sleep 30 & sleep 30 & wait'");
  ASSERT_NE(shell, nullptr);
  pids.push_back(shell->handle);
  ASSERT_TRUE(WaitUntil([&] { return process_test::ChildrenOf(shell->handle).size() == 2; }));
  for (pid_t g : process_test::ChildrenOf(shell->handle)) grandchildren.push_back(g);
  ASSERT_EQ(grandchildren.size(), 8u);

  TerminateAllProcesses();
  for (pid_t pid : pids) EXPECT_FALSE(Listed(pid)) << pid;
  for (pid_t g : grandchildren) {
    EXPECT_TRUE(CollectKilled(g)) << g;
    EXPECT_FALSE(Listed(g)) << g;
  }
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  for (const Ref<TProcess>& p : started) {
    EXPECT_EQ(p->handle, 0);
    EXPECT_EQ(p->pipe, nullptr);  // closed as well
  }
  EXPECT_TRUE(OwnChildren().empty());
}

// A sleep two shells deep: no direct child of the process started here, but
// in its group. Terminate ends it too, also once the process itself has ended.
TEST_F(ProcessTest, TerminateEndsEverythingLeftInTheChildsGroup) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  Ref<TProcess> nested = CreateProcess("/bin/sh -c '/bin/sh -c \"sleep 100 & echo \\$!; wait\" & wait'");
  Ref<TProcess> ended = CreateProcess("/bin/sh -c 'sleep 100 & echo $!; exit 0'");
  ASSERT_NE(nested, nullptr);
  ASSERT_NE(ended, nullptr);
  const std::string nestedSleep = NextLine(nested->pipe), endedSleep = NextLine(ended->pipe);
  ASSERT_FALSE(nestedSleep.empty());
  ASSERT_FALSE(endedSleep.empty());
  ASSERT_TRUE(WaitForEnd(ended));
  TerminateProcess(nested);
  TerminateProcess(ended);
  EXPECT_TRUE(CollectKilled(std::stoi(nestedSleep))) << "a grandchild of a running child outlived Terminate";
  EXPECT_TRUE(CollectKilled(std::stoi(endedSleep))) << "what an ended child left running outlived Terminate";
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(ProcessTest, ExitCodeTellsHowTheChildEndedOnceStatusHasSeenIt) {
  Ref<TProcess> succeeded = CreateProcess("true");
  Ref<TProcess> failed = CreateProcess("/bin/sh -c 'exit 3'");
  Ref<TProcess> signalled = CreateProcess("/bin/sh -c 'kill -TERM $$'");
  Ref<TProcess> running = CreateProcess("sleep 30");
  for (const Ref<TProcess>& p : {succeeded, failed, signalled, running}) ASSERT_NE(p, nullptr);
  EXPECT_EQ(running->ExitCode(), -1);
  for (const Ref<TProcess>& p : {succeeded, failed, signalled}) ASSERT_TRUE(WaitForEnd(p));
  EXPECT_EQ(succeeded->ExitCode(), 0);
  EXPECT_EQ(failed->ExitCode(), 3);
  EXPECT_EQ(signalled->ExitCode(), -SIGTERM);
  EXPECT_EQ(failed->Status(), 0);
  EXPECT_EQ(failed->ExitCode(), 3) << "asking again forgot it";
  EXPECT_EQ(running->Status(), 1);
  EXPECT_EQ(running->ExitCode(), -1);
  running->Terminate();
  EXPECT_EQ(running->ExitCode(), -SIGKILL);
}

// The usual loop, then what is left: output that ends without a line feed
// still arrives, as the last line.
TEST_F(ProcessTest, OutputEndingWithoutALineFeedGivesItsLastLine) {
  Ref<TProcess> p = CreateProcess("printf 'first\\nlast'");
  ASSERT_NE(p, nullptr);
  Ref<TPipeStream> out = p->pipe;
  std::vector<std::string> lines;
  auto take = [&] {
    for (std::string line; !(line = out->ReadLine().ToUtf8()).empty();) lines.push_back(line);
  };
  while (p->Status()) take();
  take();
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "last"}));
}

// The program drops the process but keeps reading its output: the child is
// collected once it has ended, and the pipe stream held stays open.
TEST_F(ProcessTest, DroppedProcessIsCollectedWhileItsHeldPipeStaysOpen) {
  Ref<TPipeStream> out;
  pid_t pid = 0;
  {
    Ref<TProcess> p = CreateProcess("/bin/sh -c 'sleep 0.1; printf kept'");
    ASSERT_NE(p, nullptr);
    pid = p->handle;
    out = p->pipe;
  }
  EXPECT_TRUE(WaitUntil([&] { return !Listed(pid); })) << "the dropped child was not collected";
  EXPECT_EQ(NextLine(out), "kept");
}

TEST_F(ProcessTest, ChildHoldsOnlyItsThreeStandardDescriptors) {
  // Another child's pipes, and a descriptor opened here without close-on-exec.
  Ref<TProcess> other = CreateProcess("sleep 30");
  ASSERT_NE(other, nullptr);
  const int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);
  Ref<TProcess> p = CreateProcess(Helper("fds"));
  ::close(stray);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(AllLines(p), (std::vector<std::string>{"0", "1", "2"}));
  for (int fd : {other->pipe->readhandle, other->pipe->writehandle, other->err->readhandle})
    EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC) << fd;
}

TEST_F(ProcessTest, ChildLeadsAProcessGroupAndWithoutHiddenASession) {
  Ref<TProcess> detached = CreateProcess(Helper("group"), 0);
  ASSERT_NE(detached, nullptr);
  EXPECT_EQ(AllLines(detached), (std::vector<std::string>{"leader", "session"}));
  Ref<TProcess> hidden = CreateProcess(Helper("group"), TProcess::HIDDEN);
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(AllLines(hidden), (std::vector<std::string>{"leader"}));
}

TEST_F(ProcessTest, StandardErrorHasAStreamOfItsOwn) {
  Ref<TProcess> p = CreateProcess("/bin/sh -c 'echo out; echo err >&2'");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(NextLine(p->err), "err");
  EXPECT_EQ(NextLine(p->pipe), "out");
  p->Close();
  EXPECT_EQ(p->pipe, nullptr);
  EXPECT_EQ(p->err, nullptr);
  EXPECT_TRUE(WaitForEnd(p));
}

}  // namespace
}  // namespace vtl
