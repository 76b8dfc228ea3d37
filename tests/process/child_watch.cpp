#include "child_watch.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace process_test {

vtl::String Helper(const std::string& arguments) {
  return vtl::String::FromText(std::string("'") + PROCESS_TEST_CHILD + "' " + arguments);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::string NextLine(const vtl::Ref<vtl::TPipeStream>& stream, std::chrono::milliseconds limit) {
  std::string line;
  WaitUntil(
      [&] {
        line = stream->ReadLine().ToUtf8();
        return !line.empty();
      },
      limit);
  return line;
}

bool WaitForEnd(const vtl::Ref<vtl::TProcess>& process, std::chrono::milliseconds limit) {
  return WaitUntil([&] { return process->Status() == 0; }, limit);
}

bool CollectKilled(pid_t orphan) {
  int status = 0;
  if (!WaitUntil([&] { return ::waitpid(orphan, &status, WNOHANG) == orphan; }, std::chrono::seconds(10))) {
    ::kill(orphan, SIGKILL);
    ::waitpid(orphan, nullptr, 0);
    return false;
  }
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::vector<pid_t> ChildrenOf(pid_t pid) {
  const std::string id = std::to_string(pid);
  std::ifstream in("/proc/" + id + "/task/" + id + "/children");
  std::vector<pid_t> children;
  for (long child; in >> child;) children.push_back(static_cast<pid_t>(child));
  return children;
}

std::vector<pid_t> OwnChildren() { return ChildrenOf(::getpid()); }

bool Listed(pid_t pid) {
  struct stat info;
  return ::stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0;
}

int OpenDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  int count = 0;
  while (dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
  ::closedir(dir);
  return count - 1;  // the directory's own descriptor
}

int Zombies() {
  int zombies = 0;
  for (pid_t child : OwnChildren()) zombies += Collectable(child);
  return zombies;
}

pid_t StartInOwnGroup(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  return failed ? -1 : pid;
}

namespace {

// What waitid says of the child without collecting it: 0 while it runs, its
// id once it has ended, -1 when there is nothing (left) to collect.
pid_t Peek(pid_t child) {
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return -1;
  return info.si_pid;
}

}  // namespace

bool Running(pid_t child) { return Peek(child) == 0; }

bool Collectable(pid_t child) { return Peek(child) == child; }

}  // namespace process_test
