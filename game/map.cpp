#include "game/map.h"

#include "game/drawing.h"
#include "game/globals.h"

namespace game {

int32_t TK::Load() {
  for (int32_t y = 0; y < kMapHeight; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) TileMap->At(x, y) = vtl::ReadDataInt();
  }
  return 0;
}

int32_t TK::Draw() {
  SetDrawState(255, 255, 255, 1.0f, 0);
  for (int32_t y = 0; y < kMapHeight; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) {
      DrawSheetFrame(static_cast<float>(x * kTileSize), static_cast<float>(y * kTileSize), TileMap->At(x, y));
    }
  }
  return 0;
}

void RegisterMapClass() {
  vtl::ClassBuilder<TK, vtl::Object>("TK").Function<&TK::Load>("Load").Function<&TK::Draw>("Draw").Register();
}

}  // namespace game
