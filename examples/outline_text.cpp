// Text in an outline font: DejaVu Sans, as Debian's fonts-dejavu-core
// installs it, opened at two pixel sizes with LoadImageFontUrl and drawn with
// DrawString; StringWidth and FontHeight measure it in the font in use.
//   example_outline_text [--frames N] [--shot file.png]     Escape ends it.
#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr float kWidth = 640;
const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

Ref<TImageFont> LoadSans(float size, int32_t style) {
  Ref<TImageFont> font = LoadImageFontUrl(kSans, size, style);
  if (font == nullptr) RuntimeError(String("cannot open ") + kSans);
  return font;
}

void DrawScene(const Ref<TImageFont>& large, const Ref<TImageFont>& small, const Ref<TImageFont>& smooth,
               int32_t frame) {
  SetClearColor(245, 240, 228);
  ClearBackBuffer();
  SetDrawBlend(BlendAlpha);  // the glyphs' grey edges blend into the page

  SetDrawFont(large);
  SetDrawColor(40, 50, 90);
  // Whole-pixel pen positions keep the unfiltered glyphs exactly as rendered.
  const String title = "DejaVu Sans, 48 pixels";
  const float left = static_cast<float>((static_cast<int32_t>(kWidth) - StringWidth(title)) / 2);
  DrawString(title, left, 30);
  SetDrawColor(180, 70, 40);
  DrawFilledRect(left, 30 + FontHeight() + 2.0f, static_cast<float>(StringWidth(title)), 3);

  SetDrawFont(small);
  SetDrawColor(30, 30, 30);
  const char* const lines[] = {
      "The same face at 18 pixels: glyphs are rendered once,", "on first use, and kept as images. Grüße, Æsir, Ça va!",
      "Characters the face lacks are skipped; StringWidth and", "FontHeight measure in the font set with SetDrawFont."};
  float y = 120;
  for (const char* line : lines) {
    DrawString(line, 30, y);
    y += static_cast<float>(FontHeight());
  }

  // Right-aligned numbers, measured in the font in use.
  for (int32_t i = 0; i < 4; ++i) {
    const String n = StringFromInt((frame + 1) * (i * 997 + 13));
    DrawString(n, kWidth - 30 - StringWidth(n), 240 + i * static_cast<float>(FontHeight()));
    DrawString("row " + StringFromInt(i + 1), 30, 240 + i * static_cast<float>(FontHeight()));
  }

  // FONT_SMOOTH pads each glyph and filters it, so that turned and scaled text stays smooth.
  SetDrawFont(smooth);
  SetDrawColor(20, 110, 70);
  SetDrawRotation(-8);
  SetDrawScale(1.5f, 1.5f);
  DrawString("turned and scaled", 60, 390);
  SetDrawScale(1, 1);
  SetDrawRotation(0);

  SetDrawFont(nullptr);  // back to the built-in font
  SetDrawColor(90, 90, 90);
  DrawString("Escape ends the example", 30, 450);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: outline text";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TImageFont> large = LoadSans(48, 0), small = LoadSans(18, 0), smooth = LoadSans(24, FONT_SMOOTH);
  do DrawScene(large, small, smooth, run->FramesShown());
  while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
