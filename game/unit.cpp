#include "game/unit.h"

#include <cmath>
#include <limits>

#include "game/drawing.h"
#include "game/globals.h"
#include "game/incantations.h"
#include "game/map.h"

namespace game {
namespace {

struct CreatureKind {
  int32_t nameLength;
  int32_t frame;  // the first of the kind's two cells
  int32_t tickMillis;
  int32_t hitPoints;
  int32_t damage;
};

// Kinds 0-2 attack, 3-5 are summoned: skeleton, demon, dragon.
constexpr CreatureKind kKinds[] = {
    {4, 4, 1000, 25, 1},  {6, 6, 2000, 50, 5}, {7, 8, 1500, 15, 3},
    {4, 10, 1000, 15, 2}, {2, 12, 100, 1, 90}, {5, 14, 1200, 20, 8},
};

constexpr const char* kConsonants[] = {"B", "C", "D", "F", "G", "H", "L", "M", "N", "P", "Q", "S", "T", "V", "W"};
constexpr const char* kVowels[] = {"A", "E", "I", "O", "U"};

// Neighbour offsets by heading.
constexpr int32_t kStepX[] = {1, 0, -1, 0};
constexpr int32_t kStepY[] = {0, 1, 0, -1};

// Enemies are within reach on the same tile and the eight around it.
constexpr float kFightRange = 1.6f;

int32_t Heading(int32_t value) { return ((value % 4) + 4) % 4; }

// True when the tick of period `period` that last ran at `last` is due. The
// sum is taken in 64 bits so that a long period cannot wrap into the past.
bool TimerDue(int32_t last, int32_t period) {
  return FrameTime > static_cast<float>(static_cast<int64_t>(last) + period);
}

void ServeSpawnTimer() {
  if (!TimerDue(LastSpawnTime, SpawnInterval)) return;
  LastSpawnTime = vtl::TruncateToInt(FrameTime);
  if (AttackersLeft > 0) TUnit::Create(kSideAttacker, NextAttackerKind);
  --AttackersLeft;
  NextAttackerKind = (NextAttackerKind + 1) % 3;
  ChangeMana(10);
}

}  // namespace

TUnit::TUnit() {
  UnitList->AddLast(vtl::Ref<vtl::Object>(this));
  hand = vtl::RandomRange(1, 2);
  m = 1;
  if (hand == 2) {
    hand = -1;
    richt = vtl::RandomRange(0, 3);
  }
}

TUnit::~TUnit() = default;

void TUnit::del() { UnitList->Remove(vtl::Ref<vtl::Object>(this)); }

void TUnit::Draw() {
  const float left = static_cast<float>(X * kTileSize);
  const float top = static_cast<float>(Y * kTileSize);
  SetDrawState(255, 255, 255, 1.0f, 0);
  DrawSheetFrame(left, top, Frame);
  SetDrawState(0, 0, 0, 1.0f, 0);
  DrawBoxedText(N, left + 16, top - 8);
  DrawBoxedText(vtl::StringFromInt(hp) + "/" + vtl::StringFromInt(max_hp), left + 16, top + 40);
}

vtl::Ref<TUnit> TUnit::Create(int32_t fra, int32_t kind) {
  vtl::Ref<TUnit> unit = vtl::New<TUnit>();
  unit->fra = fra;
  if (fra == kSideAttacker) {
    unit->X = 1;
    unit->Y = 1;
  } else {
    int32_t x, y;
    do {
      x = vtl::RandomRange(0, kMapWidth - 1);
      y = vtl::RandomRange(0, kMapHeight - 1);
    } while (TileMap->At(x, y) != kTileFloor);
    unit->X = x;
    unit->Y = y;
  }
  if (kind >= 0 && kind < static_cast<int32_t>(std::size(kKinds))) {
    const CreatureKind& k = kKinds[kind];
    unit->N = GetN(k.nameLength);
    unit->Frame = k.frame;
    unit->m_d = k.tickMillis;
    unit->max_hp = k.hitPoints;
    unit->hp = k.hitPoints;
    unit->dmg = k.damage;
  }
  return unit;
}

vtl::String TUnit::GetN(int32_t n) {
  vtl::String name;
  do {
    name = name + kConsonants[vtl::RandomRange(0, 14)];
    name = name + kVowels[vtl::RandomRange(0, 4)];
  } while (name.Length() < n);
  return vtl::LeftChars(name, n);
}

void TUnit::Update() {
  for (vtl::Ref<TUnit> u : UnitList->Each<TUnit>()) {
    if (TimerDue(u->m_t, u->m_d)) {
      u->m_t = vtl::TruncateToInt(FrameTime);
      if (u->hand != 0) {
        u->Frame ^= 1;
        u->fight();
        if (u->m == 1) u->Move();
        u->m = 1;
      }
    }
    ServeSpawnTimer();
    u->Draw();
    if (u->hp <= 0) {
      if (u->fra == kSideAttacker) ++KillCount;
      u->del();
    }
  }
}

void TUnit::Move() {
  // Towards the hand first, then straight on, then away, then back.
  const int32_t choices[] = {Heading(richt + hand), Heading(richt), Heading(richt - hand), Heading(richt + 2)};
  for (int32_t direction : choices) {
    const int32_t x = X + kStepX[direction];
    const int32_t y = Y + kStepY[direction];
    if (TileMap->At(x, y) == kTileFloor) {
      X = x;
      Y = y;
      richt = direction;
      return;
    }
  }
}

void TUnit::fight() {
  for (vtl::Ref<TUnit> r : UnitList->Each<TUnit>()) {
    if (r->fra == fra) continue;
    if (m != 1) continue;
    const double d =
        Distance(static_cast<float>(X), static_cast<float>(Y), static_cast<float>(r->X), static_cast<float>(r->Y));
    if (d < kFightRange) {
      hp -= r->dmg;
      r->hp -= dmg;
      m = 0;
      r->m = 0;
    }
  }
}

double Distance(float x1, float y1, float x2, float y2) {
  return std::sqrt(std::pow(static_cast<double>(x2 - x1), 2.0) + std::pow(static_cast<double>(y2 - y1), 2.0));
}

void RegisterUnitClass() {
  vtl::ClassBuilder<TUnit, vtl::Object>("TUnit")
      .Field<&TUnit::N>("N")
      .Field<&TUnit::fra>("fra")
      .Field<&TUnit::hp>("hp")
      .Field<&TUnit::max_hp>("max_hp")
      .Field<&TUnit::dmg>("dmg")
      .Field<&TUnit::m>("m")
      .Field<&TUnit::X>("X")
      .Field<&TUnit::Y>("Y")
      .Field<&TUnit::hand>("hand")
      .Field<&TUnit::richt>("richt")
      .Field<&TUnit::m_t>("m_t")
      .Field<&TUnit::m_d>("m_d")
      .Field<&TUnit::Frame>("Frame")
      .Method<&TUnit::del>("del")
      .Method<&TUnit::Draw>("Draw")
      .Function<&TUnit::Create>("Create")
      .Function<&TUnit::GetN>("GetN")
      .Function<&TUnit::Update>("Update")
      .Method<&TUnit::Move>("Move")
      .Method<&TUnit::fight>("fight")
      .Register();
}

}  // namespace game
