// Image collisions without a display: placement, layers, the pixel test's
// rules at their edges, and transforms that must not lead a read outside a
// mask (the sanitized build checks every read).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "graphics/graphics.h"
#include "tests/graphics/collision_images.h"

namespace vtl {
namespace {

using namespace collision_test;

class Collision : public ::testing::Test {
 protected:
  void SetUp() override { ResetCollisionState(); }
  void TearDown() override { ResetCollisionState(); }
};

int32_t QuadCount(const Ref<TQuad>& head) {
  int32_t n = 0;
  for (TQuad* q = head.Get(); q; q = q->link.Get()) ++n;
  return n;
}

int32_t RectsOverlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2, int32_t h2) {
  ClearCollisionLayers(1 << 7);
  CollideRectWithLayers(x1, y1, w1, h1, 0, 1 << 7, nullptr);
  return CollideRectWithLayers(x2, y2, w2, h2, 1 << 7, 0, nullptr)->Length();
}

TEST_F(Collision, RectanglesShareAPixelOnlyWhenTheyCoverOne) {
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 9, 9, 10, 10), 1);
  // The boxes meet at (10, 10), but no scanline has a pixel of both.
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 10, 10, 10, 10), 0);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 10, 0, 10, 10), 0);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 0, 10, 10, 10), 0);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 9, 0, 10, 10), 1);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 0, 9, 10, 10), 1);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, -9, -9, 10, 10), 1);
  EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 3, 3, 2, 2), 1);   // wholly inside
  EXPECT_EQ(RectsOverlap(0, 0, 10, 0, 0, 0, 10, 10), 0);  // zero height finishes at once
  EXPECT_EQ(RectsOverlap(0, 0, 0, 10, 0, 0, 10, 10), 0);  // zero width has no span
}

TEST_F(Collision, AQuadNeverHitsItsOwnCopyAndLaterOnesFindEarlierOnesNewestFirst) {
  Ref<TImage> image = SolidImage(8, 8);
  Ref<Object> first = String("first"), second = String("second");
  EXPECT_EQ(CollideImageWithLayers(image, 5, 5, 0, 1 << 2, 1 << 2, first)->Length(), 0);
  Ref<Array<Ref<Object>>> hits = CollideImageWithLayers(image, 5, 5, 0, 1 << 2, 1 << 2, second);
  ASSERT_EQ(hits->Length(), 1);
  EXPECT_EQ((*hits)[0], first);
  hits = CollideImageWithLayers(image, 6, 6, 0, 1 << 2, 0, nullptr);
  ASSERT_EQ(hits->Length(), 2);
  EXPECT_EQ((*hits)[0], second);
  EXPECT_EQ((*hits)[1], first);
  // Layers are searched in order, each newest first; a quad found in two
  // layers is reported twice.
  CollideRectWithLayers(0, 0, 4, 4, 0, 1 << 0 | 1 << 30, String("rect"));
  hits = CollideRectWithLayers(2, 2, 10, 10, 1 << 0 | 1 << 2 | 1 << 30, 0, nullptr);
  ASSERT_EQ(hits->Length(), 4);
  EXPECT_EQ(AsString((*hits)[0]), String("rect"));
  EXPECT_EQ((*hits)[1], second);
  EXPECT_EQ(AsString((*hits)[3]), String("rect"));
  // Not named in the collide mask, not searched.
  EXPECT_EQ(CollideRectWithLayers(2, 2, 10, 10, 1 << 1, 0, nullptr)->Length(), 0);
}

TEST_F(Collision, ClearingEmptiesTheNamedLayersIntoTheSpareList) {
  Ref<TImage> image = ImageFromRows({"##", "##"});
  for (int32_t layer : {0, 3, 5, 31}) CollideImageWithLayers(image, 0, 0, 0, 0, 1 << layer, String("id"));
  const int32_t spares = QuadCount(SpareQuads);
  ClearCollisionLayers(1 << 3);
  EXPECT_EQ(CollisionLayers[3], nullptr);
  EXPECT_EQ(QuadCount(CollisionLayers[0]) + QuadCount(CollisionLayers[5]) + QuadCount(CollisionLayers[31]), 3);
  ASSERT_EQ(QuadCount(SpareQuads), spares + 1);
  EXPECT_EQ(SpareQuads->id, nullptr);  // a spare keeps neither id nor mask alive
  EXPECT_EQ(SpareQuads->mask, nullptr);

  ClearCollisionLayers(0);
  for (const Ref<TQuad>& layer : CollisionLayers) EXPECT_EQ(layer, nullptr);
  EXPECT_EQ(QuadCount(SpareQuads), spares + 4);
  // Storing again takes spares, and a tested quad goes back to them.
  for (int32_t round = 0; round < 3; ++round) {
    CollideImageWithLayers(image, 0, 0, 0, 1 << 4, 1 << 4 | 1 << 6, nullptr);
    ClearCollisionLayers(0);
  }
  EXPECT_EQ(QuadCount(SpareQuads), spares + 4);
}

TEST_F(Collision, QuadsArePlacedByTheImageHandleOriginAndTransform) {
  Ref<TImage> image = SolidImage(10, 4);
  image->handle_x = 2;
  image->handle_y = 1;
  SetDrawOrigin(100, 50);
  SetDrawRotation(90);  // the image's x axis points down the screen
  Ref<TQuad> quad = MakeCollisionQuad(image, 0, 7, 3, 10, 4, String("q"));
  const float* v = quad->xyuv->Data();
  // Corners (-2, -1), (8, -1), (8, 3), (-2, 3) turned and moved to (107, 53).
  const float expected[16] = {108, 51, 0, 0, 108, 61, 1, 0, 104, 61, 1, 1, 104, 51, 0, 1};
  for (int32_t i = 0; i < 16; ++i) EXPECT_NEAR(v[i], expected[i], 1e-4) << i;
  EXPECT_NEAR(quad->minx, 104, 1e-4);
  EXPECT_NEAR(quad->maxx, 108, 1e-4);
  EXPECT_NEAR(quad->miny, 51, 1e-4);
  EXPECT_NEAR(quad->maxy, 61, 1e-4);
  EXPECT_EQ(quad->mask, nullptr);  // no alpha: solid
  EXPECT_EQ(quad->frame, 0);

  Ref<TImage> masked = ImageFromRows({"#."});
  EXPECT_EQ(MakeCollisionQuad(masked, 0, 0, 0, 2, 1, nullptr)->mask, masked->Lock(0, 1, 0));
  EXPECT_THROW(MakeCollisionQuad(masked, 1, 0, 0, 2, 1, nullptr), ThrownObject);
}

TEST_F(Collision, MirroredImagesAreReversedAndReadTheirMaskMirrored) {
  // Only the left half is opaque.
  Ref<TImage> half = ImageFromRows({"####....", "####....", "####....", "####...."});
  Ref<TImage> dot = SolidImage(1, 1);
  auto hits_at = [&](float scale_x, int32_t probe_x) {
    return TransformedImagesOverlap(half, 20, 0, 0, 0, scale_x, 1, dot, probe_x, 2, 0, 0, 1, 1);
  };
  // Unmirrored the opaque half covers x 20 .. 23; mirrored about x = 20 it
  // covers 16 .. 19.
  EXPECT_EQ(hits_at(1, 21), 1);
  EXPECT_EQ(hits_at(1, 25), 0);
  EXPECT_EQ(hits_at(-1, 17), 1);
  EXPECT_EQ(hits_at(-1, 13), 0);
  EXPECT_EQ(hits_at(-1, 21), 0);
  // Mirrored in y as well (a half turn): the pixels are still found.
  EXPECT_EQ(TransformedImagesOverlap(half, 20, 10, 0, 0, -1, -1, dot, 18, 8, 0, 0, 1, 1), 1);
  EXPECT_EQ(TransformedImagesOverlap(half, 20, 10, 0, 0, -1, -1, dot, 14, 8, 0, 0, 1, 1), 0);
}

TEST_F(Collision, OnlyAlphaOfOneHalfOrMoreCollidesInEveryAlphaFormat) {
  Ref<TImage> dot = SolidImage(1, 1);
  for (int32_t format : {FMT_RGBA8888, FMT_BGRA8888, FMT_ALPHA8, FMT_DARKALPHA8}) {
    SCOPED_TRACE(format);
    Ref<TImage> faint = ImageFromRows({"llll", "llll"}, format);
    Ref<TImage> edge = ImageFromRows({"....", ".h.."}, format);
    ASSERT_EQ(faint->Lock(0, 1, 0)->format, format);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(ImagesOverlap(faint, 0, 0, 0, dot, x, 1, 0), 0);
    EXPECT_EQ(ImagesOverlap(edge, 0, 0, 0, dot, 1, 1, 0), 1);
    EXPECT_EQ(ImagesOverlap(edge, 0, 0, 0, dot, 2, 1, 0), 0);
    EXPECT_EQ(ImagesOverlap(edge, 0, 0, 0, dot, 1, 0, 0), 0);
    EXPECT_EQ(ImagesOverlap(edge, 0, 0, 0, edge, 0, 0, 0), 1);
    EXPECT_EQ(ImagesOverlap(faint, 0, 0, 0, faint, 0, 0, 0), 0);
  }
}

TEST_F(Collision, AnImageWithoutAlphaCollidesAsASolidRectangle) {
  Ref<TImage> dot = SolidImage(1, 1);
  Ref<TPixmap> black = NewPixmap(6, 3, FMT_RGB888);
  ClearPixels(black, 0xFF000000u);
  Ref<TImage> plain = ImageFromPixmap(black);
  EXPECT_EQ(plain->Lock(0, 1, 0)->format, FMT_RGB888);
  EXPECT_EQ(ImagesOverlap(plain, 0, 0, 0, dot, 5, 2, 0), 1);
  EXPECT_EQ(ImagesOverlap(plain, 0, 0, 0, dot, 6, 2, 0), 0);
  // With the mask flag its black pixels become see-through when it is set.
  Ref<TImage> masked = TImage::Load(black, ImageFlagMask, 0, 0, 0);
  EXPECT_EQ(ImagesOverlap(masked, 0, 0, 0, dot, 5, 2, 0), 0);
}

TEST_F(Collision, ABlankImageHasNothingToCollideWith) {
  Ref<TImage> opaque = SolidImage(16, 16);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    DirtyTheHeap(16 * 16 * 4);
    Ref<TImage> blank = NewBlankImage(16, 16, 1, 0);
    EXPECT_EQ(ImagesOverlap(blank, 0, 0, 0, opaque, 0, 0, 0), 0);
    EXPECT_EQ(ImagesOverlap(opaque, 4, 4, 0, blank, 0, 0, 0), 0);
  }
}

TEST_F(Collision, ImagesOverlapKeepsTheFirstImageInLayer31) {
  Ref<TImage> a = ImageFromRows({"#"});
  CollideRectWithLayers(0, 0, 1, 1, 0, 1 << 31, String("mine"));
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, a, 0, 0, 0), 1);
  ASSERT_EQ(QuadCount(CollisionLayers[31]), 1);
  EXPECT_EQ(CollisionLayers[31]->id, nullptr);
}

TEST_F(Collision, TransformedTestsRestoreRotationAndScaleEvenWhenAFrameIsMissing) {
  Ref<TImage> bar = ImageFromRows({"##########"});
  SetDrawTransform(30, 2, 3);
  const float before[4] = {CollisionTransform[0], CollisionTransform[1], CollisionTransform[2], CollisionTransform[3]};
  // Turned upright, the bar reaches the dot 5 pixels below its start.
  EXPECT_EQ(TransformedImagesOverlap(bar, 1, 0, 0, 90, 1, 1, SolidImage(1, 1), 0, 5, 0, 0, 1, 1), 1);
  EXPECT_EQ(TransformedImagesOverlap(bar, 1, 0, 0, 0, 1, 1, SolidImage(1, 1), 0, 5, 0, 0, 1, 1), 0);
  EXPECT_THROW(TransformedImagesOverlap(bar, 0, 0, 0, 90, 1, 1, bar, 0, 0, 3, 0, 1, 1), ThrownObject);
  EXPECT_EQ(GetDrawRotation(), 30);
  float sx, sy;
  GetDrawScale(sx, sy);
  EXPECT_EQ(sx, 2);
  EXPECT_EQ(sy, 3);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(CollisionTransform[i], before[i]);
}

TEST_F(Collision, ImagesWithAHandleCollideAroundIt) {
  Ref<TImage> a = ImageFromRows({"###", "###", "###"});
  a->handle_x = a->handle_y = 1.5f;
  Ref<TImage> dot = SolidImage(1, 1);
  // It covers 8.5 .. 11.5: pixels and lines 8 to 10 once truncated.
  EXPECT_EQ(ImagesOverlap(a, 10, 10, 0, dot, 8, 8, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, 10, 10, 0, dot, 10, 10, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, 10, 10, 0, dot, 7, 8, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 10, 10, 0, dot, 11, 10, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 10, 10, 0, dot, 8, 11, 0), 0);
}

// --- the scan itself ---

Ref<Array<float>> Floats(const std::vector<float>& values) {
  auto array = NewArray<float>({static_cast<int32_t>(values.size())});
  std::copy(values.begin(), values.end(), array->Data());
  return array;
}

// The parallel arrays ScanPolygons takes: polygons of the same channel
// count, and masks for the first of them.
struct ScanInput {
  Ref<Array<Ref<Array<float>>>> polygons;
  Ref<Array<int32_t>> channels;
  Ref<Array<Ref<TPixmap>>> masks;

  ScanInput(std::vector<Ref<Array<float>>> vertices, int32_t channel_count, std::vector<Ref<TPixmap>> mask_list = {})
      : polygons(NewArray<Ref<Array<float>>>({static_cast<int32_t>(vertices.size())})),
        channels(NewArray<int32_t>({static_cast<int32_t>(vertices.size())})),
        masks(NewArray<Ref<TPixmap>>({static_cast<int32_t>(mask_list.size())})) {
    std::copy(vertices.begin(), vertices.end(), polygons->Data());
    std::fill(channels->begin(), channels->end(), channel_count);
    std::copy(mask_list.begin(), mask_list.end(), masks->Data());
  }
  int32_t Scan(const ScanCallback& callback) const { return ScanPolygons(polygons, channels, masks, callback); }
};

struct Line {
  int32_t y, count, left, right;
};

std::vector<Line> ScanOne(const std::vector<float>& vertices, int32_t channels = 2) {
  const ScanInput input({Floats(vertices)}, channels);
  std::vector<Line> lines;
  input.Scan([&](const Ref<Array<Ref<rpoly>>>& active, int32_t count, int32_t y) {
    const rpoly& p = *(*active)[0];
    lines.push_back({y, count, static_cast<int32_t>((*p.ldat)[0]), static_cast<int32_t>((*p.rdat)[0])});
    return 0;
  });
  EXPECT_EQ((*(*input.polygons)[0])[0], vertices[0]);  // the caller's vertices stay in their order
  return lines;
}

TEST(CollisionScan, SpansRunFromTheTopLineToTheLineBeforeTheBottom) {
  std::vector<Line> lines = ScanOne({0, 0, 10, 0, 10, 10, 0, 10});
  ASSERT_EQ(lines.size(), 10u);
  for (int32_t y = 0; y < 10; ++y) {
    EXPECT_EQ(lines[y].y, y);
    EXPECT_EQ(lines[y].count, 1);
    EXPECT_EQ(lines[y].left, 0);
    EXPECT_EQ(lines[y].right, 10);
  }
  // A triangle widening downwards: edges are sampled half a line in.
  lines = ScanOne({0, 0, 8, 8, -8, 8});
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0].left, 0);
  EXPECT_EQ(lines[0].right, 0);
  EXPECT_EQ(lines[3].left, -3);
  EXPECT_EQ(lines[3].right, 3);
  // Flat polygons, a lone vertex and too few channels never call back.
  EXPECT_TRUE(ScanOne({0, 5, 10, 5, 10, 5, 0, 5}).empty());
  EXPECT_TRUE(ScanOne({3, 3}).empty());
  EXPECT_TRUE(ScanOne({0, 0, 4, 0, 4, 4, 0, 4}, 1).empty());
  // Two vertices and a partial one: a segment, with empty spans.
  lines = ScanOne({0, 0, 4, 4, 0});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].left, lines[2].right);
  EXPECT_EQ(ScanOne({0, 0, 9, 4, 0, 9, 4, 4, 9, 0, 4, 9}, 3).size(), 4u);  // x, y and one more channel
}

Ref<Array<float>> Square(float x, float y, float size) {
  return Floats({x, y, x + size, y, x + size, y + size, x, y + size});
}

TEST(CollisionScan, ActivePolygonsComeInOrderAndANegativeResultStops) {
  const ScanInput input({Square(0, 20, 5), Square(0, 0, 5), Square(0, 2, 5)}, 2);
  std::vector<std::vector<int32_t>> seen;  // y, then the active polygons' tops
  const int32_t result = input.Scan([&](const Ref<Array<Ref<rpoly>>>& active, int32_t count, int32_t y) {
    std::vector<int32_t> row = {y};
    for (int32_t k = 0; k < count; ++k) row.push_back((*active)[k]->top);
    seen.push_back(row);
    return y;
  });
  // Lines 7 .. 19 have nothing to scan and are skipped.
  ASSERT_EQ(seen.size(), 12u);
  EXPECT_EQ(seen[1], (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(seen[3], (std::vector<int32_t>{3, 0, 2}));
  EXPECT_EQ(seen[5], (std::vector<int32_t>{5, 2}));
  EXPECT_EQ(seen[7], (std::vector<int32_t>{20, 20}));
  EXPECT_EQ(result, 24);

  seen.clear();
  EXPECT_EQ(input.Scan([&](const Ref<Array<Ref<rpoly>>>&, int32_t, int32_t y) {
    seen.push_back({y});
    return y == 3 ? -7 : 0;
  }),
            -7);
  EXPECT_EQ(seen.size(), 4u);
}

TEST(CollisionScan, PolygonsACallbackKeepsAreNotReusedByLaterScans) {
  const ScanInput input({Square(0, 3, 4)}, 2, {PixmapFromRows({"#"})});
  Ref<rpoly> kept;
  input.Scan([&](const Ref<Array<Ref<rpoly>>>& active, int32_t, int32_t) {
    kept = (*active)[0];
    return 0;
  });
  ASSERT_NE(kept, nullptr);
  for (int32_t i = 0; i < 20; ++i) ScanOne({100, 100, 110, 100, 110, 110, 100, 110});
  EXPECT_EQ(kept->top, 3);
  EXPECT_EQ((*kept->data)[0], 0);
  EXPECT_EQ(kept->texture, (*input.masks)[0]);
}

TEST(CollisionScan, OrientingReversesPolygonsThatTurnTheOtherWay) {
  auto values = [](const Ref<Array<float>>& a) { return std::vector<float>(a->begin(), a->end()); };
  // Clockwise on a screen whose y points down: kept.
  Ref<Array<float>> kept = Floats({0, 0, 10, 0, 10, 10, 0, 10});
  EXPECT_EQ(OrientPolygon(kept, 2), 0);
  EXPECT_EQ(values(kept), (std::vector<float>{0, 0, 10, 0, 10, 10, 0, 10}));
  // Mirrored: reversed, each vertex's u and v moving with it; the partial
  // vertex at the end stays.
  Ref<Array<float>> mirrored = Floats({10, 0, 0, 0, 0, 0, 1, 0, 0, 10, 1, 1, 10, 10, 0, 1, 99});
  EXPECT_EQ(OrientPolygon(mirrored, 4), 1);
  EXPECT_EQ(values(mirrored), (std::vector<float>{10, 10, 0, 1, 0, 10, 1, 1, 0, 0, 1, 0, 10, 0, 0, 0, 99}));
  // Turns below one pixel truncate to 0 and count as the wrong way.
  Ref<Array<float>> thin = Floats({0, 0, 0.5f, 0, 0.5f, 0.5f});
  EXPECT_EQ(OrientPolygon(thin, 2), 1);
  EXPECT_EQ(OrientPolygon(nullptr, 2), 0);
  EXPECT_EQ(OrientPolygon(thin, 0), 0);
}

// --- reads that must stay inside the mask ---

// Scans a polygon with a mask (4 channels) over a solid square covering it.
int32_t MaskedOverSolid(const Ref<TPixmap>& mask, const std::vector<float>& masked_vertices) {
  const Ref<Array<float>> solid = Floats({-50, -50, 0, 0, 50, -50, 0, 0, 50, 50, 0, 0, -50, 50, 0, 0});
  return ScanInput({Floats(masked_vertices), solid}, 4, {mask}).Scan(SpanOverlapTest);
}

// A square from (0, 0) to (10, 10) whose every vertex has the same u, v.
std::vector<float> Flat(float u, float v) { return {0, 0, u, v, 10, 0, u, v, 10, 10, u, v, 0, 10, u, v}; }

TEST(CollisionMaskReads, UOrVOfOneReadsTheLastColumnOrRow) {
  Ref<TPixmap> last_column = PixmapFromRows({"...#", "...#"});
  Ref<TPixmap> all_but_last = PixmapFromRows({"###.", "###."});
  EXPECT_EQ(MaskedOverSolid(last_column, Flat(1, 0.5f)), -1);
  EXPECT_EQ(MaskedOverSolid(all_but_last, Flat(1, 0.5f)), 0);
  EXPECT_EQ(MaskedOverSolid(last_column, Flat(7, 1)), -1);  // clamped into 0 .. 1
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({"..", "..", "##"}), Flat(0.2f, 1)), -1);
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({"##", "##", ".."}), Flat(0.2f, 1)), 0);
  // Not a number counts as 0: the first column and row.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({"#.", ".."}), Flat(nan, nan)), -1);
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({".#", "##"}), Flat(nan, -3)), 0);
  // A one-byte mask is read in its own format.
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({"...#"}, FMT_ALPHA8), Flat(1, 1)), -1);
  EXPECT_EQ(MaskedOverSolid(PixmapFromRows({"###."}, FMT_DARKALPHA8), Flat(1, 1)), 0);
}

TEST(CollisionMaskReads, MasksWithoutPixelsOrAlphaAndPolygonsWithoutUVAreSafe) {
  EXPECT_EQ(MaskedOverSolid(NewPixmap(0, 0, FMT_RGBA8888), Flat(0.5f, 0.5f)), 0);
  EXPECT_EQ(MaskedOverSolid(NewPixmap(3, 0, FMT_ALPHA8), Flat(0.5f, 0.5f)), 0);
  Ref<TPixmap> grey = NewPixmap(2, 2, FMT_GREY8);
  ClearPixels(grey, 0);
  EXPECT_EQ(MaskedOverSolid(grey, Flat(0.5f, 0.5f)), -1);  // no alpha: solid
  // Only x and y: a mask cannot be read and the polygon is never opaque.
  const ScanInput input({Square(0, 0, 10), Square(0, 0, 10)}, 2, {PixmapFromRows({"#"}), nullptr});
  EXPECT_EQ(input.Scan(SpanOverlapTest), 0);
  (*input.masks)[0] = nullptr;
  EXPECT_EQ(input.Scan(SpanOverlapTest), -1);
}

TEST_F(Collision, HostileTransformsNeverReadOutsideAMask) {
  Ref<TImage> ring = ImageFromRows({".##.", "#..#", "#..#", ".##."});
  Ref<TImage> tiny = ImageFromRows({"#"});
  Ref<TImage> empty = ImageFromPixmap(NewPixmap(0, 0, FMT_RGBA8888));
  Ref<TImage> no_pixels = TImage::Create(6, 6, 1, 0, 0, 0, 0);
  no_pixels->SetPixmap(0, NewPixmap(0, 0, FMT_ALPHA8));
  Ref<TImage> big_mask = TImage::Create(3, 3, 1, 0, 0, 0, 0);  // mask larger than the image
  big_mask->SetPixmap(0, PixmapFromRows({"#####", "#...#", "#...#", "#...#", "#####"}));
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float scales[] = {1e30f, -1e30f, inf, -inf, nan, 1e-30f, 0, 5e4f, -3e4f, 1, -1};
  const float rotations[] = {0, 45, 1e30f, inf, nan};
  const int32_t places[] = {0, 2, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
  const Ref<TImage> images[] = {ring, tiny, empty, no_pixels, big_mask};
  int32_t hits = 0, tests = 0;
  for (float scale : scales)
    for (float rotation : rotations)
      for (int32_t place : places)
        for (const Ref<TImage>& image : images) {
          hits += TransformedImagesOverlap(image, place, 1, 0, rotation, scale, scale, ring, 1, 2, 0, 7, 1, 1);
          hits += TransformedImagesOverlap(ring, 2, 1, 0, 3, 1, -1, image, place, place, 0, rotation, scale, 1);
          tests += 2;
        }
  EXPECT_GT(hits, 0);
  EXPECT_LT(hits, tests);
  // What never hits, whatever else is there.
  for (float scale : {nan, inf, 1e30f}) {
    EXPECT_EQ(TransformedImagesOverlap(tiny, 0, 0, 0, 0, scale, 1, SolidImage(100, 100), -50, -50, 0, 0, 1, 1), 0);
  }
  EXPECT_EQ(TransformedImagesOverlap(tiny, 0, 0, 0, nan, 1, 1, SolidImage(100, 100), -50, -50, 0, 0, 1, 1), 0);
  EXPECT_EQ(ImagesOverlap(empty, 0, 0, 0, SolidImage(4, 4), 0, 0, 0), 0);
  EXPECT_EQ(ImagesOverlap(no_pixels, 0, 0, 0, SolidImage(8, 8), 0, 0, 0), 0);
  // The larger mask is squeezed into the image: its see-through middle texel
  // covers the image's middle pixel.
  EXPECT_EQ(ImagesOverlap(big_mask, 0, 0, 0, tiny, 1, 1, 0), 0);
  EXPECT_EQ(ImagesOverlap(big_mask, 0, 0, 0, tiny, 0, 1, 0), 1);
  // A scale within the limit still finds the pixels.
  EXPECT_EQ(TransformedImagesOverlap(ring, 0, 0, 0, 0, 1e6f, 1e6f, tiny, 1500000, 10, 0, 0, 1, 1), 1);
  EXPECT_EQ(TransformedImagesOverlap(ring, 0, 0, 0, 0, 1e6f, 1e6f, tiny, 1500000, 1500000, 0, 0, 1, 1), 0);
}

TEST(CollisionLimits, PolygonsBeyondTheCoordinateLimitTakePartInNoTest) {
  const float limit = CollisionCoordinateLimit;
  EXPECT_EQ(MaskedOverSolid(nullptr, {0, 0, 0, 0, limit, 0, 0, 0, 0, 10, 0, 0}), -1);
  EXPECT_EQ(MaskedOverSolid(nullptr, {0, 0, 0, 0, limit * 2, 0, 0, 0, 0, 10, 0, 0}), 0);
  EXPECT_EQ(MaskedOverSolid(nullptr, {0, 0, 0, 0, 10, 0, 0, 0, 0, -limit * 2, 0, 0}), 0);
}

TEST(CollisionLayerChains, ALongChainIsReleasedWithoutDeepRecursion) {
  Ref<TQuad> head;
  for (int32_t i = 0; i < 200000; ++i) {
    Ref<TQuad> quad = New<TQuad>();
    quad->link = std::move(head);
    head = std::move(quad);
  }
  head = nullptr;  // would overflow the stack one nested release per quad
  SUCCEED();
}

}  // namespace
}  // namespace vtl
