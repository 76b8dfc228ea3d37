// The program the process tests start. The first argument picks what it does:
//   args ARG...        prints each argument as [ARG] on a line of its own
//   stderr N           writes N bytes to standard error, then "done" to standard output
//   repeat N           writes N bytes 'x' to standard output, no line end
//   children K         starts K children that sleep, prints their ids and "ready", sleeps
//   closein            closes standard input, prints "closed", sleeps
//   fds                prints the descriptors it holds, one per line
//   group              prints "leader" when it leads its process group, and
//                      "session" when it leads its session
//   echo               copies standard input to standard output line by line
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr unsigned kSleepSeconds = 60;  // far longer than any test waits

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w <= 0) std::exit(3);
    p += w;
    n -= static_cast<size_t>(w);
  }
}

void WriteRepeated(int fd, char c, long count) {
  std::string chunk(4096, c);
  while (count > 0) {
    const long n = count < 4096 ? count : 4096;
    WriteAll(fd, chunk.data(), static_cast<size_t>(n));
    count -= n;
  }
}

void Print(const std::string& line) {
  std::string text = line + "\n";
  WriteAll(STDOUT_FILENO, text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "args") {
    for (int i = 2; i < argc; ++i) Print(std::string("[") + argv[i] + "]");
  } else if (mode == "stderr" && argc == 3) {
    WriteRepeated(STDERR_FILENO, 'e', std::atol(argv[2]));
    Print("done");
  } else if (mode == "repeat" && argc == 3) {
    WriteRepeated(STDOUT_FILENO, 'x', std::atol(argv[2]));
  } else if (mode == "children" && argc == 3) {
    for (int i = std::atoi(argv[2]); i > 0; --i) {
      const pid_t pid = ::fork();
      if (pid < 0) return 4;
      if (pid == 0) {
        ::sleep(kSleepSeconds);
        ::_exit(0);
      }
      Print(std::to_string(pid));
    }
    Print("ready");
    ::sleep(kSleepSeconds);
  } else if (mode == "closein") {
    ::close(STDIN_FILENO);
    Print("closed");
    ::sleep(kSleepSeconds);
  } else if (mode == "fds") {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return 5;
    const int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own) continue;
      Print(entry->d_name);
    }
    ::closedir(dir);
  } else if (mode == "group") {
    if (::getpgrp() == ::getpid()) Print("leader");
    if (::getsid(0) == ::getpid()) Print("session");
  } else if (mode == "echo") {
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
      WriteAll(STDOUT_FILENO, line, std::strlen(line));
    }
  } else {
    return 2;
  }
  return 0;
}
