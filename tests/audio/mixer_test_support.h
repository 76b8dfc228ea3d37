// Driving the mixer without an output: a step device, a clock the test
// sets, and sounds made from plain vectors.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/internal/mixer_flat.h"

namespace mixer_test {

/// The mixer's clock while a test runs.
inline std::atomic<int32_t> now{1000};
inline int32_t Now() { return now.load(); }

/// A sound reference the test owns, dropped at the end of the test.
struct Data {
  explicit Data(vtl::SoundData* data) : p(data) {}
  ~Data() { vtl::MixerDropSound(p); }
  Data(const Data&) = delete;
  Data& operator=(const Data&) = delete;
  int32_t Refs() const { return p->refs.load(); }
  vtl::SoundData* p;
};

inline std::unique_ptr<Data> Sound16(const std::vector<int16_t>& samples, int32_t channels, int32_t hertz,
                                     bool loop = false) {
  const int32_t length = static_cast<int32_t>(samples.size()) / channels;
  return std::make_unique<Data>(vtl::MixerMakeSound(length, 16, channels, hertz, samples.data(), loop));
}

inline std::unique_ptr<Data> Sound8(const std::vector<uint8_t>& samples, int32_t channels, int32_t hertz,
                                    bool loop = false) {
  const int32_t length = static_cast<int32_t>(samples.size()) / channels;
  return std::make_unique<Data>(vtl::MixerMakeSound(length, 8, channels, hertz, samples.data(), loop));
}

/// A looping sound holding one value.
inline std::unique_ptr<Data> Level(int16_t value) { return Sound16(std::vector<int16_t>(64, value), 1, 44100, true); }

/// Opens the mixer over a step device with the test clock.
class MixerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    now = 1000;
    vtl::SetMixerClock(&Now);
    auto made = std::make_unique<vtl::StepDevice>();
    device = made.get();
    ASSERT_EQ(vtl::MixerOpen(std::move(made)), 0);
  }
  void TearDown() override {
    vtl::MixerClose();
    vtl::SetMixerClock(nullptr);
  }

  /// Starts a sound so that it sounds from the first frame of the next block:
  /// the clock moves on by the whole start delay.
  int32_t Start(const std::unique_ptr<Data>& data, int32_t handle = 0, int32_t paused = 0) {
    const int32_t used = vtl::MixerStartSound(data->p, paused, handle);
    now += vtl::MIXER_START_DELAY_MS;
    return used;
  }

  const std::vector<int16_t>& Step() { return device->Step(); }
  static int16_t Left(const std::vector<int16_t>& block, int32_t frame) { return block[2 * frame]; }
  static int16_t Right(const std::vector<int16_t>& block, int32_t frame) { return block[2 * frame + 1]; }

  vtl::StepDevice* device = nullptr;
};

}  // namespace mixer_test
