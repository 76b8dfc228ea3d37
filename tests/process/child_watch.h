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

// Waits (boundedly) for an orphan handed to this process, a subreaper, and
// collects it: true if SIGKILL ended it. One still running is killed here,
// so a failing test leaves nothing behind.
bool CollectKilled(pid_t orphan);

// The children of this test's main thread, which starts every process.
std::vector<pid_t> OwnChildren();
// The children of the process pid's main thread.
std::vector<pid_t> ChildrenOf(pid_t pid);
// True while /proc lists the process, zombie or not.
bool Listed(pid_t pid);
// The number of descriptors this process holds.
int OpenDescriptors();
// How many of this test's children have ended and wait to be collected.
int Zombies();

// Starts the program with its arguments as a child of this test, without
// the library, leading a process group of its own (whose id is the child's).
pid_t StartInOwnGroup(const std::vector<std::string>& args);
// For a child of this test: true while it runs, false once it has ended or
// was collected. Collects nothing.
bool Running(pid_t child);
// For a child of this test: true once it has ended and can still be collected.
bool Collectable(pid_t child);

}  // namespace process_test
