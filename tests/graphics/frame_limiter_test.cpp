#include <gtest/gtest.h>

#include <climits>

#include "graphics/frame_limiter.h"

namespace vtl {
namespace {

// Runs frames that each finish `work` ms after the previous flip and returns
// the clock after the last one.
int32_t RunFrames(TFrameRateLimiter& limiter, int32_t now, int frames, int32_t work) {
  for (int i = 0; i < frames; ++i) {
    now += work;
    now += limiter.Advance(now);
  }
  return now;
}

TEST(FrameLimiter, SixtyHertzSpreadsTheRemainderOverOneSecond) {
  TFrameRateLimiter limiter;
  limiter.Start(60, 5000);
  EXPECT_EQ(limiter.period, 16);
  EXPECT_EQ(limiter.remainder, 40);
  int extra = 0;
  int32_t now = 5000;
  for (int i = 0; i < 60; ++i) {
    const int32_t wait = limiter.Advance(now);
    extra += wait == 17;
    EXPECT_TRUE(wait == 16 || wait == 17);
    now += wait;
  }
  EXPECT_EQ(now, 6000);
  EXPECT_EQ(extra, 40);
}

TEST(FrameLimiter, LateFrameRestartsTheScheduleInsteadOfHurrying) {
  TFrameRateLimiter limiter;
  limiter.Start(60, 0);
  int32_t now = RunFrames(limiter, 0, 3, 2);
  now += 25 + 16;  // one frame ends 25 ms late
  EXPECT_EQ(limiter.Advance(now), 0);
  EXPECT_EQ(limiter.next_frame, now);
  // The following frames get their whole period again.
  const int32_t wait = limiter.Advance(now);
  EXPECT_GE(wait, 16);
}

TEST(FrameLimiter, SurvivesTheClockWrappingAround) {
  TFrameRateLimiter limiter;
  limiter.Start(60, INT_MAX - 10);
  const int32_t wait = limiter.Advance(INT_MAX - 10);
  EXPECT_EQ(wait, 16);
}

TEST(FrameLimiter, OddRatesNeverDivideByZero) {
  for (int32_t hertz : {0, 1, 7, 1000, 5000, -60}) {
    TFrameRateLimiter limiter;
    limiter.Start(hertz, 0);
    int32_t now = 0;
    for (int i = 0; i < 10; ++i) now += limiter.Advance(now);
    EXPECT_LE(now, 10 * 1000) << hertz;
  }
}

}  // namespace
}  // namespace vtl
