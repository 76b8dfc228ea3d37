// The main thread starting, stopping and setting voices while another
// thread mixes: run under ThreadSanitizer, it shows that the two sides
// share nothing but the rings and whole voice fields.
#include <atomic>
#include <random>
#include <thread>

#include "mixer_test_support.h"

using namespace vtl;
using namespace mixer_test;

namespace {

class MixerThreads : public MixerFixture {};

TEST_F(MixerThreads, MainThreadCallsRaceWithMixingWithoutHarm) {
  auto shortOne = Sound16(std::vector<int16_t>(300, 2000), 1, 22050);
  auto loop = Sound8(std::vector<uint8_t>(200, 200), 2, 44100, true);
  std::atomic<bool> stop{false};
  std::atomic<int32_t> blocks{0};
  std::thread mixing([&] {
    while (!stop.load()) {
      device->Step();
      ++blocks;
      now += 3;  // the clock moves while the main thread starts voices
    }
  });
  std::mt19937 random(7);
  std::vector<int32_t> handles;
  for (int32_t i = 0; i < 20000; ++i) {
    const int32_t h = handles.empty() ? 0 : handles[random() % handles.size()];
    switch (random() % 10) {
      case 0: handles.push_back(MixerReserveVoice()); break;
      case 1: handles.push_back(MixerStartSound(random() % 2 ? shortOne->p : loop->p, random() % 2, h)); break;
      case 2: handles.push_back(MixerStartSound(shortOne->p, random() % 2, 0)); break;
      case 3: MixerStopVoice(h); break;
      case 4: MixerPauseVoice(h, random() % 2); break;
      case 5: MixerVoiceVolume(h, static_cast<float>(random() % 300) / 100); break;
      case 6: MixerVoicePan(h, static_cast<float>(random() % 200) / 100 - 1); break;
      case 7: MixerVoiceRate(h, static_cast<float>(random() % 300 + 20) / 100); break;
      case 8: MixerVoiceStatus(h), MixerVoicePosition(h), MixerVoiceDepth(h, -1); break;
      default: MixerReleaseVoice(h); break;
    }
    if (handles.size() > 64) {  // a channel dropped
      MixerReleaseVoice(handles.front());
      handles.erase(handles.begin());
    }
  }
  while (blocks.load() < 50) std::this_thread::yield();
  stop = true;
  mixing.join();
  for (int32_t h : handles) MixerStopVoice(h);
  for (int32_t i = 0; i < 40; ++i) device->Step();
  // Only the sound's own reference is left: voices released while paused
  // were retired, the others played to their end (no rate here stands
  // still). Looping voices whose handle went while they played loop on.
  EXPECT_EQ(shortOne->Refs(), 1);
}

}  // namespace
