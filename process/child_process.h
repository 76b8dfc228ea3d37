/// \file
/// TProcess: another program started with its standard input, output and
/// error on pipes, asked whether it still runs, and ended together with the
/// processes it started. Every such program still running when this program
/// ends is ended with it.
#pragma once

#include <cstdint>

#include "process/pipe_stream.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// A program started by Create. It stays in the module's list of started
/// processes, and so alive, until Terminate or until Status has seen it end.
class TProcess : public Object {
 public:
  /// Flag bit of Create kept for programs written for other desktops, where
  /// it hides the new program's window; it changes nothing here but that
  /// the program keeps this program's controlling terminal.
  static constexpr int32_t HIDDEN = 1;

  /// 1 while the program runs, 0 once it has ended or was terminated (and 0
  /// without a handle). The first call that sees it end collects its exit
  /// status, so no finished child lingers, and forgets the handle.
  virtual int32_t Status();
  /// Closes pipe and err (each closes its handles) and drops them. The
  /// program itself is left running.
  virtual void Close();
  /// Takes the process out of the module list; if it still has a handle,
  /// ends every process it started directly, then the process itself, with
  /// SIGKILL, collects its exit status and forgets the handle.
  virtual void Terminate();

  /// Starts the command line, split into arguments as a shell user writes
  /// them ("a b" and 'a b' are one argument, a backslash escapes the next
  /// character) but run without a shell: nothing is expanded, globbed or
  /// substituted. The first argument names the program, looked up in PATH
  /// unless it holds a '/'. The program gets new pipes as its standard
  /// input, output and error, runs in a process group of its own and,
  /// without the HIDDEN bit in flags, in a session of its own away from the
  /// controlling terminal. It inherits no other descriptor of this process.
  /// The Null object when the line is empty or leaves a quote open, or when
  /// the pipes cannot be made or the program cannot be started.
  static Ref<TProcess> Create(const String& command, int32_t flags);
  /// Terminates and closes every process in the module list. Runs by itself
  /// when the program ends.
  static void TerminateAll();

  String name;            ///< The command line.
  int32_t handle = 0;     ///< The process id, 0 when none.
  Ref<TPipeStream> pipe;  ///< Reads the child's standard output, writes its standard input.
  Ref<TPipeStream> err;   ///< Reads the child's standard error.
};

}  // namespace vtl
