// Quads placed neither turned nor scaled are tested by comparing mask rows;
// these tests hold that to the general scan (ScanPolygons with
// SpanOverlapTest) on random masks, frames, handles, origins and placements,
// through ImagesOverlap and through the collision layers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "tests/graphics/collision_images.h"

namespace vtl {
namespace {

// The general scan's answer for two quads, as QuadsOverlap gave it before
// upright quads had a path of their own.
int32_t ScannedOverlap(const Ref<TQuad>& a, const Ref<TQuad>& b) {
  if (!(a->maxx >= b->minx && a->maxy >= b->miny && a->minx <= b->maxx && a->miny <= b->maxy)) return 0;
  auto polygons = NewArray<Ref<Array<float>>>({2});
  auto channels = NewArray<int32_t>({2});
  auto masks = NewArray<Ref<TPixmap>>({2});
  (*polygons)[0] = a->xyuv;
  (*polygons)[1] = b->xyuv;
  (*channels)[0] = (*channels)[1] = 4;
  (*masks)[0] = a->mask;
  (*masks)[1] = b->mask;
  return ScanPolygons(polygons, channels, masks, SpanOverlapTest) != 0 ? 1 : 0;
}

Ref<TQuad> QuadOf(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame) {
  return MakeCollisionQuad(image, frame, static_cast<float>(x), static_cast<float>(y), static_cast<float>(image->width),
                           static_cast<float>(image->height), nullptr);
}

// Sizes around the word widths the row comparison may read in.
int32_t RandomSide(std::mt19937& random) {
  static constexpr int32_t kSides[] = {1, 2, 3, 7, 8, 9, 31, 32, 33, 63, 64, 65, 100, 127, 128, 129};
  if (std::bernoulli_distribution(0.5)(random))
    return kSides[std::uniform_int_distribution<size_t>(0, std::size(kSides) - 1)(random)];
  return std::uniform_int_distribution<int32_t>(1, 130)(random);
}

// A mask of the format: empty, full, random alpha, a disc, stripes or one
// opaque pixel.
Ref<TPixmap> RandomMask(std::mt19937& random, int32_t width, int32_t height, int32_t format) {
  Ref<TPixmap> pixmap = NewPixmap(width, height, format);
  const int32_t bytes = BytesPerPixel[format];
  const int32_t kind = std::uniform_int_distribution<int32_t>(0, 5)(random);
  const int32_t lone_x = std::uniform_int_distribution<int32_t>(0, width - 1)(random);
  const int32_t lone_y = std::uniform_int_distribution<int32_t>(0, height - 1)(random);
  std::uniform_int_distribution<int32_t> byte(0, 255);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = pixmap->pixels + static_cast<size_t>(y) * pixmap->pitch;
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < bytes; ++c) row[x * bytes + c] = static_cast<uint8_t>(byte(random));
      const double d = std::hypot((x + 0.5) / width - 0.5, (y + 0.5) / height - 0.5);
      int32_t alpha = 0;
      switch (kind) {
        case 0: alpha = 0; break;
        case 1: alpha = 255; break;
        case 2: alpha = byte(random); break;
        case 3: alpha = d < 0.5 ? 128 : 127; break;
        case 4: alpha = (x + y / 3) % 3 == 0 ? 255 : 0; break;
        default: alpha = x == lone_x && y == lone_y ? 200 : 0; break;
      }
      if (AlphaBitsPerPixel[format] != 0) row[x * bytes + bytes - 1] = static_cast<uint8_t>(alpha);
    }
  }
  return pixmap;
}

// Up to three frames, each in a format of its own (alpha in four bytes or
// one, or none: solid); now and then a frame nobody drew on, or pixels of
// another size than the image's.
Ref<TImage> RandomImage(std::mt19937& random) {
  static constexpr int32_t kFormats[] = {FMT_RGBA8888, FMT_RGBA8888,   FMT_RGBA8888, FMT_BGRA8888,
                                         FMT_ALPHA8,   FMT_DARKALPHA8, FMT_RGB888,   FMT_GREY8};
  const int32_t width = RandomSide(random), height = RandomSide(random);
  const int32_t frames = std::uniform_int_distribution<int32_t>(1, 3)(random);
  Ref<TImage> image = TImage::Create(width, height, frames, 0, 0, 0, 0);
  for (int32_t f = 0; f < frames; ++f) {
    const int32_t format = kFormats[std::uniform_int_distribution<size_t>(0, std::size(kFormats) - 1)(random)];
    const int32_t what = std::uniform_int_distribution<int32_t>(0, 9)(random);
    if (what == 0) continue;  // left undrawn
    const bool other_size = what == 1;
    image->SetPixmap(f, RandomMask(random, other_size ? RandomSide(random) : width,
                                   other_size ? RandomSide(random) : height, format));
  }
  switch (std::uniform_int_distribution<int32_t>(0, 3)(random)) {
    case 0: break;
    case 1:
      image->handle_x = width / 2.0f;  // half pixels for odd sizes
      image->handle_y = height / 2.0f;
      break;
    case 2:
      image->handle_x = static_cast<float>(std::uniform_int_distribution<int32_t>(-width, 2 * width)(random));
      image->handle_y = static_cast<float>(std::uniform_int_distribution<int32_t>(-height, 2 * height)(random));
      break;
    default:
      image->handle_x = std::uniform_real_distribution<float>(-width, 2.0f * width)(random);
      image->handle_y = std::uniform_real_distribution<float>(-height, 2.0f * height)(random);
      break;
  }
  return image;
}

// Mostly the identity; otherwise turns and scales, some of which still
// leave upright rectangles (scale 2, 0.5) and some that only nearly do.
void RandomTransform(std::mt19937& random) {
  struct Transform {
    float rotation, scale_x, scale_y;
  };
  static constexpr Transform kOthers[] = {{0, 2, 2},      {0, 0.5f, 1},       {0, 1.5f, 0.75f}, {0, -1, 1},
                                          {0, 1, -1},     {90, 1, 1},         {180, 1, 1},      {270, 1, 1},
                                          {0.001f, 1, 1}, {0, 1.0000001f, 1}, {360, 1, 1},      {30, 1, 1}};
  if (std::bernoulli_distribution(0.7)(random)) {
    SetDrawTransform(0, 1, 1);
    return;
  }
  const Transform& t = kOthers[std::uniform_int_distribution<size_t>(0, std::size(kOthers) - 1)(random)];
  SetDrawTransform(t.rotation, t.scale_x, t.scale_y);
}

std::vector<Ref<TImage>> RandomImages(std::mt19937& random, int32_t count) {
  std::vector<Ref<TImage>> images;
  for (int32_t i = 0; i < count; ++i) images.push_back(RandomImage(random));
  return images;
}

struct Position {
  int32_t x, y;
};

// Near each other mostly; now and then far off, or past the coordinate limit.
Position RandomPositions(std::mt19937& random, Position& second) {
  std::uniform_int_distribution<int32_t> near(-150, 150), apart(-40, 40);
  Position first{near(random), near(random)};
  const int32_t far = std::uniform_int_distribution<int32_t>(0, 19)(random);
  if (far == 0) first = {first.x + 1000000, first.y - 3000000};
  if (far == 1) first = {first.x - 16777216, first.y};  // a corner beyond the limit
  if (far == 2) first = {first.x + 16777000, first.y + 16777000};
  second = {first.x + apart(random), first.y + apart(random)};
  return first;
}

void RandomOrigin(std::mt19937& random) {
  if (std::bernoulli_distribution(0.7)(random)) {
    SetDrawOrigin(0, 0);
    return;
  }
  std::uniform_real_distribution<float> shift(-40, 40);
  SetDrawOrigin(shift(random), std::bernoulli_distribution(0.5)(random) ? std::round(shift(random)) : shift(random));
}

TEST(CollisionUpright, ImagesOverlapAnswersAsTheScanOnRandomPlacements) {
  collision_test::ResetCollisionState();
  std::mt19937 random(20261210);
  const std::vector<Ref<TImage>> images = RandomImages(random, 60);
  std::uniform_int_distribution<size_t> pick(0, images.size() - 1);
  constexpr int32_t kTrials = 10000;
  int32_t agree = 0, hits = 0, boxes_without_hit = 0;
  for (int32_t trial = 0; trial < kTrials; ++trial) {
    const Ref<TImage>& a = images[pick(random)];
    const Ref<TImage>& b = images[pick(random)];
    const int32_t fa =
        std::uniform_int_distribution<int32_t>(0, static_cast<int32_t>(a->pixmaps->Length()) - 1)(random);
    const int32_t fb =
        std::uniform_int_distribution<int32_t>(0, static_cast<int32_t>(b->pixmaps->Length()) - 1)(random);
    Position pb{};
    const Position pa = RandomPositions(random, pb);
    RandomTransform(random);
    RandomOrigin(random);

    const int32_t tested = ImagesOverlap(a, pa.x, pa.y, fa, b, pb.x, pb.y, fb);
    const Ref<TQuad> qa = QuadOf(a, pa.x, pa.y, fa), qb = QuadOf(b, pb.x, pb.y, fb);
    const int32_t scanned = ScannedOverlap(qa, qb);
    if (tested == scanned) {
      ++agree;
    } else {
      ADD_FAILURE() << "trial " << trial << ": rows " << tested << ", scan " << scanned;
    }
    hits += scanned;
    const bool boxes_meet =
        qa->maxx >= qb->minx && qa->maxy >= qb->miny && qa->minx <= qb->maxx && qa->miny <= qb->maxy;
    if (boxes_meet && !scanned) ++boxes_without_hit;
  }
  std::printf("upright collisions: %d of %d agree (%d overlaps, %d boxes that meet without a shared pixel)\n", agree,
              kTrials, hits, boxes_without_hit);
  EXPECT_EQ(agree, kTrials);
  EXPECT_GT(hits, kTrials / 10);
  EXPECT_GT(boxes_without_hit, kTrials / 10);
  collision_test::ResetCollisionState();
}

// Every layer test goes through the same quad test: the ids found must be
// those the scan finds, in the same order.
TEST(CollisionUpright, LayersFindWhatTheScanFinds) {
  collision_test::ResetCollisionState();
  std::mt19937 random(31);
  const std::vector<Ref<TImage>> images = RandomImages(random, 30);
  std::uniform_int_distribution<size_t> pick(0, images.size() - 1);
  std::uniform_int_distribution<int32_t> place(-60, 60), layers(1, 15);
  int32_t found = 0;
  for (int32_t round = 0; round < 40; ++round) {
    ClearCollisionLayers(0);
    RandomTransform(random);
    for (int32_t k = 0; k < 25; ++k) {
      const Ref<TImage>& image = images[pick(random)];
      const Ref<Object> id = NewArray<int32_t>({1});
      if (k % 5 == 4)
        CollideRectWithLayers(place(random), place(random), 1 + k, 7, 0, layers(random), id);
      else
        CollideImageWithLayers(image, place(random), place(random), 0, 0, layers(random), id);
    }
    for (int32_t k = 0; k < 25; ++k) {
      const Ref<TImage>& image = images[pick(random)];
      const int32_t x = place(random), y = place(random), mask = layers(random);
      const Ref<TQuad> probe = QuadOf(image, x, y, 0);
      std::vector<Object*> expected;
      for (int32_t layer = 0; layer < CollisionLayerCount; ++layer) {
        if (!((mask >> layer) & 1)) continue;
        for (TQuad* stored = CollisionLayers[layer].Get(); stored; stored = stored->link.Get())
          if (ScannedOverlap(probe, Ref<TQuad>(stored))) expected.push_back(stored->id.Get());
      }
      const Ref<Array<Ref<Object>>> hits = CollideImageWithLayers(image, x, y, 0, mask, 0, nullptr);
      std::vector<Object*> got;
      for (const Ref<Object>& id : *hits) got.push_back(id.Get());
      ASSERT_EQ(got, expected) << "round " << round << ", probe " << k;
      found += static_cast<int32_t>(got.size());
    }
  }
  EXPECT_GT(found, 200);
  collision_test::ResetCollisionState();
}

// One opaque pixel in each of two one-line masks of the same width, placed
// so that the two pixels meet, or miss by one: for every width up to the
// widths whose columns the row comparison takes as they are.
TEST(CollisionUpright, LonePixelsMeetAtEveryWidth) {
  collision_test::ResetCollisionState();
  std::mt19937 random(8);
  for (int32_t width = 1; width <= 4096; ++width) {
    std::uniform_int_distribution<int32_t> column(0, width - 1);
    const int32_t ca = column(random), cb = column(random);
    auto lone = [&](int32_t c) {
      Ref<TPixmap> pixmap = NewPixmap(width, 1, FMT_RGBA8888);
      ClearPixels(pixmap, 0);
      pixmap->WritePixel(c, 0, 0xFFFFFFFFu);
      return collision_test::ImageFromPixmap(pixmap);
    };
    const Ref<TImage> a = lone(ca), b = lone(cb);
    for (int32_t miss = -1; miss <= 1; ++miss) {
      const int32_t x = ca - cb + miss;
      const int32_t scanned = ScannedOverlap(QuadOf(a, 0, 0, 0), QuadOf(b, x, 0, 0));
      ASSERT_EQ(scanned, miss == 0 ? 1 : 0) << "width " << width;
      ASSERT_EQ(ImagesOverlap(a, 0, 0, 0, b, x, 0, 0), scanned) << "width " << width << ", off by " << miss;
    }
  }
  collision_test::ResetCollisionState();
}

}  // namespace
}  // namespace vtl
