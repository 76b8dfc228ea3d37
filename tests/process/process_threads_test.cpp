// Children started from several threads at once: each child holds only its
// own pipes, so a write to one that has ended always fails.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "child_watch.h"
#include "process/process.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using process_test::WaitForEnd;

// Reads the child's output to its end, waits for the child to end, then
// writes to it: nobody reads its input any more, so the write must fail.
// True if the write went through (another child held the pipe).
bool WriteToEndedChildSucceeds(const std::string& word) {
  Ref<TProcess> p = CreateProcess(String::FromText("printf " + word));
  if (!p) {
    ADD_FAILURE() << "could not start printf";
    return false;
  }
  const pid_t pid = p->handle;
  std::string out;
  char buf[64];
  for (int32_t n; (n = p->pipe->Read(buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
  EXPECT_EQ(out, word);
  EXPECT_TRUE(WaitForEnd(p));
  EXPECT_FALSE(process_test::Listed(pid)) << "left uncollected";
  try {
    p->pipe->WriteLine("anyone there?");
    return true;
  } catch (const ThrownObject&) {
    return false;
  }
}

TEST(ProcessThreads, ChildrenStartedFromFourThreadsHoldNoOtherChildsPipes) {
  InitProcess();
  constexpr int kThreads = 4, kEach = 60;
  std::atomic<int> writesThatWentThrough{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        if (WriteToEndedChildSucceeds("t" + std::to_string(t) + "n" + std::to_string(i))) ++writesThatWentThrough;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(writesThatWentThrough.load(), 0) << "of " << kThreads * kEach << " writes to ended children";
}

}  // namespace
}  // namespace vtl
