#include "process/child_process.h"

#include <string>
#include <vector>

#include "process/internal/child_registry.h"
#include "process/internal/command_line.h"
#include "runtime/program.h"
#include "stream/c_stream.h"

namespace vtl {

namespace {

// Takes the descriptors out of a pipe stream that nothing but its process
// refers to, so that they outlive the stream.
void TakeDescriptors(TPipeStream* stream, std::vector<int>& taken) {
  if (!stream || stream->RefCount() != 1) return;
  for (int32_t* handle : {&stream->readhandle, &stream->writehandle}) {
    if (*handle >= 0) taken.push_back(*handle);
    *handle = -1;
  }
}

}  // namespace

int32_t TProcess::Status() {
  if (handle <= 0) return 0;
  const std::optional<int32_t> end = process_internal::PollChild(record_, handle);
  if (!end) return 1;
  exitcode_ = *end;
  handle = 0;  // the id may be given to another process from now on
  return 0;
}

void TProcess::Close() {
  if (pipe) pipe->Close();
  if (err) err->Close();
  pipe = nullptr;
  err = nullptr;
}

void TProcess::Terminate() {
  if (handle <= 0 && !record_) return;
  const std::optional<int32_t> end = process_internal::EndChild(record_, handle);
  record_ = nullptr;
  if (end) exitcode_ = *end;
  if (handle > 0) handle = 0;
}

int32_t TProcess::ExitCode() const { return exitcode_; }

void TProcess::OnLastRelease() noexcept {
  if (!record_) return;
  std::vector<int> descriptors;
  TakeDescriptors(pipe.Get(), descriptors);
  TakeDescriptors(err.Get(), descriptors);
  process_internal::ReleaseChild(record_, std::move(descriptors));
  record_ = nullptr;
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
  static const bool endsWithProgram = (AtExit(&TProcess::TerminateAll), true);
  (void)endsWithProgram;
  auto process = New<TProcess>();
  process_internal::StartedChild child;
  process->record_ = process_internal::StartRecorded(bytes, (flags & HIDDEN) == 0, process.Get(), child);
  if (!process->record_) return nullptr;
  process->name = command;
  process->handle = child.pid;
  process->pipe = TPipeStream::Create(child.output, child.input);
  process->err = TPipeStream::Create(child.error, -1);
  return process;
}

void TProcess::TerminateAll() {
  for (const Ref<TProcess>& process : process_internal::HeldProcesses()) {
    process->Terminate();
    process->Close();
  }
  process_internal::EndWhatIsLeft();
}

}  // namespace vtl
