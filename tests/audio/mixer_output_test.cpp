// The mixer through SDL's audio output: no device at all, SDL's dummy
// output, and SDL's disk output whose file is compared with the mix.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio/internal/audio_parts.h"
#include "mixer_test_support.h"
#include "runtime/last_error.h"
#include "sdl_output_fixture.h"

using namespace vtl;

namespace {

using AudioOutput = mixer_test::SDLOutputTest;

Ref<TAudioSample> Wave(int32_t frames, int32_t hertz) {
  Ref<TAudioSample> sample = NewAudioSample(frames, hertz, AUDIO_MONO16LE);
  for (int32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<uint16_t>(1234 + (i * 7919) % 20000 - 10000 * (i % 2));
    sample->samples[2 * i] = static_cast<uint8_t>(v);
    sample->samples[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  return sample;
}

bool WaitUntilSilent(const Ref<TChannel>& channel) {
  for (int i = 0; i < 300 && IsChannelPlaying(channel); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !IsChannelPlaying(channel);
}

TEST_F(AudioOutput, WithoutAnyDeviceTheSilentDriverTakesOverAndSDLSaysWhy) {
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  EXPECT_EQ(SelectAudioDriver("zuvererer"), 0);
  const std::string why = LastErrorText().ToUtf8();
  ASSERT_NE(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  EXPECT_EQ(why, std::string("Audio driver 'ZuveRerer' did not start: Audio device did not open: ") + SDL_GetError());
  EXPECT_EQ(CurrentAudioDriver()->Name(), String("Null"));
  EXPECT_NE(TSound::Load(Wave(100, 22050), 0), nullptr);
  Ref<TSound> sound = LoadSoundUrl(Ref<Object>(Wave(100, 22050)));
  ASSERT_NE(sound, nullptr);
  Ref<TChannel> channel = StartSound(sound);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
}

TEST_F(AudioOutput, TheDummyOutputOpensAndMixes) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SelectAudioDriver("ZuveRerer"), 1);
  Ref<TChannel> channel = StartSound(LoadSoundUrl(Ref<Object>(Wave(4410, 44100))));
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(IsChannelPlaying(channel), 1);
  EXPECT_TRUE(WaitUntilSilent(channel)) << "the output's thread mixed the sound to its end";
}

// The clock stands still, so every voice waits exactly the whole start
// delay, 882 frames, after the block that takes it.
int32_t StillClock() { return 5000; }

TEST_F(AudioOutput, TheDiskOutputHoldsTheMixOffsetByTheStartDelay) {
  const std::string file = ::testing::TempDir() + "vtl_mixer_disk_" + std::to_string(getpid()) + ".raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  SetMixerClock(&StillClock);
  Ref<TAudioSample> wave = Wave(3000, 22050);
  ASSERT_EQ(SelectAudioDriver("ZuveRerer Multimedia"), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Ref<TChannel> channel = StartSound(LoadSoundUrl(Ref<Object>(wave)));
  ASSERT_NE(channel, nullptr);
  ASSERT_TRUE(WaitUntilSilent(channel));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(SelectAudioDriver("Null"), 1);  // closes the output and its file

  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(file.c_str());
  std::vector<int16_t> captured(bytes.size() / 2);
  std::memcpy(captured.data(), bytes.data(), captured.size() * 2);

  // The same sample mixed block by block without an output.
  auto made = std::make_unique<StepDevice>();
  StepDevice* device = made.get();
  ASSERT_EQ(MixerOpen(std::move(made)), 0);
  mixer_test::Data data(MixerMakeSound(wave->length, 16, 1, wave->hertz, wave->samples, 0));
  MixerStartSound(data.p, 0, 0);
  std::vector<int16_t> expected;
  for (int block = 0; block < 16; ++block) {
    const auto& out = device->Step();
    expected.insert(expected.end(), out.begin(), out.end());
  }
  MixerClose();
  const size_t delay = 882 * 2;
  ASSERT_EQ(expected[delay - 1], 0);
  ASSERT_NE(expected[delay], 0);
  expected.erase(expected.begin(), expected.begin() + static_cast<ptrdiff_t>(delay));
  expected.resize(6000 * 2);  // 3000 frames at half the output rate

  size_t first = 0;
  while (first < captured.size() && captured[first] == 0) ++first;
  ASSERT_LT(first, captured.size()) << "nothing reached the file";
  EXPECT_EQ((first / 2 - 882) % (MIXER_BLOCK / 2), 0u) << "the sound begins 882 frames after a block's start";
  ASSERT_GE(captured.size(), first + expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(captured[first + i], expected[i]) << i;
  for (size_t i = first + expected.size(); i < captured.size(); ++i) ASSERT_EQ(captured[i], 0) << i;
}

}  // namespace
