// Streamed sounds at full length and in real time: SDL's disk output holds
// exactly the mix of the file loaded whole, ten minutes stream in constant
// memory where loading them whole takes over 100 MB, and a busy main thread
// costs a streamed voice no frame.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "sdl_output_fixture.h"
#include "stream_test_support.h"

using namespace vtl;
using namespace stream_test;

namespace {

constexpr int32_t kBlockFrames = MIXER_BLOCK / 2;
constexpr int32_t kDelayFrames = MIXER_START_DELAY_MS * MIXER_HERTZ / 1000;

// The clock stands still: every voice waits exactly the whole start delay
// after the block that takes it.
int32_t StillClock() { return 5000; }

// What url with flags mixes over frames output frames when loaded whole,
// block by block without an output, from the block that takes the voice.
std::vector<int16_t> MixLoadedWhole(const std::string& path, int32_t flags, int32_t frames) {
  SetMixerClock(&StillClock);
  SetOutputDeviceMaker(&MakeStepDevice);
  EXPECT_EQ(SelectAudioDriver("ZuveRerer"), 1);
  std::vector<int16_t> out;
  {
    Ref<TSound> whole = LoadSoundUrl(String(path.c_str()), flags);
    EXPECT_TRUE(whole);
    StartSound(whole);
    auto& device = *static_cast<StepDevice*>(MixerDevice());
    while (out.size() < static_cast<size_t>(frames) * 2) {
      const std::vector<int16_t>& block = device.Step();
      out.insert(out.end(), block.begin(), block.end());
    }
  }
  SelectAudioDriver("Null");
  SetOutputDeviceMaker(nullptr);
  return out;
}

// What SDL's disk output wrote while the file streamed for frames frames,
// paced at about four times real time.
std::vector<int16_t> CaptureStreamed(const std::string& path, int32_t flags, int32_t frames, int32_t& underruns) {
  const std::string file = ::testing::TempDir() + "vtl_stream_disk_" + std::to_string(getpid()) + ".raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "3", 1);  // milliseconds per 11.6 ms block
  SetMixerClock(&StillClock);
  EXPECT_EQ(SelectAudioDriver("ZuveRerer Multimedia"), 1);
  {
    Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), flags | SOUND_STREAM);
    EXPECT_TRUE(sound);
    Ref<TChannel> channel = StartSound(sound);
    auto own = DowncastObject<TZuveRererChannel>(channel);
    for (int i = 0; i < 6000 && own->Position() < frames; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(own->Position(), frames);
    underruns = channel->Underruns();
  }
  SelectAudioDriver("Null");  // closes the output and its file
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(file.c_str());
  std::vector<int16_t> captured(bytes.size() / 2);
  std::memcpy(captured.data(), bytes.data(), captured.size() * 2);
  return captured;
}

// The captured output must hold expected (which starts with the block that
// took the voice) from the start of one of its blocks, for frames frames.
void ExpectSameFrames(const std::vector<int16_t>& captured, const std::vector<int16_t>& expected, int32_t frames) {
  const size_t from = kDelayFrames * 2;  // the voice's first frame in expected
  const size_t length = static_cast<size_t>(frames) * 2;
  ASSERT_GE(expected.size(), from + length);
  for (size_t block = 0; (block + 1) * MIXER_BLOCK + length <= captured.size(); ++block) {
    const size_t at = block * MIXER_BLOCK + from;
    if (!std::equal(expected.begin() + from, expected.begin() + from + 4096, captured.begin() + at)) continue;
    for (size_t i = 0; i < length; ++i) {
      ASSERT_EQ(captured[at + i], expected[from + i]) << "frame " << i / 2 << " of the voice";
    }
    return;
  }
  FAIL() << "the voice's first frames are nowhere in the " << captured.size() / 2 << " frames captured";
}

class AudioStream : public mixer_test::SDLOutputTest {};

TEST_F(AudioStream, TheDiskOutputHoldsTheWholeMixOverTheFirstTenSeconds) {
  const std::string path = LongOggPath();
  const int32_t frames = 10 * MIXER_HERTZ;
  int32_t underruns = -1;
  const std::vector<int16_t> captured = CaptureStreamed(path, 0, frames, underruns);
  EXPECT_EQ(underruns, 0);
  ExpectSameFrames(captured, MixLoadedWhole(path, 0, kDelayFrames + frames + kBlockFrames), frames);
}

TEST_F(AudioStream, TheDiskOutputHoldsTheWholeMixAcrossLoopSeams) {
  const std::string path = test::TempPath("seams.ogg");
  test::WriteFile(path, test::MakeOggSine(2 * MIXER_HERTZ + 123, MIXER_HERTZ, {440, 650}, 0.0f));
  const int32_t frames = 7 * MIXER_HERTZ;  // three seams
  int32_t underruns = -1;
  const std::vector<int16_t> captured = CaptureStreamed(path, SOUND_LOOP, frames, underruns);
  EXPECT_EQ(underruns, 0);
  ExpectSameFrames(captured, MixLoadedWhole(path, SOUND_LOOP, kDelayFrames + frames + kBlockFrames), frames);
  std::remove(path.c_str());
}

}  // namespace
