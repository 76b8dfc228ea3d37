#include "game/map.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "game/drawing.h"
#include "game/globals.h"

namespace game {

int32_t TK::Load() {
  for (int32_t y = 0; y < kMapHeight; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) TileMap->At(x, y) = vtl::ReadDataInt();
  }
  return 0;
}

// Tiles are drawn grouped by sheet frame. Every frame is a texture of its
// own, and on the software rasteriser each change of texture stores another
// copy of the drawing state, tens of kilobytes, with the frame until it is
// drawn. The tiles never overlap, so the order changes no pixel.
int32_t TK::Draw() {
  SetDrawState(255, 255, 255, 1.0f, 0);
  std::array<int32_t, kMapWidth * kMapHeight> cells;
  std::iota(cells.begin(), cells.end(), 0);
  auto frameOf = [](int32_t cell) { return TileMap->At(cell % kMapWidth, cell / kMapWidth); };
  std::stable_sort(cells.begin(), cells.end(), [&](int32_t a, int32_t b) { return frameOf(a) < frameOf(b); });
  for (int32_t cell : cells) {
    const int32_t x = cell % kMapWidth, y = cell / kMapWidth;
    DrawSheetFrame(static_cast<float>(x * kTileSize), static_cast<float>(y * kTileSize), TileMap->At(x, y));
  }
  return 0;
}

void RegisterMapClass() {
  vtl::ClassBuilder<TK, vtl::Object>("TK").Function<&TK::Load>("Load").Function<&TK::Draw>("Draw").Register();
}

}  // namespace game
