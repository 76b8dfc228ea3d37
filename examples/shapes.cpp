// Shapes: filled rectangles, ellipses and convex polygons, line segments of
// two widths, colours, and see-through shapes with alpha blending.
//   example_shapes [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>
#include <initializer_list>

#include "framework/framework.h"

namespace {

using namespace vtl;

// FillPolygon takes x, y pairs in an array of floats.
Ref<Array<float>> Points(std::initializer_list<float> xy) {
  Ref<Array<float>> points = NewArray<float>({static_cast<int32_t>(xy.size())});
  int32_t i = 0;
  for (float v : xy) (*points)[i++] = v;
  return points;
}

// A regular polygon around the draw origin; FillPolygon fills convex shapes.
Ref<Array<float>> RegularPolygon(int32_t corners, float radius) {
  Ref<Array<float>> points = NewArray<float>({corners * 2});
  for (int32_t i = 0; i < corners; ++i) {
    const double angle = 2 * 3.14159265358979 * i / corners;
    (*points)[2 * i] = static_cast<float>(radius * std::cos(angle));
    (*points)[2 * i + 1] = static_cast<float>(radius * std::sin(angle));
  }
  return points;
}

void DrawScene(int32_t frame) {
  SetClearColor(24, 28, 40);
  ClearBackBuffer();

  // Solid shapes: the colour holds until it is set again.
  SetDrawBlend(BlendSolid);
  SetDrawColor(220, 70, 60);
  DrawFilledRect(30, 30, 150, 100);
  SetDrawColor(70, 200, 100);
  FillEllipse(210, 30, 150, 100);
  SetDrawColor(80, 130, 240);
  FillPolygon(Points({440, 30, 500, 130, 380, 130}));
  // Polygon points are relative to the origin, and rotation turns them.
  SetDrawOrigin(570, 80);
  SetDrawRotation(static_cast<float>(frame * 2));
  SetDrawColor(240, 170, 40);
  FillPolygon(RegularPolygon(6, 45));
  SetDrawRotation(0);
  SetDrawOrigin(0, 0);

  // A fan of thin segments and a few thick ones.
  SetDrawColor(250, 230, 140);
  for (int32_t i = 0; i <= 12; ++i) DrawSegment(30, 300, 30 + i * 20, 170);
  SetDrawLineWidth(5);
  for (int32_t i = 0; i < 4; ++i) {
    SetDrawColor(100 + i * 50, 220 - i * 40, 255);
    DrawSegment(320, 180 + i * 35, 610, 170 + i * 45);
  }
  SetDrawLineWidth(1);

  // Alpha: three half-transparent discs mix where they overlap.
  SetDrawBlend(BlendAlpha);
  SetDrawAlpha(0.5f);
  const int32_t discs[3][5] = {{255, 60, 60, 200, 330}, {60, 255, 60, 260, 330}, {60, 60, 255, 230, 380}};
  for (const auto& d : discs) {
    SetDrawColor(d[0], d[1], d[2]);
    FillEllipse(static_cast<float>(d[3]), static_cast<float>(d[4]), 110, 110);
  }
  SetDrawAlpha(1);

  SetDrawColor(255, 255, 255);
  DrawString("rectangle, ellipse, polygons", 30, 140);
  DrawString("segments: SetDrawLineWidth", 320, 330);
  DrawString("alpha 0.5", 360, 440);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: shapes";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  do DrawScene(run->FramesShown());
  while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
