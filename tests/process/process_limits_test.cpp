// Many children one after another: descriptors and child processes return
// to where they started, whether each process is closed or just dropped.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <string>
#include <thread>

#include "child_watch.h"
#include "process/process.h"

namespace vtl {
namespace {

using process_test::OpenDescriptors;
using process_test::OwnChildren;
using process_test::WaitForEnd;
using process_test::WaitUntil;
using process_test::Zombies;

TEST(ProcessLimits, TwoHundredChildrenLeaveNoDescriptorOrProcessBehind) {
  InitProcess();
  const int descriptors = OpenDescriptors();
  const auto children = OwnChildren();
  for (int i = 0; i < 200; ++i) {
    const std::string word = "run" + std::to_string(i);
    Ref<TProcess> p = CreateProcess(String::FromText("printf '%s\\n' " + word));
    ASSERT_NE(p, nullptr) << i;
    ASSERT_TRUE(WaitForEnd(p)) << i;
    EXPECT_EQ(p->pipe->ReadLine().ToUtf8(), word);
    // Half are closed, half only dropped: dropping the last reference to a
    // process that has ended closes its pipes.
    if (i % 2 == 0) p->Close();
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(OwnChildren(), children);
}

// Short commands started and dropped at once, never asked after, under a
// limit of 1024 descriptors: each must be collected, and its pipes closed,
// once it has ended, so the program neither runs out of descriptors nor
// keeps ended children.
TEST(ProcessLimits, DroppedChildrenAreCollectedWithTheirPipesOnceTheyEnd) {
  InitProcess();
  constexpr int kCommands = 2000;
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 1024);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  const int descriptors = OpenDescriptors();
  const auto children = OwnChildren();
  for (int i = 0; i < kCommands; ++i) {
    if (CreateProcess("true") == nullptr) {
      ADD_FAILURE() << "start " << i << " failed with " << OpenDescriptors() << " descriptors and " << Zombies()
                    << " ended children not collected";
      break;
    }
  }
  EXPECT_TRUE(WaitUntil([&] { return OwnChildren() == children && OpenDescriptors() == descriptors; }))
      << OwnChildren().size() - children.size() << " children (" << Zombies() << " ended), "
      << OpenDescriptors() - descriptors << " descriptors more than before";
  ::setrlimit(RLIMIT_NOFILE, &saved);
}

TEST(ProcessLimits, TerminatedChildrenLeaveNoDescriptorOrProcessBehind) {
  InitProcess();
  const int descriptors = OpenDescriptors();
  for (int i = 0; i < 50; ++i) {
    Ref<TProcess> p = CreateProcess("sleep 30");
    ASSERT_NE(p, nullptr) << i;
    p->Terminate();
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_TRUE(OwnChildren().empty());
}

// Terminate scans every process of the system for direct children; processes
// that end during the scan must not disturb it.
TEST(ProcessLimits, TerminatingWhileOtherProcessesComeAndGo) {
  InitProcess();
  std::atomic<bool> stop{false};
  std::thread churn([&] {
    char truePath[] = "/bin/true";
    char* argv[] = {truePath, nullptr};
    while (!stop) {
      pid_t pid = 0;
      if (posix_spawn(&pid, truePath, nullptr, nullptr, argv, nullptr) == 0) waitpid(pid, nullptr, 0);
    }
  });
  for (int i = 0; i < 150; ++i) {
    Ref<TProcess> p = CreateProcess("sleep 30");
    ASSERT_NE(p, nullptr) << i;
    EXPECT_NO_THROW(p->Terminate()) << i;
    EXPECT_EQ(p->Status(), 0) << i;
  }
  stop = true;
  churn.join();
}

}  // namespace
}  // namespace vtl
