#include "sound_files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>

#include <unistd.h>

#include "stream/stream.h"

namespace vtl::test {

namespace {

void PutTag(Bytes& b, const std::string& tag) { b.insert(b.end(), tag.begin(), tag.begin() + 4); }

void AppendPage(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Everything libvorbisenc needs for one file, released however encoding ends.
struct OggEncoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool ready = false;

  OggEncoder(int32_t channels, int32_t hertz, float quality, int32_t serial) {
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, hertz, quality) != 0) return;
    vorbis_comment_init(&comment);
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&stream, serial);
    ready = true;
  }
  ~OggEncoder() {
    if (ready) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
      vorbis_comment_clear(&comment);
    }
    vorbis_info_clear(&info);
  }
  OggEncoder(const OggEncoder&) = delete;
  OggEncoder& operator=(const OggEncoder&) = delete;

  void Headers(Bytes& out) {
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);
  }

  // Encodes what the analysis holds; the last packet's granule position is
  // raised by extraGranules.
  void Drain(Bytes& out, int64_t extraGranules) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        if (packet.e_o_s) packet.granulepos += extraGranules;
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);
  }
};

}  // namespace

Bytes Joined(Bytes front, const Bytes& back) {
  front.insert(front.end(), back.begin(), back.end());
  return front;
}

Bytes MakeChunk(const char* tag, const Bytes& body, bool padded) {
  Bytes chunk;
  PutTag(chunk, tag);
  Put32(chunk, static_cast<uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  if (padded && body.size() % 2 == 1) chunk.push_back(0);
  return chunk;
}

WavLayout PcmLayout(int32_t channels, int32_t hertz, int32_t bits) {
  WavLayout layout;
  layout.channels = channels;
  layout.hertz = hertz;
  layout.bits = bits;
  return layout;
}

Bytes MakeWav(const WavLayout& layout, const Bytes& data) {
  Bytes body;
  PutTag(body, layout.riffType);
  Bytes format;
  Put16(format, static_cast<uint32_t>(layout.formatTag));
  Put16(format, static_cast<uint32_t>(layout.channels));
  Put32(format, static_cast<uint32_t>(layout.hertz));
  const int32_t blockAlign = layout.channels * layout.bits / 8;
  Put32(format, static_cast<uint32_t>(layout.hertz * blockAlign));
  Put16(format, static_cast<uint32_t>(blockAlign));
  Put16(format, static_cast<uint32_t>(layout.bits));
  if (layout.formatLength > 16) format.resize(static_cast<size_t>(layout.formatLength), 0);
  PutTag(body, "fmt ");
  Put32(body, static_cast<uint32_t>(layout.formatLength));
  body.insert(body.end(), format.begin(), format.end());
  body.insert(body.end(), layout.chunksBeforeData.begin(), layout.chunksBeforeData.end());
  PutTag(body, "data");
  Put32(body, static_cast<uint32_t>(layout.dataSize >= 0 ? layout.dataSize : static_cast<int64_t>(data.size())));
  body.insert(body.end(), data.begin(), data.end());
  Bytes wav;
  PutTag(wav, "RIFF");
  Put32(wav, static_cast<uint32_t>(body.size()));
  wav.insert(wav.end(), body.begin(), body.end());
  return wav;
}

Bytes SineFrames16(int32_t frames, int32_t hertz, const std::vector<double>& frequencies, double amplitude) {
  Bytes pcm;
  for (int32_t i = 0; i < frames; ++i) {
    for (double frequency : frequencies) {
      const double v = amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / hertz);
      Put16(pcm, static_cast<uint32_t>(static_cast<int32_t>(std::lround(v))));
    }
  }
  return pcm;
}

Bytes MakeOggSine(int32_t frames, int32_t hertz, const std::vector<double>& frequencies, float quality,
                  int64_t extraGranules, int32_t serial) {
  const auto channels = static_cast<int32_t>(frequencies.size());
  OggEncoder encoder(channels, hertz, quality, serial);
  if (!encoder.ready) return {};
  Bytes out;
  encoder.Headers(out);
  constexpr int32_t kBlock = 1024;
  for (int32_t done = 0; done < frames; done += kBlock) {
    const int32_t count = frames - done < kBlock ? frames - done : kBlock;
    float** buffer = vorbis_analysis_buffer(&encoder.dsp, count);
    for (int32_t c = 0; c < channels; ++c) {
      for (int32_t i = 0; i < count; ++i) {
        buffer[c][i] = static_cast<float>(
            0.5 * std::sin(2 * std::numbers::pi * frequencies[static_cast<size_t>(c)] * (done + i) / hertz));
      }
    }
    vorbis_analysis_wrote(&encoder.dsp, count);
    encoder.Drain(out, extraGranules);
  }
  vorbis_analysis_wrote(&encoder.dsp, 0);
  encoder.Drain(out, extraGranules);
  return out;
}

void WriteLongOgg(const std::string& path, int32_t seconds) {
  constexpr int32_t kHertz = 44100;
  const int64_t frames = int64_t{seconds} * kHertz;
  // The mark holds the frames and the file's size: a file cut short by an
  // interrupted run, or made for another length, is made again.
  const std::string mark = path + ".frames";
  const auto markOf = [&](uint64_t bytes) {
    Bytes m;
    Put32(m, static_cast<uint32_t>(frames));
    Put32(m, static_cast<uint32_t>(bytes));
    return m;
  };
  if (ReadFile(mark) == markOf(ReadFile(path).size())) return;
  OggEncoder encoder(2, kHertz, -0.1f, 0x10C6);
  if (!encoder.ready) return;
  Bytes out;
  encoder.Headers(out);
  // One period of each tone, stepped through at two speeds.
  constexpr int32_t kTable = 4096;
  std::vector<float> table(kTable);
  for (int32_t i = 0; i < kTable; ++i) {
    table[static_cast<size_t>(i)] = 0.4f * static_cast<float>(std::sin(2 * std::numbers::pi * i / kTable));
  }
  constexpr int32_t kBlock = 4096;
  for (int64_t done = 0; done < frames; done += kBlock) {
    const auto count = static_cast<int32_t>(std::min<int64_t>(kBlock, frames - done));
    float** buffer = vorbis_analysis_buffer(&encoder.dsp, count);
    for (int32_t i = 0; i < count; ++i) {
      const int64_t at = done + i;
      buffer[0][i] = table[static_cast<size_t>(at * 41 % kTable)];  // some 440 Hz
      buffer[1][i] = table[static_cast<size_t>(at * 61 % kTable)];  // some 660 Hz
    }
    vorbis_analysis_wrote(&encoder.dsp, count);
    encoder.Drain(out, 0);
  }
  vorbis_analysis_wrote(&encoder.dsp, 0);
  encoder.Drain(out, 0);
  // Tests running at once may make it together: each writes a file of its
  // own and renames it into place, so a reader never sees half of one.
  const std::string own = "." + std::to_string(getpid());
  WriteFile(path + own, out);
  std::rename((path + own).c_str(), path.c_str());
  WriteFile(mark + own, markOf(out.size()));
  std::rename((mark + own).c_str(), mark.c_str());
}

std::vector<std::pair<std::string, Bytes>> SoundFiles() {
  std::vector<std::pair<std::string, Bytes>> files;
  const Bytes mono16 = SineFrames16(300, 8000, {500});
  files.emplace_back("mono16.wav", MakeWav({}, mono16));
  Bytes eightBit;
  for (int i = 0; i < 400; ++i) eightBit.push_back(static_cast<uint8_t>(128 + 100 * std::sin(i * 0.3)));
  files.emplace_back("mono8.wav", MakeWav(PcmLayout(1, 11025, 8), eightBit));
  files.emplace_back("stereo8.wav", MakeWav(PcmLayout(2, 22050, 8), eightBit));
  WavLayout listed = PcmLayout(2, 44100, 16);
  listed.chunksBeforeData = MakeChunk("LIST", Bytes(13, 'x'));
  files.emplace_back("stereo16_list.wav", MakeWav(listed, SineFrames16(200, 44100, {440, 660})));
  WavLayout extended;
  extended.formatLength = 18;
  files.emplace_back("format18.wav", MakeWav(extended, mono16));
  files.emplace_back("mono.ogg", MakeOggSine(800, 8000, {1000}, 0.0f));
  files.emplace_back("stereo.ogg", MakeOggSine(800, 8000, {500, 1500}, 0.0f));
  // The decoder searches past bytes in front of the first page.
  files.emplace_back("offset.ogg", Joined(Bytes(5, 0xA5), MakeOggSine(800, 8000, {1000}, 0.0f)));
  // A short first link, then one of another serial number.
  files.emplace_back("chained.ogg",
                     Joined(MakeOggSine(300, 8000, {1000}, 0.0f, 0, 1), MakeOggSine(500, 8000, {2000}, 0.0f, 0, 2)));
  return files;
}

std::vector<std::pair<std::string, Bytes>> RefusedSoundFiles() {
  // Chains whose second link changes the channels or the rate.
  const Bytes first = MakeOggSine(300, 8000, {1000}, 0.0f, 0, 1);
  return {
      {"chained_channels.ogg", Joined(first, MakeOggSine(500, 8000, {500, 1500}, 0.0f, 0, 2))},
      {"chained_rate.ogg", Joined(first, MakeOggSine(500, 11025, {1000}, 0.0f, 0, 2))},
  };
}

std::vector<std::pair<std::string, Bytes>> DamagedMidwaySoundFiles() {
  const Bytes ogg = MakeOggSine(20000, 22050, {440, 880}, 0.0f);
  Bytes overwritten = ogg;
  for (size_t i = ogg.size() / 2; i < ogg.size() / 2 + 600 && i < ogg.size(); ++i) {
    overwritten[i] = static_cast<uint8_t>(i * 13);
  }
  WavLayout claims = PcmLayout(2, 22050, 16);
  claims.dataSize = 0x7FFFFFF0;
  return {
      {"cut_midway.ogg", Bytes(ogg.begin(), ogg.begin() + static_cast<ptrdiff_t>(ogg.size() * 2 / 3))},
      {"damaged_midway.ogg", overwritten},
      {"claims_2gb.wav", MakeWav(claims, SineFrames16(700, 22050, {300, 500}))},
  };
}

Ref<TAudioSample> LoadSampleFromBytes(const Bytes& bytes) {
  Bytes copy = bytes;  // the stream may not write, but it takes a mutable address
  Ref<TRamStream> ram = TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0);
  return LoadSampleUrl(Ref<Object>(ram));
}

Ref<TAudioSample> LoadSampleWith(TAudioSampleLoader& loader, const Bytes& bytes) {
  Bytes copy = bytes;
  Ref<TRamStream> ram = TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0);
  return RefuseOnStreamError([&] { return loader.LoadAudioSample(ram); });
}

double ZeroCrossingFrequency(const TAudioSample& sample, int32_t channel, int32_t first, int32_t count) {
  const int32_t channels = ChannelsOfSampleFormat(sample.format);
  const int32_t end = count < 0 ? sample.length : first + count;
  int32_t crossings = 0;
  int16_t previous = 0;
  for (int32_t i = first; i < end; ++i) {
    int16_t value = 0;
    std::memcpy(&value, sample.samples + (static_cast<size_t>(i) * channels + channel) * 2, 2);
    if (i > first && (previous < 0) != (value < 0)) ++crossings;
    previous = value;
  }
  return crossings / 2.0 * sample.hertz / (end - first);
}

}  // namespace vtl::test
