#include "game/main_program.h"

#include "framework/framework.h"
#include "game/drawing.h"
#include "game/globals.h"
#include "game/incantations.h"
#include "game/map.h"
#include "game/unit.h"
#include "graphics/graphics.h"
#include "image/image.h"
#include "system/system.h"

namespace game {
namespace {

constexpr int32_t kEndScreenPauseMillis = 2000;

// A picture the game cannot do without: a missing or unreadable file ends the
// program in order, naming the file, instead of failing somewhere later.
[[noreturn]] void MissingPicture(const char* file) {
  vtl::RuntimeError(vtl::String("CryptVenture: cannot load the picture \"") + file +
                    "\" (missing or not a readable PNG) from " + vtl::ProgramDirectory);
}

vtl::Ref<vtl::TImage> LoadPicture(const char* file) {
  vtl::Ref<vtl::TImage> image = vtl::LoadImageUrl(vtl::String(file), -1);
  if (image == nullptr) MissingPicture(file);
  return image;
}

void DrawPicture(const char* file) { vtl::DrawImageFrame(LoadPicture(file), 0, 0, 0); }

// Shows the back buffer at the 60 Hz frame tick. Headless there is nothing
// to show.
void ShowBackBuffer() {
  if (vtl::CurrentGraphics() != nullptr) vtl::FlipBuffers(-1);
}

// Waits for a fresh key. Closing the window while waiting ends the program,
// so that the close button works on the title and end screens too.
void WaitKeyOrClose() {
  vtl::FlushInput();
  for (;;) {
    vtl::AwaitSystemEvents();
    if (vtl::TakeTerminateRequest() != 0) vtl::EndProgram();
    for (int32_t key = 1; key < 256; ++key) {
      if (vtl::TakeKeyHits(key) != 0) return;
    }
  }
}

void DrawStatusLines() {
  SetDrawState(255, 255, 0, 1.0f, 0);
  DrawBoxedText(vtl::StringFromInt(Mana) + " von " + vtl::StringFromInt(MaxMana) + " Mana", 400, 500);
  SetDrawState(255, 255, 255, 1.0f, 0);
  DrawBoxedText("Noch " + vtl::StringFromInt(kAttackerTotal - KillCount) + " Angreifer!", 400, 580);
}

}  // namespace

void SetUpDungeon(int32_t nowMillis) {
  // The first attacker comes one interval after the title was dismissed.
  LastSpawnTime = nowMillis;
  TK::Load();

  Player = vtl::New<TUnit>();
  Player->N = TUnit::GetN(8);
  Player->Frame = 3;
  Player->fra = kSidePlayer;
  Player->X = 10;
  Player->Y = 8;
  Player->hp = 10;
  Player->max_hp = 10;
  Player->dmg = 5;
  // With no hand the mage never moves and never starts a fight.
  Player->hand = 0;

  for (int32_t i = 0; i < 3; ++i) TUnit::Create(kSidePlayer, 3);
}

FrameResult PlayFrame(int32_t nowMillis) {
  FrameTime = static_cast<float>(nowMillis);
  if (Player->hp <= 0) return FrameResult::Lost;
  if (KillCount == kAttackerTotal) return FrameResult::Won;

  UpdateInputLine();
  TK::Draw();
  TUnit::Update();
  DrawStatusLines();

  ShowBackBuffer();
  vtl::ClearBackBuffer();
  if (vtl::TakeKeyHits(vtl::KEY_ESCAPE) != 0 || vtl::TakeTerminateRequest() != 0) return FrameResult::Quit;
  return FrameResult::Playing;
}

const char* EndScreenPicture(FrameResult result) {
  switch (result) {
    case FrameResult::Lost: return "L.png";
    case FrameResult::Won: return "W.png";
    default: return "";
  }
}

void ShowEndScreen(FrameResult result) {
  DrawPicture(EndScreenPicture(result));
  if (result == FrameResult::Lost) DrawBoxedText(vtl::StringFromInt(KillCount), 400, 290);
  // Keys pressed during the pause must not skip the screen.
  vtl::SleepMillis(kEndScreenPauseMillis);
  vtl::FlushInput();
  ShowBackBuffer();
  WaitKeyOrClose();
  vtl::EndProgram();
}

void Main() {
  vtl::RestoreData(MapData);
  vtl::InitFramework();
  ResetGameState();
  vtl::ApplicationTitle = "CryptVenture";
  if (vtl::OpenGraphics(800, 600, 0, 60, 0) == nullptr) {
    vtl::RuntimeError("CryptVenture: cannot open an 800 x 600 window (is a display with OpenGL available?)");
  }
  vtl::SeedRandom(vtl::CurrentMillis());

  DrawPicture("T.png");
  ShowBackBuffer();
  WaitKeyOrClose();

  TileSheet = vtl::LoadAnimatedImage(vtl::String("gfx.png"), 32, 32, 0, 16, -1);
  if (TileSheet == nullptr) MissingPicture("gfx.png");
  SetUpDungeon(vtl::CurrentMillis());

  for (;;) {
    const FrameResult result = PlayFrame(vtl::CurrentMillis());
    if (result == FrameResult::Quit) vtl::EndProgram();
    if (result != FrameResult::Playing) ShowEndScreen(result);
  }
}

}  // namespace game
