// The end of a program that started children, run in copies of this test
// made with fork: a copy ends only what it started itself, and ending the
// program leaves nothing of what it started running, not even what a child
// that had already ended left behind.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "child_watch.h"
#include "process/process.h"
#include "runtime/runtime.h"

namespace vtl {
namespace {

using process_test::CollectKilled;
using process_test::NextLine;
using process_test::WaitUntil;

// Runs body in a copy of this process made with fork and waits for the copy
// to end; the body ends the copy itself. The copy's exit status.
int InForkedCopy(const std::function<void()>& body) {
  std::fflush(nullptr);  // nothing buffered here is written twice
  const pid_t copy = ::fork();
  if (copy == 0) {
    body();
    ::_exit(99);  // the body did not end the copy
  }
  int status = 0;
  if (copy < 0 || ::waitpid(copy, &status, 0) != copy) return -1;
  return status;
}

TEST(ProcessEnd, ForkedCopyThatEndsLeavesTheChildrenOfItsParentRunning) {
  InitProcess();
  Ref<TProcess> p = CreateProcess("sleep 100");
  ASSERT_NE(p, nullptr);
  InForkedCopy([] { std::exit(0); });
  EXPECT_EQ(p->Status(), 1) << "exit in a forked copy ended the parent's child";
  InForkedCopy([] { EndProgram(); });
  EXPECT_EQ(p->Status(), 1) << "EndProgram in a forked copy ended the parent's child";
  InForkedCopy([&] {
    p->Terminate();
    TProcess::TerminateAll();
    ::_exit(0);
  });
  EXPECT_EQ(p->Status(), 1) << "Terminate in a forked copy ended the parent's child";
  p->Terminate();
  EXPECT_EQ(p->ExitCode(), -SIGKILL);
}

// The shell starts sleep in the background and ends at once; sleep is then
// no process's direct child but still leads nothing: it is in the shell's
// group. The copy waits for the shell's end the usual way and ends.
TEST(ProcessEnd, ProgramEndEndsWhatAnEndedChildLeftInItsGroup) {
  InitProcess();
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);  // the orphaned sleep comes here
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const int status = InForkedCopy([&] {
    Ref<TProcess> shell = CreateProcess("/bin/sh -c 'sleep 100 & echo $!; exit 0'");
    if (!shell) ::_exit(2);
    while (shell->Status()) {
    }
    const std::string line = NextLine(shell->pipe) + "\n";
    if (::write(report[1], line.data(), line.size()) < 0) ::_exit(3);
    EndProgram();
  });
  ::close(report[1]);
  char text[32] = {};
  const ssize_t got = ::read(report[0], text, sizeof text - 1);
  ::close(report[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ASSERT_GT(got, 0);
  const pid_t sleeper = static_cast<pid_t>(std::atol(text));
  ASSERT_GT(sleeper, 0) << text;
  EXPECT_TRUE(CollectKilled(sleeper)) << "the background sleep outlived the program";
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
}  // namespace vtl
