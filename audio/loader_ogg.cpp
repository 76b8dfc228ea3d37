// Ogg Vorbis through libvorbisfile (audio/internal/ogg_glue.h), decoded to
// 16-bit samples. The length the file announces is not trusted: the frames
// are decoded into a growing buffer, and the sample holds what was decoded.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "audio/internal/ogg_glue.h"
#include "audio/sample_loaders.h"
#include "runtime/string_ops.h"
#include "stream/stream.h"

namespace vtl {

namespace {

// About 25 minutes of 44100 Hz stereo; longer files are refused. Vorbis can
// squeeze silence into very few bytes, so the file size alone bounds nothing.
constexpr int64_t kMaxDecodedBytes = int64_t{256} << 20;
// The announced length sizes the first block, within these bounds.
constexpr int64_t kFirstBlockBytes = int64_t{64} << 10;
constexpr int64_t kLargestFirstBlock = int64_t{16} << 20;

// Every frame the decoder delivers, or false on a decoding error or more than
// kMaxDecodedBytes. Sizes stay whole frames, which kMaxDecodedBytes is.
bool DecodeAll(OggDecoder& decoder, int64_t frameBytes, int64_t announcedFrames, std::vector<uint8_t>& pcm) {
  // Clamped before multiplying: a forged length may be near the int64 limit.
  const int64_t announced = std::clamp<int64_t>(announcedFrames, 0, kLargestFirstBlock);
  int64_t block = std::clamp(announced * frameBytes, kFirstBlockBytes, kLargestFirstBlock);
  block -= block % frameBytes;
  int64_t filled = 0;
  for (;;) {
    pcm.resize(static_cast<size_t>(filled + block));
    const int64_t got = DecodeOggInto(decoder, pcm.data() + filled, block);
    if (got < 0) {
      RefuseLoad("Ogg Vorbis: damaged data, or links that change the channels or the rate");
      return false;
    }
    filled += got;
    if (got < block) break;  // the stream ended
    if (filled == kMaxDecodedBytes) {
      uint8_t probe[4];
      if (DecodeOggInto(decoder, probe, frameBytes) != 0) {  // there is more
        RefuseLoad("Ogg Vorbis: more than 256 MB of samples");
        return false;
      }
      break;
    }
    block = std::min(filled, kMaxDecodedBytes - filled);
  }
  pcm.resize(static_cast<size_t>(filled));
  return true;
}

}  // namespace

Ref<TAudioSample> TAudioSampleLoaderOGG::LoadAudioSample(const Ref<TStream>& stream) {
  if (!stream) return nullptr;
  OggFacts facts;
  OggDecoderPtr decoder = OpenOggDecoder(*stream, facts);
  if (!decoder) return RefuseLoad("not an Ogg Vorbis file");
  if (facts.channels < 1 || facts.channels > 2) {
    return RefuseLoad("Ogg Vorbis: " + StringFromInt(facts.channels) + " channels not supported");
  }
  if (facts.rate < 1 || facts.rate > std::numeric_limits<int32_t>::max()) {
    return RefuseLoad("Ogg Vorbis: no usable sample rate");
  }
  const int32_t format = facts.channels == 1 ? AUDIO_MONO16LE : AUDIO_STEREO16LE;
  const int32_t frameBytes = BytesPerSampleFrame(format);

  std::vector<uint8_t> pcm;
  const bool decoded = DecodeAll(*decoder, frameBytes, facts.totalFrames, pcm);
  decoder.reset();
  if (!decoded) return nullptr;  // DecodeAll said why
  const auto frames = static_cast<int32_t>(pcm.size() / static_cast<size_t>(frameBytes));
  Ref<TAudioSample> sample = NewAudioSample(frames, static_cast<int32_t>(facts.rate), format);
  if (frames > 0) std::memcpy(sample->samples, pcm.data(), static_cast<size_t>(frames) * frameBytes);
  return sample;
}

}  // namespace vtl
