/// \file
/// The sound file decoders of the sample loader chain: uncompressed RIFF/WAVE
/// and Ogg Vorbis. One of each is created when the audio module starts, Ogg
/// first, so the chain asks the WAV loader first.
#pragma once

#include "audio/sample.h"
#include "runtime/string.h"

namespace vtl {

/// Uncompressed PCM WAV files of 8 or 16 bits, mono or stereo. The format
/// chunk must follow "WAVE" directly; other chunks before "data" are skipped.
/// A file that ends inside its "data" chunk keeps silence for the missing
/// frames, as long as the chunk announces no more than 1 MB; a larger
/// announcement is only believed as far as the stream still has bytes.
class TAudioSampleLoaderWAV : public TAudioSampleLoader {
 public:
  /// The sample, or the Null object for anything else (another RIFF type,
  /// compressed or floating-point data, 24 bits, more than two channels, a
  /// rate below 1, a negative size, or no "data" chunk before the end).
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>& stream) override;
};

/// Ogg Vorbis files of one or two channels, decoded into 16-bit samples
/// (AUDIO_MONO16LE or AUDIO_STEREO16LE). The file starts where the stream
/// stands, whatever lies before it. A chained file gives every link, one
/// after the other, as long as they share the channels and the rate.
class TAudioSampleLoaderOGG : public TAudioSampleLoader {
 public:
  /// The sample, or the Null object when the stream is not Ogg Vorbis, cannot
  /// be decoded, has more than two channels, changes the channels or the rate
  /// from one link to the next, or decodes to more than 256 MB.
  /// A stream that ends before its announced length gives the frames that
  /// were decoded.
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>& stream) override;
};

/// Four bytes of the stream as a four-character text, one character per
/// byte; the empty string when the stream ends before four bytes came.
String ReadChunkTag(const Ref<TStream>& stream);

}  // namespace vtl
