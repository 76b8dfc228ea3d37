#include <algorithm>

#include "stream/internal/bank_fill.h"

namespace vtl {

namespace {

constexpr int32_t kUnknownStep = 64 * 1024;
constexpr int32_t kLargestStep = 1024 * 1024;

// What to ask the stream for next: no more than it reports left.
int32_t NextStep(TStream& stream, int32_t wanted) {
  const int32_t size = stream.Size(), pos = stream.Pos();
  const int32_t left = (size > 0 && pos >= 0 && pos < size) ? size - pos : kUnknownStep;
  return std::min({wanted, left, kLargestStep});
}

}  // namespace

int32_t FillBankFromStream(TBank& bank, TStream& stream, int32_t limit) {
  int32_t got = 0;
  while (got < limit && bank._size < INT32_MAX && !stream.Eof()) {
    const int32_t start = bank._size;
    const int32_t step = std::min(NextStep(stream, limit - got), INT32_MAX - start);
    bank.Resize(start + step);
    const int32_t n = stream.Read(bank._buf + start, step);
    bank.Resize(start + std::clamp(n, 0, step));
    if (n <= 0) break;
    got += n;
  }
  return got;
}

}  // namespace vtl
