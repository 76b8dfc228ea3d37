// The bare loop of bench_bare_gl_loop through the framework: the same 400
// textured 32 x 32 sprites a frame at 60 fps for 1200 frames, drawn with
// DrawImageFrame. Set beside the bare loop and bench_game in one session, it
// tells what the framework itself costs apart from what the game draws.
// Prints its peak resident memory. Needs an X display.
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>

#include "framework/framework.h"
#include "graphics/graphics.h"
#include "system/system.h"

int main() {
  vtl::InitFramework();
  if (vtl::OpenGraphics(800, 600, 0, 60, 0) == nullptr) {
    std::fprintf(stderr, "framework_gl_loop: %s\n", vtl::LastErrorText().ToUtf8().c_str());
    return 1;
  }
  vtl::Ref<vtl::TPixmap> pixels = vtl::NewPixmap(32, 32, vtl::FMT_RGBA8888, 4);
  for (int32_t i = 0; i < 32 * 32; ++i)
    pixels->WritePixel(i % 32, i / 32, 0xFF40A0F0u + static_cast<uint32_t>(i & 31) * 4);
  vtl::Ref<vtl::TImage> sprite = vtl::LoadImageUrl(pixels, 0);
  vtl::SetDrawBlend(vtl::BlendAlpha);

  for (int32_t frame = 0; frame < 1200; ++frame) {
    vtl::PumpSystemEvents();
    vtl::ClearBackBuffer();
    for (int32_t i = 0; i < 400; ++i)
      vtl::DrawImageFrame(sprite, static_cast<float>((i * 37 + frame) % 768),
                          static_cast<float>((i * 53 + frame) % 568));
    vtl::FlipBuffers(1);
  }

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("framework peak_rss_mb=%.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  vtl::CloseOpenedGraphics();
  return 0;
}
