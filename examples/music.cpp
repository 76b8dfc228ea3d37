// Streamed music, no window: the program writes a short melody as an Ogg
// Vorbis file (with libvorbisenc), then plays it streamed: the mixer keeps
// the file open and decodes it as it plays, about a second ahead, so even
// hours of music take no more memory than these few seconds. It plays once
// to its end, then loops seamlessly for a while.
//   example_music
// With no audio device the silent driver takes every call, and the program
// runs the same, without sound.
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <numbers>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr int32_t kRate = 44100;
constexpr int32_t kNoteFrames = kRate / 4;
constexpr double kMelody[] = {523.25, 659.25, 783.99, 1046.5, 783.99, 659.25, 587.33, 523.25};

void WritePages(ogg_stream_state& stream, std::FILE* file, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
    std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), file);
    std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), file);
  }
}

// Each note a plucked sine that dies away, the right channel an octave down.
void WriteMelody(const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) RuntimeError(String("Cannot write ") + path);
  vorbis_info info;
  vorbis_info_init(&info);
  vorbis_encode_init_vbr(&info, 2, kRate, 0.4f);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  ogg_packet id, comments, codebooks, packet;
  vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
  for (ogg_packet* header : {&id, &comments, &codebooks}) ogg_stream_packetin(&stream, header);
  WritePages(stream, file, true);
  for (int32_t note = 0; note <= static_cast<int32_t>(std::size(kMelody)); ++note) {
    const bool last = note == static_cast<int32_t>(std::size(kMelody));
    if (!last) {
      float** buffer = vorbis_analysis_buffer(&dsp, kNoteFrames);
      for (int32_t i = 0; i < kNoteFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = 0.5 * std::exp(-6 * t) * std::sin(2 * std::numbers::pi * kMelody[note] * t);
        buffer[0][i] = static_cast<float>(v);
        buffer[1][i] = static_cast<float>(0.5 * std::exp(-6 * t) * std::sin(std::numbers::pi * kMelody[note] * t));
      }
    }
    vorbis_analysis_wrote(&dsp, last ? 0 : kNoteFrames);
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        WritePages(stream, file, false);
      }
    }
  }
  WritePages(stream, file, true);
  std::fclose(file);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
}

void Main() {
  InitFramework();
  WriteMelody("melody.ogg");
  std::cout << "melody.ogg: " << std::size(kMelody) << " notes of a quarter second\n";

  // SOUND_STREAM: nothing is decoded yet; the file stays open while the
  // sound lives.
  Ref<TSound> melody = LoadSoundUrl("melody.ogg", SOUND_STREAM);
  Ref<TChannel> channel = StartSound(melody);
  std::cout << "streaming it once\n";
  for (int32_t waited = 0; IsChannelPlaying(channel) && waited < 5000; waited += 20) SleepMillis(20);
  std::cout << "it ended; underruns: " << (channel->Underruns() == 0 ? "none" : "some") << "\n";

  // SOUND_LOOP: back to the first frame at the end, without a seam.
  Ref<TSound> looped = LoadSoundUrl("melody.ogg", SOUND_STREAM | SOUND_LOOP);
  channel = StartSound(looped);
  AdjustChannelRate(channel, 1.5f);  // a faster rate reads the stream faster
  std::cout << "looping it at one and a half times the speed for 3 seconds\n";
  SleepMillis(3000);
  HaltChannel(channel);
  // Dropping the sounds and the channel closes the file and ends the decoding.
  std::cout << "done\n";
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
