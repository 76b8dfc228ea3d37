// Streamed sounds through the mixer driver over a step device: the test
// steps block by block, waiting for the decoding thread where it must, so
// that every run mixes the same frames.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio/internal/mixer_flat.h"
#include "audio/internal/stream_feed.h"
#include "mixer_test_support.h"
#include "sound_files.h"

namespace stream_test {

/// The ten-minute stereo Ogg file, made once per build folder.
inline std::string LongOggPath() {
  const std::string path = std::string(VTL_AUDIO_BINARY_DIR) + "/long_music.ogg";
  vtl::test::WriteLongOgg(path, 600);
  return path;
}

/// Threads of this process.
inline int32_t ThreadCount() {
  int32_t count = 0;
  for (const std::string& task : vtl::test::FilesIn("/proc/self/task")) count += !task.empty();
  return count;
}

/// Waits up to two seconds for what() to hold.
template <class Condition>
bool Eventually(Condition what) {
  for (int i = 0; i < 400 && !what(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return what();
}

/// Waits up to two seconds for the streamed sound's ring to hold frames
/// beyond what its voice consumed, or all its data, waking the decoding
/// thread as it goes.
inline bool AwaitFrames(const vtl::SoundData* data, int64_t frames) {
  const auto enough = [&] {
    const int64_t ahead = vtl::MixerStreamFramesAhead(data);
    return ahead < 0 || ahead >= frames;
  };
  for (int i = 0; i < 10000 && !enough(); ++i) {
    vtl::WakeStreamDecoding();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return enough();
}

inline std::unique_ptr<vtl::AudioDevice> MakeStepDevice() { return std::make_unique<vtl::StepDevice>(); }

/// The mixer driver over a step device, with the test clock.
class StreamFixture : public ::testing::Test {
 public:
  void SetUp() override {
    vtl::InitAudio();
    mixer_test::now = 1000;
    vtl::SetMixerClock(&mixer_test::Now);
    vtl::SetOutputDeviceMaker(&MakeStepDevice);
    ASSERT_EQ(vtl::SelectAudioDriver("ZuveRerer"), 1);
  }
  void TearDown() override {
    vtl::SelectAudioDriver("Null");
    vtl::SetOutputDeviceMaker(nullptr);
    vtl::SetMixerClock(nullptr);
  }

  static vtl::StepDevice& Device() { return *static_cast<vtl::StepDevice*>(vtl::MixerDevice()); }
  static vtl::SoundData* DataOf(const vtl::Ref<vtl::TSound>& sound) {
    return vtl::DowncastObject<vtl::TZuveRererSound>(sound)->fa_sound;
  }

  /// Starts the sound so that it sounds from the next block's first frame.
  static vtl::Ref<vtl::TChannel> Start(const vtl::Ref<vtl::TSound>& sound,
                                       const vtl::Ref<vtl::TChannel>& channel = nullptr) {
    vtl::Ref<vtl::TChannel> playing = vtl::StartSound(sound, channel);
    mixer_test::now += vtl::MIXER_START_DELAY_MS;
    return playing;
  }

  /// Mixes the next block once the streamed sound (if any) has the frames
  /// it needs decoded, and appends it to out.
  static void Step(std::vector<int16_t>& out, const vtl::Ref<vtl::TSound>& streamed = nullptr, int64_t frames = 4000) {
    if (streamed) AwaitFrames(DataOf(streamed), frames);
    const std::vector<int16_t>& block = Device().Step();
    out.insert(out.end(), block.begin(), block.end());
  }
};

}  // namespace stream_test
