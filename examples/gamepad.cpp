// Gamepads and joysticks: a sprite moved by the left stick or the D-pad (a
// plain joystick's first two axes or its hat), the buttons lit while held,
// the triggers as bars, and A rumbling where the pad can. Devices can come
// and go while it runs; with none connected it says so.
//   example_gamepad [--frames N] [--shot file.png]     Escape ends it.
#include <algorithm>
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr float kDeadZone = 0.2f;  // sticks rarely rest at exactly 0
constexpr float kSpeed = 5.0f;     // pixels per frame at full tilt

const char* const kGamepadButtons[] = {"A",  "B",  "X",  "Y",  "Back", "Guide", "Start", "LS",
                                       "RS", "LB", "RB", "Up", "Down", "Left",  "Right"};

// A round 32 x 32 sprite with a bright rim.
Ref<TImage> MakeSprite() {
  Ref<TPixmap> pixmap = NewPixmap(32, 32, FMT_RGBA8888);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 32; ++x) {
      const double d = std::hypot(x - 15.5, y - 15.5);
      uint32_t argb = 0;  // packed colour: alpha, red, green, blue
      if (d < 13) argb = 0xFF3070E0u;
      if (d >= 13 && d < 16) argb = 0xFFB0E0FFu;
      pixmap->WritePixel(x, y, argb);
    }
  }
  Ref<TImage> image = LoadImageUrl(pixmap, ImageFlagFilter);
  CentreImageHandle(image);
  return image;
}

// The lowest port with a device (a connected device always has a name), or -1.
int32_t FirstPort() {
  if (JoyCount() == 0) return -1;
  for (int32_t port = 0; port < 256; ++port) {
    if (JoyName(port).Length() > 0) return port;
  }
  return -1;
}

float Tilt(int32_t port, int32_t axis) {
  const float v = JoyAxis(port, axis);
  return std::fabs(v) < kDeadZone ? 0.0f : v;
}

void Move(int32_t port, float& x, float& y) {
  float dx = Tilt(port, 0), dy = Tilt(port, 1);  // JOY_LEFTX and JOY_LEFTY on a gamepad
  if (JoyIsGamepad(port)) {
    dx += JoyButtonIsDown(port, JOY_DPAD_RIGHT) - JoyButtonIsDown(port, JOY_DPAD_LEFT);
    dy += JoyButtonIsDown(port, JOY_DPAD_DOWN) - JoyButtonIsDown(port, JOY_DPAD_UP);
  } else {
    const int32_t hat = JoyHat(port, 0);
    dx += ((hat & JOY_HAT_RIGHT) != 0) - ((hat & JOY_HAT_LEFT) != 0);
    dy += ((hat & JOY_HAT_DOWN) != 0) - ((hat & JOY_HAT_UP) != 0);
  }
  x = std::clamp(x + kSpeed * std::clamp(dx, -1.0f, 1.0f), 20.0f, 620.0f);
  y = std::clamp(y + kSpeed * std::clamp(dy, -1.0f, 1.0f), 200.0f, 460.0f);
}

void DrawButton(const String& label, bool down, float x, float y) {
  SetDrawColor(down ? 255 : 60, down ? 200 : 60, down ? 60 : 70);
  DrawFilledRect(x, y, 56, 22);
  SetDrawColor(down ? 0 : 200, down ? 0 : 200, down ? 0 : 200);
  DrawString(label, x + 28 - StringWidth(label) / 2.0f, y + 3);
}

void DrawButtons(int32_t port) {
  const bool gamepad = JoyIsGamepad(port) != 0;
  const int32_t count = gamepad ? 15 : std::min(JoyButtonCount(port), 30);
  for (int32_t b = 0; b < count; ++b) {
    const String label = gamepad ? String(kGamepadButtons[b]) : StringFromInt(b);
    DrawButton(label, JoyButtonIsDown(port, b) != 0, 20 + (b % 10) * 60.0f, 90 + (b / 10) * 26.0f);
  }
  if (gamepad) {
    SetDrawColor(255, 120, 80);
    DrawFilledRect(20, 150, 200 * JoyAxis(port, JOY_TRIGGERLEFT), 10);
    DrawFilledRect(260, 150, 200 * JoyAxis(port, JOY_TRIGGERRIGHT), 10);
    SetDrawColor(255, 255, 255);
    DrawString("LT", 20, 162);
    DrawString("RT", 260, 162);
  }
}

void DrawScene(const Ref<TImage>& sprite, float x, float y, int32_t port) {
  SetClearColor(24, 26, 34);
  ClearBackBuffer();
  SetDrawColor(255, 255, 255);
  if (port < 0) {
    DrawString("No gamepad or joystick connected.", 20, 20);
    DrawString("Plug one in: it is picked up at once.", 20, 40);
  } else {
    const String kind = JoyIsGamepad(port) ? String("gamepad") : String("joystick");
    DrawString(StringFromInt(JoyCount()) + " connected; port " + StringFromInt(port) + ": " + JoyName(port) + " (" +
                   kind + ")",
               20, 20);
    DrawString("Left stick or D-pad moves the ball; A rumbles.", 20, 40);
    DrawButtons(port);
  }
  SetDrawColor(255, 255, 255);
  DrawImageFrame(sprite, x, y);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: gamepad";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TImage> sprite = MakeSprite();
  float x = 320, y = 330;
  do {
    const int32_t port = FirstPort();
    if (port >= 0) {
      Move(port, x, y);
      if (TakeJoyButtonHits(port, JOY_A) && JoyIsGamepad(port)) JoyRumble(port, 0.6f, 0.3f, 150);
    }
    DrawScene(sprite, x, y, port);
  } while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
