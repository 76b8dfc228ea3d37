// Saving a pixmap as JPEG through libjpeg, with the same care about
// longjmp as the loader.
#include <csetjmp>
#include <memory>
#include <vector>

#include "image/internal/jpeg_glue.h"
#include "image/pixmap_writers.h"
#include "stream/stream.h"

namespace vtl {

namespace {

bool WriteJpegRows(JpegCompressor* encoder, TStream* stream, TPixmap* pixmap, int32_t quality, int32_t rowFormat,
                   JSAMPROW row) {
  if (setjmp(encoder->errors.jump)) return false;
  jpeg_compress_struct* cinfo = &encoder->cinfo;
  jpeg_create_compress(cinfo);
  encoder->WriteTo(stream);
  cinfo->image_width = static_cast<JDIMENSION>(pixmap->width);
  cinfo->image_height = static_cast<JDIMENSION>(pixmap->height);
  cinfo->input_components = rowFormat == FMT_GREY8 ? 1 : 3;
  cinfo->in_color_space = rowFormat == FMT_GREY8 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    ConvertPixelRow(pixmap->PixelPtr(0, static_cast<int32_t>(cinfo->next_scanline)), pixmap->format, row, rowFormat,
                    pixmap->width);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const Ref<Object>& url, int32_t quality) {
  if (!pixmap || pixmap->width < 1 || pixmap->height < 1 || !IsPixelFormat(pixmap->format)) return 0;
  if (pixmap->width > JPEG_MAX_DIMENSION || pixmap->height > JPEG_MAX_DIMENSION) return 0;
  const int32_t rowFormat = pixmap->format == FMT_GREY8 ? FMT_GREY8 : FMT_RGB888;
  quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) return 0;
  StreamCloser closer(stream);

  auto encoder = std::make_unique<JpegCompressor>();
  std::vector<JSAMPLE> row(static_cast<size_t>(pixmap->width) * 3);
  if (!WriteJpegRows(encoder.get(), stream.Get(), pixmap.Get(), quality, rowFormat, row.data())) return 0;
  return closer.CloseNow() ? 1 : 0;
}

int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const String& url, int32_t quality) {
  return SavePixmapJPEG(pixmap, Ref<Object>(url), quality);
}

}  // namespace vtl
