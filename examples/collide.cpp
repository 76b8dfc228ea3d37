// Collide: two sprites turn and swing past each other, and turn red while
// they share an opaque pixel. Their bounding boxes are drawn in grey: the
// boxes often meet while the gaps of the wheel and the hollow of the
// crescent keep the sprites apart, which only a pixel-exact test tells.
//   example_collide [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr double kPi = 3.14159265358979;

// A 72 x 72 sprite, opaque where inside(dx, dy) holds for the pixel centre's
// offset from the middle; the rest is see-through.
template <class Inside>
Ref<TImage> MakeSprite(uint32_t rgb, Inside inside) {
  Ref<TPixmap> pixmap = NewPixmap(72, 72, FMT_RGBA8888);
  for (int32_t y = 0; y < 72; ++y)
    for (int32_t x = 0; x < 72; ++x) pixmap->WritePixel(x, y, inside(x - 35.5, y - 35.5) ? 0xFF000000u | rgb : 0u);
  Ref<TImage> image = LoadImageUrl(pixmap, 0);
  CentreImageHandle(image);  // turns about its middle
  return image;
}

// A wheel: rim, hub and four spokes, with wide gaps between them.
bool Wheel(double dx, double dy) {
  const double r = std::hypot(dx, dy);
  return (r > 28 && r < 35) || r < 7 || (r < 35 && (std::fabs(dx) < 3 || std::fabs(dy) < 3));
}

// A crescent: a disc with a bite taken out of one side.
bool Crescent(double dx, double dy) { return std::hypot(dx, dy) < 34 && std::hypot(dx - 16, dy) > 26; }

// Positions are whole pixels, as the collision tests take them.
struct Placed {
  Ref<TImage> image;
  int32_t x, y;
  float rotation, scale;
};

// The quad that CollideImageWithLayers would store for the sprite.
Ref<TQuad> QuadOf(const Placed& s) {
  SetDrawTransform(s.rotation, s.scale, s.scale);
  Ref<TQuad> quad = MakeCollisionQuad(s.image, 0, static_cast<float>(s.x), static_cast<float>(s.y),
                                      static_cast<float>(s.image->width), static_cast<float>(s.image->height), nullptr);
  SetDrawTransform(0, 1, 1);
  return quad;
}

bool BoxesMeet(const Ref<TQuad>& a, const Ref<TQuad>& b) {
  return a->maxx >= b->minx && a->maxy >= b->miny && a->minx <= b->maxx && a->miny <= b->maxy;
}

void DrawBox(const Ref<TQuad>& quad) {
  SetDrawColor(90, 90, 110);
  DrawSegment(quad->minx, quad->miny, quad->maxx, quad->miny);
  DrawSegment(quad->maxx, quad->miny, quad->maxx, quad->maxy);
  DrawSegment(quad->maxx, quad->maxy, quad->minx, quad->maxy);
  DrawSegment(quad->minx, quad->maxy, quad->minx, quad->miny);
}

void DrawSprite(const Placed& s, bool hit) {
  if (hit) {
    SetDrawColor(255, 60, 60);  // the colour multiplies the image's
  } else {
    SetDrawColor(255, 255, 255);
  }
  SetDrawTransform(s.rotation, s.scale, s.scale);
  DrawImageFrame(s.image, static_cast<float>(s.x), static_cast<float>(s.y));
  SetDrawTransform(0, 1, 1);
}

void DrawScene(const Ref<TImage>& wheel, const Ref<TImage>& crescent, int32_t frame) {
  // The sprites swing towards each other and apart every 240 frames.
  const auto gap = static_cast<int32_t>(90 + 120 * std::cos(frame * 2 * kPi / 240));
  const Placed a{wheel, 320 - gap, 230, frame * 1.5f, 1.6f};
  const Placed b{crescent, 320 + gap, 260, 180 - frame * 2.5f, 1.6f};
  // Each sprite with its own rotation and scale.
  const int32_t hit = TransformedImagesOverlap(a.image, a.x, a.y, 0, a.rotation, a.scale, a.scale, b.image, b.x, b.y, 0,
                                               b.rotation, b.scale, b.scale);
  const Ref<TQuad> qa = QuadOf(a), qb = QuadOf(b);
  SetClearColor(24, 26, 34);
  ClearBackBuffer();
  DrawBox(qa);
  DrawBox(qb);
  DrawSprite(a, hit);
  DrawSprite(b, hit);
  SetDrawColor(255, 255, 255);
  DrawString("TransformedImagesOverlap: pixel-exact, turned and scaled", 20, 20);
  DrawString(hit ? "touching" : BoxesMeet(qa, qb) ? "bounding boxes meet, pixels apart" : "apart", 20, 44);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: collide";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TImage> wheel = MakeSprite(0xF0B040u, Wheel);
  Ref<TImage> crescent = MakeSprite(0xD8E8FFu, Crescent);
  do DrawScene(wheel, crescent, run->FramesShown());
  while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
