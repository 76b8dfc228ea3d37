// libvorbisfile over vtl streams, for the Ogg Vorbis loader.
//
// The decoder reads through four stream callbacks (read, seek, close, tell)
// that catch every C++ exception themselves and report a failure through the
// return values vorbisfile expects: no exception unwinds through libvorbis.
#pragma once

#include <cstdint>
#include <memory>

namespace vtl {

class TStream;

// An open vorbisfile decoder; defined beside the callbacks.
struct OggDecoder;

// Closes the decoder (if still open) and frees it.
struct OggDecoderDeleter {
  void operator()(OggDecoder* decoder) const;
};
using OggDecoderPtr = std::unique_ptr<OggDecoder, OggDecoderDeleter>;

// What the decoder reports for the whole file once it has opened.
struct OggFacts {
  int64_t totalFrames = -1;  // the announced length; -1 when unknown
  int32_t channels = 0;
  int64_t rate = 0;
};

// A decoder over stream (which must outlive it) from its current position
// on, standing at the first sample of the first link; nothing when the data
// there is not Ogg Vorbis. The decoder never closes the stream. prefix holds
// bytes already taken from a stream that cannot seek back (at most 4), read
// before the stream's own.
OggDecoderPtr OpenOggDecoder(TStream& stream, OggFacts& facts, const uint8_t* prefix = nullptr,
                             int32_t prefixBytes = 0);

// Whether the decoder can go back to the first sample (the stream seeks).
bool OggSeekable(OggDecoder& decoder);
// Back to the first sample of the first link; false when that fails.
bool RewindOgg(OggDecoder& decoder);

// Fills buffer with up to `bytes` of 16-bit signed little-endian PCM and
// returns how many bytes it wrote, fewer only at the end of the stream; a
// negative value on a decoding error, when a later link of a chained file
// changes the channels or the rate, or (after the frames that came before
// it) when the stream raised an error. `bytes` should be whole frames. With no
// buffer it closes the decoder and returns 0.
int64_t DecodeOggInto(OggDecoder& decoder, uint8_t* buffer, int64_t bytes);

}  // namespace vtl
