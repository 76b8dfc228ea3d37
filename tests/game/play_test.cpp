// Whole games through the real frame, clock values chosen by the test.
#include "game_fixture.h"

using game::FrameResult;

namespace {

constexpr int32_t kFrameMillis = 17;
constexpr int32_t kGameStart = 5000;

}  // namespace

class PlayTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    vtl::RestoreData(game::MapData);  // the main program reads the map itself
    game::SetUpDungeon(kGameStart);
    now_ = kGameStart;
  }

  // Plays frames until the game ends or `limitMillis` of game time pass.
  // `helper` runs before every frame (it may type).
  template <class Helper>
  FrameResult PlayUntilEnd(int32_t limitMillis, Helper helper) {
    while (now_ < kGameStart + limitMillis) {
      now_ += kFrameMillis;
      helper();
      FrameResult r = game::PlayFrame(now_);
      if (r != FrameResult::Playing) return r;
    }
    return FrameResult::Playing;
  }

  int32_t now_ = 0;
};

TEST_F(PlayTest, SetUpPlacesTheMageAndThreeSkeletons) {
  ASSERT_EQ(CountUnits(), 4);
  EXPECT_EQ(game::Player->N.Length(), 8);
  EXPECT_EQ(game::Player->X, 10);
  EXPECT_EQ(game::Player->Y, 8);
  EXPECT_EQ(game::Player->hand, 0);
  EXPECT_EQ(game::Player->Frame, 3);
  EXPECT_EQ(game::LastSpawnTime, kGameStart);
  int32_t skeletons = 0;
  for (vtl::Ref<game::TUnit> u : game::UnitList->Each<game::TUnit>()) skeletons += u->Frame == 10;
  EXPECT_EQ(skeletons, 3);
}

TEST_F(PlayTest, EscapeEndsTheFrameAndTheFirstAttackerComesAfterTenSeconds) {
  EXPECT_EQ(game::PlayFrame(kGameStart + 10000), FrameResult::Playing);
  EXPECT_EQ(CountUnits(), 4);
  EXPECT_EQ(game::PlayFrame(kGameStart + 10001), FrameResult::Playing);
  EXPECT_EQ(CountUnits(), 5);
  EXPECT_EQ(game::Mana, 60);
  HitKey(27, 27);
  EXPECT_EQ(game::PlayFrame(kGameStart + 10018), FrameResult::Quit);
  // The close button ends it the same way.
  Emit(vtl::EVENT_APPTERMINATE, 0);
  EXPECT_EQ(game::PlayFrame(kGameStart + 10035), FrameResult::Quit);
}

TEST_F(PlayTest, UndefendedMageIsOverrunAndTheGameIsLost) {
  const FrameResult result = PlayUntilEnd(3600 * 1000, [] {});
  ASSERT_EQ(result, FrameResult::Lost);
  EXPECT_LE(game::Player->hp, 0);
  EXPECT_LT(game::KillCount, 300);
  EXPECT_STREQ(game::EndScreenPicture(result), "L.png");
}

TEST_F(PlayTest, MageWithSummonedDemonsSeesAllThreeHundredDie) {
  // A mage too tough to fall, defended by a demon whenever the mana allows.
  game::Player->hp = game::Player->max_hp = 1000000;
  const std::string spell = "BESCHWOERE DAEMON";
  int32_t typed = -1;
  auto summoner = [&] {
    if (typed < 0 && game::Mana >= 20) {
      TypeChars(spell);
      typed = 0;
    } else if (typed >= 0 && ++typed == static_cast<int32_t>(spell.size()) + 1) {
      HitEnter();
      typed = -1;
    }
  };
  const FrameResult result = PlayUntilEnd(4 * 3600 * 1000, summoner);
  ASSERT_EQ(result, FrameResult::Won);
  EXPECT_EQ(game::KillCount, 300);
  EXPECT_LE(game::AttackersLeft, 0);
  EXPECT_STREQ(game::EndScreenPicture(result), "W.png");
  // Nothing that is left on the map is an attacker.
  for (vtl::Ref<game::TUnit> u : game::UnitList->Each<game::TUnit>()) EXPECT_NE(u->fra, game::kSideAttacker);
}
