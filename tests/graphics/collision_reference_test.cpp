// TransformedImagesOverlap against a brute-force reference: each image is
// drawn on its own into a pixel grid by the scan-conversion rules, and two
// images overlap when a grid pixel is opaque in both. Random masks, handles,
// positions, rotations and scales, mirrored ones included.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "tests/graphics/collision_images.h"

namespace vtl {
namespace {

using Vertex = std::array<float, 4>;  // x, y, u, v

int32_t LineOf(const Vertex& v) { return static_cast<int32_t>(v[1]); }

// The channel values of one side of a polygon on each line it reaches,
// walking from the top vertex backwards (left) or forwards (right): an edge
// starts at the last vertex already reached and is sampled half a line in.
// Returns the first line the side no longer covers.
int32_t TraceSide(const std::vector<Vertex>& poly, int32_t top_vertex, int32_t step, std::vector<Vertex>& lines,
                  int32_t top) {
  const int32_t n = static_cast<int32_t>(poly.size());
  int32_t from = top_vertex, line = top;
  for (;;) {
    int32_t passed = from, next = (from + step + n) % n;
    while (next != from && LineOf(poly[next]) <= line) {
      passed = next;
      next = (next + step + n) % n;
    }
    if (next == from) return line;
    const int32_t height = LineOf(poly[next]) - LineOf(poly[passed]);
    Vertex value, add;
    for (int32_t c = 0; c < 4; ++c) {
      add[c] = (poly[next][c] - poly[passed][c]) / static_cast<float>(height);
      value[c] = poly[passed][c] + add[c] * 0.5f;
    }
    for (; line < LineOf(poly[next]); ++line) {
      lines[line - top] = value;
      for (int32_t c = 0; c < 4; ++c) value[c] += add[c];
    }
    from = next;
  }
}

constexpr int32_t kGrid = 1024, kOffset = 256;

// The grid pixels the quad covers with an opaque mask pixel (or covers at
// all, without a mask).
void DrawQuad(const Ref<TQuad>& quad, std::vector<size_t>& pixels) {
  Ref<Array<float>> xyuv = NewArray<float>({16});
  std::copy_n(quad->xyuv->Data(), 16, xyuv->Data());
  OrientPolygon(xyuv, 4);
  std::vector<Vertex> poly(4);
  for (int32_t k = 0; k < 4; ++k)
    for (int32_t c = 0; c < 4; ++c) poly[k][c] = (*xyuv)[4 * k + c];
  int32_t top_vertex = 0;
  for (int32_t k = 1; k < 4; ++k)
    if (LineOf(poly[k]) < LineOf(poly[top_vertex])) top_vertex = k;
  const int32_t top = LineOf(poly[top_vertex]);
  std::vector<Vertex> left(kGrid), right(kGrid);
  const int32_t end = std::min(TraceSide(poly, top_vertex, -1, left, top), TraceSide(poly, top_vertex, 1, right, top));
  const Ref<TPixmap>& mask = quad->mask;
  for (int32_t y = top; y < end; ++y) {
    const Vertex& l = left[y - top];
    const Vertex& r = right[y - top];
    const int32_t e = static_cast<int32_t>(l[0]), f = static_cast<int32_t>(r[0]);
    for (int32_t x = e; x < f; ++x) {
      bool opaque = true;
      if (mask) {
        const float k = static_cast<float>(x - e) + 0.5f;
        float u = l[2] + k * ((r[2] - l[2]) / static_cast<float>(f - e));
        float v = l[3] + k * ((r[3] - l[3]) / static_cast<float>(f - e));
        u = std::isnan(u) ? 0 : std::clamp(u, 0.0f, 1.0f);
        v = std::isnan(v) ? 0 : std::clamp(v, 0.0f, 1.0f);
        const int32_t column = std::min(static_cast<int32_t>(u * mask->width), mask->width - 1);
        const int32_t row = std::min(static_cast<int32_t>(v * mask->height), mask->height - 1);
        opaque = mask->ReadPixel(column, row) >> 24 >= 128;
      }
      if (!opaque) continue;
      ASSERT_TRUE(x + kOffset >= 0 && x + kOffset < kGrid && y + kOffset >= 0 && y + kOffset < kGrid);
      pixels.push_back(static_cast<size_t>(y + kOffset) * kGrid + x + kOffset);
    }
  }
}

struct Placement {
  Ref<TImage> image;
  int32_t x, y;
  float rotation, scale_x, scale_y;
};

Ref<TQuad> PlacedQuad(const Placement& p) {
  SetDrawTransform(p.rotation, p.scale_x, p.scale_y);
  Ref<TQuad> quad = MakeCollisionQuad(p.image, 0, static_cast<float>(p.x), static_cast<float>(p.y),
                                      static_cast<float>(p.image->width), static_cast<float>(p.image->height), nullptr);
  SetDrawTransform(0, 1, 1);
  return quad;
}

// 1 when the two placements share a pixel in the reference drawing. The
// grid is marked with the trial's number, so it never needs clearing.
int32_t ReferenceOverlap(const Placement& a, const Placement& b, std::vector<int32_t>& grid, int32_t trial) {
  std::vector<size_t> pixels;
  DrawQuad(PlacedQuad(a), pixels);
  for (size_t i : pixels) grid[i] = trial + 1;
  pixels.clear();
  DrawQuad(PlacedQuad(b), pixels);
  for (size_t i : pixels)
    if (grid[i] == trial + 1) return 1;
  return 0;
}

// Masks of 3 to 24 pixels a side: discs, rings, bars and noise, with alpha
// spread over the whole range so that the 128 threshold matters.
Ref<TImage> RandomImage(std::mt19937& random) {
  std::uniform_int_distribution<int32_t> side(3, 24), kind(0, 4), alpha(0, 255);
  const int32_t w = side(random), h = side(random), shape = kind(random);
  Ref<TPixmap> pixmap = NewPixmap(w, h, shape == 4 ? FMT_ALPHA8 : FMT_RGBA8888);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const double dx = (x + 0.5) / w - 0.5, dy = (y + 0.5) / h - 0.5, d = std::hypot(dx, dy);
      uint32_t a = 0;
      if (shape == 0) a = d < 0.5 ? 255 : 0;
      if (shape == 1) a = d < 0.5 && d > 0.3 ? 200 : 60;
      if (shape == 2) a = (x / 2 + y) % 3 == 0 ? 255 : 0;
      if (shape >= 3) a = static_cast<uint32_t>(alpha(random));
      if (shape == 4)
        pixmap->pixels[static_cast<size_t>(y) * pixmap->pitch + x] = static_cast<uint8_t>(a);
      else
        pixmap->WritePixel(x, y, a << 24 | 0xFFFFFFu);
    }
  std::uniform_real_distribution<float> fraction(0, 1);
  Ref<TImage> image = collision_test::ImageFromPixmap(pixmap, fraction(random) * w, fraction(random) * h);
  return image;
}

TEST(CollisionReference, TransformedOverlapsMatchAPixelGridDrawing) {
  collision_test::ResetCollisionState();
  std::mt19937 random(20240611);
  std::vector<Ref<TImage>> images;
  for (int32_t i = 0; i < 40; ++i) images.push_back(RandomImage(random));
  // A solid image joins too, for the path without a mask.
  images.push_back(collision_test::SolidImage(7, 12));
  std::uniform_int_distribution<size_t> pick(0, images.size() - 1);
  std::uniform_int_distribution<int32_t> place(200, 300), offset(-30, 30);
  std::uniform_real_distribution<float> turn(0, 360), size(0.3f, 2.5f);
  std::bernoulli_distribution mirror(0.25);
  auto scale = [&] { return mirror(random) ? -size(random) : size(random); };

  std::vector<int32_t> grid(static_cast<size_t>(kGrid) * kGrid);
  constexpr int32_t kTrials = 3000;
  int32_t agree = 0, hits = 0, boxes_without_hit = 0;
  for (int32_t trial = 0; trial < kTrials; ++trial) {
    Placement a{images[pick(random)], place(random), place(random), turn(random), scale(), scale()};
    Placement b{images[pick(random)], a.x + offset(random), a.y + offset(random), turn(random), scale(), scale()};
    const int32_t tested = TransformedImagesOverlap(a.image, a.x, a.y, 0, a.rotation, a.scale_x, a.scale_y, b.image,
                                                    b.x, b.y, 0, b.rotation, b.scale_x, b.scale_y);
    const int32_t reference = ReferenceOverlap(a, b, grid, trial);
    if (tested == reference) {
      ++agree;
    } else {
      ADD_FAILURE() << "trial " << trial << ": tested " << tested << ", reference " << reference;
    }
    hits += reference;
    Ref<TQuad> qa = PlacedQuad(a), qb = PlacedQuad(b);
    const bool boxes_meet =
        qa->maxx >= qb->minx && qa->maxy >= qb->miny && qa->minx <= qb->maxx && qa->miny <= qb->maxy;
    if (boxes_meet && !reference) ++boxes_without_hit;
  }
  std::printf("collision reference: %d of %d agree (%d overlaps, %d boxes that meet without a shared pixel)\n", agree,
              kTrials, hits, boxes_without_hit);
  RecordProperty("agree", agree);
  EXPECT_EQ(agree, kTrials);
  // Both answers, and many near misses, must have been asked for.
  EXPECT_GT(hits, kTrials / 5);
  EXPECT_GT(kTrials - hits, kTrials / 5);
  EXPECT_GT(boxes_without_hit, kTrials / 20);
  collision_test::ResetCollisionState();
}

}  // namespace
}  // namespace vtl
