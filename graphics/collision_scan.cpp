// The pixel test under the collisions: polygons scan-converted together,
// line by line, and the spans of a line compared pixel by pixel.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/collision.h"
#include "graphics/internal/collision_scan.h"

namespace vtl {

namespace {

// Only the sign of the truncated value matters; truncating a float that does
// not fit an int would be undefined, so the sign is read off directly.
int32_t TruncatedSign(float v) {
  if (v >= 1) return 1;
  if (v <= -1) return -1;
  return 0;  // also for a value that is not a number
}

int32_t TurnSign(const float* p0, const float* p1, const float* p2) {
  return TruncatedSign((p2[0] - p1[0]) * (p1[1] - p0[1]) - (p1[0] - p0[0]) * (p2[1] - p1[1]));
}

// Truncation toward zero for span ends, which callers of SpanOverlapTest may
// fill with anything: held to +-2^30 and 0 for a value that is not a number.
int64_t SpanEnd(float v) {
  if (!(v == v)) return 0;
  return static_cast<int64_t>(std::clamp(v, -1073741824.0f, 1073741824.0f));
}

bool InsideCoordinateLimit(const float* data, int32_t count, int32_t channels) {
  for (int32_t k = 0; k < count; ++k) {
    const float* v = data + static_cast<size_t>(k) * channels;
    if (!(std::fabs(v[0]) <= CollisionCoordinateLimit && std::fabs(v[1]) <= CollisionCoordinateLimit)) return false;
  }
  return true;
}

// y of the vertex at an offset, truncated; vertices lie within the limit.
int32_t LineOf(const rpoly& p, int32_t offset) { return static_cast<int32_t>(p.data->Data()[offset + 1]); }

// Scan polygons kept between scans, so that testing quads makes no new
// objects. Main thread only.
constexpr size_t kSparePolygons = 16;

std::vector<Ref<rpoly>>& SparePolygons() {
  static auto* spares = [] {
    auto* v = new std::vector<Ref<rpoly>>();
    v->reserve(kSparePolygons);
    return v;
  }();
  return *spares;
}

// A polygon whose arrays hold channels and size floats.
Ref<rpoly> TakePolygon(int32_t channels, int32_t size) {
  std::vector<Ref<rpoly>>& spares = SparePolygons();
  for (auto it = spares.begin(); it != spares.end(); ++it) {
    if ((*it)->channels != channels || (*it)->size != size) continue;
    Ref<rpoly> p = std::move(*it);
    spares.erase(it);
    return p;
  }
  auto p = New<rpoly>();
  p->channels = channels;
  p->size = size;
  p->data = NewArray<float>({size});
  p->ldat = NewArray<float>({channels});
  p->ladd = NewArray<float>({channels});
  p->rdat = NewArray<float>({channels});
  p->radd = NewArray<float>({channels});
  return p;
}

// Polygons go back to the spares when the scan ends, unless a callback kept one.
struct ScanPolygonsGoBack {
  std::vector<Ref<rpoly>>& scan;
  ~ScanPolygonsGoBack() {
    std::vector<Ref<rpoly>>& spares = SparePolygons();
    for (Ref<rpoly>& p : scan) {
      if (p->RefCount() != 1 || spares.size() >= kSparePolygons) continue;
      p->texture = nullptr;
      spares.push_back(std::move(p));
    }
  }
};

Ref<rpoly> MakeScanPolygon(const Ref<Array<float>>& vertices, int32_t channels, const Ref<TPixmap>& mask) {
  if (!vertices || channels < 2) return nullptr;
  const int32_t count = vertices->Length() / channels;
  if (count == 0 || !InsideCoordinateLimit(vertices->Data(), count, channels)) return nullptr;
  Ref<rpoly> p = TakePolygon(channels, count * channels);
  p->texture = mask;
  p->count = count;
  p->state = 0;
  std::copy_n(vertices->Data(), p->size, p->data->Data());
  OrientPolygon(p->data, channels);
  p->top = LineOf(*p, 0);
  p->Left = p->Right = 0;
  for (int32_t offset = channels; offset < p->size; offset += channels) {
    if (LineOf(*p, offset) < p->top) {
      p->top = LineOf(*p, offset);
      p->Left = p->Right = offset;
    }
  }
  return p;
}

int32_t BottomOf(const rpoly& p) {
  int32_t bottom = p.top;
  for (int32_t offset = 0; offset < p.size; offset += p.channels) bottom = std::max(bottom, LineOf(p, offset));
  return bottom;
}

// Sets up the edge that starts where the left (step -channels) or right
// (step +channels) edge ended: from that vertex, passes every vertex already
// reached by line y. False when the walk comes back to where it began, or
// the edge it finds spans no line: the polygon is finished.
bool StartEdge(rpoly& p, int32_t y, bool left) {
  const float* d = p.data->Data();
  int32_t& end = left ? p.Left : p.Right;
  const int32_t start = end;
  int32_t passed = start, stop = start;
  for (;;) {
    int32_t next = left ? passed - p.channels : passed + p.channels;
    if (next < 0) next = p.size - p.channels;
    if (next >= p.size) next = 0;
    if (next == start) break;
    if (LineOf(p, next) > y) {
      stop = next;
      break;
    }
    passed = next;
  }
  const int32_t lines = LineOf(p, stop) - LineOf(p, passed);
  if (stop == start || lines < 1) return false;
  float* dat = (left ? p.ldat : p.rdat)->Data();
  float* add = (left ? p.ladd : p.radd)->Data();
  for (int32_t c = 0; c < p.channels; ++c) {
    add[c] = (d[stop + c] - d[passed + c]) / static_cast<float>(lines);
    dat[c] = d[passed + c] + add[c] * 0.5f;
  }
  end = stop;
  return true;
}

// Reads a polygon's mask across its span on one scanline.
struct SpanReader {
  enum Kind { kSolid, kMasked, kNever } kind = kSolid;
  const uint8_t* pixels = nullptr;
  int32_t width = 0, height = 0, bytes = 0;
  int64_t pitch = 0;
  int64_t left = 0;  // first pixel of the span
  float u = 0, v = 0, du = 0, dv = 0;

  SpanReader(const rpoly& p, int64_t first, int64_t last) {
    const Ref<TPixmap>& mask = p.texture;
    if (!mask) return;
    const int32_t format = mask->format;
    if (!IsPixelFormat(format) || AlphaBitsPerPixel[format] == 0) return;  // no alpha: solid
    kind = kNever;
    if (p.channels < 4 || last - first < 1 || !mask->pixels || mask->width <= 0 || mask->height <= 0) return;
    kind = kMasked;
    pixels = mask->pixels;
    width = mask->width;
    height = mask->height;
    pitch = mask->pitch;
    bytes = BytesPerPixel[format];
    left = first;
    const float span = static_cast<float>(last - first);
    u = (*p.ldat)[2];
    v = (*p.ldat)[3];
    du = ((*p.rdat)[2] - u) / span;
    dv = ((*p.rdat)[3] - v) / span;
  }

  // Adds 1 to opaque[i] for each pixel first + i, i below count, that is
  // opaque. u and v are taken at the pixel's centre from the span's own
  // start, so a screen pixel reads the same texel whichever span it is
  // compared with.
  void Mark(int64_t first, int32_t count, uint8_t* opaque) const {
    if (kind == kNever) return;
    if (kind == kSolid) {
      for (int32_t i = 0; i < count; ++i) ++opaque[i];
      return;
    }
    // Every alpha format keeps alpha in the last byte of a pixel.
    const uint8_t* alpha = pixels + bytes - 1;
    for (int32_t i = 0; i < count; ++i) {
      const float k = static_cast<float>(first + i - left) + 0.5f;
      const int64_t column = Texel(u + k * du, width), row = Texel(v + k * dv, height);
      opaque[i] += alpha[row * pitch + column * bytes] >> 7;
    }
  }

  // The column (or row) of a coordinate clamped into 0 .. 1; 1 reads the last.
  static int64_t Texel(float t, int32_t size) {
    if (!(t >= 0)) t = 0;
    if (t > 1) t = 1;
    return std::min<int64_t>(static_cast<int64_t>(t * static_cast<float>(size)), size - 1);
  }
};

}  // namespace

int32_t OrientPolygon(const Ref<Array<float>>& xy, int32_t channels) {
  if (!xy || channels < 2) return 0;
  const int32_t count = xy->Length() / channels;
  float* d = xy->Data();
  for (int32_t i = 2; i < count; ++i) {
    if (TurnSign(d, d + static_cast<size_t>(i - 1) * channels, d + static_cast<size_t>(i) * channels) < 0) return 0;
  }
  for (int32_t i = 0, j = count - 1; i < j; ++i, --j)
    std::swap_ranges(d + static_cast<size_t>(i) * channels, d + static_cast<size_t>(i + 1) * channels,
                     d + static_cast<size_t>(j) * channels);
  return 1;
}

int32_t ScanPolygons(const Ref<Array<Ref<Array<float>>>>& polygons, const Ref<Array<int32_t>>& channels,
                     const Ref<Array<Ref<TPixmap>>>& masks, const ScanCallback& callback) {
  return ScanPolygonsTogether(polygons, channels, masks, callback, 1);
}

int32_t ScanPolygonsTogether(const Ref<Array<Ref<Array<float>>>>& polygons, const Ref<Array<int32_t>>& channels,
                             const Ref<Array<Ref<TPixmap>>>& masks, const ScanCallback& callback, int32_t together) {
  if (!polygons || !channels || !callback) return 0;
  std::vector<Ref<rpoly>> scan;
  ScanPolygonsGoBack go_back{scan};
  int32_t first = 0, last = 0;
  const int32_t n = std::min(polygons->Length(), channels->Length());
  for (int32_t k = 0; k < n; ++k) {
    Ref<TPixmap> mask = masks && k < masks->Length() ? (*masks)[k] : nullptr;
    Ref<rpoly> p = MakeScanPolygon((*polygons)[k], (*channels)[k], mask);
    if (!p) continue;
    const int32_t bottom = BottomOf(*p);
    first = scan.empty() ? p->top : std::min(first, p->top);
    last = scan.empty() ? bottom : std::max(last, bottom);
    scan.push_back(std::move(p));
  }
  auto active = NewArray<Ref<rpoly>>({static_cast<int32_t>(scan.size())});
  int32_t active_count = 0, result = 0;
  auto still_to_come = static_cast<int32_t>(scan.size());  // not finished yet
  auto finish = [&](const Ref<rpoly>& p) {
    if (p->state == 1) {
      Ref<rpoly>* a = active->Data();
      Ref<rpoly>* at = std::find(a, a + active_count, p);
      std::move(at + 1, a + active_count, at);
      a[--active_count] = nullptr;
    }
    p->state = 2;
    --still_to_come;
  };
  for (int32_t y = first; y < last && still_to_come >= together;) {
    for (const Ref<rpoly>& p : scan) {
      if (p->state == 2 || (p->state == 0 && y < p->top)) continue;
      const bool left = y >= LineOf(*p, p->Left), right = y >= LineOf(*p, p->Right);
      if ((left && !StartEdge(*p, y, true)) || (right && !StartEdge(*p, y, false))) {
        finish(p);
        continue;
      }
      if (p->state == 0) {
        p->state = 1;
        (*active)[active_count++] = p;
      }
    }
    if (active_count == 0) {
      // Nothing happens until the next polygon is reached.
      int32_t next = last;
      for (const Ref<rpoly>& p : scan)
        if (p->state == 0) next = std::min(next, p->top);
      y = std::max(next, y + 1);
      continue;
    }
    if (active_count >= together) {
      result = callback(active, active_count, y);
      if (result < 0) return result;
    }
    for (int32_t k = 0; k < active_count; ++k) {
      rpoly& p = *(*active)[k];
      for (int32_t c = 0; c < p.channels; ++c) {
        p.ldat->Data()[c] += p.ladd->Data()[c];
        p.rdat->Data()[c] += p.radd->Data()[c];
      }
    }
    ++y;
  }
  return result;
}

int32_t SpanOverlapTest(const Ref<Array<Ref<rpoly>>>& active, int32_t count, int32_t) {
  if (!active) return 0;
  count = std::min(count, active->Length());
  if (count < 2) return 0;
  auto span = [](const rpoly& p, int64_t& left, int64_t& right) {
    left = SpanEnd((*p.ldat)[0]);
    right = SpanEnd((*p.rdat)[0]);
  };
  int64_t left0, right0, left1, right1;
  span(*(*active)[0], left0, right0);
  span(*(*active)[1], left1, right1);
  const int64_t begin = std::max(left0, left1), end = std::min(right0, right1);
  if (end - begin <= 0) return 0;
  static std::vector<SpanReader> readers;  // main thread only, kept to save allocations
  readers.clear();
  for (int32_t k = 0; k < count; ++k) {
    const rpoly& p = *(*active)[k];
    int64_t left, right;
    span(p, left, right);
    readers.emplace_back(p, left, right);
  }
  // Counts of opaque polygons per pixel, a piece of the overlap at a time.
  constexpr int32_t kPiece = 256;
  uint8_t opaque[kPiece];
  for (int64_t first = begin; first < end; first += kPiece) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(kPiece, end - first));
    std::fill_n(opaque, n, uint8_t{0});
    for (const SpanReader& reader : readers) {
      reader.Mark(first, n, opaque);
      if (std::any_of(opaque, opaque + n, [](uint8_t c) { return c >= 2; })) return -1;
    }
  }
  return 0;
}

}  // namespace vtl
