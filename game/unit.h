// Every creature on the map: the mage, summoned allies and attackers.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace game {

// Sides (field fra).
inline constexpr int32_t kSideAttacker = 0;
inline constexpr int32_t kSidePlayer = 1;

class TUnit : public vtl::Object {
 public:
  // Appends the unit to UnitList and draws its turning hand and heading.
  TUnit();
  ~TUnit() override;

  vtl::String N;       // name, upper-case letters; spells target it
  int32_t fra = 0;     // side: 0 attacker, 1 the player's
  int32_t hp = 0;      // removed at the end of its turn once 0 or less
  int32_t max_hp = 0;  // cap for healing
  int32_t dmg = 0;     // dealt to the opponent in each fight
  int32_t m = 0;       // 1: may fight or move on the next tick
  int32_t X = 0;       // tile column
  int32_t Y = 0;       // tile row
  int32_t hand = 0;    // wall-following side, +1 or -1; 0 never acts
  int32_t richt = 0;   // heading: 0 +X, 1 +Y, 2 -X, 3 -Y
  int32_t m_t = 0;     // time of the last tick
  int32_t m_d = 0;     // milliseconds between ticks
  int32_t Frame = 0;   // TileSheet cell drawn; toggles within its pair

  // Takes the unit out of UnitList.
  void del();
  // The unit's picture, its name above and "hp/max_hp" below.
  void Draw();
  // A new unit of side fra and creature kind 0 .. 5, placed on the map.
  // Attackers appear at the entrance, the player's side on a random floor tile.
  static vtl::Ref<TUnit> Create(int32_t fra, int32_t kind);
  // A random name of n letters, consonant and vowel in turn.
  static vtl::String GetN(int32_t n);
  // One pass over every unit: ticks (fight, then move), the spawn timer,
  // drawing, and removing and counting the dead.
  static void Update();
  // One step along the corridors, following the wall on the unit's hand.
  void Move();
  // One exchange of blows with the first enemy within reach, if any.
  void fight();
};

// Euclidean distance between two points.
double Distance(float x1, float y1, float x2, float y2);

void RegisterUnitClass();

}  // namespace game
