// A handle that is no process: the calls that signal and collect children
// must not read it as "every process" or "a whole process group". The test
// uses minus the id of a process group it made itself, which kill and
// waitpid read as that group.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "child_watch.h"
#include "process/process.h"

namespace vtl {
namespace {

using process_test::Collectable;
using process_test::Listed;
using process_test::Running;
using process_test::StartInOwnGroup;
using process_test::WaitUntil;

class ProcessHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProcess();
    sleeper_ = StartInOwnGroup({"sleep", "30"});
    ended_ = StartInOwnGroup({"true"});
    ASSERT_GT(sleeper_, 0);
    ASSERT_GT(ended_, 0);
    ASSERT_TRUE(WaitUntil([&] { return Collectable(ended_); }));
  }
  void TearDown() override {
    TProcess::TerminateAll();
    ::kill(sleeper_, SIGKILL);  // both are this test's own children
    ::waitpid(sleeper_, nullptr, 0);
    ::waitpid(ended_, nullptr, 0);
  }

  pid_t sleeper_ = -1;  // runs, leading a group of its own
  pid_t ended_ = -1;    // has ended, leading a group of its own, not yet collected
};

TEST_F(ProcessHandleTest, NegativeHandleIsNoProcessForStatusTerminateAndClose) {
  Ref<TProcess> bare = New<TProcess>();
  for (int32_t handle : {-ended_, -sleeper_}) {
    bare->handle = handle;
    EXPECT_EQ(bare->Status(), 0) << handle;
    EXPECT_EQ(bare->ExitCode(), -1) << handle;
    bare->Terminate();
    bare->Close();
  }
  EXPECT_TRUE(Collectable(ended_)) << "Status collected a child of another group";
  EXPECT_TRUE(Running(sleeper_)) << "Terminate signalled a process group";
}

TEST_F(ProcessHandleTest, TerminateAllEndsTheRealChildWhateverItsHandleWasSetTo) {
  Ref<TProcess> started = CreateProcess("sleep 30");
  ASSERT_NE(started, nullptr);
  const pid_t real = started->handle;
  started->handle = -sleeper_;
  TerminateAllProcesses();
  EXPECT_TRUE(Running(sleeper_)) << "TerminateAll signalled a process group";
  EXPECT_TRUE(WaitUntil([&] { return !Listed(real); })) << "the child started here still runs";
  if (Listed(real)) ::kill(real, SIGKILL);  // started by this test
}

}  // namespace
}  // namespace vtl
