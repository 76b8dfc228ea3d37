// Render images on all three Ren2D drivers: drawing into an image, reading it
// back, and drawing it into the window. Needs an X display (Xvfb + Mesa).
#include <gtest/gtest.h>

#include <string>

#include "graphics/graphics.h"
#include "tests/graphics/display_screens.h"

namespace vtl {
namespace {

using display_test::DriverNamed;
using display_test::Rgb;

class DisplayRenderImage : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    InitGraphics();
    InstallGraphicsDriver(DriverNamed(GetParam()), 2);
    ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);
    if (GetParam() == "gl" && CurrentRen2DDriver != TheGLRen2DDriver())
      GTEST_SKIP() << "VTL_REN2D_DRIVER chose another driver";
  }
  void TearDown() override { CloseOpenedGraphics(); }
};

TEST_P(DisplayRenderImage, DrawnIntoThenDrawnAndGrabbedAlike) {
  SetDrawOrigin(5, 5);
  Ref<TImage> image = CreateRenderImage(64, 32);
  ASSERT_NE(image, nullptr);
  SetRenderImage(image);
  int32_t x = 0, y = 0, w = 0, h = 0;
  GetDrawViewport(x, y, w, h);
  EXPECT_EQ(w * 1000 + h, 64032);
  SetDrawColor(255, 0, 0);
  DrawFilledRect(0, 0, 10, 10);  // top left: the origin is 0, 0 in the image
  SetDrawColor(0, 255, 0);
  DrawFilledRect(54, 22, 10, 10);  // bottom right
  SetDrawColor(0, 0, 255);
  DrawFilledRect(-5, 15, 100, 2);  // cut at the image's edges
  Ref<TPixmap> inside = GrabScreenPixmap(0, 0, 64, 32);
  EXPECT_EQ(Rgb(inside->ReadPixel(0, 0)), 0xFF0000u);
  EXPECT_EQ(Rgb(inside->ReadPixel(9, 9)), 0xFF0000u);
  EXPECT_EQ(Rgb(inside->ReadPixel(63, 31)), 0x00FF00u);
  EXPECT_EQ(Rgb(inside->ReadPixel(0, 16)), 0x0000FFu);
  EXPECT_EQ(inside->ReadPixel(30, 5), 0u);  // never drawn: transparent black

  SetRenderImage(nullptr);
  GetDrawViewport(x, y, w, h);
  EXPECT_EQ(w * 1000 + h, 320240);
  float ox = 0, oy = 0;
  GetDrawOrigin(ox, oy);
  EXPECT_EQ(ox, 5);
  EXPECT_EQ(oy, 5);
  SetDrawColor(255, 255, 255);
  SetDrawBlend(BlendAlpha);
  DrawImageFrame(image, 95, 95);  // at 100, 100 with the origin
  Ref<TPixmap> drawn = GrabScreenPixmap(100, 100, 64, 32);
  int32_t differing = 0;
  for (int32_t j = 0; j < 32; ++j)
    for (int32_t i = 0; i < 64; ++i) differing += Rgb(drawn->ReadPixel(i, j)) != Rgb(inside->ReadPixel(i, j));
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(Rgb(GrabScreenPixmap(99, 99, 1, 1)->ReadPixel(0, 0)), 0u);

  // Scaled and turned, as a minimap: the red corner lands where the matrix says.
  ClearBackBuffer();
  SetDrawOrigin(0, 0);
  SetDrawTransform(90, 2, 2);
  DrawImageFrame(image, 200, 20);
  SetDrawTransform(0, 1, 1);
  EXPECT_EQ(Rgb(GrabScreenPixmap(190, 30, 1, 1)->ReadPixel(0, 0)), 0xFF0000u);
}

// A pixmap blitted into a render image lands top side up at its place, cut
// at the image's edges, and the window's pixels are left alone.
TEST_P(DisplayRenderImage, PixmapsBlitIntoItTopSideUp) {
  Ref<TPixmap> p = NewPixmap(6, 4, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x)
      p->WritePixel(x, y, 0xFF000000u | static_cast<uint32_t>(x * 40 << 16 | y * 60 << 8));
  SetClearColor(0, 0, 90);
  ClearBackBuffer();
  Ref<TImage> image = CreateRenderImage(40, 20);
  SetRenderImage(image);
  SetDrawOrigin(7, 7);  // ignored by blits, as on the window
  BlitPixmap(p, 3, 2);
  BlitPixmap(p, 37, 17);  // three columns and three rows fall outside
  BlitPixmap(p, -2, 12);  // two columns fall outside
  Ref<TPixmap> inside = GrabScreenPixmap(0, 0, 40, 20);
  SetRenderImage(nullptr);
  int32_t wrong = 0;
  std::string where;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      uint32_t want = 0;  // transparent black where nothing was blitted
      if (x >= 3 && x < 9 && y >= 2 && y < 6) want = p->ReadPixel(x - 3, y - 2);
      if (x >= 37 && y >= 17) want = p->ReadPixel(x - 37, y - 17);
      if (x < 4 && y >= 12 && y < 16) want = p->ReadPixel(x + 2, y - 12);
      if (inside->ReadPixel(x, y) != want && ++wrong <= 4) where += " " + std::to_string(x) + "," + std::to_string(y);
    }
  EXPECT_EQ(wrong, 0) << "at" << where;
  Ref<TPixmap> window = GrabScreenPixmap(0, 0, 320, 240);
  int32_t touched = 0;
  for (int32_t y = 0; y < 240; ++y)
    for (int32_t x = 0; x < 320; ++x) touched += Rgb(window->ReadPixel(x, y)) != 0x5Au;
  EXPECT_EQ(touched, 0);
}

TEST_P(DisplayRenderImage, OnlyRenderImagesOfTheOpenGraphicsAreTargets) {
  Ref<TPixmap> p = NewPixmap(4, 4, FMT_RGBA8888, 4);
  p->ClearPixels(0xFFFFFFFFu);
  Ref<TImage> plain = LoadImageUrl(p, 0);
  std::string error;
  try {
    SetRenderImage(plain);
  } catch (const ThrownObject& t) {
    error = t.what();
  }
  EXPECT_NE(error.find("CreateRenderImage"), std::string::npos) << error;
  Ref<TImage> image = CreateRenderImage(8, 8);
  ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);  // a new generation
  EXPECT_THROW(SetRenderImage(image), ThrownObject);
  EXPECT_THROW(CreateRenderImage(0, 8), ThrownObject);
  SetRenderImage(nullptr);  // the window stays the target
  DrawFilledRect(0, 0, 2, 2);
  EXPECT_EQ(Rgb(GrabScreenPixmap(1, 1, 1, 1)->ReadPixel(0, 0)), 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayRenderImage, ::testing::Values("gl", "gl3", "gles3"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace vtl
