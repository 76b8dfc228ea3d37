#include "audio/internal/wav_limits.h"

#include <algorithm>

#include "stream/stream.h"

namespace vtl {

int64_t UnreadBytes(TStream& stream) {
  const int32_t size = stream.Size(), pos = stream.Pos();
  if (size <= 0 || pos < 0) return -1;
  return size > pos ? int64_t{size} - pos : 0;
}

int64_t BelievedDataBytes(TStream& stream, int64_t announced) {
  if (announced <= kAlwaysBelievedDataBytes) return announced;
  // A stream that cannot tell its size gets the floor only.
  return std::min(announced, std::max(kAlwaysBelievedDataBytes, UnreadBytes(stream)));
}

}  // namespace vtl
