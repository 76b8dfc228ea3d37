// PNG through libpng. Every call into libpng happens inside a small function
// that sets the return point for libpng's errors and holds only trivially
// destructible state; C++ objects live in the caller (image/internal/png_glue.h).
#include <png.h>

#include <csetjmp>
#include <vector>

#include "image/internal/loader_limits.h"
#include "image/internal/png_glue.h"
#include "image/pixmap_loaders.h"
#include "runtime/string_ops.h"
#include "stream/stream.h"

namespace vtl {

namespace {

struct PngShape {
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
};

// Reads the header and sets up the transforms: 16-bit samples to 8,
// palettes, low-depth grey and transparency chunks expanded, and grey with
// alpha widened to RGBA so that every row can be decoded in place.
bool ReadPngShape(png_structp png, png_infop info, PngShape* shape) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  const int type = png_get_color_type(png, info);
  if (type == PNG_COLOR_TYPE_GRAY_ALPHA || (type == PNG_COLOR_TYPE_GRAY && png_get_valid(png, info, PNG_INFO_tRNS))) {
    png_set_gray_to_rgb(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  shape->width = png_get_image_width(png, info);
  shape->height = png_get_image_height(png, info);
  shape->bitDepth = png_get_bit_depth(png, info);
  shape->colourType = png_get_color_type(png, info);
  return true;
}

bool ReadPngRows(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

// The reason for a libpng error: the data ran out, or what libpng found.
std::nullptr_t RefusePngFailure() {
  if (PngDataRanOut()) return RefuseLoad("PNG: the file ends inside the image data (truncated)");
  return RefuseLoad("PNG: damaged data (" + String(LastPngError()) + ")");
}

}  // namespace

Ref<TPixmap> TPixmapLoaderPNG::LoadPixmap(const Ref<TStream>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);

  png_byte signature[8] = {};
  stream->ReadBytes(signature, 8);
  if (png_sig_cmp(signature, 0, 8) != 0) return RefuseLoad("not a PNG file");

  PngStructs reader(PngStructs::kRead);
  if (!reader.png || !reader.info) return RefuseLoad("PNG: out of memory");
  ReadPngFrom(reader.png, stream.Get());
  png_set_user_limits(reader.png, kMaxLoadedSide, kMaxLoadedSide);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // Let mutated files past the checksums, so that fuzzing reaches the decoding.
  png_set_crc_action(reader.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_option(reader.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif

  PngShape shape;
  if (!ReadPngShape(reader.png, reader.info, &shape)) return RefusePngFailure();
  if (shape.bitDepth != 8) return RefuseLoad("PNG: " + StringFromInt(shape.bitDepth) + "-bit samples not supported");
  int32_t format = 0;
  switch (shape.colourType) {
    case PNG_COLOR_TYPE_GRAY: format = FMT_GREY8; break;
    case PNG_COLOR_TYPE_RGB: format = FMT_RGB888; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: format = FMT_RGBA8888; break;
    default: return RefuseLoad("PNG: colour type " + StringFromInt(shape.colourType) + " not supported");
  }
  // Deflate yields at most ~1032 bytes per input byte, and a 1-bit palette
  // pixel may widen to 4 bytes: 32 times that in the worst case.
  if (!LoadedSizeAllowed(*stream, shape.width, shape.height, BytesPerPixel[format], 1032 * 32)) {
    return RefuseLoad("PNG: the picture is larger than the file could hold");
  }

  Ref<TPixmap> pixmap =
      TPixmap::Create(static_cast<int32_t>(shape.width), static_cast<int32_t>(shape.height), format, 4);
  std::vector<png_bytep> rows(shape.height);
  for (png_uint_32 y = 0; y < shape.height; ++y) rows[y] = pixmap->PixelPtr(0, static_cast<int32_t>(y));
  if (!ReadPngRows(reader.png, reader.info, rows.data())) return RefusePngFailure();
  return pixmap;
}

}  // namespace vtl
