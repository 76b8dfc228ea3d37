// Saving a pixmap as JPEG through libjpeg, with the same care about
// longjmp as the loader.
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "image/pixmap_writers.h"
#include "stream/stream.h"

namespace vtl {

namespace {

constexpr size_t kOutputBufferSize = 4096;

struct JpegErrors {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

struct JpegSink {
  jpeg_destination_mgr pub;
  TStream* stream;
  JOCTET buffer[kOutputBufferSize];
};

[[noreturn]] void ExitToCaller(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }
void DiscardMessage(j_common_ptr, int) {}
void DiscardOutput(j_common_ptr) {}

// Writes count bytes of the buffer; false when the stream refused them.
bool Drain(JpegSink* sink, size_t count) {
  try {
    sink->stream->WriteBytes(sink->buffer, static_cast<int32_t>(count));
    return true;
  } catch (...) {
    return false;
  }
}

void InitDestination(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
  sink->pub.next_output_byte = sink->buffer;
  sink->pub.free_in_buffer = kOutputBufferSize;
}

boolean EmptyOutput(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
  if (!Drain(sink, kOutputBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
  sink->pub.next_output_byte = sink->buffer;
  sink->pub.free_in_buffer = kOutputBufferSize;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
  const size_t used = kOutputBufferSize - sink->pub.free_in_buffer;
  if (used > 0 && !Drain(sink, used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

bool WriteJpegRows(jpeg_compress_struct* cinfo, JpegErrors* errors, JpegSink* sink, TPixmap* pixmap, int32_t quality,
                   int32_t rowFormat, JSAMPROW row) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_compress(cinfo);
  sink->pub.init_destination = InitDestination;
  sink->pub.empty_output_buffer = EmptyOutput;
  sink->pub.term_destination = TermDestination;
  cinfo->dest = &sink->pub;
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

struct JpegEncoder {
  JpegEncoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&errors, 0, sizeof errors);
    std::memset(&sink, 0, sizeof sink);
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ExitToCaller;
    errors.pub.emit_message = DiscardMessage;
    errors.pub.output_message = DiscardOutput;
  }
  ~JpegEncoder() { jpeg_destroy_compress(&cinfo); }
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  jpeg_compress_struct cinfo;
  JpegErrors errors;
  JpegSink sink;
};

}  // namespace

int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const Ref<Object>& url, int32_t quality) {
  if (!pixmap || pixmap->width < 1 || pixmap->height < 1 || !IsPixelFormat(pixmap->format)) return 0;
  if (pixmap->width > JPEG_MAX_DIMENSION || pixmap->height > JPEG_MAX_DIMENSION) return 0;
  const int32_t rowFormat = pixmap->format == FMT_GREY8 ? FMT_GREY8 : FMT_RGB888;
  quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) return 0;
  StreamCloser closer(stream);

  auto encoder = std::make_unique<JpegEncoder>();
  encoder->sink.stream = stream.Get();
  std::vector<JSAMPLE> row(static_cast<size_t>(pixmap->width) * 3);
  return WriteJpegRows(&encoder->cinfo, &encoder->errors, &encoder->sink, pixmap.Get(), quality, rowFormat, row.data())
             ? 1
             : 0;
}

int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const String& url, int32_t quality) {
  return SavePixmapJPEG(pixmap, Ref<Object>(url), quality);
}

}  // namespace vtl
