// JPEG through libjpeg. libjpeg's errors longjmp back into the small
// function that made the call, which holds only trivially destructible
// state (image/internal/jpeg_glue.h).
#include <csetjmp>
#include <memory>

#include "image/internal/jpeg_glue.h"
#include "image/internal/loader_limits.h"
#include "image/pixmap_loaders.h"
#include "runtime/string_ops.h"
#include "stream/stream.h"

namespace vtl {

namespace {

// More scans than any real encoder writes; each scan may revisit the
// whole image, so an endless series is a way to burn time.
constexpr int kMaxScans = 256;

void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    ERREXIT(cinfo, JERR_NOT_COMPILED);
  }
}

struct JpegShape {
  JDIMENSION width = 0, height = 0;
  int components = 0;
};

bool ReadJpegShape(JpegDecompressor* decoder, TStream* stream, JpegShape* shape) {
  if (setjmp(decoder->errors.jump)) return false;
  jpeg_decompress_struct* cinfo = &decoder->cinfo;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = 512L * 1024 * 1024;
  decoder->ReadFrom(stream);
  decoder->progress.progress_monitor = LimitScans;
  cinfo->progress = &decoder->progress;
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  jpeg_calc_output_dimensions(cinfo);
  shape->width = cinfo->output_width;
  shape->height = cinfo->output_height;
  shape->components = cinfo->output_components;
  return true;
}

bool ReadJpegRows(JpegDecompressor* decoder, uint8_t* pixels, ptrdiff_t pitch) {
  if (setjmp(decoder->errors.jump)) return false;
  jpeg_decompress_struct* cinfo = &decoder->cinfo;
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = pixels + static_cast<ptrdiff_t>(cinfo->output_scanline) * pitch;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

Ref<TPixmap> TPixmapLoaderJPG::LoadPixmap(const Ref<TStream>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);

  auto decoder = std::make_unique<JpegDecompressor>();
  JpegShape shape;
  if (!ReadJpegShape(decoder.get(), stream.Get(), &shape)) {
    const int code = decoder->errors.pub.msg_code;
    if (code == JERR_NO_SOI || code == JERR_INPUT_EMPTY) return RefuseLoad("not a JPEG file");
    return RefuseLoad("JPEG: damaged header");
  }
  if (shape.width == 0) return RefuseLoad("JPEG: the picture has no pixels");
  int32_t format = 0;
  switch (shape.components) {
    case 1: format = FMT_GREY8; break;
    case 3: format = FMT_RGB888; break;
    default: return RefuseLoad("JPEG: " + StringFromInt(shape.components) + " colour components (CMYK?) not supported");
  }
  // An 8 x 8 block of one colour still costs a couple of bits per component.
  if (!LoadedSizeAllowed(*stream, shape.width, shape.height, shape.components, 4096)) {
    return RefuseLoad("JPEG: the picture is larger than the file could hold");
  }
  Ref<TPixmap> pixmap =
      TPixmap::Create(static_cast<int32_t>(shape.width), static_cast<int32_t>(shape.height), format, 4);
  if (!ReadJpegRows(decoder.get(), pixmap->pixels, pixmap->pitch)) return RefuseLoad("JPEG: damaged image data");
  return pixmap;
}

}  // namespace vtl
