#include "audio/internal/ogg_glue.h"

#include <vorbis/vorbisfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "stream/stream.h"

namespace vtl {

// The decoder sees the file as starting where the stream stood when it was
// opened: every position it gives or takes counts from `start`, so a file
// inside a larger stream (behind other data, even another Ogg file) reads
// as if it stood alone.
struct OggDecoder {
  OggVorbis_File file{};
  bool open = false;
  int channels = 0;
  long rate = 0;
  TStream* stream = nullptr;
  int64_t start = 0;
  uint8_t prefix[4] = {};
  int32_t prefixLeft = 0;  // bytes of prefix not yet handed out, from its end
  int32_t prefixBytes = 0;
  bool readFailed = false;  // the stream raised an error, which vorbisfile takes for its end
};

namespace {

// vorbisfile tells the end of the data (0 items, errno 0) from a failure
// (0 items, errno set).
size_t ReadFromStream(void* buffer, size_t size, size_t count, void* source) noexcept {
  if (size == 0 || count == 0) return 0;
  try {
    auto* decoder = static_cast<OggDecoder*>(source);
    TStream* stream = decoder->stream;
    const size_t most = (size_t{1} << 30) / size;
    const size_t bytes = (count < most ? count : most) * size;
    int32_t got = 0;
    if (decoder->prefixLeft > 0) {
      // vorbisfile asks for kilobytes at a time: the prefix goes whole.
      got = decoder->prefixLeft < static_cast<int32_t>(bytes) ? decoder->prefixLeft : static_cast<int32_t>(bytes);
      std::memcpy(buffer, decoder->prefix + decoder->prefixBytes - decoder->prefixLeft, static_cast<size_t>(got));
      decoder->prefixLeft -= got;
    } else if (!stream->Eof()) {
      got = stream->Read(buffer, static_cast<int32_t>(bytes));
    }
    if (got < 0) {
      errno = EIO;
      return 0;
    }
    errno = 0;
    return static_cast<size_t>(got) / size;
  } catch (...) {
    static_cast<OggDecoder*>(source)->readFailed = true;
    errno = EIO;
    return 0;
  }
}

// 0 when the stream moved exactly where asked, -1 otherwise (also for a
// target before the start or beyond what a stream position can hold).
int SeekInStream(void* source, ogg_int64_t offset, int origin) noexcept {
  try {
    const auto* decoder = static_cast<OggDecoder*>(source);
    TStream* stream = decoder->stream;
    int64_t base = decoder->start;
    if (origin == SEEK_CUR) {
      base = stream->Pos();
    } else if (origin == SEEK_END) {
      base = stream->Size();
    } else if (origin != SEEK_SET) {
      return -1;
    }
    if (base < 0 || offset > std::numeric_limits<int32_t>::max() || offset < decoder->start - base) return -1;
    const int64_t target = base + offset;
    if (target > std::numeric_limits<int32_t>::max()) return -1;
    return stream->Seek(static_cast<int32_t>(target)) == target ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

// The loader chain closes the stream.
int CloseNothing(void*) noexcept { return 0; }

long TellStream(void* source) noexcept {
  try {
    const auto* decoder = static_cast<OggDecoder*>(source);
    const int32_t pos = decoder->stream->Pos();
    return pos < decoder->start ? -1 : static_cast<long>(pos - decoder->start);
  } catch (...) {
    return -1;
  }
}

}  // namespace

void OggDecoderDeleter::operator()(OggDecoder* decoder) const {
  DecodeOggInto(*decoder, nullptr, 0);
  delete decoder;
}

OggDecoderPtr OpenOggDecoder(TStream& stream, OggFacts& facts, const uint8_t* prefix, int32_t prefixBytes) {
  OggDecoderPtr decoder(new OggDecoder);
  decoder->stream = &stream;
  if (prefix && prefixBytes > 0) {
    decoder->prefixBytes = prefixBytes < 4 ? prefixBytes : 4;
    decoder->prefixLeft = decoder->prefixBytes;
    std::memcpy(decoder->prefix, prefix, static_cast<size_t>(decoder->prefixBytes));
  }
  // A stream that cannot tell its position cannot seek either: the decoder
  // then only reads on, and the start never comes into play.
  const int32_t start = stream.Pos();
  decoder->start = start > 0 ? start : 0;
  const ov_callbacks callbacks = {ReadFromStream, SeekInStream, CloseNothing, TellStream};
  // On failure vorbisfile has already cleared the file itself.
  if (ov_open_callbacks(decoder.get(), &decoder->file, nullptr, 0, callbacks) != 0) return nullptr;
  decoder->open = true;
  // Over a chain whose first link is short, the opened decoder may stand in
  // a later link: decoding starts from the first sample, so no link is lost.
  if (ov_seekable(&decoder->file) && ov_pcm_seek(&decoder->file, 0) != 0) return nullptr;
  const vorbis_info* info = ov_info(&decoder->file, -1);
  if (!info) return nullptr;
  decoder->channels = info->channels;
  decoder->rate = info->rate;
  facts.channels = info->channels;
  facts.rate = info->rate;
  const ogg_int64_t total = ov_pcm_total(&decoder->file, -1);
  facts.totalFrames = total >= 0 ? total : -1;
  return decoder;
}

bool OggSeekable(OggDecoder& decoder) { return decoder.open && ov_seekable(&decoder.file); }

bool RewindOgg(OggDecoder& decoder) { return OggSeekable(decoder) && ov_pcm_seek(&decoder.file, 0) == 0; }

int64_t DecodeOggInto(OggDecoder& decoder, uint8_t* buffer, int64_t bytes) {
  if (!buffer) {
    if (decoder.open) ov_clear(&decoder.file);
    decoder.open = false;
    return 0;
  }
  if (!decoder.open || decoder.channels < 1) return -1;
  const int64_t frameBytes = 2 * int64_t{decoder.channels};
  int64_t done = 0;
  while (bytes - done >= frameBytes) {
    // ov_read delivers whole frames only, so it is asked for whole frames.
    int64_t want = bytes - done < (int64_t{1} << 20) ? bytes - done : (int64_t{1} << 20);
    want -= want % frameBytes;
    int link = 0;
    const long got =
        ov_read(&decoder.file, reinterpret_cast<char*>(buffer + done), static_cast<int>(want), 0, 2, 1, &link);
    if (got == 0) {
      // The end of the stream; one that failed says so once what came before
      // it is handed out.
      if (decoder.readFailed && done == 0) return -1;
      break;
    }
    if (got < 0 || got > want) return -1;
    // A chained file whose next link has another layout would be read as noise.
    const vorbis_info* info = ov_info(&decoder.file, -1);
    if (!info || info->channels != decoder.channels || info->rate != decoder.rate) return -1;
    done += got;
  }
  return done;
}

}  // namespace vtl
