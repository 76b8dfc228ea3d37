// The decoding end of a streamed sound: its open stream and a decoder for
// Ogg Vorbis or WAV that hands out frames a piece at a time.
//
// A source belongs to one thread at a time: the main thread opens it, and
// while the sound plays only the mixer's decoding thread calls Decode and
// Rewind. The decoders read through plain stream pointers and never copy a
// Ref, so no reference count changes off the main thread; the streams
// themselves are closed and released on the main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/object.h"
#include "stream/basic_stream.h"

namespace vtl {

/// Frames of one format from a stream, a piece at a time.
class StreamDecoder {
 public:
  virtual ~StreamDecoder() = default;
  /// Up to frames frames into out: how many came, 0 at the end of the data,
  /// -1 when the data turned out damaged (failure then says why).
  virtual int32_t Decode(uint8_t* out, int32_t frames) noexcept = 0;
  /// Back to the first frame; false when the stream cannot go there.
  virtual bool Rewind() noexcept = 0;

  int32_t channels = 0;   ///< 1 or 2
  int32_t bits = 16;      ///< 8 (unsigned) or 16 (signed little-endian)
  int32_t hertz = 0;      ///< frames per second, at least 1
  bool seekable = false;  ///< Rewind can work
  std::string failure;    ///< why Decode answered -1
  int32_t FrameBytes() const { return channels * bits / 8; }
};

/// An opened streamed sound: the stream and its decoder.
struct StreamSource {
  /// Closes the stream (main thread).
  ~StreamSource();

  Ref<TStream> stream;  ///< what the URL opened
  Ref<TStream> view;    ///< a view over it the decoder may read through
  std::unique_ptr<StreamDecoder> decoder;
  String name;        ///< the URL's name, for messages
  bool fresh = true;  ///< no frame decoded since the start or the last rewind
};

/// Opens url (a stream or a name for the stream factories) and finds a WAV
/// or Ogg Vorbis decoder for it, reading as little as it can: nothing of the
/// data is decoded. Main thread. nullptr when nothing opens or the data is
/// neither (LastErrorText says why).
std::unique_ptr<StreamSource> OpenStreamSource(const Ref<Object>& url);

}  // namespace vtl
