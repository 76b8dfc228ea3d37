#include "image/internal/loader_limits.h"

#include "stream/stream.h"

namespace vtl {

bool LoadedSizeAllowed(TStream& stream, int64_t width, int64_t height, int32_t bytesPerPixel, int64_t expansion) {
  if (width < 1 || height < 1 || width > kMaxLoadedSide || height > kMaxLoadedSide) return false;
  const int64_t bytes = width * height * bytesPerPixel;
  constexpr int64_t kAlwaysAllowed = int64_t{1} << 24;
  if (bytes <= kAlwaysAllowed) return true;
  const int32_t size = stream.Size(), pos = stream.Pos();
  if (size <= 0 || pos < 0) return true;  // a stream that cannot tell: only the side limit applies
  const int64_t unread = size > pos ? size - pos : 0;
  return bytes <= unread * expansion;
}

}  // namespace vtl
