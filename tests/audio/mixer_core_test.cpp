// The mixing core driven block by block through a step device: step, gains,
// interpolation, ramps, looping, the start delay, the clamp and the life of
// voices and handles.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "mixer_test_support.h"

using namespace vtl;
using namespace mixer_test;

namespace {

class MixerCore : public MixerFixture {};

constexpr int32_t kFrames = MIXER_BLOCK / 2;

std::vector<int16_t> Ramp(int32_t count, int32_t by) {
  std::vector<int16_t> samples;
  for (int32_t i = 0; i < count; ++i) samples.push_back(static_cast<int16_t>(i * by));
  return samples;
}

TEST_F(MixerCore, AHalfRateSoundStepsHalfAFrameAndAFullRateOneExactlyOne) {
  auto half = Sound16(Ramp(600, 50), 1, 22050);
  const int32_t h = Start(half);
  const auto& block = Step();
  for (int32_t i = 0; i < kFrames; ++i) {
    ASSERT_EQ(Left(block, i), 25 * i) << i;  // every other frame halfway between two samples
    ASSERT_EQ(Right(block, i), 25 * i) << i;
  }
  EXPECT_EQ(MixerVoicePosition(h), kFrames / 2);
  MixerStopVoice(h);

  auto full = Sound16(Ramp(600, 50), 1, 44100);
  const int32_t g = Start(full);
  const auto& next = Step();
  for (int32_t i = 0; i < kFrames; ++i) ASSERT_EQ(Left(next, i), 50 * i) << i;
  EXPECT_EQ(MixerVoicePosition(g), kFrames);
}

TEST_F(MixerCore, PanSilencesOrHalvesASideAndNegativeDepthTurnsTheRightOver) {
  auto level = Level(32767);
  const int32_t h = MixerReserveVoice();
  MixerVoicePan(h, 1.0f);  // 4096: all right
  Start(level, h);
  auto block = Step();
  EXPECT_EQ(Left(block, 0), 0);
  EXPECT_EQ(Right(block, 0), 32767);

  MixerVoicePan(h, -0.5f);  // -2048: the right gain is half the volume
  block = Step();
  EXPECT_EQ(Left(block, 10), 32767);
  EXPECT_EQ(Right(block, 10), 16383);  // 32767 * 2048 / 256 = 262136, / 16

  MixerVoicePan(h, 0);
  MixerVoiceDepth(h, -1.0f);
  block = Step();
  EXPECT_EQ(Left(block, 10), 32767);
  EXPECT_EQ(Right(block, 10), -32767);

  // Beyond full left the far side stays silent instead of turning over.
  MixerVoiceDepth(h, 0);
  MixerVoicePan(h, -3.0f);
  block = Step();
  EXPECT_EQ(Right(block, 10), 0);
}

TEST_F(MixerCore, FullScaleGivesFullScaleAndTwoVoicesClamp) {
  auto high = Level(32767);
  auto low = Level(-32768);
  const int32_t a = Start(high);
  EXPECT_EQ(Step()[0], 32767);  // 524272 in the accumulator
  Start(high);
  EXPECT_EQ(Step()[0], 32767);
  MixerStopVoice(a);
  EXPECT_EQ(Step()[0], 32767);
  Start(low);
  Start(low);
  EXPECT_EQ(Step()[0], -32768);  // 32767 - 2 * 32768
}

TEST_F(MixerCore, VolumeBeyondTheSixteenBitRangeSaturatesInsteadOfTurningOver) {
  auto level = Level(100);
  const int32_t h = MixerReserveVoice();
  MixerVoiceVolume(h, 9.0f);  // 36864 would wrap to -28672
  Start(level, h);
  EXPECT_EQ(Step()[0], 100 * 32767 / 256 / 16);
}

TEST_F(MixerCore, SettingsMadeBeforeTheFirstPlayApplyFromTheFirstFrame) {
  auto level = Level(8000);
  const int32_t h = MixerReserveVoice();
  MixerVoiceVolume(h, 0.25f);
  Start(level, h);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 0), 2000);
  EXPECT_EQ(Left(block, kFrames - 1), 2000);
}

TEST_F(MixerCore, AOneShotShorterThanABlockEndsAndIsRecycledInTheSameStep) {
  auto shortOne = Sound16(std::vector<int16_t>(100, 1000), 1, 44100);
  const int32_t h = Start(shortOne);  // no channel of the caller's: auto-release
  ASSERT_NE(h, 0);
  EXPECT_EQ(shortOne->Refs(), 2);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 99), 1000);
  EXPECT_EQ(Left(block, 100), 0);
  EXPECT_EQ(Left(block, kFrames - 1), 0);
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_FREE);
  EXPECT_EQ(shortOne->Refs(), 1);  // the voice let go of it
  // The next start takes that voice back and frees the handle it held.
  auto other = Level(5);
  Start(other);
  EXPECT_EQ(MixerVoiceStatus(h), 0);
  EXPECT_EQ(MixerReserveVoice() & 4095, h & 4095);  // its slot is free again
}

TEST_F(MixerCore, AVoiceOnAReservedChannelStaysFinishedUntilStopped) {
  auto shortOne = Sound16(std::vector<int16_t>(100, 1000), 1, 44100);
  const int32_t h = MixerReserveVoice();
  ASSERT_EQ(Start(shortOne, h), h);
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_ONCE);
  Step();
  Step();
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_FINISHED);
  EXPECT_EQ(MixerVoicePosition(h), 100);
  EXPECT_EQ(shortOne->Refs(), 2);
  MixerStopVoice(h);
  EXPECT_EQ(MixerVoiceStatus(h), 0);
  Step();
  EXPECT_EQ(shortOne->Refs(), 1);
}

TEST_F(MixerCore, ReleasingAFinishedVoicesHandleRetiresTheVoice) {
  auto shortOne = Sound16(std::vector<int16_t>(100, 1000), 1, 44100);
  const int32_t h = MixerReserveVoice();
  Start(shortOne, h);
  Step();
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_FINISHED);
  MixerReleaseVoice(h);
  Step();
  EXPECT_EQ(shortOne->Refs(), 1);
  // A sound that still plays when its handle goes plays to its end.
  auto longer = Sound16(std::vector<int16_t>(700, 300), 1, 44100);
  const int32_t g = MixerReserveVoice();
  Start(longer, g);
  MixerReleaseVoice(g);
  EXPECT_EQ(Left(Step(), 0), 300);
  const auto& last = Step();
  EXPECT_EQ(Left(last, 187), 300);
  EXPECT_EQ(Left(last, 188), 0);
  EXPECT_EQ(longer->Refs(), 1);
  // A paused voice whose handle goes can never be resumed: it is retired.
  auto loop = Level(40);
  const int32_t p = MixerReserveVoice();
  Start(loop, p, 1);
  Step();
  MixerReleaseVoice(p);
  Step();
  EXPECT_EQ(loop->Refs(), 1);
}

TEST_F(MixerCore, PlayingOnASoundingChannelCutsTheOldSoundAndKeepsTheSettings) {
  auto first = Level(10000);
  auto second = Level(-8000);
  const int32_t h = MixerReserveVoice();
  MixerVoiceVolume(h, 0.5f);
  MixerVoicePan(h, 1.0f);
  ASSERT_EQ(Start(first, h), h);
  EXPECT_EQ(Right(Step(), 0), 5000);
  ASSERT_EQ(Start(second, h), h);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 0), 0);
  EXPECT_EQ(Right(block, 0), -4000);  // the old voice no longer adds its 5000
  EXPECT_EQ(first->Refs(), 1);        // and was recycled in that step
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_LOOPED);
}

TEST_F(MixerCore, AVolumeChangeRampsOverOneBlockWithoutJumps) {
  auto level = Level(32767);
  const int32_t h = Start(level);
  EXPECT_EQ(Step()[kFrames], 32767);
  MixerVoiceVolume(h, 0);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 0), 32767);
  // One frame's increment: 4096 / 512 = 8 of volume, 32767 * 8 / 256 / 16.
  const int32_t increment = 32767 * 8 / 256 / 16 + 1;
  for (int32_t i = 1; i < kFrames; ++i) {
    const int32_t fall = Left(block, i - 1) - Left(block, i);
    ASSERT_GE(fall, 0) << i;
    ASSERT_LE(fall, increment) << i;
  }
  EXPECT_LE(Left(block, kFrames - 1), increment);
  const auto& silent = Step();
  EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](int16_t v) { return v == 0; }));
  EXPECT_EQ(MixerVoicePosition(h), 3 * kFrames);  // a silent voice moves on
}

TEST_F(MixerCore, ARateChangeRampsTheStepOverOneBlock) {
  auto level = Level(1);
  const int32_t h = Start(level);
  Step();
  MixerVoiceRate(h, 2.0f);
  Step();
  // Steps from 1 to 2 in 512 increments of 1/512: 512 + 255.5 frames.
  EXPECT_EQ(MixerVoicePosition(h), kFrames + 767);
  Step();
  EXPECT_EQ(MixerVoicePosition(h), kFrames + 767 + 2 * kFrames);
  MixerVoiceRate(h, -1.0f);  // no backwards play: it stands still
  Step();
  const int32_t at = MixerVoicePosition(h);
  Step();
  EXPECT_EQ(MixerVoicePosition(h), at);
}

TEST_F(MixerCore, AVoiceSoundsTwentyMillisecondsAfterItsStartLessItsWaitInTheQueue) {
  auto level = Level(700);
  MixerStartSound(level->p, 0, 0);  // the clock stands: the whole delay, 882 frames
  EXPECT_EQ(Left(Step(), kFrames - 1), 0);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 882 - kFrames - 1), 0);
  EXPECT_EQ(Left(block, 882 - kFrames), 700);

  auto other = Level(300);
  MixerStartSound(other->p, 0, 0);
  now += 10;  // waited 10 ms in the queue: 441 frames left
  const auto& next = Step();
  EXPECT_EQ(Left(next, 440), 700);
  EXPECT_EQ(Left(next, 441), 1000);
}

TEST_F(MixerCore, ACuedVoiceWaitsAndTakesSettingsMadeWhilePausedAtOnce) {
  auto level = Level(4000);
  const int32_t h = MixerReserveVoice();
  Start(level, h, 1);
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_LOOPED | VOICE_PAUSED);
  EXPECT_EQ(Step()[0], 0);
  MixerVoiceVolume(h, 0.5f);  // paused: current value too, so no ramp
  MixerPauseVoice(h, 0);
  EXPECT_EQ(Left(Step(), 0), 2000);
  EXPECT_EQ(MixerVoicePosition(h), kFrames);
  MixerPauseVoice(h, 1);
  EXPECT_EQ(Step()[0], 0);
  EXPECT_EQ(MixerVoicePosition(h), kFrames);
}

TEST_F(MixerCore, EightBitSourcesInterpolateAroundTheirMidpoint) {
  auto mono = Sound8({0, 255, 128, 128}, 1, 22050);
  Start(mono);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 0), -32768);
  EXPECT_EQ(Left(block, 1), -128);  // 0 * 256 + 255 * 32768 / 256 - 32768
  EXPECT_EQ(Left(block, 2), 32512);
  EXPECT_EQ(Left(block, 3), 16256);  // 255 * 256 + (128 - 255) * 32768 / 256 - 32768
  EXPECT_EQ(Left(block, 4), 0);
  // Stereo: each side from its own bytes.
  auto stereo = Sound8({255, 0, 255, 0}, 2, 44100);
  Start(stereo);
  const auto& next = Step();
  EXPECT_EQ(Left(next, 0), 32512);
  EXPECT_EQ(Right(next, 0), -32768);
}

TEST_F(MixerCore, StereoSixteenBitSourcesKeepTheirSides) {
  auto stereo = Sound16({1000, -2000, 3000, -4000}, 2, 22050);
  Start(stereo);
  const auto& block = Step();
  EXPECT_EQ(Left(block, 0), 1000);
  EXPECT_EQ(Right(block, 0), -2000);
  EXPECT_EQ(Left(block, 1), 2000);
  EXPECT_EQ(Right(block, 1), -3000);
  EXPECT_EQ(Left(block, 2), 3000);
  EXPECT_EQ(Left(block, 3), 3000);  // halfway to the guard frame, a copy of the last
  EXPECT_EQ(Left(block, 4), 0);
}

TEST_F(MixerCore, ALoopingSoundWrapsAndInterpolatesIntoItsFirstFrame) {
  auto loop = Sound16(Ramp(100, 10), 1, 44100, true);
  const int32_t h = Start(loop);
  const auto& block = Step();
  for (int32_t i = 0; i < kFrames; ++i) ASSERT_EQ(Left(block, i), (i % 100) * 10) << i;
  MixerStopVoice(h);
  auto slow = Sound16(Ramp(100, 10), 1, 22050, true);
  const int32_t s = Start(slow);
  const auto& next = Step();
  EXPECT_EQ(Left(next, 198), 990);
  EXPECT_EQ(Left(next, 199), 495);  // between the last frame and the guard, a copy of the first
  EXPECT_EQ(Left(next, 200), 0);
  MixerStopVoice(s);
  // Faster than a whole sound per frame still lands inside it.
  const int32_t fast = MixerReserveVoice();
  MixerVoiceRate(fast, 250.0f);
  auto tiny = Sound16(Ramp(3, 10), 1, 44100, true);
  Start(tiny, fast);
  Step();
  const auto& wrapped = Step();
  for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(Left(wrapped, k), 10 * ((kFrames + k) * 250 % 3)) << k;
}

TEST_F(MixerCore, HandlesCountTo4095AndStaleSerialsDoNothing) {
  std::set<int32_t> handles;
  for (int32_t i = 0; i < 4095; ++i) {
    const int32_t h = MixerReserveVoice();
    ASSERT_NE(h, 0);
    ASSERT_NE(h & 4095, 0);
    handles.insert(h);
  }
  EXPECT_EQ(handles.size(), 4095u);
  EXPECT_EQ(MixerReserveVoice(), 0);

  const int32_t old = *handles.begin();
  MixerReleaseVoice(old);
  MixerReleaseVoice(old);  // already free: the free list is not touched twice
  const int32_t again = MixerReserveVoice();
  EXPECT_EQ(again & 4095, old & 4095);
  EXPECT_NE(again, old);
  EXPECT_EQ(MixerReserveVoice(), 0);

  auto level = Level(1000);
  Start(level, again);
  EXPECT_EQ(MixerStartSound(level->p, 0, old), 0);
  MixerVoiceVolume(old, 0);
  MixerPauseVoice(old, 1);
  MixerStopVoice(old);
  MixerReleaseVoice(old);
  EXPECT_EQ(MixerVoiceStatus(old), 0);
  EXPECT_EQ(Left(Step(), 0), 1000);
  EXPECT_EQ(MixerVoiceStatus(again), VOICE_LOOPED);

  // A start without a free handle still plays, as a voice without handle.
  auto other = Level(5);
  EXPECT_EQ(MixerStartSound(other->p, 0, 0), 0);
  now += MIXER_START_DELAY_MS;
  EXPECT_EQ(Left(Step(), 0), 1005);
}

TEST_F(MixerCore, HandlesFromBeforeACloseDoNotReachTheNextOpen) {
  const int32_t h = MixerReserveVoice();
  MixerClose();
  EXPECT_EQ(MixerReserveVoice(), 0);
  EXPECT_EQ(MixerMakeSound(1, 16, 1, 44100, "\0\0", 0), nullptr);
  auto made = std::make_unique<StepDevice>();
  device = made.get();
  ASSERT_EQ(MixerOpen(std::move(made)), 0);
  const int32_t fresh = MixerReserveVoice();
  EXPECT_EQ(fresh & 4095, h & 4095);
  EXPECT_NE(fresh, h);
  EXPECT_EQ(MixerVoiceStatus(h), 0);
}

TEST_F(MixerCore, SoundShapesTheMixerCannotPlayAreRefused) {
  const int16_t frame[2] = {1, 2};
  EXPECT_EQ(MixerMakeSound(1, 24, 1, 44100, frame, 0), nullptr);
  EXPECT_EQ(MixerMakeSound(1, 16, 3, 44100, frame, 0), nullptr);
  EXPECT_EQ(MixerMakeSound(-1, 16, 1, 44100, frame, 0), nullptr);
  EXPECT_EQ(MixerMakeSound(1, 16, 1, 0, frame, 0), nullptr);
  EXPECT_EQ(MixerMakeSound(INT32_MAX, 16, 2, 44100, frame, 0), nullptr);
  // An empty sound finishes at once, looping or not.
  auto empty = std::make_unique<Data>(MixerMakeSound(0, 16, 1, 44100, nullptr, 1));
  ASSERT_NE(empty->p, nullptr);
  const int32_t h = MixerReserveVoice();
  Start(empty, h);
  EXPECT_EQ(Step()[0], 0);
  EXPECT_EQ(MixerVoiceStatus(h), VOICE_FINISHED);
}

TEST_F(MixerCore, MoreVoicesThanTheRingsHoldAreRefusedOrKeptNotLost) {
  // 600 frames: each batch sounds over two blocks, so two batches of 4096
  // voices play at once and 8192 finish in turn, more than the recycle ring
  // holds.
  auto tone = Sound16(std::vector<int16_t>(600, 1), 1, 44100);
  for (int32_t i = 0; i < 5000; ++i) MixerStartSound(tone->p, 0, 0);
  EXPECT_EQ(tone->Refs(), 1 + 4096) << "starts beyond the start queue's 4096 are refused";
  now += MIXER_START_DELAY_MS;
  EXPECT_EQ(Step()[0], 4096);
  for (int32_t i = 0; i < 4096; ++i) MixerStartSound(tone->p, 0, 0);
  now += MIXER_START_DELAY_MS;
  EXPECT_EQ(Step()[0], 8192);
  EXPECT_EQ(Step()[2 * 50], 4096);
  Step();
  EXPECT_EQ(tone->Refs(), 1);
  // Every voice comes back: 8192 more starts, and all of them play.
  for (int32_t round = 0; round < 2; ++round) {
    for (int32_t i = 0; i < 4096; ++i) MixerStartSound(tone->p, 0, 0);
    now += MIXER_START_DELAY_MS;
    EXPECT_EQ(Step()[0], 4096 * (round + 1));
  }
  Step();
  Step();
  EXPECT_EQ(tone->Refs(), 1);
}

}  // namespace
