#include "runtime/user_data.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/exceptions.h"

namespace vtl {
namespace {

[[noreturn]] void Refuse(const std::string& why) { RuntimeError(String::FromLatin1("UserDataDirectory: " + why)); }

// One folder name below the data folder, as the bytes the file system gets.
std::string FolderName(const char* what, const String& name) {
  for (int32_t i = 0; i < name.Length(); ++i) {
    if (name[i] == 0) Refuse(std::string("the ") + what + " name holds a zero code");
  }
  std::string bytes = name.ToUtf8();
  if (bytes.empty()) Refuse(std::string("the ") + what + " name is empty");
  if (bytes == "." || bytes == "..")
    Refuse(std::string("the ") + what + " name \"" + bytes + "\" is not a folder name");
  if (bytes.find_first_of("/\\") != std::string::npos) {
    Refuse(std::string("the ") + what + " name \"" + bytes + "\" holds a path separator");
  }
  return bytes;
}

std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // Relative values are to be ignored: they would depend on the current directory.
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') Refuse("neither XDG_DATA_HOME nor HOME names a folder");
  return std::string(home) + "/.local/share";
}

// Makes every missing folder of path, as mkdir -p does.
void MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (::mkdir(part.c_str(), 0700) == 0) continue;
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    Refuse("cannot make the folder " + path + ": " + part +
           (error == EEXIST ? std::string(" is not a folder") : ": " + std::string(std::strerror(error))));
  }
}

}  // namespace

String UserDataDirectory(const String& organisation, const String& application) {
  const std::string org = FolderName("organisation", organisation);
  const std::string app = FolderName("application", application);
  std::string base = DataHome();
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  const std::string path = (base == "/" ? "" : base) + "/" + org + "/" + app;
  MakeFolders(path);
  return String::FromLatin1(path);
}

}  // namespace vtl
