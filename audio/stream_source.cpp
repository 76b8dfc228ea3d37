// Opening a streamed sound: the stream, the format found from its first
// bytes, and the WAV and Ogg Vorbis decoders the decoding thread runs.
#include "audio/internal/stream_source.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "audio/internal/ogg_glue.h"
#include "audio/internal/wav_header.h"
#include "audio/sample.h"
#include "runtime/last_error.h"
#include "runtime/string_ops.h"
#include "stream/loader_chain.h"
#include "stream/stream.h"
#include "stream/stream_closer.h"

namespace vtl {

namespace {

// Whether a stream error (a short read, a failing socket) is behind thrown.
bool IsStreamError(const ThrownObject& thrown) { return DowncastObject<TStreamException>(thrown.object) != nullptr; }

// Reads until count bytes came or the stream ends: how many came.
int32_t ReadUpTo(TStream& stream, uint8_t* out, int32_t count) {
  int32_t got = 0;
  while (got < count) {
    const int32_t n = stream.Read(out + got, count - got);
    if (n <= 0) {
      if (stream.Eof()) break;
      ThrowStreamRead();
    }
    got += n;
  }
  return got;
}

// PCM straight from the "data" chunk; a stream that ends early ends the
// sound there, and a chunk that claims more than the file holds is read to
// the file's end, never sized by its claim.
class WavStreamDecoder : public StreamDecoder {
 public:
  WavStreamDecoder(TStream& stream, const WavData& wav) : stream_(stream), announced_(wav.announced) {
    channels = ChannelsOfSampleFormat(wav.format);
    bits = BytesPerSampleFrame(wav.format) * 8 / channels;
    hertz = wav.hertz;
    dataStart_ = stream.Pos();
    seekable = dataStart_ >= 0;
    left_ = announced_;
  }

  // Hands out the frames of one read as soon as they came (at least one
  // whole frame), so that a slow stream delays no frame it delivered; the
  // bytes of a frame cut by a read wait for the next call.
  int32_t Decode(uint8_t* out, int32_t frames) noexcept override {
    if (!failure.empty()) return -1;  // the frames before the failure went out first
    const int32_t frameBytes = FrameBytes();
    int64_t got = carried_;
    std::memcpy(out, carry_, static_cast<size_t>(carried_));
    carried_ = 0;
    const int64_t room = int64_t{frames} * frameBytes;
    try {
      while (got < frameBytes && left_ > 0) {
        const auto want = static_cast<int32_t>(std::min<int64_t>(room - got, left_));
        const int32_t n = stream_.Read(out + got, want);
        if (n <= 0) {
          if (stream_.Eof()) {
            left_ = 0;  // the file ended before the chunk did
            break;
          }
          ThrowStreamRead();
        }
        got += n;
        left_ -= n;
      }
    } catch (const ThrownObject& thrown) {
      failure = "WAV: the stream failed (" + thrown.object->ToString().ToUtf8() + ")";
    } catch (...) {
      failure = "WAV: the stream failed";
    }
    if (!failure.empty()) left_ = 0;
    const int64_t whole = got - got % frameBytes;
    carried_ = static_cast<int32_t>(got - whole);  // at the end, a frame cut short is dropped
    std::memcpy(carry_, out + whole, static_cast<size_t>(carried_));
    if (whole == 0 && !failure.empty()) return -1;
    return static_cast<int32_t>(whole / frameBytes);
  }

  bool Rewind() noexcept override {
    if (!seekable) return false;
    try {
      if (stream_.Seek(dataStart_) != dataStart_) return false;
    } catch (...) {
      return false;
    }
    left_ = announced_;
    carried_ = 0;
    return true;
  }

 private:
  TStream& stream_;
  uint8_t carry_[4] = {};
  int32_t carried_ = 0;
  int32_t dataStart_ = -1;
  int64_t announced_ = 0;
  int64_t left_ = 0;
};

class OggStreamDecoder : public StreamDecoder {
 public:
  OggStreamDecoder(OggDecoderPtr decoder, const OggFacts& facts) : decoder_(std::move(decoder)) {
    channels = facts.channels;
    hertz = static_cast<int32_t>(facts.rate);
    seekable = OggSeekable(*decoder_);
  }

  int32_t Decode(uint8_t* out, int32_t frames) noexcept override {
    const int64_t got = DecodeOggInto(*decoder_, out, int64_t{frames} * FrameBytes());
    if (got >= 0) return static_cast<int32_t>(got / FrameBytes());
    failure = "Ogg Vorbis: damaged data, or links that change the channels or the rate";
    return -1;
  }

  bool Rewind() noexcept override { return RewindOgg(*decoder_); }

 private:
  OggDecoderPtr decoder_;
};

// The decoder for what the stream holds, or nullptr with the reason recorded.
std::unique_ptr<StreamDecoder> FindDecoder(StreamSource& source) {
  TStream& stream = *source.stream;
  const int32_t start = stream.Pos();
  uint8_t magic[4] = {};
  const int32_t got = ReadUpTo(stream, magic, 4);
  if (got == 4 && std::memcmp(magic, "RIFF", 4) == 0) {
    source.view = LittleEndianView(source.stream);
    WavData wav;
    if (!ReadWavHeader(source.view, wav, true)) return nullptr;  // it said why
    return std::make_unique<WavStreamDecoder>(stream, wav);
  }
  // Ogg Vorbis, which may begin behind other bytes: from the start again,
  // or, where the stream cannot go back, with the bytes already taken.
  OggFacts facts;
  OggDecoderPtr ogg;
  if (start >= 0 && stream.Seek(start) == start) {
    ogg = OpenOggDecoder(stream, facts);
  } else {
    ogg = OpenOggDecoder(stream, facts, magic, got);
  }
  if (!ogg) return RefuseLoad("neither a WAV nor an Ogg Vorbis file");
  if (facts.channels < 1 || facts.channels > 2) {
    return RefuseLoad("Ogg Vorbis: " + StringFromInt(facts.channels) + " channels not supported");
  }
  if (facts.rate < 1 || facts.rate > INT32_MAX) return RefuseLoad("Ogg Vorbis: no usable sample rate");
  return std::make_unique<OggStreamDecoder>(std::move(ogg), facts);
}

}  // namespace

StreamSource::~StreamSource() {
  decoder.reset();
  StreamCloser closer(stream);  // the view only borrows it
}

std::unique_ptr<StreamSource> OpenStreamSource(const Ref<Object>& url) {
  auto source = std::make_unique<StreamSource>();
  source->name = AsString(url).value_or(String());
  source->stream = OpenReadStream(url);
  if (!source->stream) return nullptr;  // the opening said why
  const String before = LastErrorText();
  ClearLastErrorText();
  String failure;
  try {
    source->decoder = FindDecoder(*source);
  } catch (const ThrownObject& thrown) {
    if (!IsStreamError(thrown)) throw;
    failure = "the stream failed (" + thrown.object->ToString() + ")";
  }
  if (source->decoder) {
    SetLastErrorText(before);
    return source;
  }
  if (failure.IsEmpty()) failure = LastErrorText();
  SetLastErrorText(source->name.IsEmpty() ? failure : source->name + ": " + failure);
  return nullptr;
}

}  // namespace vtl
