// Timers: a 60 Hz timer whose tick count is polled turns a clock hand at the
// same speed whatever the frame rate; the ticks of a 4 Hz timer arrive as
// events in the event queue and step a light round a ring.
//   example_timer [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr double kDegrees = 3.14159265358979 / 180;

// Takes every queued event; the ticks of `timer` move `step` on, one
// position per tick (ticks queued meanwhile merge into one event whose data
// is the timer's tick count).
void TakeQueuedEvents(const Ref<TTimer>& timer, int32_t& step) {
  while (NextQueuedEvent() != 0) {
    if (TakenEventId() == EVENT_TIMERTICK && TakenEventSource() == timer) step = TakenEventData();
  }
}

void DrawScene(int32_t polledTicks, int32_t step, int32_t frames) {
  SetClearColor(16, 20, 28);
  ClearBackBuffer();

  // The clock hand: six degrees a tick. A 60 Hz timer ticks every 16 ms, so
  // that is a little more than one turn a second.
  SetDrawColor(60, 70, 90);
  FillEllipse(60, 100, 200, 200);
  SetDrawColor(255, 220, 120);
  SetDrawLineWidth(4);
  const double hand = polledTicks * 6 * kDegrees;
  DrawSegment(160, 200, 160 + 90 * static_cast<float>(std::sin(hand)), 200 - 90 * static_cast<float>(std::cos(hand)));
  SetDrawLineWidth(1);

  // The ring: eight lamps, the one lit moves with each 4 Hz tick event.
  for (int32_t i = 0; i < 8; ++i) {
    const double a = i * 45 * kDegrees;
    if (i == step % 8)
      SetDrawColor(120, 255, 140);
    else
      SetDrawColor(50, 80, 60);
    FillEllipse(470 + 80 * static_cast<float>(std::sin(a)) - 16, 200 - 80 * static_cast<float>(std::cos(a)) - 16, 32,
                32);
  }

  SetDrawColor(255, 255, 255);
  DrawString("60 Hz timer, polled", 40, 60);
  DrawString("TimerTickCount " + StringFromInt(polledTicks), 40, 330);
  DrawString("4 Hz timer, ticks as events", 360, 60);
  DrawString("EVENT_TIMERTICK data " + StringFromInt(step), 360, 330);
  DrawString("frames shown " + StringFromInt(frames) + ", clock " + StringFromInt(CurrentMillis()) + " ms", 40, 400);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: timer";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  // With no event of its own, a timer emits a fresh EVENT_TIMERTICK per tick.
  Ref<TTimer> smooth = NewTimer(60, nullptr);
  Ref<TTimer> stepper = NewTimer(4, nullptr);
  if (smooth == nullptr || stepper == nullptr) RuntimeError("cannot start the timers");
  int32_t step = 0;
  do {
    TakeQueuedEvents(stepper, step);
    DrawScene(TimerTickCount(smooth), step, run->FramesShown());
  } while (run->ShowFrame());
  // A running timer keeps itself alive; stopping it lets it go.
  HaltTimer(smooth);
  HaltTimer(stepper);
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
