#include "image/internal/png_glue.h"

#include <cstddef>
#include <cstring>

namespace vtl {

namespace {

constexpr char kReadFailed[] = "read failed";
thread_local char lastError[128];  // copied: libpng's text may not outlive the jump

[[noreturn]] void FailPng(png_structp png, png_const_charp message) {
  std::strncpy(lastError, message ? message : "", sizeof lastError - 1);
  lastError[sizeof lastError - 1] = '\0';
  png_longjmp(png, 1);
}
void IgnorePngWarning(png_structp, png_const_charp) {}

// Stream calls must not throw into libpng: false stands for any failure.
bool ReadAll(TStream* stream, png_bytep data, size_t length) noexcept {
  try {
    for (size_t done = 0; done < length;) {
      const size_t want = length - done < (size_t{1} << 30) ? length - done : (size_t{1} << 30);
      const int32_t got = stream->Read(data + done, static_cast<int32_t>(want));
      if (got <= 0) return false;  // the data ended inside a chunk
      done += static_cast<size_t>(got);
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool WriteAll(TStream* stream, png_bytep data, size_t length) noexcept {
  if (length > (size_t{1} << 30)) return false;
  try {
    stream->WriteBytes(data, static_cast<int32_t>(length));
    return true;
  } catch (...) {
    return false;
  }
}

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
  if (!ReadAll(static_cast<TStream*>(png_get_io_ptr(png)), data, length)) png_error(png, kReadFailed);
}

void WriteToStream(png_structp png, png_bytep data, size_t length) {
  if (!WriteAll(static_cast<TStream*>(png_get_io_ptr(png)), data, length)) png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

}  // namespace

PngStructs::PngStructs(Kind kind) : kind_(kind) {
  png = kind == kRead ? png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnorePngWarning)
                      : png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnorePngWarning);
  if (png) info = png_create_info_struct(png);
}

PngStructs::~PngStructs() {
  if (kind_ == kRead) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  } else {
    png_destroy_write_struct(&png, info ? &info : nullptr);
  }
}

const char* LastPngError() { return lastError; }

bool PngDataRanOut() { return std::strcmp(lastError, kReadFailed) == 0; }

void ReadPngFrom(png_structp png, TStream* stream) { png_set_read_fn(png, stream, ReadFromStream); }

void WritePngTo(png_structp png, TStream* stream) { png_set_write_fn(png, stream, WriteToStream, FlushNothing); }

}  // namespace vtl
