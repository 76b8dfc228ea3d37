#include "process/internal/spawn.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace vtl::process_internal {

namespace {

// A descriptor closed when it goes out of scope unless released.
class Fd {
 public:
  Fd() = default;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(-1); }
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// A close-on-exec pipe whose ends are both above the standard descriptors,
// so putting the child's ends on 0, 1 and 2 cannot overwrite another end
// (that happens when this process runs with a standard stream closed).
bool MakePipe(Fd& readEnd, Fd& writeEnd) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  readEnd.Reset(ends[0]);
  writeEnd.Reset(ends[1]);
  for (Fd* end : {&readEnd, &writeEnd}) {
    if (end->Get() > STDERR_FILENO) continue;
    int moved = ::fcntl(end->Get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved < 0) return false;
    end->Reset(moved);
  }
  return true;
}

// posix_spawn's attributes and file actions, released on every path.
struct SpawnSetup {
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The parent and process group ids from /proc/<pid>/stat: the fourth and
// fifth fields, counted after the command name in parentheses (which may
// itself hold blanks and ')'). Read with plain calls: any process may end
// while we read its entry, and that must give false, not an exception.
struct StatIds {
  pid_t parent = 0;
  pid_t group = 0;
};
bool ReadStatIds(const char* pid, StatIds& ids) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char stat[1024];
  ssize_t got;
  do {
    got = ::read(fd, stat, sizeof stat - 1);
  } while (got < 0 && errno == EINTR);
  ::close(fd);
  if (got <= 0) return false;
  stat[got] = 0;
  const char* close = std::strrchr(stat, ')');
  if (close == nullptr) return false;
  char state = 0;
  long parent = 0, group = 0;
  if (std::sscanf(close + 1, " %c %ld %ld", &state, &parent, &group) != 3) return false;
  ids.parent = static_cast<pid_t>(parent);
  ids.group = static_cast<pid_t>(group);
  return true;
}

// waitpid, tried again when a signal interrupts it.
pid_t Wait(pid_t pid, int& status, int options) {
  pid_t r;
  do {
    r = ::waitpid(pid, &status, options);
  } while (r < 0 && errno == EINTR);
  return r;
}

}  // namespace

bool StartChild(const std::vector<std::string>& args, bool detach, StartedChild& child) {
  if (args.empty()) return false;
  Fd inRead, inWrite, outRead, outWrite, errRead, errWrite;
  if (!MakePipe(inRead, inWrite) || !MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) return false;

  SpawnSetup setup;
  posix_spawn_file_actions_adddup2(&setup.actions, inRead.Get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&setup.actions, outWrite.Get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&setup.actions, errWrite.Get(), STDERR_FILENO);
  // Descriptors opened elsewhere without close-on-exec stay here too.
  posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);

  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&setup.attr, &none);
  posix_spawnattr_setsigdefault(&setup.attr, &all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (detach) {
    flags |= POSIX_SPAWN_SETSID;
  } else {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&setup.attr, 0);
  }
  posix_spawnattr_setflags(&setup.attr, flags);

  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), environ) != 0) return false;
  child.pid = pid;
  child.input = inWrite.Release();
  child.output = outRead.Release();
  child.error = errRead.Release();
  return true;
}

std::vector<pid_t> DirectChildren(pid_t pid) {
  std::vector<pid_t> children;
  DIR* proc = ::opendir("/proc");
  if (!proc) return children;
  while (dirent* entry = ::readdir(proc)) {
    const char* name = entry->d_name;
    if (name[0] < '1' || name[0] > '9' || std::strspn(name, "0123456789") != std::strlen(name)) continue;
    StatIds ids;
    if (ReadStatIds(name, ids) && ids.parent == pid) children.push_back(static_cast<pid_t>(std::atol(name)));
  }
  ::closedir(proc);
  return children;
}

std::optional<int32_t> EndProcess(pid_t pid, pid_t group) {
  if (pid <= 0) return std::nullopt;
  ::kill(pid, SIGSTOP);
  for (pid_t child : DirectChildren(pid)) ::kill(child, SIGKILL);
  if (group > 0) ::kill(-group, SIGKILL);
  ::kill(pid, SIGKILL);
  int status = 0;
  if (Wait(pid, status, 0) != pid) return std::nullopt;
  return ExitCodeOf(status);
}

std::optional<int32_t> CollectIfEnded(pid_t pid) {
  if (pid <= 0) return -1;
  int status = 0;
  const pid_t r = Wait(pid, status, WNOHANG);
  if (r == 0) return std::nullopt;
  return r == pid ? ExitCodeOf(status) : -1;  // else ECHILD: not ours to wait for any more
}

int32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return -WTERMSIG(status);
  return -1;
}

bool LeftoverGroupExists(pid_t group) {
  if (group <= 0) return false;
  if (::kill(-group, 0) != 0 && errno == ESRCH) return false;
  // Only a process with the group's id can make a new group of that id: if
  // one leads it, the id has passed on and the group is another's.
  StatIds ids;
  return !(ReadStatIds(std::to_string(group).c_str(), ids) && ids.group == group);
}

}  // namespace vtl::process_internal
