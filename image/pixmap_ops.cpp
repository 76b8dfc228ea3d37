// Whole-pixmap operations that make a new pixmap: mask colour, flips and
// bilinear scaling.
#include <cmath>
#include <cstring>
#include <vector>

#include "image/pixmap.h"

namespace vtl {

namespace {

// The pixmap itself when it is already in the hub format, else a converted copy.
Ref<TPixmap> HubVersion(const Ref<TPixmap>& pixmap) {
  return pixmap->format == FMT_RGBA8888 ? pixmap : pixmap->Convert(FMT_RGBA8888);
}

// One axis of the bilinear sampler: the first source index, the fraction
// toward the next one and the byte step to it (0 where the sample clamps).
struct Sample {
  int32_t first;
  float fraction;
  int32_t step;
};

Sample SampleAt(int32_t i, float scale, int32_t sourceSize, int32_t stride) {
  const float s = (static_cast<float>(i) + 0.5f) * scale - 0.5f;
  const float f = std::floor(s);
  if (f < 0) return {0, 0.0f, 0};
  if (f >= static_cast<float>(sourceSize - 1)) return {sourceSize - 1, 0.0f, 0};
  return {static_cast<int32_t>(f), s - f, stride};
}

}  // namespace

Ref<TPixmap> MaskPixmapColour(const Ref<TPixmap>& pixmap, int32_t red, int32_t green, int32_t blue) {
  Ref<TPixmap> source = HubVersion(pixmap);
  const int32_t w = source->width, h = source->height;
  Ref<TPixmap> out = TPixmap::Create(w, h, FMT_RGBA8888, 4);
  auto matches = [&](const uint8_t* p) { return p[0] == red && p[1] == green && p[2] == blue; };
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* s = source->PixelPtr(0, y);
    uint8_t* d = out->PixelPtr(0, y);
    for (int32_t x = 0; x < w; ++x, s += 4, d += 4) {
      if (!matches(s)) {
        d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        continue;
      }
      int32_t sum[3] = {0, 0, 0}, counted = 0;
      for (int32_t ny = y - 1; ny <= y + 1; ++ny) {
        if (ny < 0 || ny >= h) continue;
        for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
          if (nx < 0 || nx >= w) continue;
          const uint8_t* n = source->PixelPtr(nx, ny);
          if (matches(n)) continue;
          sum[0] += n[0], sum[1] += n[1], sum[2] += n[2];
          ++counted;
        }
      }
      for (int k = 0; k < 3; ++k) d[k] = static_cast<uint8_t>(counted ? sum[k] / counted : 0);
      d[3] = 0;
    }
  }
  return out;
}

Ref<TPixmap> FlipPixmapHorizontal(const Ref<TPixmap>& pixmap) {
  TPixmap& s = *pixmap;
  Ref<TPixmap> out = TPixmap::Create(s.width, s.height, s.format, 4);
  const int32_t bpp = FormatBytes(s.format);
  for (int32_t y = 0; y < s.height; ++y) {
    const uint8_t* from = s.PixelPtr(0, y);
    uint8_t* to = out->PixelPtr(0, y);
    for (int32_t i = 0; i < s.width; ++i) {
      std::memcpy(to + i * bpp, from + (s.width - 1 - i) * bpp, static_cast<size_t>(bpp));
    }
  }
  return out;
}

Ref<TPixmap> FlipPixmapVertical(const Ref<TPixmap>& pixmap) {
  TPixmap& s = *pixmap;
  Ref<TPixmap> out = TPixmap::Create(s.width, s.height, s.format, 4);
  for (int32_t i = 0; i < s.height; ++i)
    CopyPixelRow(s.PixelPtr(0, s.height - 1 - i), out->PixelPtr(0, i), s.format, s.width);
  return out;
}

Ref<TPixmap> ScalePixmap(const Ref<TPixmap>& pixmap, int32_t newWidth, int32_t newHeight) {
  const int32_t resultFormat = pixmap->format;
  Ref<TPixmap> out = TPixmap::Create(newWidth, newHeight, resultFormat, 4);
  Ref<TPixmap> source = HubVersion(pixmap);
  const int32_t sw = source->width, sh = source->height;
  if (sw <= 0 || sh <= 0) {
    // Nothing to sample from: the result is cleared rather than read from nowhere.
    out->ClearPixels(0);
    return out;
  }
  const float xScale = static_cast<float>(sw) / static_cast<float>(newWidth);
  const float yScale = static_cast<float>(sh) / static_cast<float>(newHeight);

  std::vector<Sample> columns(static_cast<size_t>(newWidth));
  for (int32_t x = 0; x < newWidth; ++x) columns[static_cast<size_t>(x)] = SampleAt(x, xScale, sw, 4);
  std::vector<uint8_t> row(static_cast<size_t>(newWidth) * 4);

  for (int32_t y = 0; y < newHeight; ++y) {
    const Sample r = SampleAt(y, yScale, sh, source->pitch);
    const uint8_t* sourceRow = source->PixelPtr(0, r.first);
    uint8_t* d = row.data();
    for (const Sample& c : columns) {
      const uint8_t* p = sourceRow + c.first * 4;
      const uint8_t* q = p + r.step;
      for (int k = 0; k < 4; ++k, ++d) {
        const float top = p[k] + static_cast<float>(p[c.step + k] - p[k]) * c.fraction;
        const float bottom = q[k] + static_cast<float>(q[c.step + k] - q[k]) * c.fraction;
        *d = static_cast<uint8_t>(static_cast<int32_t>(top + (bottom - top) * r.fraction));
      }
    }
    ConvertPixelRow(row.data(), FMT_RGBA8888, out->PixelPtr(0, y), resultFormat, newWidth);
  }
  return out;
}

}  // namespace vtl
