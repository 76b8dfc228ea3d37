#include "graphics/frame_limiter.h"

namespace vtl {

void TFrameRateLimiter::Start(int32_t hertz, int32_t now) {
  rate = hertz;
  period = hertz != 0 ? 1000 / hertz : 0;
  remainder = 1000 - period * rate;
  accumulator = 0;
  next_frame = now;
}

int32_t TFrameRateLimiter::Advance(int32_t now) {
  // Unsigned arithmetic: the clock wraps around and the differences stay right.
  next_frame = static_cast<int32_t>(static_cast<uint32_t>(next_frame) + static_cast<uint32_t>(period));
  accumulator += remainder;
  if (rate > 0 && accumulator >= rate) {
    accumulator -= rate;
    next_frame = static_cast<int32_t>(static_cast<uint32_t>(next_frame) + 1u);
  }
  int32_t wait = static_cast<int32_t>(static_cast<uint32_t>(next_frame) - static_cast<uint32_t>(now));
  if (wait > 0) return wait;
  next_frame = now;
  return 0;
}

}  // namespace vtl
