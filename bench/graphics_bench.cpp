// Sprites per frame: N 32 x 32 textured sprites drawn with Ren2D over OpenGL
// and, as the baseline in the same run, with SDL2's own 2D renderer; then the
// OpenGL Ren2D driver and the shader driver side by side, with sprites small
// enough that the calls cost most (20,000 of 2 x 2) and large enough that
// filling does (10,000 of 32 x 32). Each
// iteration is one frame: draw N sprites, present without waiting for the
// retrace. Run under Xvfb with Mesa: xvfb-run -a ./bench_graphics
// Rates are per wall-clock second (Mesa renders on threads of its own);
// us_per_sprite is printed with an "s" suffix but counts microseconds. Every
// frame ends with a flip, which on Mesa's software rasteriser waits until
// the frame is drawn, so drawing is counted in full on every renderer. For
// the two drivers the CPU column is the whole process's processor time,
// Mesa's threads included: steadier than the wall clock on a busy machine.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include "graphics/graphics.h"

namespace {

using namespace vtl;

constexpr int32_t kWidth = 800, kHeight = 600;

Ref<TPixmap> SpritePixels() {
  Ref<TPixmap> p = NewPixmap(32, 32, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x)
      p->WritePixel(x, y, (x - 16) * (x - 16) + (y - 16) * (y - 16) < 225 ? 0xFF40A0F0u + uint32_t(x * 4) : 0u);
  return p;
}

// Sprite positions spread over the window, the same for both renderers.
float SpriteX(int32_t i) { return static_cast<float>((i * 37) % (kWidth - 32)); }
float SpriteY(int32_t i) { return static_cast<float>((i * 53) % (kHeight - 32)); }

void ReportFrames(benchmark::State& state, int64_t sprites) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["us_per_sprite"] = benchmark::Counter(static_cast<double>(state.iterations() * sprites) / 1e6,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Ren2DSprites(benchmark::State& state) {
  static Ref<TGraphics> graphics;
  static Ref<TImage> sprite;
  if (!graphics) {
    InitGraphics();
    graphics = OpenGraphics(kWidth, kHeight, 0, 0, 0);
    sprite = LoadImageUrl(SpritePixels(), 0);
  }
  if (!graphics) {
    state.SkipWithError("no OpenGL window");
    return;
  }
  // Another renderer may have made its own context current in between.
  MakeGraphicsCurrent(nullptr);
  MakeGraphicsCurrent(graphics);
  const int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    ClearBackBuffer();
    for (int32_t i = 0; i < n; ++i) DrawImageFrame(sprite, SpriteX(i), SpriteY(i));
    FlipBuffers(0);
  }
  ReportFrames(state, n);
}

void BM_SDLRendererSprites(benchmark::State& state) {
  static SDL_Window* window = nullptr;
  static SDL_Renderer* renderer = nullptr;
  static SDL_Texture* texture = nullptr;
  if (!window) {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    window = SDL_CreateWindow("baseline", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
    renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (renderer) {
      Ref<TPixmap> p = SpritePixels();
      SDL_Surface* surface =
          SDL_CreateRGBSurfaceWithFormatFrom(p->pixels, 32, 32, 32, p->pitch, SDL_PIXELFORMAT_ABGR8888);
      texture = SDL_CreateTextureFromSurface(renderer, surface);
      SDL_FreeSurface(surface);
      SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    }
  }
  if (!texture) {
    state.SkipWithError("no SDL renderer");
    return;
  }
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    SDL_RenderClear(renderer);
    for (int i = 0; i < n; ++i) {
      const SDL_FRect to{SpriteX(i), SpriteY(i), 32, 32};
      SDL_RenderCopyF(renderer, texture, nullptr, &to);
    }
    SDL_RenderPresent(renderer);
  }
  ReportFrames(state, n);
}

// driver 0: the OpenGL Ren2D driver; 1: the shader driver (OpenGL 3.3 core).
// Alpha blended, the same positions as above. It opens graphics of its own,
// so it runs after the benchmarks above.
void BM_DriverSprites(benchmark::State& state) {
  const bool shader = state.range(0) == 1;
  const auto side = static_cast<int32_t>(state.range(1)), n = static_cast<int32_t>(state.range(2));
  InitGraphics();
  InstallGraphicsDriver(shader ? Ref<TRen2DDriver>(TheGL3Ren2DDriver()) : Ref<TRen2DDriver>(TheGLRen2DDriver()),
                        GraphicsFlagBackBuffer);
  if (!OpenGraphics(kWidth, kHeight, 0, 0, 0)) {
    state.SkipWithError("no window for the driver");
    return;
  }
  Ref<TPixmap> pixels = side == 32 ? SpritePixels() : NewPixmap(side, side, FMT_RGBA8888, 4);
  if (side != 32) pixels->ClearPixels(0xFF80C0E0u);
  Ref<TImage> sprite = LoadImageUrl(pixels, 0);
  SetDrawBlend(BlendAlpha);
  for (auto _ : state) {
    ClearBackBuffer();
    for (int32_t i = 0; i < n; ++i) DrawImageFrame(sprite, SpriteX(i), SpriteY(i));
    FlipBuffers(0);
  }
  ReportFrames(state, n);
  CloseOpenedGraphics();
}

BENCHMARK(BM_Ren2DSprites)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SDLRendererSprites)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DriverSprites)
    ->ArgNames({"driver", "side", "sprites"})
    ->Args({0, 2, 20000})
    ->Args({1, 2, 20000})
    ->Args({0, 32, 10000})
    ->Args({1, 32, 10000})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
