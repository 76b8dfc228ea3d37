// Requesters and the shell on the SDL desktop: message boxes through SDL,
// file and folder choosers through zenity, URLs through SDL's opener. Each
// blocking requester runs on a helper thread while the main thread keeps
// running main-thread calls, so timer ticks go on counting.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "runtime/program.h"
#include "runtime/string_ops.h"
#include "system/internal/desktop.h"
#include "system/internal/requesters.h"
#include "system/sdl_system_driver.h"

extern char** environ;

namespace vtl {

namespace {

// A chooser's answer is a path or two; anything longer is not one.
constexpr size_t kMaxChooserOutput = 64 * 1024;

// Runs blocking work on a helper thread; the main thread serves main-thread
// calls until it is done. The work must not throw.
template <class Work>
void RunBlockingRequester(Work&& work) {
  std::atomic<bool> done{false};
  std::thread helper([&] {
    work();
    done.store(true);
  });
  desktop::RunMainThreadCallsUntil(done);
  helper.join();
}

enum MessageBoxButtons { kOk, kOkCancel, kYesNoCancel };

// The chosen button's result, or `closed` when the box was closed or could
// not be shown.
int32_t ShowMessageBox(const String& text, int32_t serious, MessageBoxButtons kind, int32_t closed) {
  std::string title = ApplicationTitle.ToUtf8();
  std::string message = text.ToUtf8();
  std::vector<SDL_MessageBoxButtonData> buttons;
  switch (kind) {
    case kOk:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"}};
      break;
    case kOkCancel:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
                 {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Cancel"}};
      break;
    case kYesNoCancel:
      buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
                 {0, 0, "No"},
                 {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, -1, "Cancel"}};
      break;
  }
  SDL_MessageBoxData data{};
  data.flags = serious ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  data.window = nullptr;
  data.title = title.c_str();
  data.message = message.c_str();
  data.numbuttons = static_cast<int>(buttons.size());
  data.buttons = buttons.data();
  int chosen = -1;
  int status = -1;
  RunBlockingRequester([&] { status = SDL_ShowMessageBox(&data, &chosen); });
  if (status != 0 || chosen == -1) return closed;
  return chosen;
}

// Runs zenity with the arguments; its first output line when it ends with
// success, else empty (cancelled, failed, or not installed).
String RunZenity(const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return String();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  std::string program = "zenity";
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  int spawned = posix_spawnp(&child, "zenity", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return String();
  }
  std::string output;
  int status = 0;
  RunBlockingRequester([&] {
    char buffer[4096];
    for (;;) {
      ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (output.size() < kMaxChooserOutput) output.append(buffer, static_cast<size_t>(n));
    }
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  });
  close(pipeEnds[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return String();
  size_t end = output.find('\n');
  if (end != std::string::npos) output.resize(end);
  return String::FromLatin1(output);  // a file name: the system's bytes
}

std::string FullPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path.empty() ? std::string(".") : path, error);
  return error ? path : full.lexically_normal().string();
}

// zenity separates a filter's name from its patterns with "|".
std::string ZenityFilter(const FileFilter& filter) {
  std::string text;
  for (char c : filter.description) text += c == '|' ? '/' : c;
  text += " |";
  for (const std::string& pattern : filter.patterns) text += " " + pattern;
  return text;
}

}  // namespace

void TSDLSystemDriver::Notify(const String& text, int32_t serious) { ShowMessageBox(text, serious, kOk, 0); }

int32_t TSDLSystemDriver::Confirm(const String& text, int32_t serious) {
  return ShowMessageBox(text, serious, kOkCancel, 0) == 1 ? 1 : 0;
}

int32_t TSDLSystemDriver::Proceed(const String& text, int32_t serious) {
  return ShowMessageBox(text, serious, kYesNoCancel, -1);
}

String TSDLSystemDriver::RequestFile(const String& text, const String& extensions, int32_t save, const String& path) {
  std::string initial = ReplaceString(path, "\\", "/").ToLatin1();
  std::vector<std::string> arguments = {"--file-selection", "--title=" + text.ToUtf8()};
  if (save) {
    arguments.push_back("--save");
    arguments.push_back("--confirm-overwrite");
  }
  if (!initial.empty()) {
    size_t slash = initial.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : initial.substr(0, slash);
    std::string file = slash == std::string::npos ? initial : initial.substr(slash + 1);
    arguments.push_back("--filename=" + FullPath(folder) + "/" + file);
  }
  std::vector<FileFilter> filters = SplitFileFilter(BuildFileFilter(extensions));
  // The chooser starts on its first filter: put the path's group there.
  int32_t first = InitialFilterIndex(extensions, path);
  if (first > 1 && static_cast<size_t>(first) <= filters.size()) {
    std::rotate(filters.begin(), filters.begin() + (first - 1), filters.begin() + first);
  }
  for (const FileFilter& filter : filters) arguments.push_back("--file-filter=" + ZenityFilter(filter));
  return RunZenity(arguments);
}

String TSDLSystemDriver::RequestDir(const String& text, const String& path) {
  std::vector<std::string> arguments = {"--file-selection", "--directory", "--title=" + text.ToUtf8()};
  std::string initial = ReplaceString(path, "\\", "/").ToLatin1();
  arguments.push_back("--filename=" + FullPath(initial) + "/");
  return RunZenity(arguments);
}

int32_t TSDLSystemDriver::OpenURL(const String& url) {
  SDL_OpenURL(url.ToUtf8().c_str());
  return 0;
}

}  // namespace vtl
