// Catch the falling stars with the paddle: arrow keys move it, Escape quits.
#include <cmath>
#include <numbers>

#include "framework/framework.h"

using namespace vtl;

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr float kPaddleWidth = 80, kPaddleY = 440, kStarSize = 12;

struct Game {
  float paddleX = (kWidth - kPaddleWidth) / 2;
  float starX = 0, starY = 0, starSpeed = 0;
  int32_t score = 0, missed = 0;
};

// A short rising beep, made in code: 16-bit mono samples at 22050 Hz.
Ref<TSound> MakeBeep() {
  constexpr int32_t rate = 22050, frames = rate / 10;
  Ref<TAudioSample> sample = NewAudioSample(frames, rate, AUDIO_MONO16LE);
  auto* pcm = reinterpret_cast<int16_t*>(sample->samples);
  for (int32_t i = 0; i < frames; ++i) {
    const double hertz = 600 + 600.0 * i / frames, fade = 1.0 - static_cast<double>(i) / frames;
    pcm[i] = static_cast<int16_t>(9000 * fade * std::sin(2 * std::numbers::pi * hertz * i / rate));
  }
  return LoadSoundUrl(sample, 0);
}

void DropStar(Game& game) {
  game.starX = static_cast<float>(RandomRange(20, kWidth - 20));
  game.starY = -kStarSize;
  game.starSpeed = static_cast<float>(RandomRange(3, 6));
}

// Input and rules: one step of the game per frame.
void Update(Game& game, const Ref<TSound>& beep) {
  if (KeyIsDown(KEY_LEFT)) game.paddleX -= 7;
  if (KeyIsDown(KEY_RIGHT)) game.paddleX += 7;
  if (game.paddleX < 0) game.paddleX = 0;
  if (game.paddleX > kWidth - kPaddleWidth) game.paddleX = kWidth - kPaddleWidth;

  game.starY += game.starSpeed;
  const bool overPaddle = game.starX >= game.paddleX && game.starX <= game.paddleX + kPaddleWidth;
  if (game.starY >= kPaddleY - kStarSize && game.starY < kPaddleY && overPaddle) {
    ++game.score;
    StartSound(beep);
    DropStar(game);
  } else if (game.starY > kHeight) {
    ++game.missed;
    DropStar(game);
  }
}

void Draw(const Game& game) {
  SetClearColor(16, 20, 40);
  ClearBackBuffer();
  SetDrawColor(255, 220, 90);
  FillEllipse(game.starX - kStarSize / 2, game.starY - kStarSize / 2, kStarSize, kStarSize);
  SetDrawColor(90, 200, 255);
  DrawFilledRect(game.paddleX, kPaddleY, kPaddleWidth, 12);

  SetDrawColor(255, 255, 255);
  DrawString("Caught " + StringFromInt(game.score) + "   missed " + StringFromInt(game.missed), 10, 10);
  const String help = "Arrow keys move, Escape quits";
  DrawString(help, static_cast<float>(kWidth - StringWidth(help) - 10), 10);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Catch the stars";
  // --frames N and --shot FILE for automated runs; nothing without them.
  Ref<TFrameRun> run = TFrameRun::Create();
  // A 640 x 480 window (depth 0) whose FlipBuffers paces to 60 frames a second.
  if (OpenGraphics(kWidth, kHeight, 0, 60) == nullptr) RuntimeError("No window: " + LastErrorText());
  Ref<TSound> beep = MakeBeep();
  Game game;
  DropStar(game);

  for (;;) {
    Update(game, beep);
    Draw(game);
    const bool quit = TakeKeyHits(KEY_ESCAPE) != 0 || TakeTerminateRequest() != 0;
    const bool last = run->EndFrame(quit) != 0;
    FlipBuffers();  // show the frame, then wait for the next 60th of a second
    if (last) break;
  }
}

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
