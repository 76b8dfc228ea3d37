// The dungeon map: its codes live in the program as data statements and are
// read into TileMap once at start-up.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace game {

// Tile codes of TileMap; the code is also the TileSheet frame drawn.
inline constexpr int32_t kTileWall = 0;
inline constexpr int32_t kTileEntrance = 1;
inline constexpr int32_t kTileFloor = 2;

// The first of the 375 map codes, row by row from the top.
extern const vtl::DataLabel MapData;

// Groups the map's two class functions; never instantiated.
class TK : public vtl::Object {
 public:
  // Reads 375 codes from the data read position into TileMap[x, y]. Returns 0.
  static int32_t Load();
  // Draws every tile, untinted. Returns 0.
  static int32_t Draw();
};

void RegisterMapClass();

}  // namespace game
