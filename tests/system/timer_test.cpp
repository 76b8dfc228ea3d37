// Timers, the clock and the date and time texts.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "runtime/runtime.h"
#include "tests/system/system_test_support.h"

namespace {

using vtl::Ref;
using vtl::TTimer;

TEST(Timers, SixtyHertzDeliversAboutSixtyTwoTicksOnTheMainThread) {
  systest::ResetInput();
  auto timer = vtl::NewTimer(60.0f, nullptr);
  ASSERT_TRUE(timer != nullptr);
  int32_t start = vtl::CurrentMillis();
  while (vtl::CurrentMillis() - start < 1000) vtl::AwaitSystemEvents();
  vtl::PumpSystemEvents();
  int32_t ticks = vtl::TimerTickCount(timer);
  vtl::HaltTimer(timer);
  EXPECT_GE(ticks, 60);
  EXPECT_LE(ticks, 65);
  // Each tick was emitted as it arrived (here, on the main thread); the
  // queue merged them into one event carrying the latest count.
  int emitted = 0;
  int32_t lastCount = 0;
  for (const auto& e : systest::Recorded()) {
    if (e->id != vtl::EVENT_TIMERTICK) continue;
    ++emitted;
    EXPECT_EQ(e->data, lastCount + 1);
    EXPECT_TRUE(e->source == timer);
    lastCount = e->data;
  }
  EXPECT_EQ(emitted, ticks);
  ASSERT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_TIMERTICK);
  EXPECT_EQ(vtl::TakenEventData(), ticks);
  EXPECT_EQ(vtl::NextQueuedEvent(), 0);
}

TEST(Timers, RefusedRatesAndTheSeventeenthTimer) {
  EXPECT_TRUE(TTimer::Create(2000.0f, nullptr) == nullptr);  // 0 ms period
  EXPECT_TRUE(TTimer::Create(0.0f, nullptr) == nullptr);
  EXPECT_TRUE(TTimer::Create(-10.0f, nullptr) == nullptr);
  EXPECT_TRUE(TTimer::Create(1e-12f, nullptr) == nullptr);  // beyond any int period
  std::vector<Ref<TTimer>> timers;
  for (int i = 0; i < 16; ++i) {
    timers.push_back(TTimer::Create(1.0f, nullptr));
    ASSERT_TRUE(timers.back() != nullptr) << i;
  }
  EXPECT_TRUE(TTimer::Create(1.0f, nullptr) == nullptr);
  timers.back()->Stop();
  EXPECT_TRUE(timers.back()->_handle == 0);
  auto again = TTimer::Create(1.0f, nullptr);
  EXPECT_TRUE(again != nullptr);
  again->Stop();
  for (auto& t : timers) t->Stop();
}

TEST(Timers, TicksPostedBeforeStopChangeNothing) {
  systest::ResetInput();
  auto timer = TTimer::Create(200.0f, nullptr);
  ASSERT_TRUE(timer != nullptr);
  vtl::SleepMillis(60);  // ticks wait, posted, in the desktop queue
  timer->Stop();
  vtl::PumpSystemEvents();
  EXPECT_EQ(timer->Ticks(), 0);
  EXPECT_EQ(timer->Wait(), 0);
  for (const auto& e : systest::Recorded()) EXPECT_NE(e->id, vtl::EVENT_TIMERTICK);
}

TEST(Timers, UserEventIsReEmittedAndWaitCountsTicks) {
  systest::ResetInput();
  auto event = vtl::MakeEvent(vtl::ReserveUserEventId(), nullptr, 9, 0, 0, 0, nullptr);
  auto timer = TTimer::Create(100.0f, event);
  ASSERT_TRUE(timer != nullptr);
  vtl::SleepMillis(45);
  int32_t n = timer->Wait();
  EXPECT_GE(n, 3);
  EXPECT_EQ(timer->Ticks(), n);
  EXPECT_GE(timer->Wait(), 1);
  timer->Stop();
  int same = 0;
  for (const auto& e : systest::RecordedOriginals()) same += e == event;
  EXPECT_EQ(same, timer->Ticks());
  EXPECT_EQ(event->data, 9);
}

TEST(Timers, RunningTimerLivesWithoutReferences) {
  systest::ResetInput();
  TTimer* raw = nullptr;
  {
    auto timer = TTimer::Create(100.0f, nullptr);
    raw = timer.Get();
  }
  EXPECT_EQ(raw->RefCount(), 1);  // its own _cycle
  int32_t start = vtl::CurrentMillis();
  while (raw->Ticks() < 2 && vtl::CurrentMillis() - start < 2000) vtl::AwaitSystemEvents();
  EXPECT_GE(raw->Ticks(), 2);
  raw->Stop();  // frees it
  while (vtl::NextQueuedEvent() != 0) {
  }
}

TEST(Time, ClockStartsNearZeroAndSleeps) {
  int32_t now = vtl::CurrentMillis();
  EXPECT_GE(now, 0);
  EXPECT_LT(now, 10 * 60 * 1000);  // counts from program start, not from boot
  vtl::SleepMillis(-5);
  vtl::SleepMillis(0);
  EXPECT_LT(vtl::CurrentMillis() - now, 20);
  vtl::SleepMillis(50);
  EXPECT_GE(vtl::CurrentMillis() - now, 50);
}

TEST(Time, DateAndTimeTextsAreFixedFormats) {
  std::string date = vtl::DateText().ToUtf8();
  std::string time = vtl::TimeText().ToUtf8();
  EXPECT_TRUE(
      std::regex_match(date, std::regex("[0-3][0-9] (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4}")))
      << date;
  EXPECT_TRUE(std::regex_match(time, std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"))) << time;
}

}  // namespace
