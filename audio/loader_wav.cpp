// WAV: uncompressed PCM in a RIFF/WAVE file. The format chunk must follow
// "WAVE" directly; any chunks between it and "data" are skipped by their size.
#include <cstring>

#include "audio/internal/wav_header.h"
#include "audio/internal/wav_limits.h"
#include "audio/sample_loaders.h"
#include "runtime/string_ops.h"
#include "stream/stream.h"

namespace vtl {

namespace {

int32_t WavSampleFormat(int32_t channels, int32_t bits) {
  if (channels == 1 && bits == 8) return AUDIO_MONO8;
  if (channels == 2 && bits == 8) return AUDIO_STEREO8;
  if (channels == 1 && bits == 16) return AUDIO_MONO16LE;
  if (channels == 2 && bits == 16) return AUDIO_STEREO16LE;
  return 0;
}

// Writers pad a chunk of odd size with a zero byte; some do not. Chunk tags
// never start with a zero byte, so the byte after an odd chunk is skipped
// only when it is zero.
void SkipPadByte(TStream& stream) {
  const int32_t pos = stream.Pos();
  if (pos < 0 || stream.Eof()) return;
  if (stream.ReadByte() != 0) stream.Seek(pos);
}

// Skips count bytes (and the pad byte after an odd chunk). False when the
// stream ends first: a huge size is neither read through nor wrapped.
bool SkipChunkBody(TStream& stream, int32_t count, bool oddChunk) {
  const int64_t unread = UnreadBytes(stream);
  if (unread >= 0) {
    if (count > unread) return false;
    stream.Seek(stream.Pos() + count);
  } else {
    stream.SkipBytes(count);
  }
  if (oddChunk) SkipPadByte(stream);
  return true;
}

Ref<TAudioSample> ReadDataChunk(TStream& stream, int32_t announced, int32_t hertz, int32_t format) {
  const int32_t frameBytes = BytesPerSampleFrame(format);
  const auto frames = static_cast<int32_t>(BelievedDataBytes(stream, announced) / frameBytes);
  Ref<TAudioSample> sample = NewAudioSample(frames, hertz, format);
  // Frames the file does not deliver stay silent; 16-bit silence is the
  // zero bytes the sample starts with.
  if (format == AUDIO_MONO8 || format == AUDIO_STEREO8) std::memset(sample->samples, 128, sample->capacity);
  // Whole frames only: an odd byte at the end of the chunk has no room.
  stream.ReadBytes(sample->samples, frames * frameBytes);
  return sample;
}

}  // namespace

String ReadChunkTag(const Ref<TStream>& stream) {
  char tag[4];
  int32_t got = 0;
  while (got < 4 && !stream->Eof()) {
    const int32_t n = stream->Read(tag + got, 4 - got);
    if (n <= 0) ThrowStreamRead();
    got += n < 4 - got ? n : 4 - got;
  }
  return got == 4 ? String::FromLatin1(tag, 4) : String();
}

constexpr char kEndsEarly[] = "WAV: the file ends before its \"data\" chunk (truncated)";

namespace {

// RefuseLoad for a function that answers with a bool.
bool Refused(const String& reason) {
  RefuseLoad(reason);
  return false;
}

}  // namespace

bool ReadWavHeader(const Ref<TStream>& stream, WavData& out, bool riffRead) {
  if (!riffRead && ReadChunkTag(stream) != String("RIFF")) return Refused("not a WAV file");
  stream->ReadInt();  // size of the rest
  if (ReadChunkTag(stream) != String("WAVE")) return Refused("not a WAV file (a RIFF file of another kind)");
  if (ReadChunkTag(stream) != String("fmt ")) return Refused("WAV: no format chunk after \"WAVE\"");

  const int32_t formatLength = stream->ReadInt();
  const int32_t formatTag = stream->ReadShort();
  const int32_t channels = stream->ReadShort();
  const int32_t hertz = stream->ReadInt();
  stream->ReadInt();    // bytes per second
  stream->ReadShort();  // block alignment
  const int32_t bits = stream->ReadShort();
  // A format chunk shorter than the fields just read is no format chunk.
  if (formatLength < 16) return Refused("WAV: damaged format chunk");
  if (formatTag != 1) return Refused("WAV: format " + StringFromInt(formatTag) + " is not PCM");
  if (hertz < 1) return Refused("WAV: no sample rate");
  const int32_t format = WavSampleFormat(channels, bits);
  if (format == 0) {
    return Refused("WAV: " + StringFromInt(channels) + " channels of " + StringFromInt(bits) + " bits not supported");
  }
  if (!SkipChunkBody(*stream, formatLength - 16, formatLength % 2 == 1)) return Refused(kEndsEarly);

  while (!stream->Eof()) {
    const String tag = ReadChunkTag(stream);
    const int64_t unread = UnreadBytes(*stream);
    if (tag.IsEmpty() || (unread >= 0 && unread < 4)) return Refused(kEndsEarly);  // in a chunk header
    const int32_t size = stream->ReadInt();
    if (size < 0) return Refused("WAV: a chunk of 2 GB or more");  // no sample is that large
    if (tag == String("data")) {
      out = WavData{format, hertz, size};
      return true;
    }
    if (!SkipChunkBody(*stream, size, size % 2 == 1)) return Refused(kEndsEarly);
  }
  return Refused(kEndsEarly);
}

Ref<TAudioSample> TAudioSampleLoaderWAV::LoadAudioSample(const Ref<TStream>& url) {
  Ref<TStream> stream = LittleEndianView(url);
  if (!stream) return nullptr;
  WavData wav;
  if (!ReadWavHeader(stream, wav, false)) return nullptr;
  return ReadDataChunk(*stream, wav.announced, wav.hertz, wav.format);
}

}  // namespace vtl
