// Time: the millisecond clock, sleeping, date and time text, and periodic
// timers whose ticks arrive on the main thread as events.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "system/event.h"

namespace vtl {

class TTimer : public Object {
 public:
  int32_t _ticks = 0;
  int32_t _wticks = 0;
  Ref<TTimer> _cycle;  // the timer itself while it runs
  Ref<TEvent> _event;  // emitted on each tick, or Null for a fresh "TimerTick"
  int32_t _handle = 0;

  virtual int32_t Ticks();
  virtual void Stop();
  // One tick, on the main thread.
  virtual void Fire();
  // Ticks since the previous Wait (at least 1), 0 when stopped.
  virtual int32_t Wait();

  // A running timer, or the Null object (16 running, or a period under 1 ms).
  static Ref<TTimer> Create(float hertz, const Ref<TEvent>& event);
};

Ref<TTimer> NewTimer(float hertz, const Ref<TEvent>& event);
int32_t TimerTickCount(const Ref<TTimer>& timer);
int32_t AwaitTimerTicks(const Ref<TTimer>& timer);
void HaltTimer(const Ref<TTimer>& timer);

// Timer glue. StartDesktopTimer gives the id of a new periodic timer thread
// entry (0 on failure); ids are never reused.
int32_t StartDesktopTimer(float hertz, TTimer* timer);
void StopDesktopTimer(int32_t id);
// The main-thread half of a tick: fires the timer if the id still runs.
void DeliverTimerTick(TTimer* timer, int32_t id);

// Milliseconds since the program started; wraps as a signed 32-bit int.
int32_t CurrentMillis();
// Negative: no wait; 0: yield the rest of the time slice.
void SleepMillis(int32_t ms);
// "08 Mar 2026" (English month names whatever the locale).
String DateText();
// "14:30:00".
String TimeText();

// Called once by InitSystem, after the system driver.
void InitTimers();

}  // namespace vtl
