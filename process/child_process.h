/// \file
/// TProcess: another program started with its standard input, output and
/// error on pipes, asked whether it still runs and how it ended, and ended
/// together with the processes it started. Every such program, and whatever
/// it started in its process group, still running when this program ends is
/// ended with it.
#pragma once

#include <cstdint>

#include "process/pipe_stream.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

namespace process_internal {
struct ChildRecord;
}

/// A program started by Create. The module remembers every child it started
/// until nothing of it runs any more, and ends what is left when the program
/// ends; the TProcess itself lives as long as the program refers to it. Once
/// the program drops it, the child is collected as soon as it has ended and
/// its pipes are closed then (pipe streams the program still holds stay
/// open), so dropped children leave neither a finished process nor
/// descriptors behind.
///
/// Threads: Create may be called from any thread. A TProcess, like every
/// object, is used by one thread at a time; its calls and those of other
/// processes on other threads may run at once. TerminateAll is meant for the
/// program's end: it reaches every process the program holds, so no other
/// thread may be using one meanwhile.
///
/// Only a handle above 0 names a process: Status, Terminate, Close and
/// TerminateAll treat any other value as "no process" and pass it to no
/// system call. A copy of the program made with fork ends nothing that its
/// parent started, not even when it ends itself.
class TProcess : public Object {
 public:
  /// Flag bit of Create kept for programs written for other desktops, where
  /// it hides the new program's window; it changes nothing here but that
  /// the program keeps this program's controlling terminal.
  static constexpr int32_t HIDDEN = 1;

  /// 1 while the program runs, 0 once it has ended or was terminated (and 0
  /// without a handle). The first call that sees it end collects it, so no
  /// finished child lingers, keeps how it ended for ExitCode and forgets the
  /// handle.
  virtual int32_t Status();
  /// Closes pipe and err (each closes its handles) and drops them. The
  /// program itself is left running.
  virtual void Close();
  /// Ends the program with SIGKILL, together with every process it started
  /// directly and everything left in its process group (also once the
  /// program itself has ended: what it started in the background), collects
  /// it and forgets the handle. ExitCode then tells how it ended (-9 when
  /// this ended it). Nothing more is done for it at the program's end.
  virtual void Terminate();
  /// How the program ended, once Status or Terminate has seen its end: its
  /// exit status (0 to 255), or minus the number of the signal that ended it.
  /// -1 while it runs and for a process that was never started.
  int32_t ExitCode() const;

  /// Starts the command line, split into arguments as a shell user writes
  /// them ("a b" and 'a b' are one argument, a backslash escapes the next
  /// character) but run without a shell: nothing is expanded, globbed or
  /// substituted. The first argument names the program, looked up in PATH
  /// unless it holds a '/'. The program gets new pipes as its standard
  /// input, output and error, runs in a process group of its own and,
  /// without the HIDDEN bit in flags, in a session of its own away from the
  /// controlling terminal. It inherits no other descriptor of this process.
  /// The Null object when the line is empty or leaves a quote open, or when
  /// the pipes cannot be made or the program cannot be started. Safe to call
  /// from several threads at once.
  static Ref<TProcess> Create(const String& command, int32_t flags);
  /// Terminates and closes every process the program holds whose end Status
  /// has not seen, and ends the children it dropped that still run and
  /// whatever is left in the process groups of all of them. Runs by itself when the program ends (through
  /// EndProgram, exit, the unhandled-exception path or a return from main),
  /// in the process that started the children only.
  static void TerminateAll();

  String name;            ///< The command line.
  int32_t handle = 0;     ///< The process id, 0 when none; only a value above 0 names a process.
  Ref<TPipeStream> pipe;  ///< Reads the child's standard output, writes its standard input.
  Ref<TPipeStream> err;   ///< Reads the child's standard error.

 protected:
  /// Hands the child over to the module: collected once it has ended.
  void OnLastRelease() noexcept override;

 private:
  int32_t exitcode_ = -1;
  process_internal::ChildRecord* record_ = nullptr;  // what the module keeps of the child
};

}  // namespace vtl
