/// \file
/// The process's standard input and output as a UTF-8 text stream, and the
/// line helpers over it.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"
#include "stream/text_stream.h"

namespace vtl {

/// Bytes from standard input and to standard output. Closing it leaves both
/// open (they belong to the process).
class TCStandardIO : public TStream {
 public:
  /// True once standard input has ended. Waits for the next byte to find
  /// out, as reading it would.
  int32_t Eof() override;
  /// Up to count bytes of standard input; stops after a line feed, so a
  /// reader at a terminal gets each line as it is typed. 0 at the end.
  int32_t Read(void* buf, int32_t count) override;
  /// Writes to standard output; returns the bytes written.
  int32_t Write(const void* buf, int32_t count) override;
  /// Flushes standard output.
  void Flush() override;
  /// Flushes standard output; nothing is closed.
  void Close() override;
};

/// Standard input and output as UTF-8 text: a TTextStream over a
/// TCStandardIO, made by InitStream().
extern Ref<TTextStream> StandardIOStream;

/// Writes text and a line end (13, 10) to standard output and flushes.
void PrintLine(const String& text = String());
/// Writes the prompt, flushes, and returns the next line of standard input
/// (without its line end; the empty string at the end of the input).
String InputLine(const String& prompt = String());

}  // namespace vtl
