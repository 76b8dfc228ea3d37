// Pages of pictures drawn: everything drawn from a page (the frames of an
// animated image, a font's glyphs) is compared pixel for pixel with the same
// pictures drawn from textures of their own, on every Ren2D driver; and the
// OpenGL driver's plain shapes drawn with a page's white corner with the
// same shapes drawn with texturing off. Needs an X display (Xvfb + Mesa).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "graphics/internal/gl_white_corner.h"
#include "tests/graphics/display_screens.h"

namespace vtl {
namespace {

using display_test::Differences;
using display_test::DriverNamed;

Ref<TPixmap> RandomPixmap(std::mt19937& random, int32_t width, int32_t height) {
  Ref<TPixmap> p = NewPixmap(width, height, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) p->WritePixel(x, y, static_cast<uint32_t>(random()));
  return p;
}

// The whole screen after `draw`, from a cleared one and the first drawing state.
template <class Draw>
Ref<TPixmap> ScreenOf(Draw draw) {
  SetDrawTransform(0, 1, 1);
  SetDrawHandle(0, 0);
  SetDrawBlend(BlendMasked);
  SetDrawAlpha(1);
  SetDrawColor(255, 255, 255);
  SetDrawLineWidth(1);
  SetClearColor(30, 60, 90);
  ClearBackBuffer();
  draw();
  return GrabScreenPixmap(0, 0, 400, 300);
}

class DisplayImagePages : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    InitGraphics();
    InstallGraphicsDriver(DriverNamed(GetParam()), 2);
    ASSERT_NE(OpenGraphics(400, 300, 0, 60, 0), nullptr);
    if (GetParam() == "gl" && CurrentRen2DDriver != TheGLRen2DDriver())
      GTEST_SKIP() << "VTL_REN2D_DRIVER chose another driver";
  }
  void TearDown() override { CloseOpenedGraphics(); }
};

// A random drawing state: blend, colour and alpha; half the time upright
// (no turn, scale 1, a whole-pixel handle), where parts are drawn from their
// page, else turned, scaled (mirrored too) and with any handle, where they
// are drawn from textures of their own. Returns whether upright.
bool RandomState(std::mt19937& random) {
  std::uniform_real_distribution<float> unit(0, 1);
  const int32_t blends[] = {BlendMasked, BlendSolid, BlendAlpha, BlendAdditive, BlendMultiply};
  SetDrawBlend(blends[random() % 5]);
  SetDrawColor(static_cast<int32_t>(random() % 256), static_cast<int32_t>(random() % 256), 255);
  SetDrawAlpha(unit(random));
  if (random() % 2 == 0) {
    SetDrawTransform(0, 1, 1);
    SetDrawHandle(static_cast<float>(random() % 8), static_cast<float>(random() % 8));
    return true;
  }
  const float turn = random() % 3 == 0 ? 0.0f : unit(random) * 360;
  const float scale = random() % 3 == 0 ? 1.0f : 0.3f + unit(random) * 3;
  SetDrawTransform(turn, random() % 5 == 0 ? -scale : scale, scale);
  SetDrawHandle(unit(random) * 8, unit(random) * 8);
  return false;
}

// A place on the screen; whole pixels when upright.
float RandomPlace(std::mt19937& random, bool upright, float high) {
  const float place = std::uniform_real_distribution<float>(-10, high)(random);
  return upright ? std::floor(place) : place;
}

TEST_P(DisplayImagePages, PagedFramesDrawWhatTexturesOfTheirOwnDraw) {
  std::mt19937 random(4242);
  constexpr int32_t kFrames = 12;
  for (const int32_t flags : {0, ImageFlagFilter, ImageFlagMask | ImageFlagFilter}) {
    SCOPED_TRACE(flags);
    Ref<TPixmap> sheet = RandomPixmap(random, 13 * 4, 11 * 3);
    for (int32_t y = 0; y < sheet->height; ++y)  // some pixels of the mask colour, black
      for (int32_t x = 0; x < sheet->width; x += 3) sheet->WritePixel(x, y, 0xFF000000u);
    Ref<TPixmap> rgb = sheet->Convert(FMT_RGB888);
    Ref<TImage> paged = LoadAnimatedImage(rgb, 13, 11, 0, kFrames, flags);
    std::vector<Ref<TImage>> own;
    for (int32_t i = 0; i < kFrames; ++i)
      own.push_back(LoadImageUrl(rgb->Window((i % 4) * 13, (i / 4) * 11, 13, 11)->Copy(), flags));
    const uint32_t seed = static_cast<uint32_t>(random());
    const auto draw = [&](bool from_page) {
      std::mt19937 r(seed);
      std::uniform_real_distribution<float> place(-10, 390);
      for (int32_t n = 0; n < 400; ++n) {
        const bool upright = RandomState(r);
        const int32_t frame = static_cast<int32_t>(r() % kFrames);
        const float x = RandomPlace(r, upright, 390), y = RandomPlace(r, upright, 290);
        if (r() % 4 == 0) {
          const float w = place(r) / 8, h = place(r) / 8;
          from_page ? DrawImageStretched(paged, x, y, w, h, frame) : DrawImageStretched(own[frame], x, y, w, h);
        } else {
          from_page ? DrawImageFrame(paged, x, y, frame) : DrawImageFrame(own[frame], x, y);
        }
      }
      SetDrawTransform(0, 1, 1);
      SetDrawHandle(0, 0);
      SetDrawViewport(300, 200, 90, 90);
      TileImageFrame(from_page ? paged : own[5], 2.5f, 3.25f, from_page ? 5 : 0);
      SetDrawViewport(0, 0, 400, 300);
    };
    Ref<TPixmap> with_page = ScreenOf([&] { draw(true); });
    Ref<TPixmap> with_own = ScreenOf([&] { draw(false); });
    int32_t count = 0;
    const std::string where = Differences(with_page, with_own, count);
    EXPECT_EQ(count, 0) << "differs at" << where;
  }
}

TEST_P(DisplayImagePages, TextFromTheGlyphPageIsTextFromGlyphsOfTheirOwn) {
  std::mt19937 random(99);
  Ref<TImageFont> paged = TImageFont::CreateDefault(), own = TImageFont::CreateDefault();
  for (int32_t i = 0; i < own->CountGlyphs(); ++i)
    if (Ref<TImage> image = own->LoadGlyph(i)->Pixels()) image->Lock(0, 1, 1);  // off the page
  std::string text;
  for (int32_t c = 32; c < 128; ++c) text += static_cast<char>(c);
  const uint32_t seed = static_cast<uint32_t>(random());
  const auto draw = [&](const Ref<TImageFont>& font) {
    SetDrawFont(font);
    std::mt19937 r(seed);
    for (int32_t n = 0; n < 60; ++n) {
      const bool upright = RandomState(r);
      const size_t from = r() % text.size();
      const float x = RandomPlace(r, upright, 350) - 50, y = RandomPlace(r, upright, 290);
      DrawString(String(text.substr(from, 1 + r() % 30).c_str()), x, y);
    }
    SetDrawFont(nullptr);
  };
  Ref<TPixmap> with_page = ScreenOf([&] { draw(paged); });
  Ref<TPixmap> with_own = ScreenOf([&] { draw(own); });
  int32_t count = 0;
  const std::string where = Differences(with_page, with_own, count);
  EXPECT_EQ(count, 0) << "differs at" << where;
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayImagePages, ::testing::Values("gl", "gl3", "gles3"),
                         [](const auto& info) { return info.param; });

// The OpenGL driver draws plain shapes among pictures of a page with the
// page's white corner instead of turning texturing off: the same pixels.
TEST(DisplayWhiteCorner, ShapesAmongPagedPicturesDrawAsWithTexturingOff) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_NE(OpenGraphics(400, 300, 0, 60, 0), nullptr);
  if (CurrentRen2DDriver != TheGLRen2DDriver()) {
    CloseOpenedGraphics();
    GTEST_SKIP() << "VTL_REN2D_DRIVER chose another driver";
  }
  std::mt19937 random(31337);
  Ref<TImage> filtered = LoadAnimatedImage(RandomPixmap(random, 40, 20), 20, 20, 0, 2, ImageFlagFilter);
  Ref<TImage> nearest = LoadAnimatedImage(RandomPixmap(random, 40, 20), 20, 20, 0, 2, 0);
  const uint32_t seed = static_cast<uint32_t>(random());
  const auto draw = [&] {
    std::mt19937 r(seed);
    std::uniform_real_distribution<float> place(-10, 390);
    Ref<Array<float>> xy = NewArray<float>({10});
    for (int32_t n = 0; n < 600; ++n) {
      const bool upright = RandomState(r);
      SetDrawLineWidth(1 + static_cast<float>(r() % 4));
      const float x = RandomPlace(r, upright, 390), y = RandomPlace(r, upright, 290), w = place(r) / 6,
                  h = place(r) / 6;
      switch (r() % 8) {
        case 0: DrawFilledRect(x, y, w, h); break;
        case 1: FillEllipse(x, y, w, h); break;
        case 2: DrawSegment(x, y, x + w, y + h, static_cast<int32_t>(r() % 2)); break;
        case 3: PlotPoint(x, y); break;
        case 4:
          for (int32_t i = 0; i < 10; ++i) (*xy)[i] = place(r) / 8;
          SetDrawOrigin(x, y);
          FillPolygon(xy);
          SetDrawOrigin(0, 0);
          break;
        case 5: DrawString("Wand", x, y); break;
        default: DrawImageFrame(r() % 2 ? filtered : nearest, x, y, static_cast<int32_t>(r() % 2)); break;
      }
    }
  };
  const auto screen = [&](bool texturing_off) {
    ForceGLUntexturedShapes(texturing_off);
    Ref<TPixmap> drawn = ScreenOf(draw);
    ForceGLUntexturedShapes(false);
    return drawn;
  };
  Ref<TPixmap> white_corner = screen(false), texturing_off = screen(true);
  CloseOpenedGraphics();
  int32_t count = 0;
  const std::string where = Differences(white_corner, texturing_off, count);
  EXPECT_EQ(count, 0) << "differs at" << where;
}

}  // namespace
}  // namespace vtl
