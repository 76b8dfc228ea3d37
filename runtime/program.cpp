#include "runtime/program.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include <unistd.h>

#include "runtime/exceptions.h"
#include "runtime/module.h"

namespace vtl {

String LaunchDirectory;
String ProgramDirectory;
String ProgramFile;
Ref<Array<String>> ProgramArguments = NewArray<String>({0});
String ApplicationTitle = "Vantorel Application";

namespace {

constexpr int kUnhandledExitCode = -1;

// Only async-signal-safe calls from here on: write and _exit.
void WriteRaw(int fd, const char* text) {
  size_t n = 0;
  while (text[n]) ++n;
  while (n > 0) {
    ssize_t w = ::write(fd, text, n);
    if (w <= 0) return;
    text += w;
    n -= static_cast<size_t>(w);
  }
}

extern "C" void OnSignal(int signal) {
  bool fault = signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE;
  if (signal != SIGBUS && signal != SIGFPE) {
    char line[32] = "signal!:";
    char digits[12];
    int n = 0;
    for (unsigned v = static_cast<unsigned>(signal); n == 0 || v; v /= 10)
      digits[n++] = static_cast<char>('0' + v % 10);
    int at = 8;
    while (n) line[at++] = digits[--n];
    line[at++] = '\n';
    line[at] = 0;
    WriteRaw(STDOUT_FILENO, line);
  }
  // Throwing from a signal handler is not possible here; the process ends
  // at once with the exit code of an uncaught error.
  WriteRaw(STDERR_FILENO, fault ? "Unhandled Memory Exception Error" : "Received Signal");
  ::_exit(kUnhandledExitCode & 0xFF);
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int s : {SIGILL, SIGSEGV, SIGTERM, SIGABRT, SIGBUS, SIGFPE}) sigaction(s, &action, nullptr);
}

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string CurrentDirectory() {
  char buf[4096];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  // A drive root keeps its slash ("C:/").
  if (path[slash - 1] == ':') return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

void Write(FILE* stream, const String& text) {
  std::string bytes = text.ToLatin1();
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

void StartRuntime(int argc, char** argv) {
  std::string file = ProgramPath();
  // Paths and arguments are the system's bytes, one code per byte, so that
  // they reach the file functions again unchanged.
  LaunchDirectory = String::FromLatin1(CurrentDirectory());
  ProgramFile = String::FromLatin1(file);
  ProgramDirectory = String::FromLatin1(DirectoryOf(file));
  ApplicationTitle = "Vantorel Application";
  ProgramArguments = NewArray<String>({argc > 0 ? argc : 0});
  for (int i = 0; i < argc; ++i) (*ProgramArguments)[i] = String::FromLatin1(argv[i] ? argv[i] : "");
}

int RunProgram(int argc, char** argv, void (*mainProgram)()) {
  InstallSignalHandlers();
  try {
    StartRuntime(argc, argv);
    std::string dir = ProgramDirectory.ToLatin1();
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) RuntimeError("Unable to change to the program directory");
    InitRuntime();
    if (mainProgram) mainProgram();
  } catch (const ThrownObject& thrown) {
    HandleUncaught(thrown.object);
  } catch (const std::exception& e) {
    WriteStderr(String::FromLatin1(e.what()));  // its bytes as they are
    std::exit(kUnhandledExitCode);
  }
  return 0;
}

void EndProgram() {
  std::fflush(stdout);
  std::exit(0);
}

void AtExit(void (*handler)()) { std::atexit(handler); }

void HandleUncaught(const Ref<Object>& thrown) {
  String text;
  try {
    text = thrown ? thrown->ToString() : String("Null");
  } catch (...) {
    text = "Unhandled exception";
  }
  WriteStderr(text);
  std::exit(kUnhandledExitCode);
}

void WriteStdout(const String& text) { Write(stdout, text); }

void WriteStderr(const String& text) { Write(stderr, text); }

}  // namespace vtl
