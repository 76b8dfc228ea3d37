#include "image/pixmap.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/exceptions.h"

namespace vtl {

namespace {

// Bytes of one row's pixels, without padding.
inline size_t RowBytes(const TPixmap& p) {
  return static_cast<size_t>(p.width > 0 ? p.width : 0) * static_cast<size_t>(FormatBytes(p.format));
}

inline uint8_t Red(uint32_t argb) { return static_cast<uint8_t>(argb >> 16); }
inline uint8_t Green(uint32_t argb) { return static_cast<uint8_t>(argb >> 8); }
inline uint8_t Blue(uint32_t argb) { return static_cast<uint8_t>(argb); }
inline uint8_t Alpha(uint32_t argb) { return static_cast<uint8_t>(argb >> 24); }

// Stores a packed colour by the write rules; formats without a rule are left alone.
inline void StorePixel(uint8_t* p, int32_t format, uint32_t argb) {
  switch (format) {
    case FMT_GREY8: p[0] = static_cast<uint8_t>((Red(argb) + Green(argb) + Blue(argb)) / 3); break;
    case FMT_ALPHA8: p[0] = Alpha(argb); break;
    case FMT_BGR888: p[0] = Blue(argb), p[1] = Green(argb), p[2] = Red(argb); break;
    case FMT_RGB888: p[0] = Red(argb), p[1] = Green(argb), p[2] = Blue(argb); break;
    case FMT_BGRA8888: p[0] = Blue(argb), p[1] = Green(argb), p[2] = Red(argb), p[3] = Alpha(argb); break;
    case FMT_RGBA8888: p[0] = Red(argb), p[1] = Green(argb), p[2] = Blue(argb), p[3] = Alpha(argb); break;
    default: break;
  }
}

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

TPixmap::~TPixmap() {
  if (capacity >= 0) std::free(pixels);
}

Ref<TDataType> TPixmap::DataType() const { return PixmapDataType; }

uint8_t* TPixmap::PixelPtr(int32_t x, int32_t y) {
  return pixels + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x) * FormatBytes(format);
}

Ref<TPixmap> TPixmap::Window(int32_t x, int32_t y, int32_t w, int32_t h) {
  Ref<TPixmap> window = CreateStatic(PixelPtr(x, y), w, h, pitch, format);
  window->_source = Ref<Object>(this);
  return window;
}

Ref<TPixmap> TPixmap::Copy() {
  Ref<TPixmap> copy = Create(width, height, format, 4);
  const size_t bytes = RowBytes(*this);
  for (int32_t y = 0; y < height; ++y) std::memcpy(copy->PixelPtr(0, y), PixelPtr(0, y), bytes);
  return copy;
}

void TPixmap::Paste(const Ref<TPixmap>& source, int32_t x, int32_t y) {
  TPixmap& s = *source;
  for (int32_t i = 0; i < s.height; ++i) {
    ConvertPixelRow(s.PixelPtr(0, i), s.format, PixelPtr(x, y + i), format, s.width);
  }
}

Ref<TPixmap> TPixmap::Convert(int32_t newFormat) {
  if (newFormat == format) return Copy();
  Ref<TPixmap> out = Create(width, height, newFormat, 4);
  for (int32_t y = 0; y < height; ++y) ConvertPixelRow(PixelPtr(0, y), format, out->PixelPtr(0, y), newFormat, width);
  return out;
}

uint32_t TPixmap::ReadPixel(int32_t x, int32_t y) {
  const uint8_t* p = PixelPtr(x, y);
  switch (format) {
    case FMT_GREY8: return Pack(255, p[0], p[0], p[0]);
    case FMT_ALPHA8: return Pack(p[0], 255, 255, 255);
    case FMT_BGR888: return Pack(255, p[2], p[1], p[0]);
    case FMT_RGB888: return Pack(255, p[0], p[1], p[2]);
    case FMT_BGRA8888: return Pack(p[3], p[2], p[1], p[0]);
    case FMT_RGBA8888: return Pack(p[3], p[0], p[1], p[2]);
    default: return 0;
  }
}

void TPixmap::WritePixel(int32_t x, int32_t y, uint32_t argb) { StorePixel(PixelPtr(x, y), format, argb); }

void TPixmap::ClearPixels(uint32_t argb) {
  const size_t rowBytes = RowBytes(*this);
  if (height <= 0 || rowBytes == 0) return;
  if (argb == 0 && rowBytes == static_cast<size_t>(pitch)) {
    std::memset(pixels, 0, rowBytes * static_cast<size_t>(height));
    return;
  }
  const int32_t bpp = FormatBytes(format);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = PixelPtr(0, y);
    if (argb == 0) {
      std::memset(row, 0, rowBytes);
    } else if (format >= FMT_GREY8 && format <= FMT_RGBA8888) {
      // One pixel by the write rules, then copies of its bytes.
      StorePixel(row, format, argb);
      for (int32_t x = 1; x < width; ++x) std::memcpy(row + x * bpp, row, static_cast<size_t>(bpp));
    }
  }
}

Ref<TPixmap> TPixmap::Create(int32_t width, int32_t height, int32_t format, int32_t align) {
  if (width < 0 || height < 0) RuntimeError("Pixmap size out of range");
  if (align < 1) RuntimeError("Pixmap row alignment must be 1 or more");
  const int64_t rowBytes = static_cast<int64_t>(width) * FormatBytes(format);
  const int64_t pitch = (rowBytes + align - 1) / align * align;
  const int64_t capacity = pitch * height;
  if (pitch > std::numeric_limits<int32_t>::max() || capacity > std::numeric_limits<int32_t>::max()) {
    RuntimeError("Pixmap size out of range");
  }
  auto* memory = static_cast<uint8_t*>(std::malloc(capacity > 0 ? static_cast<size_t>(capacity) : 1));
  if (!memory) RuntimeError("Out of memory for pixmap");
  Ref<TPixmap> p = New<TPixmap>();
  p->pixels = memory;
  p->width = width;
  p->height = height;
  p->pitch = static_cast<int32_t>(pitch);
  p->format = format;
  p->capacity = static_cast<int32_t>(capacity);
  return p;
}

Ref<TPixmap> TPixmap::CreateStatic(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format) {
  Ref<TPixmap> p = New<TPixmap>();
  p->pixels = pixels;
  p->width = width;
  p->height = height;
  p->pitch = pitch;
  p->format = format;
  p->capacity = -1;
  return p;
}

Ref<TPixmap> NewPixmap(int32_t width, int32_t height, int32_t format, int32_t align) {
  return TPixmap::Create(width, height, format, align);
}
Ref<TPixmap> WrapPixels(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format) {
  return TPixmap::CreateStatic(pixels, width, height, pitch, format);
}
Ref<TPixmap> DuplicatePixmap(const Ref<TPixmap>& pixmap) { return pixmap->Copy(); }
Ref<TPixmap> ConvertPixmapTo(const Ref<TPixmap>& pixmap, int32_t format) { return pixmap->Convert(format); }

int32_t PixmapWidth(const Ref<TPixmap>& pixmap) { return pixmap->width; }
int32_t PixmapHeight(const Ref<TPixmap>& pixmap) { return pixmap->height; }
int32_t PixmapPitch(const Ref<TPixmap>& pixmap) { return pixmap->pitch; }
int32_t PixmapFormat(const Ref<TPixmap>& pixmap) { return pixmap->format; }
uint8_t* PixmapPixelPtr(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) { return pixmap->PixelPtr(x, y); }
Ref<TPixmap> PixmapWindow(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, int32_t width, int32_t height) {
  return pixmap->Window(x, y, width, height);
}
uint32_t ReadPixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) { return pixmap->ReadPixel(x, y); }
void WritePixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, uint32_t argb) { pixmap->WritePixel(x, y, argb); }
void ClearPixels(const Ref<TPixmap>& pixmap, uint32_t argb) { pixmap->ClearPixels(argb); }

}  // namespace vtl
