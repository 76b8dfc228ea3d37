// MixStep of 1024-sample blocks (512 frames, 11.6 ms of sound) with 1, 16
// and 64 looping 16-bit stereo voices, steady and with a rate and volume
// ramp in every block, beside SDL_MixAudioFormat adding the same data.
// "of_realtime" is the share of one core the mixing takes: time spent over
// the duration of the sound produced.
//
// And what streaming costs: a minute of stereo 44100 Hz Ogg Vorbis decoded
// the way the mixer's decoding thread does it (a streamed sound's source and
// its ring, pieces of 4096 frames through the framework's file stream),
// beside libvorbisfile decoding the same file alone (ov_fopen, ov_read of
// 16 KB). "per_music_second" is the time spent per second of music decoded.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio/internal/mixer_core.h"
#include "audio/internal/stream_feed.h"
#include "audio/internal/stream_source.h"
#include "tests/audio/sound_files.h"

namespace {

using namespace vtl;

constexpr int32_t kFrames = MIXER_BLOCK / 2;
constexpr double kBlockSeconds = static_cast<double>(kFrames) / MIXER_HERTZ;

std::vector<int16_t> Noise(int32_t frames) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
  uint32_t state = 12345;
  for (int16_t& s : samples) {
    state = state * 1103515245u + 12345u;
    s = static_cast<int16_t>((state >> 16) % 8000) - 4000;
  }
  return samples;
}

void ReportRealtime(benchmark::State& state) {
  state.counters["of_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlockSeconds,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Voices started long enough ago that they sound from the first block.
int32_t LongAgo() { return 0; }
int32_t Later() { return 1000000; }

void BM_MixStep(benchmark::State& state, bool ramps) {
  const int32_t voices = static_cast<int32_t>(state.range(0));
  const std::vector<int16_t> frames = Noise(44100);
  SoundData* data = NewSoundData(44100, 16, 2, 44100, frames.data(), 1);
  Mixer mix(MIXER_BLOCK);
  std::vector<std::unique_ptr<MixerVoice>> held;
  SetMixerClock(&LongAgo);
  for (int32_t i = 0; i < voices; ++i) {
    held.push_back(std::make_unique<MixerVoice>());
    MixerVoice& v = *held.back();
    RetainSoundData(data);
    v.data = data;
    v.channels = 2;
    v.status.store(VOICE_LOOPED);
    v.SetVolume(4096 / voices);
    v.SetPan(i * 97 % 8192 - 4096);
    mix.Queue(&v);
  }
  SetMixerClock(&Later);
  std::vector<int16_t> out(MIXER_BLOCK);
  mix.MixStep(out.data(), MIXER_BLOCK);
  int32_t turn = 0;
  for (auto _ : state) {
    if (ramps) {
      ++turn;
      for (auto& v : held) {
        v->volumeTarget.store(turn % 2 ? 2048 / voices : 4096 / voices);
        v->rateTarget.store(turn % 2 ? 0x12000 : 0x10000);
      }
    }
    mix.MixStep(out.data(), MIXER_BLOCK);
    benchmark::DoNotOptimize(out.data());
  }
  ReportRealtime(state);
  SetMixerClock(nullptr);
  for (auto& v : held) ReleaseSoundData(v->data);
  ReleaseSoundData(data);
}

void BM_MixStepSteady(benchmark::State& state) { BM_MixStep(state, false); }
void BM_MixStepRamps(benchmark::State& state) { BM_MixStep(state, true); }

// The same data added block by block by SDL, each voice at full volume from
// its own place in the sound, and the sum cleared for the next block.
void BM_SDLMixAudioFormat(benchmark::State& state) {
  const int32_t voices = static_cast<int32_t>(state.range(0));
  const std::vector<int16_t> frames = Noise(44100);
  std::vector<int16_t> out(MIXER_BLOCK);
  size_t at = 0;
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0);
    for (int32_t i = 0; i < voices; ++i) {
      const size_t from = (at + static_cast<size_t>(i) * 997 * 2) % (frames.size() - MIXER_BLOCK);
      SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(frames.data() + from),
                         AUDIO_S16LSB, MIXER_BLOCK * sizeof(int16_t), SDL_MIX_MAXVOLUME);
    }
    at = (at + MIXER_BLOCK) % (frames.size() - MIXER_BLOCK);
    benchmark::DoNotOptimize(out.data());
  }
  ReportRealtime(state);
}

constexpr int32_t kSeconds = 60;

const std::string& MusicFile() {
  static const std::string path = [] {
    std::string p = std::string(VTL_BENCH_BINARY_DIR) + "/bench_music.ogg";
    vtl::test::WriteLongOgg(p, kSeconds);
    return p;
  }();
  return path;
}

void ReportPerMusicSecond(benchmark::State& state) {
  state.counters["per_music_second"] = benchmark::Counter(static_cast<double>(state.iterations()) * kSeconds,
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StreamedDecoding(benchmark::State& state) {
  InitAudio();
  const String path(MusicFile().c_str());
  int64_t frames = 0;
  for (auto _ : state) {
    std::unique_ptr<StreamSource> source = OpenStreamSource(Ref<Object>(path));
    StreamFeed* feed = new StreamFeed(source.get(), false);
    // The voice takes every frame at once, so the ring never holds back.
    while (FillStreamFeed(*feed, StreamAheadFrames(*feed))) {
      feed->consumed.store(feed->written.load());
    }
    frames = static_cast<int64_t>(feed->end.load());
    ReleaseStreamFeed(feed);
  }
  if (frames != int64_t{kSeconds} * 44100) state.SkipWithError("the file did not decode whole");
  ReportPerMusicSecond(state);
}

void BM_VorbisfileAlone(benchmark::State& state) {
  const std::string& path = MusicFile();
  std::vector<char> pcm(16384);
  int64_t bytes = 0;
  for (auto _ : state) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
      state.SkipWithError("ov_fopen failed");
      return;
    }
    bytes = 0;
    int link = 0;
    for (long got; (got = ov_read(&file, pcm.data(), static_cast<int>(pcm.size()), 0, 2, 1, &link)) > 0;) bytes += got;
    ov_clear(&file);
  }
  if (bytes != int64_t{kSeconds} * 44100 * 4) state.SkipWithError("the file did not decode whole");
  ReportPerMusicSecond(state);
}

BENCHMARK(BM_StreamedDecoding)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VorbisfileAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK(BM_MixStepSteady)->Arg(1)->Arg(16)->Arg(64);
BENCHMARK(BM_MixStepRamps)->Arg(1)->Arg(16)->Arg(64);
BENCHMARK(BM_SDLMixAudioFormat)->Arg(1)->Arg(16)->Arg(64);

}  // namespace
