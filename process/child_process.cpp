#include "process/child_process.h"

#include <string>
#include <vector>

#include "process/internal/command_line.h"
#include "process/internal/spawn.h"
#include "runtime/list.h"
#include "runtime/program.h"
#include "stream/c_stream.h"

namespace vtl {

namespace {

using process_internal::StartedChild;

Ref<TList> startedProcesses;  // made on the first start

TList& StartedProcesses() {
  if (!startedProcesses) {
    startedProcesses = New<TList>();
    AtExit(&TProcess::TerminateAll);
  }
  return *startedProcesses;
}

void Forget(TProcess* process) {
  if (startedProcesses) startedProcesses->Remove(Ref<Object>(process));
}

}  // namespace

int32_t TProcess::Status() {
  if (handle == 0) return 0;
  if (!process_internal::HasEnded(handle)) return 1;
  handle = 0;  // the id may be given to another process from now on
  Forget(this);
  return 0;
}

void TProcess::Close() {
  if (pipe) pipe->Close();
  if (err) err->Close();
  pipe = nullptr;
  err = nullptr;
}

void TProcess::Terminate() {
  Ref<TProcess> keep(this);  // the list may hold the last reference
  Forget(this);
  if (handle == 0) return;
  process_internal::KillWithDirectChildren(handle);
  handle = 0;
}

Ref<TProcess> TProcess::Create(const String& command, int32_t flags) {
  std::optional<std::vector<String>> args = process_internal::SplitCommandLine(command);
  if (!args || args->empty()) return nullptr;
  std::vector<std::string> bytes;
  for (const String& arg : *args) {
    bytes.push_back(SystemBytes(arg));
    // A zero byte would end the argument early and run something else.
    if (bytes.back().find('\0') != std::string::npos) return nullptr;
  }
  StartedChild child;
  if (!process_internal::StartChild(bytes, (flags & HIDDEN) == 0, child)) return nullptr;
  auto process = New<TProcess>();
  process->name = command;
  process->handle = child.pid;
  process->pipe = TPipeStream::Create(child.output, child.input);
  process->err = TPipeStream::Create(child.error, -1);
  StartedProcesses().AddLast(process);
  return process;
}

void TProcess::TerminateAll() {
  if (!startedProcesses) return;
  for (Ref<TProcess> process : startedProcesses->Each<TProcess>()) {
    process->Terminate();
    process->Close();
  }
}

}  // namespace vtl
