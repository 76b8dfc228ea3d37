// Shared set-up for the headless game tests: a fresh game state with the
// real map, a fixed seed, and keyboard input fed as desktop events.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/game.h"
#include "system/system.h"

class GameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    vtl::InitSystem();
    vtl::StartPolledInput(nullptr);
  }

  void SetUp() override {
    game::ResetGameState();
    vtl::RestoreData(game::MapData);
    game::TK::Load();
    vtl::SeedRandom(20240601);
    vtl::FlushInput();
  }

  void TearDown() override {
    game::UnitList->Clear();
    game::Player = nullptr;
  }

  // A unit of that side and kind standing on (x, y), heading and hand given.
  static vtl::Ref<game::TUnit> Place(int32_t fra, int32_t kind, int32_t x, int32_t y, int32_t hand = 1,
                                     int32_t richt = 0) {
    vtl::Ref<game::TUnit> u = game::TUnit::Create(fra, kind);
    u->X = x;
    u->Y = y;
    u->hand = hand;
    u->richt = richt;
    return u;
  }

  // The mage as the main program sets it up, at (10, 8).
  static vtl::Ref<game::TUnit> MakeMage() {
    game::Player = vtl::New<game::TUnit>();
    game::Player->N = "MAGIER";
    game::Player->fra = game::kSidePlayer;
    game::Player->X = 10;
    game::Player->Y = 8;
    game::Player->hp = game::Player->max_hp = 10;
    game::Player->dmg = 5;
    game::Player->Frame = 3;
    game::Player->hand = 0;
    return game::Player;
  }

  static void Emit(int32_t id, int32_t data) {
    vtl::BroadcastEvent(vtl::MakeEvent(id, nullptr, data, 0, 0, 0, nullptr));
  }
  // Characters as the desktop delivers them when typed.
  static void TypeChars(const std::string& text) {
    for (unsigned char c : text) Emit(vtl::EVENT_KEYCHAR, c);
  }
  // A press and release of a key, with the character it produces.
  static void HitKey(int32_t key, int32_t ch) {
    Emit(vtl::EVENT_KEYDOWN, key);
    if (ch != 0) Emit(vtl::EVENT_KEYCHAR, ch);
    Emit(vtl::EVENT_KEYUP, key);
  }
  static void HitEnter() { HitKey(13, 13); }

  // Runs UpdateInputLine for `frames` frames, 16 ms apart, from `start`.
  static void InputFrames(int32_t frames, float start = 1000) {
    for (int32_t i = 0; i < frames; ++i) {
      game::FrameTime = start + 16.0f * static_cast<float>(i);
      game::UpdateInputLine();
    }
  }

  // Types an incantation one character per frame, then casts it with Enter.
  static void Cast(const std::string& text) {
    TypeChars(text);
    InputFrames(static_cast<int32_t>(text.size()));
    HitEnter();
    InputFrames(1);
  }

  static int32_t CountUnits() { return game::UnitList->Count(); }
};
