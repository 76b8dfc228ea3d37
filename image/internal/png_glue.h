// libpng over vtl streams, shared by the PNG loader and writer.
//
// libpng reports a fatal error by calling its error function, which here
// longjmps to the setjmp of the caller's png_jmpbuf; warnings are dropped.
// So every call into libpng is made from a small function that holds only
// trivially destructible state and has set that return point. The stream
// callbacks catch every C++ exception themselves and turn it into a libpng
// error: no exception ever unwinds through libpng's frames.
#pragma once

#include <png.h>

#include "stream/basic_stream.h"

namespace vtl {

// A read or write struct with its info struct, made with the shared error
// handlers and destroyed however the caller's scope ends. Both pointers are
// null when libpng could not make them.
class PngStructs {
 public:
  enum Kind { kRead, kWrite };
  explicit PngStructs(Kind kind);
  ~PngStructs();
  PngStructs(const PngStructs&) = delete;
  PngStructs& operator=(const PngStructs&) = delete;

  png_structp png = nullptr;
  png_infop info = nullptr;

 private:
  Kind kind_;
};

// libpng reads its bytes from stream; data that ends inside a chunk, or a
// stream that throws, is a libpng error. The stream must outlive the reads.
void ReadPngFrom(png_structp png, TStream* stream);
// libpng writes its bytes to stream with WriteBytes; a stream that throws
// is a libpng error. The stream must outlive the writes.
void WritePngTo(png_structp png, TStream* stream);

// The text of this thread's last libpng error, and whether it was the data
// running out (or the stream failing) rather than damage libpng found.
const char* LastPngError();
bool PngDataRanOut();

}  // namespace vtl
