#include "stream/standard_io.h"

#include <cstdio>

namespace vtl {

Ref<TTextStream> StandardIOStream;

int32_t TCStandardIO::Eof() {
  int c = std::getc(stdin);
  if (c == EOF) return 1;
  std::ungetc(c, stdin);
  return 0;
}

int32_t TCStandardIO::Read(void* buf, int32_t count) {
  auto* out = static_cast<uint8_t*>(buf);
  int32_t n = 0;
  while (n < count) {
    int c = std::getc(stdin);
    if (c == EOF) break;
    out[n++] = static_cast<uint8_t>(c);
    if (c == '\n') break;
  }
  return n;
}

int32_t TCStandardIO::Write(const void* buf, int32_t count) {
  if (count <= 0) return 0;
  return static_cast<int32_t>(std::fwrite(buf, 1, static_cast<size_t>(count), stdout));
}

void TCStandardIO::Flush() { std::fflush(stdout); }

void TCStandardIO::Close() { std::fflush(stdout); }

void PrintLine(const String& text) {
  StandardIOStream->WriteLine(text);
  StandardIOStream->Flush();
}

String InputLine(const String& prompt) {
  StandardIOStream->WriteString(prompt);
  StandardIOStream->Flush();
  return StandardIOStream->ReadLine();
}

}  // namespace vtl
