#include "child_watch.h"

#include <dirent.h>
#include <sys/stat.h>
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

}  // namespace process_test
