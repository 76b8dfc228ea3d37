// Starting a program with its standard streams on three new pipes, and
// finding and ending the processes it started.
#pragma once

#include <sys/types.h>

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

// Ends pid and its direct children with SIGKILL and reaps pid. pid is
// stopped first, so it starts no new child while they are looked for.
void KillWithDirectChildren(pid_t pid);

// True once pid has ended; it is then reaped. False while it runs.
bool HasEnded(pid_t pid);

}  // namespace vtl::process_internal
