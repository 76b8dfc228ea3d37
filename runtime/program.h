/// \file
/// The program's frame: start-up, the paths and arguments it was given, the
/// way out, and the standard streams.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/string.h"

namespace vtl {

/// Paths and arguments hold the system's bytes, one code per byte (as
/// String::FromLatin1 reads them); ToLatin1 gives the bytes back.
///
/// The current directory when the program started ("/" separators).
extern String LaunchDirectory;
/// The program file's directory, without a trailing "/" (except the root).
extern String ProgramDirectory;
/// The program file's full path.
extern String ProgramFile;
/// The arguments, element 0 being the program as invoked.
extern Ref<Array<String>> ProgramArguments;
/// The window caption; "Vantorel Application" until the program sets its own.
extern String ApplicationTitle;

/// The whole desktop entry: records paths and arguments, installs the signal
/// handlers, changes into the program's directory, initialises the runtime and
/// runs mainProgram. An exception that escapes it writes its text to standard
/// error and ends the process with exit code -1 (255 as a parent sees it).
/// Returns 0 if mainProgram returns.
int RunProgram(int argc, char** argv, void (*mainProgram)());

/// Ends the process with exit code 0 after the at-exit handlers. Does not return.
[[noreturn]] void EndProgram();

/// Registers a handler for the end of the process; handlers run in reverse
/// order of registration, on EndProgram, the unhandled path and a return from main.
void AtExit(void (*handler)());

/// The unhandled path: writes the object's text to standard error, ends with -1.
[[noreturn]] void HandleUncaught(const Ref<Object>& thrown);

/// \name Standard streams
/// Write the text, each code as its low 8 bits, and flush. Nothing is appended.
///@{

/// Writes the text to standard output.
void WriteStdout(const String& text);
/// Writes the text to standard error.
void WriteStderr(const String& text);
///@}

/// Records the program's paths and arguments as RunProgram does, without
/// changing directory or running anything (for tools and tests).
void StartRuntime(int argc, char** argv);

}  // namespace vtl
