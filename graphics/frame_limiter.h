/// \file
/// The soft-sync frame limiter: a schedule of frame times on the millisecond
/// clock that spreads the milliseconds left over by whole periods evenly over
/// each second (at 60 Hz: 16 ms, plus 1 ms on 40 of every 60 frames).
#pragma once

#include <cstdint>

namespace vtl {

/// The frame schedule. Times are CurrentMillis() values; the arithmetic
/// survives the clock wrapping.
struct TFrameRateLimiter {
  int32_t soft_sync = 0;    ///< True when FlipBuffers paces frames with this schedule.
  int32_t rate = 0;         ///< frames per second
  int32_t period = 0;       ///< whole milliseconds per frame
  int32_t remainder = 0;    ///< milliseconds per second not covered by whole periods
  int32_t accumulator = 0;  ///< counts up to `rate` to hand out the remainder
  int32_t next_frame = 0;   ///< clock time of the next frame

  /// Sets the schedule for `hertz` frames per second starting at `now`.
  void Start(int32_t hertz, int32_t now);
  /// Moves the schedule on by one frame and returns how long to sleep. When
  /// the frame is already late (result 0) the schedule restarts from `now`
  /// rather than hurrying to catch up.
  int32_t Advance(int32_t now);
};

}  // namespace vtl
