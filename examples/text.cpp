// Text in the built-in 8 x 16 font: every character it has, colours, scale,
// rotation, alpha, and lining text up with StringWidth and FontHeight.
//   example_text [--frames N] [--shot file.png]     Escape ends it.
#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr float kWidth = 640;

// Centred on x, on a box with a margin: measures come from the font.
void DrawLabel(const String& text, float x, float y) {
  const float w = static_cast<float>(StringWidth(text)), h = static_cast<float>(FontHeight());
  SetDrawColor(40, 60, 110);
  DrawFilledRect(x - w / 2 - 6, y - 4, w + 12, h + 8);
  SetDrawColor(255, 255, 255);
  DrawString(text, x - w / 2, y);
}

void DrawScene(int32_t frame) {
  SetClearColor(12, 14, 22);
  ClearBackBuffer();
  SetDrawBlend(BlendAlpha);

  // The font covers the printable codes 32 to 126, 32 to a row.
  SetDrawColor(150, 230, 255);
  for (int32_t row = 0; row < 3; ++row) {
    String line;
    for (int32_t code = 32 + row * 32; code < 64 + row * 32 && code < 127; ++code) line = line + StringFromChar(code);
    DrawString(line, 20, 20 + row * static_cast<float>(FontHeight()));
  }

  // Left, centred and right aligned.
  SetDrawColor(255, 220, 120);
  DrawString("left", 20, 90);
  DrawString("centre", (kWidth - StringWidth("centre")) / 2, 90);
  DrawString("right", kWidth - 20 - StringWidth("right"), 90);

  // Scale makes the 8 x 16 glyphs bigger; they stay pixel sharp.
  const int32_t colours[3][3] = {{255, 90, 90}, {90, 255, 120}, {120, 150, 255}};
  for (int32_t i = 0; i < 3; ++i) {
    SetDrawScale(i + 1.0f, i + 1.0f);
    SetDrawColor(colours[i][0], colours[i][1], colours[i][2]);
    DrawString("Scale " + StringFromInt(i + 1), 20, 130 + i * 36.0f + i * i * 8.0f);
  }
  SetDrawScale(1, 1);

  // Rotation turns text around its start.
  SetDrawColor(200, 255, 200);
  for (int32_t angle = -60; angle <= 60; angle += 30) {
    SetDrawRotation(static_cast<float>(angle));
    DrawString("  rotated", 440, 200);
  }
  SetDrawRotation(0);

  // Alpha fades text; the frame counter changes every frame.
  for (int32_t i = 0; i < 5; ++i) {
    SetDrawAlpha(1 - i * 0.2f);
    DrawString("fading", 20 + i * 70.0f, 320);
  }
  SetDrawAlpha(1);
  DrawLabel("frame " + StringFromInt(frame) + ", text " + StringFromInt(FontHeight()) + " pixels high", kWidth / 2,
            380);
  DrawLabel("Escape ends the example", kWidth / 2, 430);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: text";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  do DrawScene(run->FramesShown());
  while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
