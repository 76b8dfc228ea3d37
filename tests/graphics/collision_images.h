// Images for the collision tests, drawn as rows of text, and the reset of
// the module state every collision test starts from.
#pragma once

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "graphics/graphics.h"

namespace vtl::collision_test {

// One character per pixel: '#' alpha 255, 'h' 128 (just opaque), 'l' 127
// (just see-through), anything else 0. Every pixel is white. The image has
// no flags and its handle at 0, 0 unless given.
inline uint8_t AlphaOf(char c) { return c == '#' ? 255 : c == 'h' ? 128 : c == 'l' ? 127 : 0; }

inline Ref<TPixmap> PixmapFromRows(std::initializer_list<const char*> rows, int32_t format = FMT_RGBA8888) {
  const int32_t height = static_cast<int32_t>(rows.size());
  const int32_t width = height ? static_cast<int32_t>(std::strlen(*rows.begin())) : 0;
  Ref<TPixmap> rgba = NewPixmap(width, height, FMT_RGBA8888);
  int32_t y = 0;
  for (const char* row : rows) {
    for (int32_t x = 0; x < width; ++x) rgba->WritePixel(x, y, uint32_t{AlphaOf(row[x])} << 24 | 0xFFFFFFu);
    ++y;
  }
  return format == FMT_RGBA8888 ? rgba : ConvertPixmapTo(rgba, format);
}

inline Ref<TImage> ImageFromPixmap(const Ref<TPixmap>& pixmap, float handle_x = 0, float handle_y = 0) {
  Ref<TImage> image = TImage::Load(pixmap, 0, 0, 0, 0);
  image->handle_x = handle_x;
  image->handle_y = handle_y;
  return image;
}

inline Ref<TImage> ImageFromRows(std::initializer_list<const char*> rows, int32_t format = FMT_RGBA8888) {
  return ImageFromPixmap(PixmapFromRows(rows, format));
}

// A w x h image without alpha: it collides as a solid rectangle.
inline Ref<TImage> SolidImage(int32_t width, int32_t height) {
  Ref<TPixmap> pixmap = NewPixmap(width, height, FMT_RGB888);
  ClearPixels(pixmap, 0);
  return ImageFromPixmap(pixmap);
}

// Fills blocks of `bytes` with 0xFF and frees them, so that the next blocks
// of that size the allocator hands out are likely to hold them: memory that
// is never cleared then shows as opaque white.
inline void DirtyTheHeap(size_t bytes) {
  std::vector<void*> blocks;
  for (int i = 0; i < 8; ++i) {
    void* block = std::malloc(bytes);
    if (!block) break;
    std::memset(block, 0xFF, bytes);
    asm volatile("" : : "r"(block) : "memory");  // the filling must happen
    blocks.push_back(block);
  }
  for (void* block : blocks) std::free(block);
}

// No context, no transform, empty layers.
inline void ResetCollisionState() {
  InitGraphics();
  MakeGraphicsCurrent(nullptr);
  SetDrawTransform(0, 1, 1);
  SetDrawOrigin(0, 0);
  SetDrawHandle(0, 0);
  ClearCollisionLayers(0);
}

}  // namespace vtl::collision_test
