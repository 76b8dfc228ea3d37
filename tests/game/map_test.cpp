#include <queue>
#include <utility>

#include "game_fixture.h"

using game::TileMap;

TEST_F(GameTest, MapLoadReadsTheWholeDungeonAndNothingMore) {
  int32_t counts[3] = {0, 0, 0};
  for (int32_t y = 0; y < 15; ++y) {
    for (int32_t x = 0; x < 25; ++x) {
      int32_t code = TileMap->At(x, y);
      ASSERT_GE(code, 0);
      ASSERT_LE(code, 2);
      ++counts[code];
    }
  }
  EXPECT_EQ(counts[0], 208);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(counts[2], 166);
  EXPECT_EQ(TileMap->At(1, 1), game::kTileEntrance);
  EXPECT_EQ(TileMap->At(2, 1), game::kTileFloor);
  EXPECT_EQ(TileMap->At(10, 8), game::kTileWall);
  // Spot checks against rows of the drawn map.
  EXPECT_EQ(TileMap->At(13, 2), 2);
  EXPECT_EQ(TileMap->At(23, 12), 2);
  EXPECT_EQ(TileMap->At(22, 11), 0);

  // The block holds the 375 codes only.
  EXPECT_THROW(vtl::ReadDataInt(), vtl::ThrownObject);
  vtl::RestoreData(game::MapData);
  EXPECT_EQ(vtl::ReadDataInt(), 0);
}

TEST_F(GameTest, MapIsWalledInAndItsCorridorsAreOneNetwork) {
  for (int32_t x = 0; x < 25; ++x) EXPECT_EQ(TileMap->At(x, 0) + TileMap->At(x, 14), 0) << x;
  for (int32_t y = 0; y < 15; ++y) EXPECT_EQ(TileMap->At(0, y) + TileMap->At(24, y), 0) << y;

  // Flood the floor from the entrance's only open neighbour.
  bool seen[25][15] = {};
  std::queue<std::pair<int32_t, int32_t>> open;
  open.push({2, 1});
  seen[2][1] = true;
  int32_t reached = 0;
  while (!open.empty()) {
    auto [x, y] = open.front();
    open.pop();
    ++reached;
    const int32_t dx[] = {1, 0, -1, 0}, dy[] = {0, 1, 0, -1};
    for (int32_t d = 0; d < 4; ++d) {
      int32_t nx = x + dx[d], ny = y + dy[d];
      if (TileMap->At(nx, ny) == 2 && !seen[nx][ny]) {
        seen[nx][ny] = true;
        open.push({nx, ny});
      }
    }
  }
  EXPECT_EQ(reached, 166);
  // The mage's wall tile has corridors on three sides.
  EXPECT_EQ(TileMap->At(9, 8) + TileMap->At(11, 8) + TileMap->At(10, 7) + TileMap->At(10, 9), 6);
}
