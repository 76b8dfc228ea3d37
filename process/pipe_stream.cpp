#include "process/pipe_stream.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "runtime/exceptions.h"
#include "stream/stream_exceptions.h"

namespace vtl {

namespace {

void CloseHandle(int32_t& handle) {
  if (handle < 0) return;
  ::close(handle);
  handle = -1;
}

// A write to a pipe nobody reads raises SIGPIPE, which would end the whole
// program. The signal is held back for this thread during the write and, if
// the write raised it, taken off again, so the write only reports EPIPE.
ssize_t WriteWithoutSigpipe(int fd, const void* buf, size_t count) {
  sigset_t pipeSignal, pending, old;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigpending(&pending);
  const bool alreadyPending = sigismember(&pending, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
  ssize_t written;
  do {
    written = ::write(fd, buf, count);
  } while (written < 0 && errno == EINTR);
  const int error = errno;
  if (written < 0 && error == EPIPE && !alreadyPending) {
    const timespec now{};
    while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  errno = error;
  return written;
}

}  // namespace

void TPipeStream::Close() {
  CloseHandle(readhandle);
  CloseHandle(writehandle);
}

int32_t TPipeStream::Read(void* buf, int32_t count) {
  if (readhandle < 0 || count <= 0) return 0;
  ssize_t n;
  do {
    n = ::read(readhandle, buf, static_cast<size_t>(count));
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<int32_t>(n) : 0;
}

int32_t TPipeStream::Write(const void* buf, int32_t count) {
  if (writehandle < 0 || count <= 0) return 0;
  const auto* p = static_cast<const uint8_t*>(buf);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = WriteWithoutSigpipe(writehandle, p + done, static_cast<size_t>(count - done));
    if (n <= 0) {
      if (done == 0) ThrowStreamWrite();
      break;
    }
    done += static_cast<int32_t>(n);
  }
  return done;
}

void TPipeStream::Flush() {}

int32_t TPipeStream::ReadAvail() {
  int available = 0;
  if (readhandle < 0 || ::ioctl(readhandle, FIONREAD, &available) != 0) return 0;
  return available > 0 ? available : 0;
}

Ref<Array<uint8_t>> TPipeStream::ReadPipe() {
  const int32_t available = ReadAvail();
  auto bytes = NewArray<uint8_t>({available});
  if (available == 0) return bytes;
  const int32_t got = Read(bytes->Data(), available);
  if (got == available) return bytes;
  auto shorter = NewArray<uint8_t>({got});
  std::memcpy(shorter->Data(), bytes->Data(), static_cast<size_t>(got));
  return shorter;
}

bool TPipeStream::AtPipeEnd() {
  if (readhandle < 0) return false;
  pollfd end{readhandle, POLLIN, 0};
  // Every writer gone gives POLLHUP; with bytes still waiting, POLLIN as well.
  return ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP) && ReadAvail() == 0;
}

String TPipeStream::ReadLine() {
  // The fields are public: a stream made without Create has no buffer yet,
  // and a count set from outside must not take the copies below out of it.
  if (!readbuffer) readbuffer = NewArray<uint8_t>({READ_BUFFER_SIZE});
  const int32_t capacity = readbuffer->Length();
  bufferpos = std::clamp(bufferpos, 0, capacity);
  uint8_t* held = readbuffer->Data();
  int32_t n = ReadAvail();
  if (n > 0) {
    if (bufferpos + n > capacity) n = capacity - bufferpos;
    if (n <= 0) RuntimeError("PipeStream ReadBuffer Overflow");
    bufferpos += Read(held + bufferpos, n);
  }
  const auto* feed = static_cast<const uint8_t*>(std::memchr(held, 10, static_cast<size_t>(bufferpos)));
  // Without a line feed the line is complete only when no more can come.
  if (!feed && (bufferpos == 0 || !AtPipeEnd())) return "";
  const int32_t c = feed ? static_cast<int32_t>(feed - held) : bufferpos;
  const int32_t taken = feed ? c + 1 : c;
  int32_t begin = 0, end = c;
  if (end > begin && held[end - 1] == 13) --end;
  if (end > begin && held[0] == 13) ++begin;
  String line = String::FromLatin1(reinterpret_cast<const char*>(held + begin), end - begin);
  std::memmove(held, held + taken, static_cast<size_t>(bufferpos - taken));
  bufferpos -= taken;
  return line;
}

Ref<TPipeStream> TPipeStream::Create(int32_t readhandle, int32_t writehandle) {
  auto stream = New<TPipeStream>();
  stream->readbuffer = NewArray<uint8_t>({READ_BUFFER_SIZE});
  stream->readhandle = readhandle;
  stream->writehandle = writehandle;
  return stream;
}

}  // namespace vtl
