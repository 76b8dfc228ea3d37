// The game's whole state. Every game file reads and writes these by name;
// ResetGameState() gives them their start values.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace vtl {
class TImage;
}

namespace game {

class TUnit;

// The millisecond clock read at the top of the current frame. All game
// timers compare against it, so its single precision is theirs too.
extern float FrameTime;
// The 16 cells of "gfx.png": wall, entrance, floor, mage, creature frames.
extern vtl::Ref<vtl::TImage> TileSheet;
// The dungeon, 25 x 15 tile codes indexed [x, y].
extern vtl::Ref<vtl::Array<int32_t>> TileMap;
// Every living unit, the mage included, in order of creation.
extern vtl::Ref<vtl::TList> UnitList;
// The player's mage; stays readable after it left UnitList.
extern vtl::Ref<TUnit> Player;
extern int32_t KillCount;
extern int32_t Mana;
extern int32_t MaxMana;
extern int32_t AttackersLeft;
extern int32_t NextAttackerKind;
extern int32_t LastSpawnTime;
extern int32_t SpawnInterval;
// The incantation being typed, and its blinking cursor.
extern vtl::String InputText;
extern int32_t CursorToggleTime;
extern int32_t CursorShown;

// Map size in tiles and the tile edge in pixels.
inline constexpr int32_t kMapWidth = 25;
inline constexpr int32_t kMapHeight = 15;
inline constexpr int32_t kTileSize = 32;
// Attackers in a whole game; killing the last one wins.
inline constexpr int32_t kAttackerTotal = 300;

// Start values for every global: an empty 25 x 15 map, a new empty unit
// list, no mage, 50 of 100 mana, 300 attackers to come. Also registers the
// game's classes (once).
void ResetGameState();

}  // namespace game
