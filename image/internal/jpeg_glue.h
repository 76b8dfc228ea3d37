// libjpeg over vtl streams, shared by the JPEG loader and writer.
//
// libjpeg reports a fatal error through its error manager's error_exit,
// which here longjmps to JpegErrors::jump; warnings and messages are
// dropped, nothing is printed. So every call into libjpeg is made from a
// small function that holds only trivially destructible state and has set
// that return point with setjmp. The stream source and destination catch
// every C++ exception themselves and turn it into a libjpeg error: no
// exception ever unwinds through libjpeg's frames.
#pragma once

#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>

#include "stream/basic_stream.h"

namespace vtl {

struct JpegErrors {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

// Reads compressed data from a stream through a 4096-byte buffer. No byte
// at the very start is the input-empty error; data ending later is the
// premature-end warning and an end-of-image marker supplied in its place.
struct JpegStreamSource {
  static constexpr size_t kBufferSize = 4096;
  jpeg_source_mgr pub;
  TStream* stream;
  bool started;
  JOCTET buffer[kBufferSize];
};

// Writes compressed data to a stream through a 4096-byte buffer.
struct JpegStreamSink {
  static constexpr size_t kBufferSize = 4096;
  jpeg_destination_mgr pub;
  TStream* stream;
  JOCTET buffer[kBufferSize];
};

// A decompressor's C state with its error manager, released however the
// caller's scope ends. jpeg_create_decompress is the caller's to call,
// after its setjmp on errors.jump; then ReadFrom.
struct JpegDecompressor {
  JpegDecompressor();
  ~JpegDecompressor();
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  // Makes cinfo read from stream, which must stay alive until it is done.
  void ReadFrom(TStream* stream);

  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  JpegStreamSource source;
  jpeg_progress_mgr progress;
};

// The same for compressing: jpeg_create_compress, then WriteTo.
struct JpegCompressor {
  JpegCompressor();
  ~JpegCompressor();
  JpegCompressor(const JpegCompressor&) = delete;
  JpegCompressor& operator=(const JpegCompressor&) = delete;

  void WriteTo(TStream* stream);

  jpeg_compress_struct cinfo;
  JpegErrors errors;
  JpegStreamSink sink;
};

}  // namespace vtl
