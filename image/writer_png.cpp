// Saving a pixmap as PNG through libpng. As in the loader, libpng calls are
// made from small functions with only trivially destructible state.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "image/pixmap_writers.h"
#include "stream/stream.h"

namespace vtl {

namespace {

struct PngSink {
  TStream* stream;
};

void WriteToStream(png_structp png, png_bytep data, size_t length) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  bool failed = length > (size_t{1} << 30);
  if (!failed) {
    try {
      sink->stream->WriteBytes(data, static_cast<int32_t>(length));
    } catch (...) {
      failed = true;
    }
  }
  if (failed) png_error(png, "write failed");
}
void FlushNothing(png_structp) {}

[[noreturn]] void FailPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnorePngWarning(png_structp, png_const_charp) {}

struct PngLayout {
  int colourType;
  int32_t rowFormat;  // the format each row is converted to before writing
  int32_t level;
};

bool WritePngRows(png_structp png, png_infop info, TPixmap* pixmap, const PngLayout* layout, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap->width), static_cast<png_uint_32>(pixmap->height), 8,
               layout->colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, layout->level);
  png_write_info(png, info);
  for (int32_t y = 0; y < pixmap->height; ++y) {
    ConvertPixelRow(pixmap->PixelPtr(0, y), pixmap->format, row, layout->rowFormat, pixmap->width);
    png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

class PngWriter {
 public:
  PngWriter() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnorePngWarning);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngWriter() { png_destroy_write_struct(&png_, info_ ? &info_ : nullptr); }
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

}  // namespace

int32_t SavePixmapPNG(const Ref<TPixmap>& pixmap, const Ref<Object>& url, int32_t compression) {
  if (!pixmap || pixmap->width < 1 || pixmap->height < 1 || !IsPixelFormat(pixmap->format)) return 0;
  PngLayout layout{PNG_COLOR_TYPE_RGB, FMT_RGB888, compression < 0 ? 0 : (compression > 9 ? 9 : compression)};
  if (pixmap->format == FMT_GREY8) {
    layout.colourType = PNG_COLOR_TYPE_GRAY, layout.rowFormat = FMT_GREY8;
  } else if (AlphaBitsPerPixel[pixmap->format] > 0) {
    layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA, layout.rowFormat = FMT_RGBA8888;
  }
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) return 0;
  StreamCloser closer(stream);

  PngWriter writer;
  if (!writer.png_ || !writer.info_) return 0;
  PngSink sink{stream.Get()};
  png_set_write_fn(writer.png_, &sink, WriteToStream, FlushNothing);
  std::vector<png_byte> row(static_cast<size_t>(pixmap->width) * 4);
  return WritePngRows(writer.png_, writer.info_, pixmap.Get(), &layout, row.data()) ? 1 : 0;
}

int32_t SavePixmapPNG(const Ref<TPixmap>& pixmap, const String& url, int32_t compression) {
  return SavePixmapPNG(pixmap, Ref<Object>(url), compression);
}

}  // namespace vtl
