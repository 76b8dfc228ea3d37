// Streamed sounds at full length and in real time: SDL's disk output holds
// exactly the mix of the file loaded whole, ten minutes stream in constant
// memory where loading them whole takes over 100 MB, and a busy main thread
// costs a streamed voice no frame.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
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
// paced at about three times real time.
std::vector<int16_t> CaptureStreamed(const std::string& path, int32_t flags, int32_t frames, int32_t& underruns) {
  const std::string file = ::testing::TempDir() + "vtl_stream_disk_" + std::to_string(getpid()) + ".raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "4", 1);  // milliseconds per 11.6 ms block
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

// Peak resident memory since the last ResetPeakMemory, and resident memory
// now, in bytes.
int64_t MemoryFigure(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1)) * 1024;
  }
  return -1;
}
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

class StreamedMemory : public StreamFixture {};

TEST_F(StreamedMemory, TenMinutesStreamInConstantMemoryWhereWholeTheyTakeOver100MB) {
  const std::string path = LongOggPath();
  const int32_t frames = 600 * MIXER_HERTZ;
  std::vector<int16_t> block;
  ResetPeakMemory();
  const int64_t start = MemoryFigure("VmRSS");
  ASSERT_GT(start, 0);
  {
    Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), SOUND_STREAM | SOUND_LOOP);
    Ref<TChannel> channel = Start(sound);
    auto own = DowncastObject<TZuveRererChannel>(channel);
    // The whole file and five seconds past its loop seam.
    while (own->Position() < frames + 5 * MIXER_HERTZ) {
      block.clear();
      Step(block, sound);
    }
    EXPECT_EQ(channel->Underruns(), 0);
    EXPECT_EQ(IsChannelPlaying(channel), 1);
  }
  const int64_t streamed = MemoryFigure("VmHWM") - start;
  EXPECT_LE(streamed, 4 << 20) << "peak memory while streaming rose by " << streamed << " bytes";

  ResetPeakMemory();
  const int64_t before = MemoryFigure("VmRSS");
  {
    Ref<TAudioSample> whole = LoadSampleUrl(String(path.c_str()));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->length, frames);
  }
  const int64_t loaded = MemoryFigure("VmHWM") - before;
  EXPECT_GT(loaded, 100 << 20) << "loading it whole took " << loaded << " bytes";
  std::cout << "[ memory   ] streamed: " << streamed / 1024 << " KB above the start; whole: " << loaded / 1024
            << " KB\n";
}

// Mixes blocks of 1024 frames on a thread of its own, in real time.
class PacedDevice : public AudioDevice {
 public:
  ~PacedDevice() override { close(); }
  int32_t open() override {
    mix = std::make_unique<Mixer>(2048);
    running_ = true;
    thread_ = std::thread([this] {
      std::vector<int16_t> out(2048);
      auto next = std::chrono::steady_clock::now();
      while (running_.load()) {
        mix->MixStep(out.data(), 2048);
        next += std::chrono::microseconds(1024 * 1000000LL / MIXER_HERTZ);
        std::this_thread::sleep_until(next);
      }
    });
    return 0;
  }
  void close() override {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    mix.reset();
  }

 private:
  std::atomic<bool> running_{false};
  std::thread thread_;
};

std::unique_ptr<AudioDevice> MakePacedDevice() { return std::make_unique<PacedDevice>(); }

TEST_F(AudioStream, NoUnderrunWhileTheMainThreadIsBusyFor200Milliseconds) {
  const std::string path = LongOggPath();
  SetOutputDeviceMaker(&MakePacedDevice);
  ASSERT_EQ(SelectAudioDriver("ZuveRerer"), 1);
  Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
  Ref<TChannel> channel = StartSound(sound);
  auto own = DowncastObject<TZuveRererChannel>(channel);
  for (int round = 0; round < 10; ++round) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    volatile uint64_t work = 0;
    while (std::chrono::steady_clock::now() < until) work = work + 1;
    AdjustChannelVolume(channel, round % 2 ? 1.0f : 0.8f);
  }
  EXPECT_GT(own->Position(), MIXER_HERTZ) << "it played on meanwhile";
  EXPECT_EQ(channel->Underruns(), 0);
  EXPECT_EQ(IsChannelPlaying(channel), 1);
  channel = nullptr;
  sound = nullptr;
  SelectAudioDriver("Null");
  SetOutputDeviceMaker(nullptr);
}

}  // namespace
