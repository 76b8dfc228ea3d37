#include <limits>

#include "game_fixture.h"

using game::TUnit;
using vtl::Ref;

namespace {

// Casts the text directly, as Enter does with a finished line.
void CastNow(const vtl::String& text) {
  game::InputText = text;
  game::CastIncantation();
  game::InputText = "";
}

}  // namespace

TEST_F(GameTest, ChangeManaAddsUpToTheCapAndSpendsOnlyWhatIsThere) {
  EXPECT_EQ(game::ChangeMana(70), 0);
  EXPECT_EQ(game::Mana, 100);
  EXPECT_EQ(game::ChangeMana(-101), 0);
  EXPECT_EQ(game::Mana, 100);
  EXPECT_EQ(game::ChangeMana(-100), 1);
  EXPECT_EQ(game::Mana, 0);
  EXPECT_EQ(game::ChangeMana(std::numeric_limits<int32_t>::min()), 0);
  EXPECT_EQ(game::Mana, 0);
}

TEST_F(GameTest, DamageSpellsHitEveryUnitOfTheNameOnBothSides) {
  MakeMage();
  Ref<TUnit> a = Place(game::kSideAttacker, 1, 1, 3);
  Ref<TUnit> b = Place(game::kSidePlayer, 5, 5, 3);
  Ref<TUnit> other = Place(game::kSideAttacker, 1, 1, 5);
  a->N = b->N = "BOB";

  CastNow("FEUERBALL BOB");
  EXPECT_EQ(a->hp, 35);
  EXPECT_EQ(b->hp, 5);
  EXPECT_EQ(other->hp, 50);
  EXPECT_EQ(game::Mana, 45);

  CastNow("GROSSER FEUERBALL BOB");
  EXPECT_EQ(a->hp, 10);
  EXPECT_EQ(game::Mana, 35);
  CastNow("VERDAMMT GROSSER FEUERBALL " + other->N);
  EXPECT_EQ(other->hp, 0);
  EXPECT_EQ(game::Mana, 15);

  // Healing never goes past max_hp, and heals attackers just the same.
  CastNow("HEILE BOB");
  EXPECT_EQ(a->hp, 20);
  EXPECT_EQ(b->hp, -20 + 10) << "b had -20 after the big fireball";
  CastNow("HEILE MAGIER");
  EXPECT_EQ(game::Player->hp, 10);
  EXPECT_EQ(game::Mana, 5);
}

TEST_F(GameTest, TargetIsWhatFollowsTheWordsAndOneCharacter) {
  Ref<TUnit> bob = Place(game::kSideAttacker, 1, 1, 3);
  bob->N = "BOB";
  CastNow("FEUERBALL");  // no target: costs, hits nothing
  EXPECT_EQ(game::Mana, 45);
  CastNow("FEUERBALL  BOB");  // aims at " BOB"
  EXPECT_EQ(bob->hp, 50);
  EXPECT_EQ(game::Mana, 40);
  CastNow("FEUERBALL-BOB");
  EXPECT_EQ(bob->hp, 35);
  CastNow("FEUERBALLXBOBBY");
  EXPECT_EQ(bob->hp, 35);
  EXPECT_EQ(game::Mana, 30);
}

TEST_F(GameTest, ShortManaSpendsNothingAndCastsNothing) {
  Ref<TUnit> bob = Place(game::kSideAttacker, 1, 1, 3);
  bob->N = "BOB";
  game::Mana = 9;
  CastNow("GROSSER FEUERBALL BOB");
  EXPECT_EQ(game::Mana, 9);
  EXPECT_EQ(bob->hp, 50);
  game::Mana = 10;
  CastNow("GROSSER FEUERBALL BOB");
  EXPECT_EQ(game::Mana, 0);
  EXPECT_EQ(bob->hp, 25);

  game::Mana = 29;
  CastNow("BESCHWOERE LINDWURM");
  EXPECT_EQ(CountUnits(), 1);
  EXPECT_EQ(game::Mana, 29);
  game::Mana = 79;
  CastNow("MACHTWORT ZEIT");
  EXPECT_EQ(bob->m_d, 2000);
  EXPECT_EQ(game::Mana, 79);
}

TEST_F(GameTest, SummonsCreateAlliesOfTheirKindOnTheFloor) {
  game::Mana = 100;
  CastNow("BESCHWOERE SKELETT");
  CastNow("BESCHWOERE DAEMON");
  CastNow("BESCHWOERE LINDWURM");
  EXPECT_EQ(game::Mana, 40);
  ASSERT_EQ(CountUnits(), 3);
  const int32_t frames[] = {10, 12, 14};
  int32_t i = 0;
  for (Ref<TUnit> u : game::UnitList->Each<TUnit>()) {
    EXPECT_EQ(u->fra, game::kSidePlayer);
    EXPECT_EQ(u->Frame, frames[i++]);
    EXPECT_EQ(game::TileMap->At(u->X, u->Y), game::kTileFloor);
  }
  // Whole-word spells take nothing after the words.
  CastNow("BESCHWOERE SKELETT X");
  EXPECT_EQ(CountUnits(), 3);
  EXPECT_EQ(game::Mana, 40);
}

TEST_F(GameTest, OfferingKillsNamedAlliesAndStrengthensTheMage) {
  MakeMage();
  Ref<TUnit> skeleton = Place(game::kSidePlayer, 3, 3, 3);
  Ref<TUnit> dragon = Place(game::kSidePlayer, 5, 5, 3);
  Ref<TUnit> enemy = Place(game::kSideAttacker, 0, 1, 3);
  skeleton->N = dragon->N = enemy->N = "KAFU";
  CastNow("OPFERGABE KAFU");
  EXPECT_EQ(skeleton->hp, 0);
  EXPECT_EQ(dragon->hp, 0);
  EXPECT_EQ(enemy->hp, 25);
  EXPECT_EQ(game::Player->max_hp, 10 + 15 / 7 + 20 / 7);
  EXPECT_EQ(game::Mana, 30);

  // Offering the mage itself loses the game at the top of the next frame.
  CastNow("OPFERGABE MAGIER");
  EXPECT_EQ(game::Player->hp, 0);
  game::LastSpawnTime = 1000000;
  EXPECT_EQ(game::PlayFrame(2000), game::FrameResult::Lost);
  EXPECT_STREQ(game::EndScreenPicture(game::FrameResult::Lost), "L.png");
}

TEST_F(GameTest, WordOfDeathUsesUpAllManaAndCostsTheMage) {
  MakeMage();
  game::Player->hp = 7;
  Ref<TUnit> brute = Place(game::kSideAttacker, 1, 1, 3);
  Ref<TUnit> skeleton = Place(game::kSidePlayer, 3, 3, 3);
  game::Mana = 51;
  CastNow("MACHTWORT TOD");
  EXPECT_EQ(brute->hp, 25);
  EXPECT_EQ(skeleton->hp, -10);
  EXPECT_EQ(game::Mana, 0);
  EXPECT_EQ(game::MaxMana, 90);
  EXPECT_EQ(game::Player->max_hp, 8);
  EXPECT_EQ(game::Player->hp, 1);

  // With no mana it still costs the cap and the mage's life.
  CastNow("MACHTWORT TOD");
  EXPECT_EQ(brute->hp, 25);
  EXPECT_EQ(game::MaxMana, 80);
  EXPECT_EQ(game::Player->max_hp, 6);
  EXPECT_EQ(game::Player->hp, 1);
  // Regeneration is capped by the lowered maximum.
  game::ChangeMana(100);
  EXPECT_EQ(game::Mana, 80);
}

TEST_F(GameTest, WordOfTimeHalvesEveryonesPaceWithoutWrapping) {
  MakeMage();
  Ref<TUnit> brute = Place(game::kSideAttacker, 1, 1, 3);
  Ref<TUnit> demon = Place(game::kSidePlayer, 4, 3, 3);
  game::Mana = 100;
  CastNow("MACHTWORT ZEIT");
  EXPECT_EQ(brute->m_d, 4000);
  EXPECT_EQ(demon->m_d, 200);
  EXPECT_EQ(game::Player->m_d, 0);
  EXPECT_EQ(game::Mana, 20);

  // A period near the int range saturates, and the unit then never ticks
  // instead of ticking every frame.
  brute->m_d = 1500000000;
  brute->m_t = 1000;
  game::Mana = 80;
  CastNow("MACHTWORT ZEIT");
  EXPECT_EQ(brute->m_d, std::numeric_limits<int32_t>::max());
  game::LastSpawnTime = 1000000;
  game::FrameTime = 5000;
  TUnit::Update();
  EXPECT_EQ(brute->m_t, 1000);
}

TEST_F(GameTest, InputLineUpperCasesTrimsAndCastsOnEnter) {
  Cast("  beschwoere skelett ");
  EXPECT_EQ(CountUnits(), 1);
  EXPECT_EQ(game::Mana, 40);
  EXPECT_EQ(game::InputText, vtl::String(""));

  // Backspace edits; on an empty line it does nothing.
  HitKey(8, 8);
  InputFrames(1);
  TypeChars("ab");
  InputFrames(2);
  HitKey(8, 8);
  InputFrames(1);
  EXPECT_EQ(game::InputText, vtl::String("A"));

  // One character per frame; the rest wait.
  TypeChars("xyz");
  InputFrames(1);
  EXPECT_EQ(game::InputText, vtl::String("AX"));
  InputFrames(2);
  EXPECT_EQ(game::InputText, vtl::String("AXYZ"));

  // A character typed in the frame of Enter goes with the queue.
  HitEnter();
  TypeChars("q");
  InputFrames(2);
  EXPECT_EQ(game::InputText, vtl::String(""));
}

TEST_F(GameTest, CursorBlinksEveryHalfSecondFromTheFirstFrame) {
  game::FrameTime = 1;
  game::UpdateInputLine();
  EXPECT_EQ(game::CursorShown, 1);
  EXPECT_EQ(game::CursorToggleTime, 501);
  game::FrameTime = 501;
  game::UpdateInputLine();
  EXPECT_EQ(game::CursorShown, 1);
  game::FrameTime = 502;
  game::UpdateInputLine();
  EXPECT_EQ(game::CursorShown, 0);
  EXPECT_EQ(game::CursorToggleTime, 1002);
}
