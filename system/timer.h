/// \file
/// Time: the millisecond clock, sleeping, date and time text, and periodic
/// timers whose ticks arrive on the main thread as events.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "system/event.h"

namespace vtl {

/// A periodic timer. Its ticks come from a timer thread and are fired on the
/// main thread, by the pump, every whole-millisecond period (1000 / hertz,
/// truncated). A running timer holds itself, so it lives until stopped.
class TTimer : public Object {
 public:
  int32_t _ticks = 0;   ///< Ticks fired so far.
  int32_t _wticks = 0;  ///< _ticks as the last Wait saw it.
  Ref<TTimer> _cycle;   ///< the timer itself while it runs
  Ref<TEvent> _event;   ///< emitted on each tick, or Null for a fresh "TimerTick"
  int32_t _handle = 0;  ///< The glue's id; 0 once stopped.

  /// Ticks fired so far.
  virtual int32_t Ticks();
  /// Stops the ticks and lets go of the event and of the timer's hold on
  /// itself; the count stays. Stopping again does nothing.
  virtual void Stop();
  /// One tick, on the main thread.
  virtual void Fire();
  /// Ticks since the previous Wait (at least 1), 0 when stopped. Waits for
  /// desktop activity until a tick has come; called from inside a pump it
  /// returns what has come so far.
  virtual int32_t Wait();

  /// A running timer, or the Null object (16 running, or a period under 1 ms).
  static Ref<TTimer> Create(float hertz, const Ref<TEvent>& event);
};

/// TTimer::Create.
Ref<TTimer> NewTimer(float hertz, const Ref<TEvent>& event);
/// TTimer::Ticks.
int32_t TimerTickCount(const Ref<TTimer>& timer);
/// TTimer::Wait.
int32_t AwaitTimerTicks(const Ref<TTimer>& timer);
/// TTimer::Stop.
void HaltTimer(const Ref<TTimer>& timer);

/// Timer glue. StartDesktopTimer gives the id of a new periodic timer thread
/// entry (0 on failure); ids are never reused.
int32_t StartDesktopTimer(float hertz, TTimer* timer);
/// Ends the timer thread's entry; a tick already posted is then ignored.
void StopDesktopTimer(int32_t id);
/// The main-thread half of a tick: fires the timer if the id still runs.
void DeliverTimerTick(TTimer* timer, int32_t id);

/// Milliseconds since the program started; wraps as a signed 32-bit int.
int32_t CurrentMillis();
/// Negative: no wait; 0: yield the rest of the time slice.
void SleepMillis(int32_t ms);
/// "08 Mar 2026" (English month names whatever the locale).
String DateText();
/// "14:30:00".
String TimeText();

/// Called once by InitSystem, after the system driver.
void InitTimers();

}  // namespace vtl
