#include "image/pixel_format.h"

#include <cstring>

#include "runtime/numeric.h"

namespace vtl {

int32_t BytesPerPixel[13] = {0, 1, 1, 3, 3, 4, 4, 1, 1, 1, 1, 1, 1};
int32_t AlphaBitsPerPixel[13] = {0, 0, 8, 0, 0, 8, 8, 0, 0, 0, 8, 0, 0};

namespace {

using RowFn = void (*)(const uint8_t* s, uint8_t* d, int32_t n);

// Hub pixels are R, G, B, A in memory. A 32-bit load on this little-endian
// machine (runtime/numeric.h) puts R in the low byte.
inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint32_t Hub(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; }
// Swaps the first and third byte: BGRA <-> RGBA.
inline uint32_t SwapRedBlue(uint32_t v) { return (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16; }

void ZeroToHub(const uint8_t*, uint8_t* d, int32_t n) { std::memset(d, 0, static_cast<size_t>(n) * 4); }

void Grey8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(s[i], s[i], s[i], 255));
}
void Alpha8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(255, 255, 255, s[i]));
}
// Four 3-byte pixels are three 32-bit words; they become four hub words.
template <bool kSwap>
void ThreeByteToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  auto out = [](uint32_t v) { return (kSwap ? SwapRedBlue(v) : v) | 0xFF000000u; };
  int32_t i = 0;
  for (; i + 4 <= n; i += 4, s += 12, d += 16) {
    const uint32_t a = Load32(s), b = Load32(s + 4), c = Load32(s + 8);
    Store32(d, out(a));
    Store32(d + 4, out(a >> 24 | b << 8));
    Store32(d + 8, out(b >> 16 | c << 16));
    Store32(d + 12, out(c >> 8));
  }
  for (; i < n; ++i, s += 3, d += 4) Store32(d, out(uint32_t{s[0]} | uint32_t{s[1]} << 8 | uint32_t{s[2]} << 16));
}
void Bgr888ToHub(const uint8_t* s, uint8_t* d, int32_t n) { ThreeByteToHub<true>(s, d, n); }
void Rgb888ToHub(const uint8_t* s, uint8_t* d, int32_t n) { ThreeByteToHub<false>(s, d, n); }
void Bgra8888ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, SwapRedBlue(Load32(s + 4 * i)));
}
// Single-channel formats other than grey and alpha carry alpha 1.
void Red8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(s[i], 0, 0, 1));
}
void Green8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(0, s[i], 0, 1));
}
void Blue8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(0, 0, s[i], 1));
}
void DarkAlpha8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(0, 0, 0, s[i]));
}
void Intensity8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(s[i], s[i], s[i], s[i]));
}
void Luminance8ToHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) Store32(d + 4 * i, Hub(s[i], s[i], s[i], 1));
}

void NothingFromHub(const uint8_t*, uint8_t*, int32_t) {}

void Grey8FromHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i, s += 4) d[i] = static_cast<uint8_t>((s[0] + s[1] + s[2]) / 3);
}
template <int Channel>
void ChannelFromHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) d[i] = s[4 * i + Channel];
}
void Bgr888FromHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i, s += 4, d += 3) {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
  }
}
void Rgb888FromHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i, s += 4, d += 3) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}
void Intensity8FromHub(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t i = 0; i < n; ++i, s += 4) d[i] = static_cast<uint8_t>((s[0] + s[1] + s[2] + s[3]) / 4);
}

// Row 6 (the hub itself) is never used: equal formats copy.
const RowFn kToHub[13] = {ZeroToHub,       Grey8ToHub,      Alpha8ToHub,    Bgr888ToHub, Rgb888ToHub,
                          Bgra8888ToHub,   nullptr,         Red8ToHub,      Green8ToHub, Blue8ToHub,
                          DarkAlpha8ToHub, Intensity8ToHub, Luminance8ToHub};
const RowFn kFromHub[13] = {NothingFromHub,    Grey8FromHub,      ChannelFromHub<3>, Bgr888FromHub,
                            Rgb888FromHub,     Bgra8888ToHub,     nullptr,           ChannelFromHub<0>,
                            ChannelFromHub<1>, ChannelFromHub<2>, ChannelFromHub<3>, Intensity8FromHub,
                            Grey8FromHub};

inline int32_t Slot(int32_t format) { return IsPixelFormat(format) ? format : 0; }

}  // namespace

void CopyPixelRow(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count) {
  if (count <= 0) return;
  std::memmove(destination, source, static_cast<size_t>(count) * static_cast<size_t>(FormatBytes(format)));
}

void ConvertPixelRow(const uint8_t* source, int32_t sourceFormat, uint8_t* destination, int32_t destinationFormat,
                     int32_t count) {
  if (count <= 0) return;
  const int32_t from = Slot(sourceFormat), to = Slot(destinationFormat);
  if (from == to) {
    CopyPixelRow(source, destination, from, count);
  } else if (from == FMT_RGBA8888) {
    kFromHub[to](source, destination, count);
  } else if (to == FMT_RGBA8888) {
    kToHub[from](source, destination, count);
  } else {
    // Through a hub row on the stack, a slice at a time.
    constexpr int32_t kSlice = 256;
    alignas(16) uint8_t hub[kSlice * 4];
    const int32_t sb = BytesPerPixel[from], db = BytesPerPixel[to];
    for (int32_t done = 0; done < count; done += kSlice) {
      const int32_t n = count - done < kSlice ? count - done : kSlice;
      kToHub[from](source + static_cast<size_t>(done) * sb, hub, n);
      kFromHub[to](hub, destination + static_cast<size_t>(done) * db, n);
    }
  }
}

}  // namespace vtl
