// The pixel test for two quads placed neither turned nor scaled: each is an
// upright rectangle whose mask maps onto it row for row, so the scan's
// answer can be read by comparing mask rows directly. Every number here is
// computed the way the scan computes it (collision_scan.cpp), so that both
// give the same answer for every placement, fractional ones included.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "graphics/collision.h"
#include "graphics/internal/collision_scan.h"

namespace vtl {

namespace {

// Up to this span width a column's texel is exactly its distance from the
// span's left end when the span is as wide as the mask: the rounding of
// u = (i + 0.5) * (1 / width) stays far below half a column (checked for
// every width up to here, and far beyond).
constexpr int64_t kExactColumnsUpTo = 4096;

// One quad as the scan sees it when it is an upright rectangle: lines top to
// bottom - 1 and pixels left to right - 1 on each, the mask rows reached by
// stepping v down the lines, and the mask columns across each line.
struct UprightQuad {
  enum Kind { kSolid, kMasked, kNever } kind = kSolid;
  int32_t top = 0, bottom = 0;
  int64_t left = 0, right = 0;
  // v on the current line and its step per line, as the scan's left edge
  // carries them; the right edge carries the same values.
  float v = 0, v_step = 0;
  int32_t line = 0;
  // u across a line: 0 at the left end, 1 at the right, stepped per pixel.
  float du = 0;
  bool exact_columns = false;
  const uint8_t* alpha = nullptr;  // alpha of the mask's first pixel
  int32_t width = 0, height = 0, bytes = 0;
  int64_t pitch = 0;

  // Moves v down to line y (not above the current line).
  void StepTo(int32_t y) {
    for (; line < y; ++line) v += v_step;
  }
  // The alpha of the mask row under the current line.
  const uint8_t* Row() const { return alpha + Texel(v, height) * pitch; }
  // The mask column under pixel x of the current line.
  int64_t Column(int64_t x) const {
    if (exact_columns) return x - left;
    const float k = static_cast<float>(x - left) + 0.5f;
    return Texel(0.0f + k * du, width);
  }
  bool Opaque(const uint8_t* row, int64_t x) const { return kind == kSolid || (row[Column(x) * bytes] & 0x80) != 0; }

  static int64_t Texel(float t, int32_t size) {
    if (!(t >= 0)) t = 0;
    if (t > 1) t = 1;
    return std::min<int64_t>(static_cast<int64_t>(t * static_cast<float>(size)), size - 1);
  }
};

bool Within(float v) { return std::fabs(v) <= CollisionCoordinateLimit; }

// True when quad's vertices are those of an upright rectangle, top-left
// first, clockwise, with the mask's corners at its own and an area the scan
// does not take for a mirrored one; then fills upright.
bool MakeUpright(const TQuad& quad, UprightQuad& upright) {
  if (!quad.xyuv || quad.xyuv->Length() != 16) return false;
  const float* d = quad.xyuv->Data();
  const float x0 = d[0], y0 = d[1], x1 = d[4], y1 = d[9];
  const bool rectangle = d[5] == y0 && d[8] == x1 && d[13] == y1 && d[12] == x0;
  const bool corners =
      d[2] == 0 && d[3] == 0 && d[6] == 1 && d[7] == 0 && d[10] == 1 && d[11] == 1 && d[14] == 0 && d[15] == 1;
  if (!rectangle || !corners || !(x0 < x1 && y0 < y1) || !Within(x0) || !Within(x1) || !Within(y0) || !Within(y1))
    return false;
  // The scan reverses a polygon whose turns all truncate to 0 or more; both
  // turns of this one are -(width * height).
  if (!((x1 - x0) * (y1 - y0) >= 1)) return false;

  upright.top = static_cast<int32_t>(y0);
  upright.bottom = static_cast<int32_t>(y1);
  upright.left = static_cast<int64_t>(x0);
  upright.right = static_cast<int64_t>(x1);
  upright.line = upright.top;
  const int32_t lines = upright.bottom - upright.top;
  if (lines >= 1) {
    upright.v_step = (d[15] - d[3]) / static_cast<float>(lines);
    upright.v = d[3] + upright.v_step * 0.5f;
  }
  const int64_t span = upright.right - upright.left;
  const Ref<TPixmap>& mask = quad.mask;
  if (!mask || !IsPixelFormat(mask->format) || AlphaBitsPerPixel[mask->format] == 0) {
    upright.kind = UprightQuad::kSolid;
    return true;
  }
  if (span < 1 || !mask->pixels || mask->width <= 0 || mask->height <= 0) {
    upright.kind = UprightQuad::kNever;
    return true;
  }
  upright.kind = UprightQuad::kMasked;
  upright.width = mask->width;
  upright.height = mask->height;
  upright.bytes = BytesPerPixel[mask->format];
  upright.pitch = mask->pitch;
  upright.alpha = mask->pixels + upright.bytes - 1;  // every alpha format keeps alpha last
  upright.du = (d[10] - d[2]) / static_cast<float>(span);
  upright.exact_columns = span == upright.width && span <= kExactColumnsUpTo;
  return true;
}

// Whether pixels first to first + count - 1 of two rows of four-byte pixels
// are both opaque anywhere: alpha is the last byte of each pixel.
bool RowsMeet4(const uint8_t* a, const uint8_t* b, int64_t count) {
  const uint8_t top_bit[4] = {0, 0, 0, 0x80};
  uint32_t opaque;
  std::memcpy(&opaque, top_bit, 4);
  uint32_t both = 0;
  for (int64_t i = 0; i < count; ++i) {
    uint32_t pa, pb;
    std::memcpy(&pa, a + i * 4, 4);
    std::memcpy(&pb, b + i * 4, 4);
    both |= pa & pb;
  }
  return (both & opaque) != 0;
}

}  // namespace

bool UprightQuadsOverlap(const TQuad& a, const TQuad& b, int32_t& overlap) {
  UprightQuad p, q;
  if (!MakeUpright(a, p) || !MakeUpright(b, q)) return false;
  overlap = 0;
  const int32_t first = std::max(p.top, q.top), last = std::min(p.bottom, q.bottom);
  const int64_t begin = std::max(p.left, q.left), end = std::min(p.right, q.right);
  if (first >= last || begin >= end || p.kind == UprightQuad::kNever || q.kind == UprightQuad::kNever) return true;
  if (p.kind == UprightQuad::kSolid && q.kind == UprightQuad::kSolid) {
    overlap = 1;
    return true;
  }
  const bool rows4 = p.kind == UprightQuad::kMasked && q.kind == UprightQuad::kMasked && p.exact_columns &&
                     q.exact_columns && p.bytes == 4 && q.bytes == 4;
  for (int32_t y = first; y < last; ++y) {
    p.StepTo(y);
    q.StepTo(y);
    const uint8_t* row_p = p.kind == UprightQuad::kMasked ? p.Row() : nullptr;
    const uint8_t* row_q = q.kind == UprightQuad::kMasked ? q.Row() : nullptr;
    if (rows4) {
      // Both alpha bytes sit at the same place in their pixels.
      if (RowsMeet4(row_p - 3 + (begin - p.left) * 4, row_q - 3 + (begin - q.left) * 4, end - begin)) overlap = 1;
    } else {
      for (int64_t x = begin; x < end && !overlap; ++x) overlap = p.Opaque(row_p, x) && q.Opaque(row_q, x);
    }
    if (overlap) return true;
  }
  return true;
}

}  // namespace vtl
