// ImagesOverlap of two 64 x 64 masked sprites, headless, against a plain loop
// over the two alpha masks that answers the same question for unturned
// sprites, in the same run:
//   Hit:       discs overlapping by half their width; both stop at the first
//              shared opaque pixel.
//   HalfMiss:  overlapping by half, but one is opaque on even columns and
//              the other on odd ones: every pixel of the half is looked at.
//   BoxesOnly: discs whose bounding boxes share a 16 x 16 corner that
//              neither disc reaches.
#include <benchmark/benchmark.h>

#include <cmath>

#include "graphics/graphics.h"

namespace {

using namespace vtl;

constexpr int32_t kSide = 64;

template <class Opaque>
Ref<TImage> Sprite(Opaque opaque) {
  Ref<TPixmap> pixmap = NewPixmap(kSide, kSide, FMT_RGBA8888);
  for (int32_t y = 0; y < kSide; ++y)
    for (int32_t x = 0; x < kSide; ++x) pixmap->WritePixel(x, y, opaque(x, y) ? 0xFFFFFFFFu : 0x00FFFFFFu);
  Ref<TImage> image = TImage::Load(pixmap, 0, 0, 0, 0);
  CentreImageHandle(image);  // turned about its middle
  return image;
}

Ref<TImage> Disc() {
  return Sprite([](int32_t x, int32_t y) { return std::hypot(x - 31.5, y - 31.5) < 32; });
}

Ref<TImage> Columns(int32_t parity) {
  return Sprite([parity](int32_t x, int32_t) { return x % 2 == parity; });
}

struct Case {
  Ref<TImage> a, b;
  int32_t dx, dy;  // b's position; a is at 0, 0
};

Case Make(int32_t which) {
  InitGraphics();
  if (which == 0) return {Disc(), Disc(), 32, 0};
  if (which == 1) return {Columns(0), Columns(1), 32, 0};
  return {Disc(), Disc(), 48, 48};
}

// The plain loop: b's pixels over a's, alpha against alpha.
int32_t PlainOverlap(const Case& c) {
  const Ref<TPixmap> a = c.a->Lock(0, 1, 0), b = c.b->Lock(0, 1, 0);
  for (int32_t y = std::max(0, c.dy); y < std::min(kSide, c.dy + kSide); ++y)
    for (int32_t x = std::max(0, c.dx); x < std::min(kSide, c.dx + kSide); ++x)
      if (a->pixels[y * a->pitch + x * 4 + 3] >= 128 && b->pixels[(y - c.dy) * b->pitch + (x - c.dx) * 4 + 3] >= 128)
        return 1;
  return 0;
}

void BM_ImagesOverlap(benchmark::State& state) {
  const Case c = Make(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ImagesOverlap(c.a, 0, 0, 0, c.b, c.dx, c.dy, 0));
  state.counters["overlap"] = ImagesOverlap(c.a, 0, 0, 0, c.b, c.dx, c.dy, 0);
}

void BM_PlainMaskLoop(benchmark::State& state) {
  const Case c = Make(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(PlainOverlap(c));
  state.counters["overlap"] = PlainOverlap(c);
}

// The same placements with both sprites turned by 30 degrees about their
// middles, which the plain loop cannot answer (the stripes then meet).
void BM_TransformedImagesOverlap(benchmark::State& state) {
  const Case c = Make(static_cast<int32_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(TransformedImagesOverlap(c.a, 0, 0, 0, 30, 1, 1, c.b, c.dx, c.dy, 0, 30, 1, 1));
}

}  // namespace

BENCHMARK(BM_ImagesOverlap)->ArgName("hit0_halfmiss1_boxesonly2")->DenseRange(0, 2);
BENCHMARK(BM_PlainMaskLoop)->ArgName("hit0_halfmiss1_boxesonly2")->DenseRange(0, 2);
BENCHMARK(BM_TransformedImagesOverlap)->ArgName("hit0_halfmiss1_boxesonly2")->DenseRange(0, 2);
