// Starting a program with its standard streams on three new pipes, and
// finding and ending the processes it started.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtl::process_internal {

// The parent's ends of a started child's pipes (close-on-exec), and its id.
struct StartedChild {
  pid_t pid = 0;
  int input = -1;   // written: the child's standard input
  int output = -1;  // read: the child's standard output
  int error = -1;   // read: the child's standard error
};

// Starts args[0] (looked up in PATH unless it holds a '/') with args as its
// arguments, its standard streams on new pipes, default signal handling and
// no other descriptor of this process. detach: in a session of its own,
// away from the controlling terminal; else in a process group of its own.
// False, with every descriptor made closed again, when the pipes cannot be
// made or the program cannot be started.
bool StartChild(const std::vector<std::string>& args, bool detach, StartedChild& child);

// The processes whose parent is pid, as the system lists them now.
std::vector<pid_t> DirectChildren(pid_t pid);

// Ends pid with SIGKILL, together with its direct children and, when group
// is above 0, every process of that group. pid is stopped first, so it
// starts no new child meanwhile, and the group is signalled before pid is
// collected, while the group's id cannot yet have passed to another. Then
// collects pid: its exit code, or nothing when pid is no child of this
// process (any more). Nothing for a pid of 0 or below.
std::optional<int32_t> EndProcess(pid_t pid, pid_t group);

// Collects pid if it has ended: nothing while it runs, else its exit code;
// -1 when it is no child of this process to collect (any more) or pid is not
// above 0.
std::optional<int32_t> CollectIfEnded(pid_t pid);

// The exit status in a wait status, or minus the signal that ended the process.
int32_t ExitCodeOf(int status);

// For the process group of a child that has been collected: true while
// processes are left in it (or may be: ones this process cannot signal).
// False once it is empty, and when a process with the group's id leads it:
// then the id has passed to a process started since, and it is another's.
bool LeftoverGroupExists(pid_t group);

}  // namespace vtl::process_internal
