// Render image: a scene drawn into an image each frame, then drawn twice:
// full size, and scaled down and turned as a minimap in the corner.
//   example_render_image [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

// A small world of 400 x 300 pixels: a grid, a few houses and a walker.
void DrawWorld(int32_t frame) {
  SetClearColor(40, 90, 50);
  ClearBackBuffer();
  SetDrawColor(60, 120, 70);
  for (int32_t x = 0; x < 400; x += 40) DrawFilledRect(static_cast<float>(x), 0, 1, 300);
  for (int32_t y = 0; y < 300; y += 40) DrawFilledRect(0, static_cast<float>(y), 400, 1);
  const int32_t houses[4][2] = {{50, 40}, {250, 70}, {120, 190}, {300, 210}};
  for (const auto& h : houses) {
    SetDrawColor(170, 110, 70);
    DrawFilledRect(static_cast<float>(h[0]), static_cast<float>(h[1]), 50, 40);
    SetDrawColor(200, 60, 50);
    Ref<Array<float>> roof = NewArray<float>({6});
    const float corners[] = {-5, 0, 25, -22, 55, 0};
    for (int32_t i = 0; i < 6; ++i) (*roof)[i] = corners[i] + (i % 2 ? h[1] : h[0]);
    FillPolygon(roof);
  }
  const double a = frame * 0.05;
  SetDrawColor(250, 230, 90);
  FillEllipse(200 + static_cast<float>(std::cos(a) * 150) - 8, 150 + static_cast<float>(std::sin(a) * 100) - 8, 16, 16);
  SetDrawColor(255, 255, 255);
  DrawString("the world", 8, 280);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: render image";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TImage> world = CreateRenderImage(400, 300);
  do {
    SetRenderImage(world);  // draws go into the image, with its own viewport
    DrawWorld(run->FramesShown());
    SetRenderImage(nullptr);

    SetClearColor(16, 16, 24);
    ClearBackBuffer();
    SetDrawBlend(BlendSolid);
    DrawImageFrame(world, 20, 90);
    // The minimap: a quarter of the size, turned a little.
    SetDrawTransform(-8, 0.25f, 0.25f);
    DrawImageFrame(world, 468, 32);
    SetDrawTransform(0, 1, 1);
    SetDrawBlend(BlendAlpha);
    DrawString("drawn into an image, then drawn twice", 20, 40);
  } while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
