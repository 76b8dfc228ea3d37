/// \file
/// TAudioSample: a block of PCM frames in one of six formats, the conversions
/// between the formats, and the chain of loaders that decode sound files into
/// samples.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStream;

/// \name Sample formats
/// Frames are interleaved, left before right. 8-bit samples are unsigned
/// (128 is silence), 16-bit samples are signed.
///@{
constexpr int32_t AUDIO_MONO8 = 1;       ///< One unsigned byte per frame.
constexpr int32_t AUDIO_MONO16LE = 2;    ///< One signed 16-bit value, low byte first.
constexpr int32_t AUDIO_MONO16BE = 3;    ///< One signed 16-bit value, high byte first.
constexpr int32_t AUDIO_STEREO8 = 4;     ///< Two unsigned bytes, left then right.
constexpr int32_t AUDIO_STEREO16LE = 5;  ///< Two signed 16-bit values, low byte first.
constexpr int32_t AUDIO_STEREO16BE = 6;  ///< Two signed 16-bit values, high byte first: the hub format.
///@}

/// Bytes per frame, indexed by format code 0 to 6 (0 for code 0, "none").
extern const int32_t SampleFrameBytes[7];
/// Channels per frame, indexed by format code 0 to 6 (0 for code 0, "none").
extern const int32_t SampleChannelCount[7];

/// Bytes per frame of a format; 0 for a code outside 1 to 6.
int32_t BytesPerSampleFrame(int32_t format);
/// Channels of a format; 0 for a code outside 1 to 6.
int32_t ChannelsOfSampleFormat(int32_t format);

/// A block of PCM frames.
class TAudioSample : public Object {
 public:
  /// Frees the frames when the sample owns them.
  ~TAudioSample() override;

  /// A new sample with the same length, rate, format and frames.
  virtual Ref<TAudioSample> Copy();
  /// A new sample of the same length and rate in another format. Throws
  /// "Unimplemented sample format conversion" for a code outside 1 to 6.
  virtual Ref<TAudioSample> Convert(int32_t format);

  /// A sample owning length frames of memory, cleared to zero bytes. Throws
  /// for a negative length or more than 2 GB of frames; a format outside
  /// 1 to 6 has no bytes.
  static Ref<TAudioSample> Create(int32_t length, int32_t hertz, int32_t format);
  /// A sample over memory the caller owns and keeps alive (capacity -1).
  static Ref<TAudioSample> CreateStatic(uint8_t* samples, int32_t length, int32_t hertz, int32_t format);

  uint8_t* samples = nullptr;  ///< The frames.
  int32_t length = 0;          ///< Number of frames.
  int32_t hertz = 0;           ///< Frames per second.
  int32_t format = 0;          ///< The format code.
  /// Bytes owned (length times bytes per frame), or -1 when the memory
  /// belongs to the caller.
  int32_t capacity = -1;
};

/// Base of the sound file decoders. Creating one with New puts it at the
/// head of the chain (RegisterAudioSampleLoader), so the loader made last is
/// asked first. Loaders live until the process ends.
class TAudioSampleLoader : public Object {
 public:
  /// Called by New once the loader is whole: it joins the chain at its head.
  /// A constructor that throws registers nothing.
  static void AfterNew(const Ref<TAudioSampleLoader>& made);
  /// A sample, or the Null object when the data is not of this format. The
  /// base throws TNullMethodException.
  virtual Ref<TAudioSample> LoadAudioSample(const Ref<TStream>& stream);
  /// The head of the chain; follow _succ for the others.
  static Ref<TAudioSampleLoader> First();

  Ref<TAudioSampleLoader> _succ;  ///< The loader made before this one, or Null.
};

/// Puts the loader at the head of the chain, so it is asked first. 1 when it
/// was linked in; 0, changing nothing, for a loader already in the chain or
/// the Null object. New calls it for every loader it makes. Main thread only.
int32_t RegisterAudioSampleLoader(const Ref<TAudioSampleLoader>& loader);

/// TAudioSample::Create.
Ref<TAudioSample> NewAudioSample(int32_t length, int32_t hertz, int32_t format);
/// TAudioSample::CreateStatic.
Ref<TAudioSample> WrapAudioSamples(uint8_t* samples, int32_t length, int32_t hertz, int32_t format);

/// Opens the url (a stream, or a name for the stream factories) and asks
/// every loader from the same start position; a stream that cannot seek back
/// (a socket, a pipe) is read into memory first, up to 64 MB. The Null
/// object when nothing opens, the stream is larger than that or fails, or no
/// loader takes it: LastErrorText() then says why. The stream is closed
/// before returning. (stream/loader_chain.h)
///@{
Ref<TAudioSample> LoadSampleUrl(const Ref<Object>& url);
Ref<TAudioSample> LoadSampleUrl(const String& url);
///@}

/// \name Conversions
/// Counts are in frames. Every conversion between two formats goes through
/// AUDIO_STEREO16BE. A code outside 1 to 6 throws "Unimplemented sample
/// format conversion".
///@{

/// Copies count frames of format unchanged.
void DuplicateSamples(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count);
/// Converts count frames from one format to another.
void TranscodeSamples(const uint8_t* source, int32_t from, uint8_t* destination, int32_t to, int32_t count);
/// Converts count frames of format into AUDIO_STEREO16BE frames.
void ExpandToHubFormat(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count);
/// Converts count AUDIO_STEREO16BE frames into format.
void ReduceFromHubFormat(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count);
///@}

}  // namespace vtl
