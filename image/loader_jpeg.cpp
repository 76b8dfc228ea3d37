// JPEG through libjpeg. libjpeg reports errors through error_exit, which
// here longjmps back into the small function that made the call; those
// functions and the callbacks hold only trivially destructible state, and
// no C++ exception travels through libjpeg's frames.
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <memory>

#include "image/internal/loader_limits.h"
#include "image/pixmap_loaders.h"
#include "stream/stream.h"

namespace vtl {

namespace {

constexpr size_t kInputBufferSize = 4096;
// More scans than any real encoder writes; each scan may revisit the
// whole image, so an endless series is a way to burn time.
constexpr int kMaxScans = 256;

struct JpegErrors {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

struct JpegSource {
  jpeg_source_mgr pub;
  TStream* stream;
  bool started;
  JOCTET buffer[kInputBufferSize];
};

[[noreturn]] void ExitToCaller(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }
void DiscardMessage(j_common_ptr, int) {}
void DiscardOutput(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  int32_t got = 0;
  bool failed = false;
  try {
    got = source->stream->Read(source->buffer, static_cast<int32_t>(kInputBufferSize));
  } catch (...) {
    failed = true;
  }
  if (failed) ERREXIT(cinfo, JERR_FILE_READ);
  if (got <= 0) {
    if (!source->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // The data ended early: say so and end the image here.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->started = true;
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = static_cast<size_t>(got);
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr* source = cinfo->src;
  if (count <= 0) return;
  while (count > static_cast<long>(source->bytes_in_buffer)) {
    count -= static_cast<long>(source->bytes_in_buffer);
    FillInput(cinfo);
  }
  source->next_input_byte += count;
  source->bytes_in_buffer -= static_cast<size_t>(count);
}

void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    ERREXIT(cinfo, JERR_NOT_COMPILED);
  }
}

struct JpegShape {
  JDIMENSION width = 0, height = 0;
  int components = 0;
};

bool ReadJpegShape(jpeg_decompress_struct* cinfo, JpegErrors* errors, JpegSource* source, jpeg_progress_mgr* progress,
                   JpegShape* shape) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = 512L * 1024 * 1024;
  source->pub.init_source = InitSource;
  source->pub.fill_input_buffer = FillInput;
  source->pub.skip_input_data = SkipInput;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = TermSource;
  cinfo->src = &source->pub;
  progress->progress_monitor = LimitScans;
  cinfo->progress = progress;
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  jpeg_calc_output_dimensions(cinfo);
  shape->width = cinfo->output_width;
  shape->height = cinfo->output_height;
  shape->components = cinfo->output_components;
  return true;
}

bool ReadJpegRows(jpeg_decompress_struct* cinfo, JpegErrors* errors, uint8_t* pixels, ptrdiff_t pitch) {
  if (setjmp(errors->jump)) return false;
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = pixels + static_cast<ptrdiff_t>(cinfo->output_scanline) * pitch;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// The decompressor's C state, released however decoding ends.
struct JpegDecoder {
  JpegDecoder() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&errors, 0, sizeof errors);
    std::memset(&source, 0, sizeof source);
    std::memset(&progress, 0, sizeof progress);
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ExitToCaller;
    errors.pub.emit_message = DiscardMessage;
    errors.pub.output_message = DiscardOutput;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  JpegSource source;
  jpeg_progress_mgr progress;
};

}  // namespace

Ref<TPixmap> TPixmapLoaderJPG::LoadPixmap(const Ref<TStream>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) return nullptr;
  StreamCloser closer(stream);

  auto decoder = std::make_unique<JpegDecoder>();
  decoder->source.stream = stream.Get();
  JpegShape shape;
  if (!ReadJpegShape(&decoder->cinfo, &decoder->errors, &decoder->source, &decoder->progress, &shape)) return nullptr;
  if (shape.width == 0) return nullptr;
  int32_t format = 0;
  switch (shape.components) {
    case 1: format = FMT_GREY8; break;
    case 3: format = FMT_RGB888; break;
    default: return nullptr;  // CMYK and anything else
  }
  // An 8 x 8 block of one colour still costs a couple of bits per component.
  if (!LoadedSizeAllowed(*stream, shape.width, shape.height, shape.components, 4096)) return nullptr;
  Ref<TPixmap> pixmap =
      TPixmap::Create(static_cast<int32_t>(shape.width), static_cast<int32_t>(shape.height), format, 4);
  if (!ReadJpegRows(&decoder->cinfo, &decoder->errors, pixmap->pixels, pixmap->pitch)) return nullptr;
  return pixmap;
}

}  // namespace vtl
