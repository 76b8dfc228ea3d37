#include "stream/io.h"

#include "runtime/exceptions.h"

namespace vtl {

int32_t TIO::Eof() { return Pos() == Size(); }
int32_t TIO::Pos() { return -1; }
int32_t TIO::Size() { return 0; }
int32_t TIO::Seek(int32_t) { return -1; }
void TIO::Flush() {}
void TIO::Close() {}
int32_t TIO::Read(void*, int32_t) { RuntimeError("Stream is not readable"); }
int32_t TIO::Write(const void*, int32_t) { RuntimeError("Stream is not writeable"); }

void TIO::OnLastRelease() noexcept {
  try {
    Close();
  } catch (...) {
  }
}

}  // namespace vtl
