// Sprites: an image made in code from a pixmap, drawn rotated, scaled,
// tinted and in each of the five blend modes.
//   example_sprites [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

// A 48 x 48 sprite: a blue glow that fades out towards its edge, with an
// opaque white pointer so that rotation shows. The see-through corners are
// white, which the modes that ignore alpha (solid, multiply) show.
Ref<TImage> MakeSprite() {
  Ref<TPixmap> pixmap = NewPixmap(48, 48, FMT_RGBA8888);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 48; ++x) {
      const double dx = x - 23.5, dy = y - 23.5, d = std::hypot(dx, dy);
      uint32_t argb = 0x00FFFFFFu;  // packed colour: alpha, red, green, blue
      if (dx > 0 && std::fabs(dy) < 4 && d < 22) {
        argb = 0xFFFFFFFFu;
      } else if (d < 24) {
        argb = static_cast<uint32_t>(255 * (1 - d / 24)) << 24 | 0x40A0FFu;
      }
      pixmap->WritePixel(x, y, argb);
    }
  }
  // Filtered for smooth turning and scaling; drawn around its centre.
  Ref<TImage> image = LoadImageUrl(pixmap, ImageFlagFilter);
  CentreImageHandle(image);
  return image;
}

void DrawScene(const Ref<TImage>& sprite, int32_t frame) {
  SetClearColor(30, 30, 36);
  ClearBackBuffer();
  SetDrawBlend(BlendAlpha);

  DrawString("rotation", 20, 20);
  for (int32_t i = 0; i < 8; ++i) {
    SetDrawRotation(i * 45.0f + frame * 3);
    DrawImageFrame(sprite, 50 + i * 76.0f, 80);
  }
  SetDrawRotation(0);

  DrawString("scale and tint", 20, 130);
  const float scales[5][2] = {{0.5f, 0.5f}, {1, 1}, {1.5f, 1.5f}, {2, 2}, {2.5f, 1}};
  const int32_t tints[5][3] = {{255, 255, 255}, {255, 220, 120}, {160, 255, 160}, {255, 150, 255}, {140, 220, 255}};
  for (int32_t i = 0; i < 5; ++i) {
    SetDrawScale(scales[i][0], scales[i][1]);
    SetDrawColor(tints[i][0], tints[i][1], tints[i][2]);  // the colour multiplies the image's
    DrawImageFrame(sprite, 50 + i * 120.0f, 210);
  }
  SetDrawScale(1, 1);
  SetDrawColor(255, 255, 255);

  // Each blend mode over the same stripes.
  const char* names[] = {"masked", "solid", "alpha", "additive", "multiply"};
  for (int32_t mode = BlendMasked; mode <= BlendMultiply; ++mode) {
    const float x = 20 + (mode - 1) * 122.0f;
    SetDrawBlend(BlendSolid);
    for (int32_t s = 0; s < 8; ++s) {
      SetDrawColor(s % 2 ? 200 : 90, s % 2 ? 170 : 60, 60);
      DrawFilledRect(x, 310 + s * 12.0f, 110, 12);
    }
    SetDrawColor(255, 255, 255);
    SetDrawBlend(mode);
    SetDrawScale(1.8f, 1.8f);
    DrawImageFrame(sprite, x + 55, 358);
    SetDrawScale(1, 1);
    SetDrawBlend(BlendAlpha);
    DrawString(names[mode - 1], x + 55 - StringWidth(names[mode - 1]) / 2.0f, 414);
  }
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: sprites";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TImage> sprite = MakeSprite();
  do DrawScene(sprite, run->FramesShown());
  while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
