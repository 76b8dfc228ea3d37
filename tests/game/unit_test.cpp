#include <set>

#include "game_fixture.h"

using game::TUnit;
using vtl::Ref;

TEST_F(GameTest, GetNAlternatesConsonantAndVowelAndDrawsWholePairs) {
  const std::u16string consonants = u"BCDFGHLMNPQSTVW", vowels = u"AEIOU";
  for (int32_t n : {2, 4, 5, 6, 7, 8}) {
    vtl::String name = TUnit::GetN(n);
    ASSERT_EQ(name.Length(), n);
    for (int32_t i = 0; i < n; ++i) {
      const std::u16string& letters = i % 2 == 0 ? consonants : vowels;
      EXPECT_NE(letters.find(name[i]), std::u16string::npos) << name << " at " << i;
    }
  }
  // Seven letters take four pairs: eight range draws of two steps each.
  vtl::SeedRandom(77);
  TUnit::GetN(7);
  const int32_t after = vtl::CurrentSeed();
  vtl::SeedRandom(77);
  for (int i = 0; i < 8; ++i) vtl::RandomDouble();
  EXPECT_EQ(vtl::CurrentSeed(), after);
}

TEST_F(GameTest, CreateSetsEveryKindAndPlacesBySide) {
  struct Expect {
    int32_t nameLength, frame, period, hp, dmg;
  } kinds[] = {{4, 4, 1000, 25, 1},  {6, 6, 2000, 50, 5}, {7, 8, 1500, 15, 3},
               {4, 10, 1000, 15, 2}, {2, 12, 100, 1, 90}, {5, 14, 1200, 20, 8}};
  for (int32_t kind = 0; kind < 6; ++kind) {
    const int32_t side = kind < 3 ? game::kSideAttacker : game::kSidePlayer;
    Ref<TUnit> u = TUnit::Create(side, kind);
    EXPECT_EQ(u->N.Length(), kinds[kind].nameLength);
    EXPECT_EQ(u->Frame, kinds[kind].frame);
    EXPECT_EQ(u->m_d, kinds[kind].period);
    EXPECT_EQ(u->hp, kinds[kind].hp);
    EXPECT_EQ(u->max_hp, kinds[kind].hp);
    EXPECT_EQ(u->dmg, kinds[kind].dmg);
    EXPECT_EQ(u->fra, side);
    EXPECT_EQ(u->m, 1);
    EXPECT_EQ(u->m_t, 0);
    if (side == game::kSideAttacker) {
      EXPECT_EQ(u->X, 1);
      EXPECT_EQ(u->Y, 1);
    } else {
      EXPECT_EQ(game::TileMap->At(u->X, u->Y), game::kTileFloor);
    }
  }
  EXPECT_EQ(CountUnits(), 6);

  // Right-handed units start heading right; left-handed ones anywhere.
  std::set<int32_t> hands;
  for (int i = 0; i < 40; ++i) {
    Ref<TUnit> u = vtl::New<TUnit>();
    hands.insert(u->hand);
    if (u->hand == 1) {
      EXPECT_EQ(u->richt, 0);
    }
    EXPECT_GE(u->richt, 0);
    EXPECT_LE(u->richt, 3);
  }
  EXPECT_EQ(hands, (std::set<int32_t>{-1, 1}));
}

TEST_F(GameTest, FightReachesDiagonalsButNotTwoTilesAndHitsBothAtOnce) {
  Ref<TUnit> attacker = Place(game::kSideAttacker, 0, 5, 5);  // 25 hp, 1 dmg
  Ref<TUnit> far = Place(game::kSidePlayer, 3, 7, 5);         // distance 2
  Ref<TUnit> ally = Place(game::kSideAttacker, 2, 5, 6);      // same side
  attacker->fight();
  EXPECT_EQ(attacker->hp, 25);
  EXPECT_EQ(attacker->m, 1);
  EXPECT_EQ(far->hp, 15);

  Ref<TUnit> diagonal = Place(game::kSidePlayer, 3, 6, 6);  // skeleton: 15 hp, 2 dmg
  Ref<TUnit> second = Place(game::kSidePlayer, 3, 5, 4);    // also in reach, but later
  attacker->fight();
  EXPECT_EQ(attacker->hp, 23);
  EXPECT_EQ(diagonal->hp, 14);
  EXPECT_EQ(second->hp, 15) << "one fight per call, with the first enemy in list order";
  EXPECT_EQ(attacker->m, 0);
  EXPECT_EQ(diagonal->m, 0);
  EXPECT_EQ(ally->hp, 15);

  EXPECT_DOUBLE_EQ(game::Distance(0, 0, 3, 4), 5.0);
  EXPECT_LT(game::Distance(5, 5, 6, 6), 1.6);
}

TEST_F(GameTest, AttackedUnitSkipsItsNextTickAndNewUnitsTickAtOnce) {
  Ref<TUnit> attacker = Place(game::kSideAttacker, 0, 13, 3);
  Ref<TUnit> skeleton = Place(game::kSidePlayer, 3, 13, 2);
  game::LastSpawnTime = 1000000;  // no spawns here

  game::FrameTime = 5000;
  TUnit::Update();
  // Both ticked on their first pass; the attacker struck, the skeleton only recovered.
  EXPECT_EQ(attacker->m_t, 5000);
  EXPECT_EQ(skeleton->m_t, 5000);
  EXPECT_EQ(attacker->Frame, 5);
  EXPECT_EQ(skeleton->Frame, 11);
  EXPECT_EQ(attacker->hp, 23);
  EXPECT_EQ(skeleton->hp, 14);
  EXPECT_EQ(skeleton->X, 13);
  EXPECT_EQ(skeleton->Y, 2);
  EXPECT_EQ(skeleton->m, 1);

  // Not yet due: exactly one period later is not later than the period.
  game::FrameTime = 6000;
  TUnit::Update();
  EXPECT_EQ(attacker->hp, 23);
  EXPECT_EQ(attacker->Frame, 5);

  // Next tick: the attacker strikes first again, so the skeleton never hits back on its own turn.
  game::FrameTime = 6001;
  TUnit::Update();
  EXPECT_EQ(attacker->hp, 21);
  EXPECT_EQ(skeleton->hp, 13);
  EXPECT_EQ(attacker->Frame, 4);
}

TEST_F(GameTest, MoveFollowsTheWallOnItsHand) {
  game::LastSpawnTime = 1000000;
  // Dead end at the end of the top-right corridor: turn back.
  Ref<TUnit> u = Place(game::kSidePlayer, 3, 23, 1, 1, 0);
  u->Move();
  EXPECT_EQ(u->X, 22);
  EXPECT_EQ(u->Y, 1);
  EXPECT_EQ(u->richt, 2);

  // Straight corridor: on, heading kept.
  u = Place(game::kSidePlayer, 3, 7, 1, 1, 0);
  u->Move();
  EXPECT_EQ(u->X, 8);
  EXPECT_EQ(u->richt, 0);

  // Junction at (13, 1), heading right: right hand turns down, left hand goes on.
  u = Place(game::kSidePlayer, 3, 13, 1, 1, 0);
  u->Move();
  EXPECT_EQ(u->Y, 2);
  EXPECT_EQ(u->richt, 1);
  u = Place(game::kSidePlayer, 3, 13, 1, -1, 0);
  u->Move();
  EXPECT_EQ(u->X, 14);
  EXPECT_EQ(u->Y, 1);
  EXPECT_EQ(u->richt, 0);
  // Same junction heading left: now the left hand turns down.
  u = Place(game::kSidePlayer, 3, 13, 1, -1, 2);
  u->Move();
  EXPECT_EQ(u->Y, 2);
  EXPECT_EQ(u->richt, 1);

  // A walker only ever stands on floor and never leaves the network.
  u = Place(game::kSidePlayer, 3, 2, 1, -1, 0);
  for (int i = 0; i < 2000; ++i) {
    u->Move();
    ASSERT_EQ(game::TileMap->At(u->X, u->Y), game::kTileFloor) << i;
  }
}

TEST_F(GameTest, SpawnTickEveryTenSecondsInKindOrderWithCappedMana) {
  MakeMage();
  game::LastSpawnTime = 0;
  game::Mana = 85;

  game::FrameTime = 10000;  // not strictly later
  TUnit::Update();
  EXPECT_EQ(CountUnits(), 1);

  int32_t expectedFrames[] = {4, 6, 8, 4};
  float t = 10001;
  for (int32_t i = 0; i < 4; ++i, t += 10001) {
    game::FrameTime = t;
    TUnit::Update();
    // The first time the mage was last in the list, so that newcomer waits for the next pass.
    Ref<TUnit> newcomer = vtl::DowncastObject<TUnit>(game::UnitList->Last());
    EXPECT_EQ(newcomer->Frame & ~1, expectedFrames[i]);
    EXPECT_EQ(newcomer->fra, game::kSideAttacker);
    if (i == 0) {
      EXPECT_EQ(newcomer->m_t, 0);
    }
    EXPECT_EQ(game::LastSpawnTime, static_cast<int32_t>(t));
  }
  EXPECT_EQ(CountUnits(), 5);
  EXPECT_EQ(game::AttackersLeft, 296);
  EXPECT_EQ(game::NextAttackerKind, 1);
  EXPECT_EQ(game::Mana, 100);

  // With none left the tick still counts down, cycles and regenerates.
  game::AttackersLeft = 0;
  game::Mana = 10;
  game::FrameTime = t;
  TUnit::Update();
  EXPECT_EQ(CountUnits(), 5);
  EXPECT_EQ(game::AttackersLeft, -1);
  EXPECT_EQ(game::NextAttackerKind, 2);
  EXPECT_EQ(game::Mana, 20);
}

TEST_F(GameTest, NewAttackerIsReachedInTheSamePassUnlessItsSpawnerWasLast) {
  MakeMage();
  Ref<TUnit> skeleton = Place(game::kSidePlayer, 3, 23, 13, 1, 0);
  skeleton->m_t = 1000000;  // sits still
  game::LastSpawnTime = 0;
  game::FrameTime = 10001;
  TUnit::Update();
  Ref<TUnit> attacker = vtl::DowncastObject<TUnit>(game::UnitList->Last());
  ASSERT_EQ(attacker->fra, game::kSideAttacker);
  // Its first step from the entrance is onto the only open neighbour.
  EXPECT_EQ(attacker->X, 2);
  EXPECT_EQ(attacker->Y, 1);
  EXPECT_EQ(attacker->m_t, 10001);
}

TEST_F(GameTest, DeadUnitsLeaveTheListAndOnlyAttackersCount) {
  MakeMage();
  game::LastSpawnTime = 1000000;
  Ref<TUnit> attacker = Place(game::kSideAttacker, 1, 1, 13);
  Ref<TUnit> ally = Place(game::kSidePlayer, 5, 23, 13);
  attacker->hp = 0;
  ally->hp = -3;
  game::FrameTime = 500;
  TUnit::Update();
  EXPECT_EQ(game::KillCount, 1);
  EXPECT_EQ(CountUnits(), 1);

  // A demon kills any attacker in one exchange and dies in the same one.
  Ref<TUnit> demon = Place(game::kSidePlayer, 4, 13, 2);
  Ref<TUnit> brute = Place(game::kSideAttacker, 1, 13, 3);
  game::FrameTime = 1000;
  TUnit::Update();
  EXPECT_EQ(game::KillCount, 2);
  EXPECT_EQ(CountUnits(), 1);
  EXPECT_LE(demon->hp, 0);
  EXPECT_LE(brute->hp, 0);

  // The mage leaves the list too but stays readable through Player.
  game::Player->hp = 0;
  TUnit::Update();
  EXPECT_EQ(CountUnits(), 0);
  EXPECT_EQ(game::Player->hp, 0);
  EXPECT_EQ(game::KillCount, 2);
}
