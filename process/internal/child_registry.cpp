#include "process/internal/child_registry.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <list>
#include <mutex>
#include <thread>

#include "process/child_process.h"

namespace vtl::process_internal {

struct ChildRecord {
  pid_t pid = 0;                 // the child, leader of the group with the same id
  pid_t starter = 0;             // the process that started it
  TProcess* owner = nullptr;     // while the program holds the process
  bool collected = false;        // the child itself has been waited for
  bool groupEnded = false;       // its group was seen empty once collected: never signalled again
  int32_t exitCode = -1;         // once collected, when known
  std::vector<int> descriptors;  // pipe ends of a dropped child, closed when it is collected
  int pidfd = -1;                // readable once the child ends: what the collecting thread waits on
};

namespace {

struct Registry {
  std::mutex lock;
  std::list<ChildRecord> records;
  bool reaperRunning = false;
  int reaperWake = -1;  // eventfd that wakes the collecting thread while it runs
  bool forkHandlersSet = false;
};

// Never destroyed: at-exit handlers and the collecting thread use it until
// the process is gone.
Registry& State() {
  static Registry* const registry = new Registry;
  return *registry;
}

// A copy made by fork shares the records but not the children.
bool StartedHere(const ChildRecord& record) { return record.starter == ::getpid(); }

bool Dropped(const ChildRecord& record) { return record.owner == nullptr && StartedHere(record); }

void WakeReaper(Registry& state) {
  if (state.reaperRunning && state.reaperWake >= 0) ::eventfd_write(state.reaperWake, 1);
}

// A descriptor that turns readable when pid ends; -1 where the system has none.
int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// The lock is held from here on, unless said otherwise.

void CloseDescriptors(Registry& state, ChildRecord& record) {
  for (int fd : record.descriptors) ::close(fd);
  record.descriptors.clear();
  if (record.pidfd >= 0) {
    ::close(record.pidfd);
    record.pidfd = -1;
    WakeReaper(state);  // it may be waiting on that descriptor
  }
}

void Erase(Registry& state, ChildRecord* record) {
  CloseDescriptors(state, *record);
  state.records.remove_if([&](const ChildRecord& r) { return &r == record; });
}

// Collects the record's child if it has ended; true once it is collected.
bool CollectRecorded(ChildRecord& record) {
  if (!record.collected) {
    std::optional<int32_t> code = CollectIfEnded(record.pid);
    if (!code) return false;
    record.collected = true;
    record.exitCode = *code;
  }
  return true;
}

// For a collected child: true while something may be left in its group.
// Once the group has been seen empty it is never signalled again, whatever
// takes up its id later.
bool GroupLeft(ChildRecord& record) {
  if (!record.groupEnded && !LeftoverGroupExists(record.pid)) record.groupEnded = true;
  return !record.groupEnded;
}

// Ends the record's child with its group, or what is left of the group once
// the child has been collected. The child's exit code, when known.
std::optional<int32_t> EndRecorded(ChildRecord& record) {
  if (!record.collected) return EndProcess(record.pid, record.pid);
  if (GroupLeft(record)) ::kill(-record.pid, SIGKILL);
  record.groupEnded = true;  // nothing survives SIGKILL
  return record.exitCode;
}

// Collects dropped children that have ended, closing their pipes, and
// forgets them once nothing is left in their group; notes the groups of
// collected children that have emptied.
void Sweep(Registry& state) {
  for (auto it = state.records.begin(); it != state.records.end();) {
    ChildRecord& record = *it;
    if (!StartedHere(record)) {
      ++it;
      continue;
    }
    const bool dropped = record.owner == nullptr;
    if (dropped && CollectRecorded(record)) CloseDescriptors(state, record);
    const bool nothingLeft = record.collected && !GroupLeft(record);
    if (dropped && nothingLeft) {
      it = state.records.erase(it);
    } else {
      ++it;
    }
  }
}

// The collecting thread: sleeps until a dropped child ends (its pidfd turns
// readable) or it is woken, collects what has ended, and ends itself once no
// dropped child runs. Without pidfds it looks every 50 ms.
void ReapDroppedChildren() {
  Registry& state = State();
  std::unique_lock<std::mutex> held(state.lock);
  for (;;) {
    Sweep(state);
    std::vector<pollfd> watched{{state.reaperWake, POLLIN, 0}};
    bool blind = false;
    for (ChildRecord& record : state.records) {
      if (!Dropped(record) || record.collected) continue;
      if (record.pidfd < 0) record.pidfd = OpenPidfd(record.pid);
      if (record.pidfd < 0) {
        blind = true;
      } else {
        watched.push_back({record.pidfd, POLLIN, 0});
      }
    }
    if (watched.size() == 1 && !blind) {
      ::close(state.reaperWake);
      state.reaperWake = -1;
      state.reaperRunning = false;
      return;
    }
    eventfd_t ignored;
    ::eventfd_read(state.reaperWake, &ignored);  // what woke it is in the list now
    held.unlock();
    // Another thread that closes a watched descriptor meanwhile wakes it.
    ::poll(watched.data(), watched.size(), blind ? 50 : -1);
    held.lock();
  }
}

void StartReaperIfNeeded(Registry& state) {
  bool needed = false;
  for (const ChildRecord& record : state.records) needed = needed || (Dropped(record) && !record.collected);
  if (!needed) return;
  if (state.reaperRunning) {
    WakeReaper(state);
    return;
  }
  const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) return;  // the next start collects what has ended
  // The thread takes no signal meant for the program.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  try {
    std::thread(ReapDroppedChildren).detach();
    state.reaperRunning = true;
    state.reaperWake = wake;
  } catch (...) {
    ::close(wake);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// fork copies the lock as it is and none of the threads: the lock is taken
// around fork, and in the copy no collecting thread runs.
void InstallForkHandlers(Registry& state) {
  if (state.forkHandlersSet) return;
  state.forkHandlersSet = true;
  pthread_atfork([] { State().lock.lock(); }, [] { State().lock.unlock(); },
                 [] {
                   Registry& copy = State();
                   if (copy.reaperWake >= 0) ::close(copy.reaperWake);
                   copy.reaperWake = -1;
                   copy.reaperRunning = false;
                   copy.lock.unlock();
                 });
}

}  // namespace

ChildRecord* StartRecorded(const std::vector<std::string>& args, bool detach, TProcess* owner, StartedChild& child) {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  InstallForkHandlers(state);
  Sweep(state);
  if (!StartChild(args, detach, child)) return nullptr;
  ChildRecord& record = state.records.emplace_back();
  record.pid = child.pid;
  record.starter = ::getpid();
  record.owner = owner;
  return &record;
}

std::optional<int32_t> PollChild(ChildRecord* record, pid_t handle) {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  if (!record || record->pid != handle || !StartedHere(*record)) return CollectIfEnded(handle);
  if (!CollectRecorded(*record)) return std::nullopt;
  GroupLeft(*record);
  return record->exitCode;
}

std::optional<int32_t> EndChild(ChildRecord* record, pid_t handle) {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  std::optional<int32_t> code;
  if (record && !StartedHere(*record)) {
    Erase(state, record);
    return code;
  }
  if (handle > 0 && !(record && record->pid == handle)) code = EndProcess(handle, 0);
  if (!record) return code;
  code = EndRecorded(*record);
  Erase(state, record);
  return code;
}

void ReleaseChild(ChildRecord* record, std::vector<int> descriptors) {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  record->descriptors = std::move(descriptors);
  record->owner = nullptr;
  if (!StartedHere(*record)) {
    Erase(state, record);
    return;
  }
  Sweep(state);
  StartReaperIfNeeded(state);
}

std::vector<Ref<TProcess>> HeldProcesses() {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  std::vector<Ref<TProcess>> processes;
  for (const ChildRecord& record : state.records) {
    if (record.owner && !record.collected && StartedHere(record)) processes.emplace_back(record.owner);
  }
  return processes;
}

void EndWhatIsLeft() {
  Registry& state = State();
  std::lock_guard<std::mutex> held(state.lock);
  for (auto it = state.records.begin(); it != state.records.end();) {
    ChildRecord& record = *it;
    if (!StartedHere(record) || (record.owner && !record.collected)) {
      ++it;
      continue;
    }
    EndRecorded(record);
    if (record.owner) {
      ++it;  // the program still holds the process: the record stays with it
      continue;
    }
    CloseDescriptors(state, record);
    it = state.records.erase(it);
  }
  WakeReaper(state);  // nothing left for it: it ends
}

}  // namespace vtl::process_internal
