// A small tour of Ren2D: shapes, blend modes, rotated and scaled images, a
// tiled strip and text in the built-in font.
#include <cmath>

#include "framework/framework.h"
#include "graphics/graphics.h"
#include "runtime/module.h"
#include "runtime/program.h"
#include "system/system.h"

namespace {

using namespace vtl;

// A 32 x 32 sprite: a ring with a bright core on a transparent background.
Ref<TImage> MakeSprite() {
  Ref<TPixmap> p = NewPixmap(32, 32, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const double d = std::hypot(x - 15.5, y - 15.5);
      uint32_t argb = 0;
      if (d < 6)
        argb = 0xFFFFF080u;
      else if (d < 14)
        argb = 0xFF000000u | uint32_t(40 + 12 * d) << 16 | uint32_t(120 + 8 * d) << 8 | 220u;
      p->WritePixel(x, y, argb);
    }
  Ref<TImage> image = LoadImageUrl(p, ImageFlagFilter);
  CentreImageHandle(image);
  return image;
}

// Two cells of 16 x 16: a checker tile and a striped one.
Ref<TImage> MakeTiles() {
  Ref<TPixmap> p = NewPixmap(32, 16, FMT_RGB888, 4);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const bool checker = ((x / 4) + (y / 4)) % 2 == 0;
      const bool stripe = (x + y) % 6 < 3;
      p->WritePixel(x, y, x < 16 ? (checker ? 0xFF305070u : 0xFF203040u) : (stripe ? 0xFF704030u : 0xFF402018u));
    }
  return LoadAnimatedImage(p, 16, 16, 0, 2, 0);
}

void DrawScene(const Ref<TImage>& sprite, const Ref<TImage>& tiles, float t) {
  SetClearColor(16, 20, 32);
  ClearBackBuffer();

  SetDrawViewport(0, 520, 800, 80);
  TileImageFrame(tiles, t * 20, 0, 0);
  SetDrawViewport(0, 0, 800, 600);

  SetDrawBlend(BlendSolid);
  SetDrawColor(200, 60, 60);
  DrawFilledRect(40, 60, 120, 80);
  SetDrawColor(60, 200, 90);
  FillEllipse(190, 60, 120, 80);
  SetDrawColor(80, 120, 230);
  auto triangle = NewArray<float>({6});
  float corners[] = {400, 60, 460, 140, 340, 140};
  for (int i = 0; i < 6; ++i) (*triangle)[i] = corners[i];
  FillPolygon(triangle);
  SetDrawColor(240, 220, 120);
  for (int i = 0; i < 8; ++i) DrawSegment(500, 60 + i * 10, 760, 140 - i * 10, 1);

  const char* names[] = {"masked", "solid", "alpha", "additive", "multiply"};
  for (int32_t mode = 1; mode <= 5; ++mode) {
    const float x = 40 + (mode - 1) * 150;
    SetDrawBlend(BlendSolid);
    SetDrawAlpha(1);
    SetDrawColor(120, 120, 120);
    DrawFilledRect(x, 180, 110, 60);
    SetDrawBlend(mode);
    SetDrawAlpha(0.6f);
    SetDrawColor(255, 140, 40);
    FillEllipse(x + 25, 190, 60, 40);
    SetDrawBlend(BlendAlpha);
    SetDrawAlpha(1);
    SetDrawColor(255, 255, 255);
    DrawString(names[mode - 1], x, 246);
  }

  SetDrawBlend(BlendAlpha);
  for (int i = 0; i < 8; ++i) {
    SetDrawRotation(t * 40 + i * 45);
    SetDrawScale(1 + i * 0.25f, 1 + i * 0.25f);
    SetDrawColor(255, 255 - i * 25, 160 + i * 10);
    DrawImageFrame(sprite, 70 + i * 92, 340);
  }
  SetDrawRotation(0);
  SetDrawScale(1, 1);

  SetDrawColor(255, 255, 255);
  DrawString("Ren2D over OpenGL: shapes, blending, images, tiles and text.", 40, 420);
  SetDrawColor(120, 230, 255);
  DrawString("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789", 40, 444);
  DrawString("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", 40, 468);
  SetDrawScale(2, 2);
  SetDrawColor(255, 200, 80);
  DrawString("Scaled text", 480, 12);
  SetDrawScale(1, 1);
  SetDrawRotation(-90);
  SetDrawColor(180, 255, 180);
  DrawString("rotated", 12, 300);
  SetDrawRotation(0);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel graphics demo";
  if (!OpenGraphics(800, 600, 0, 60, 0)) RuntimeError("No window could be opened");
  Ref<TImage> sprite = MakeSprite();
  Ref<TImage> tiles = MakeTiles();
  const bool screenshot = ProgramArguments->Length() > 1;
  const int32_t start = CurrentMillis();
  while (true) {
    DrawScene(sprite, tiles, (CurrentMillis() - start) / 1000.0f);
    if (screenshot) {
      if (!SaveScreenshot((*ProgramArguments)[1])) RuntimeError(LastErrorText());
      break;
    }
    FlipBuffers(-1);
    if (TakeKeyHits(KEY_ESCAPE) || TakeTerminateRequest()) break;
  }
  EndProgram();
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
