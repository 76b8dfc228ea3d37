#include "image/internal/jpeg_glue.h"

#include <cstring>

namespace vtl {

namespace {

[[noreturn]] void ExitToCaller(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }
void DiscardMessage(j_common_ptr, int) {}
void DiscardOutput(j_common_ptr) {}

jpeg_error_mgr* UseErrors(JpegErrors* errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors->pub);
  manager->error_exit = ExitToCaller;
  manager->emit_message = DiscardMessage;
  manager->output_message = DiscardOutput;
  return manager;
}

// Stream calls must not throw into libjpeg: -1 or false stands for any failure.
int32_t ReadSome(TStream* stream, JOCTET* buffer, size_t count) noexcept {
  try {
    return stream->Read(buffer, static_cast<int32_t>(count));
  } catch (...) {
    return -1;
  }
}

bool WriteAll(TStream* stream, const JOCTET* buffer, size_t count) noexcept {
  try {
    stream->WriteBytes(buffer, static_cast<int32_t>(count));
    return true;
  } catch (...) {
    return false;
  }
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegStreamSource*>(cinfo->src);
  int32_t got = ReadSome(source->stream, source->buffer, JpegStreamSource::kBufferSize);
  if (got < 0) ERREXIT(cinfo, JERR_FILE_READ);
  if (got == 0) {
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

void InitDestination(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegStreamSink*>(cinfo->dest);
  sink->pub.next_output_byte = sink->buffer;
  sink->pub.free_in_buffer = JpegStreamSink::kBufferSize;
}

boolean EmptyOutput(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegStreamSink*>(cinfo->dest);
  if (!WriteAll(sink->stream, sink->buffer, JpegStreamSink::kBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* sink = reinterpret_cast<JpegStreamSink*>(cinfo->dest);
  const size_t used = JpegStreamSink::kBufferSize - sink->pub.free_in_buffer;
  if (used > 0 && !WriteAll(sink->stream, sink->buffer, used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

// Zeroed first: destroying a struct that was never created is then harmless.
JpegDecompressor::JpegDecompressor() {
  std::memset(&cinfo, 0, sizeof cinfo);
  std::memset(&errors, 0, sizeof errors);
  std::memset(&source, 0, sizeof source);
  std::memset(&progress, 0, sizeof progress);
  cinfo.err = UseErrors(&errors);
}

JpegDecompressor::~JpegDecompressor() { jpeg_destroy_decompress(&cinfo); }

void JpegDecompressor::ReadFrom(TStream* stream) {
  source.stream = stream;
  source.started = false;
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillInput;
  source.pub.skip_input_data = SkipInput;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  source.pub.next_input_byte = nullptr;
  source.pub.bytes_in_buffer = 0;
  cinfo.src = &source.pub;
}

JpegCompressor::JpegCompressor() {
  std::memset(&cinfo, 0, sizeof cinfo);
  std::memset(&errors, 0, sizeof errors);
  std::memset(&sink, 0, sizeof sink);
  cinfo.err = UseErrors(&errors);
}

JpegCompressor::~JpegCompressor() { jpeg_destroy_compress(&cinfo); }

void JpegCompressor::WriteTo(TStream* stream) {
  sink.stream = stream;
  sink.pub.init_destination = InitDestination;
  sink.pub.empty_output_buffer = EmptyOutput;
  sink.pub.term_destination = TermDestination;
  cinfo.dest = &sink.pub;
}

}  // namespace vtl
