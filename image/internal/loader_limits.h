// Limits every loader applies before it allocates a pixmap for a file, so
// that a header alone cannot ask for an absurd amount of memory.
#pragma once

#include <cstdint>

namespace vtl {

class TStream;

// Largest width or height a loader accepts.
constexpr int32_t kMaxLoadedSide = 16384;

// The most bytes the loader chain reads into memory from a stream that cannot
// seek: an uncompressed picture of the largest side at 4 bytes a pixel, with
// 1/64 more for headers, palettes and run-length packets.
constexpr int32_t kMaxBufferedFileBytes = kMaxLoadedSide * kMaxLoadedSide * 4 + kMaxLoadedSide * kMaxLoadedSide / 16;

// True when a width x height pixmap of bytesPerPixel is one a loader may
// allocate: both sides from 1 to kMaxLoadedSide, and, when the stream knows
// its size, no more than `expansion` times the bytes still unread (with a
// floor of 16 MB, so that small pictures never depend on the guess).
// `expansion` is the most output bytes one input byte can yield in the format.
bool LoadedSizeAllowed(TStream& stream, int64_t width, int64_t height, int32_t bytesPerPixel, int64_t expansion);

}  // namespace vtl
