#include "process/process.h"

#include "runtime/class_record.h"
#include "runtime/module.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {

void InitProcess() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();

  ClassBuilder<TPipeStream, TStream>("TPipeStream")
      .Field<&TPipeStream::readbuffer>("readbuffer")
      .Field<&TPipeStream::bufferpos>("bufferpos")
      .Field<&TPipeStream::readhandle>("readhandle")
      .Field<&TPipeStream::writehandle>("writehandle")
      .Method<&TPipeStream::ReadAvail>("ReadAvail")
      .Method<&TPipeStream::ReadPipe>("ReadPipe")
      .Function<&TPipeStream::Create>("Create")
      .Register();
  ClassBuilder<TProcess, Object>("TProcess")
      .Field<&TProcess::name>("name")
      .Field<&TProcess::handle>("handle")
      .Field<&TProcess::pipe>("pipe")
      .Field<&TProcess::err>("err")
      .Constant("HIDDEN", TProcess::HIDDEN)
      .Method<&TProcess::Status>("Status")
      .Method<&TProcess::Close>("Close")
      .Method<&TProcess::Terminate>("Terminate")
      .Method<&TProcess::ExitCode>("ExitCode")
      .Function<&TProcess::Create>("Create")
      .Function<&TProcess::TerminateAll>("TerminateAll")
      .Register();
}

}  // namespace vtl
