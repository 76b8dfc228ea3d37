// Uses two libraries through their umbrella headers only: writes a line into
// a memory stream, reads it back and prints it.
#include <cstdio>

#include "runtime/runtime.h"
#include "stream/stream.h"

int main() {
  char buffer[64] = {};
  vtl::Ref<vtl::TRamStream> stream = vtl::TRamStream::Create(buffer, sizeof buffer, 1, 1);
  vtl::WriteLine(stream, vtl::String("public headers: ") + "ok");
  stream->Seek(0);
  std::printf("%s\n", vtl::ReadLine(stream).ToUtf8().c_str());
  return 0;
}
