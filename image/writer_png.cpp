// Saving a pixmap as PNG through libpng. As in the loader, libpng calls are
// made from small functions with only trivially destructible state.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "image/internal/png_glue.h"
#include "image/pixmap_writers.h"
#include "stream/stream.h"

namespace vtl {

namespace {

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

  PngStructs writer(PngStructs::kWrite);
  if (!writer.png || !writer.info) return 0;
  WritePngTo(writer.png, stream.Get());
  std::vector<png_byte> row(static_cast<size_t>(pixmap->width) * 4);
  if (!WritePngRows(writer.png, writer.info, pixmap.Get(), &layout, row.data())) return 0;
  return closer.CloseNow() ? 1 : 0;
}

int32_t SavePixmapPNG(const Ref<TPixmap>& pixmap, const String& url, int32_t compression) {
  return SavePixmapPNG(pixmap, Ref<Object>(url), compression);
}

}  // namespace vtl
