// What the process tests share: the helper program's command line, waiting
// with a deadline, and what /proc says about processes and descriptors.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "process/process.h"

namespace process_test {

// The helper program (process_test_child.cpp) followed by the arguments.
vtl::String Helper(const std::string& arguments);

// Polls until done() is true or the time is up; true if done() became true.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20));

// The next non-empty line ReadLine gives within the limit, "" if none came.
std::string NextLine(const vtl::Ref<vtl::TPipeStream>& stream,
                     std::chrono::milliseconds limit = std::chrono::seconds(20));

// Waits for the process to end (Status 0); false if it still ran at the limit.
bool WaitForEnd(const vtl::Ref<vtl::TProcess>& process, std::chrono::milliseconds limit = std::chrono::seconds(20));

// The children of this test's main thread, which starts every process.
std::vector<pid_t> OwnChildren();
// The children of the process pid's main thread.
std::vector<pid_t> ChildrenOf(pid_t pid);
// True while /proc lists the process, zombie or not.
bool Listed(pid_t pid);
// The number of descriptors this process holds.
int OpenDescriptors();

}  // namespace process_test
