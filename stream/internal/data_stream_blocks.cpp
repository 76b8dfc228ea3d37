#include "stream/internal/data_stream_blocks.h"

#include <algorithm>
#include <cstring>

namespace vtl {

int32_t TDataStream::Blocks::Take(void* to, int32_t count) {
  const int32_t n = std::min(count, Left());
  if (n <= 0) return 0;
  std::memcpy(to, ahead.get() + begin, static_cast<size_t>(n));
  begin += n;
  return n;
}

bool TDataStream::Blocks::Fill(TStream& from, int32_t need) {
  if (!ahead) ahead = std::make_unique<uint8_t[]>(kMostAhead);
  const int32_t left = Left();
  if (begin > 0) {
    std::memmove(ahead.get(), ahead.get() + begin, static_cast<size_t>(left));
    begin = 0;
    end = left;
  }
  // Never past the stream's end: nothing that is not there is waited for.
  const int32_t pos = from.Pos();
  const int32_t size = from.Size();
  const int64_t there = pos >= 0 && size > pos ? static_cast<int64_t>(size) - pos : 0;
  const int64_t want = std::min<int64_t>({std::max(need - left, chunk), kMostAhead - left, there});
  int32_t got = 0;
  while (got < want) {
    const int32_t n = from.Read(ahead.get() + end + got, static_cast<int32_t>(want - got));
    if (n <= 0) break;
    got += static_cast<int32_t>(std::min<int64_t>(n, want - got));
  }
  end += got;
  chunk = std::min(chunk * 2, kMostAhead);
  return Left() >= need;
}

void TDataStream::Blocks::Put(const void* bytes, int32_t count) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  behind.insert(behind.end(), p, p + count);
}

}  // namespace vtl
