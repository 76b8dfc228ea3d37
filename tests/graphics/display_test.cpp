// Pixels drawn through the OpenGL Ren2D driver into a real window and read
// back with GrabScreenPixmap. Needs an X display with OpenGL (Xvfb + Mesa).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "graphics/graphics.h"
#include "graphics/internal/gl_context.h"
#include "graphics/internal/gl_textures.h"
#include "stream/stream.h"

namespace vtl {
namespace {

uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

class DisplayRen2D : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGraphics();
    InstallGraphicsDriver(TheGLRen2DDriver(), 2);
    ASSERT_NE(OpenGraphics(800, 600, 0, 60, 0), nullptr);
  }
  void TearDown() override { CloseOpenedGraphics(); }

  // The back buffer's pixel, as packed ARGB.
  static uint32_t Pixel(int32_t x, int32_t y) { return GrabScreenPixmap(x, y, 1, 1)->ReadPixel(0, 0); }
  // True when every pixel of the rectangle has the colour (alpha ignored).
  static bool Filled(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb) {
    Ref<TPixmap> p = GrabScreenPixmap(x, y, w, h);
    for (int32_t j = 0; j < h; ++j)
      for (int32_t i = 0; i < w; ++i)
        if (Rgb(p->ReadPixel(i, j)) != rgb) return false;
    return true;
  }
};

TEST_F(DisplayRen2D, StartsWithTheDefaultStateAndClearedBuffers) {
  int32_t r, g, b;
  GetDrawColor(r, g, b);
  EXPECT_EQ(r + g + b, 765);
  EXPECT_EQ(GetDrawAlpha(), 1);
  EXPECT_EQ(GetDrawBlend(), BlendMasked);
  GetClearColor(r, g, b);
  EXPECT_EQ(r + g + b, 0);
  int32_t vx, vy, vw, vh;
  GetDrawViewport(vx, vy, vw, vh);
  EXPECT_EQ(vw * 10000 + vh, 8000600);
  EXPECT_EQ(CurrentGraphicsWidth(), 800);
  EXPECT_EQ(CurrentGraphicsHeight(), 600);
  EXPECT_TRUE(Filled(0, 0, 800, 600, 0));
  EXPECT_EQ(TheGLRen2DDriver()->ToString(), String("OpenGL"));
}

TEST_F(DisplayRen2D, FilledRectsFollowHandleRotationAndScale) {
  SetDrawHandle(10, 5);
  DrawFilledRect(100, 100, 20, 20);  // covers 90 .. 110 by 95 .. 115
  EXPECT_TRUE(Filled(90, 95, 20, 20, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(89, 100)), 0u);
  EXPECT_EQ(Rgb(Pixel(110, 100)), 0u);
  EXPECT_EQ(Rgb(Pixel(100, 115)), 0u);
  ClearBackBuffer();
  SetDrawHandle(0, 0);
  SetDrawRotation(90);
  DrawFilledRect(300, 100, 20, 10);  // local x points down: x 290 .. 300, y 100 .. 120
  EXPECT_TRUE(Filled(290, 100, 10, 20, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(300, 110)), 0u);
  EXPECT_EQ(Rgb(Pixel(289, 110)), 0u);
  SetDrawRotation(0);
  SetDrawScale(2, 3);
  DrawFilledRect(500, 100, 10, 10);
  EXPECT_TRUE(Filled(500, 100, 20, 30, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(520, 110)), 0u);
}

TEST_F(DisplayRen2D, EachBlendModeOverAKnownBackground) {
  struct Case {
    int32_t mode;
    uint32_t expected;
  };
  // Background 100, 100, 100; source 200, 50, 0 at alpha 0.5 (byte 127, so
  // masked blending leaves the background).
  const Case cases[] = {{BlendSolid, 0xC83200},    {BlendAlpha, 0x964B32},  {BlendAdditive, 0xC87D64},
                        {BlendMultiply, 0x4E1300}, {BlendMasked, 0x646464}, {99, 0xC83200}};
  int32_t x = 0;
  for (const Case& c : cases) {
    SetDrawBlend(BlendSolid);
    SetDrawAlpha(1);
    SetDrawColor(100, 100, 100);
    DrawFilledRect(x, 0, 10, 10);
    SetDrawBlend(c.mode);
    SetDrawColor(200, 50, 0);
    SetDrawAlpha(0.5f);
    DrawFilledRect(x, 0, 10, 10);
    const uint32_t got = Rgb(Pixel(x + 5, 5));
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int((got >> shift) & 255), int((c.expected >> shift) & 255), 2) << "mode " << c.mode;
    x += 20;
  }
  // Masked blending drops pixels under half alpha.
  SetDrawBlend(BlendMasked);
  SetDrawAlpha(0.4f);
  SetDrawColor(255, 255, 255);
  DrawFilledRect(300, 0, 10, 10);
  EXPECT_EQ(Rgb(Pixel(305, 5)), 0u);
}

TEST_F(DisplayRen2D, ColourAndAlphaAreClampedNotRejected) {
  SetDrawBlend(BlendAlpha);
  SetDrawColor(300, -5, 128);
  SetDrawAlpha(1.5f);
  DrawFilledRect(0, 0, 4, 4);
  EXPECT_EQ(Rgb(Pixel(1, 1)), 0xFF0080u);
  int32_t r, g, b;
  GetDrawColor(r, g, b);  // stored as given
  EXPECT_EQ(r, 300);
  EXPECT_EQ(g, -5);
  SetDrawAlpha(-0.2f);
  SetDrawColor(255, 255, 255);
  DrawFilledRect(0, 0, 4, 4);
  EXPECT_EQ(Rgb(Pixel(1, 1)), 0xFF0080u);
}

TEST_F(DisplayRen2D, ViewportScissorsDrawingAndClearing) {
  SetDrawViewport(10, 20, 100, 50);
  DrawFilledRect(0, 0, 800, 600);
  EXPECT_TRUE(Filled(10, 20, 100, 50, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(9, 30)), 0u);
  EXPECT_EQ(Rgb(Pixel(110, 30)), 0u);
  EXPECT_EQ(Rgb(Pixel(50, 19)), 0u);
  EXPECT_EQ(Rgb(Pixel(50, 70)), 0u);
  SetDrawViewport(0, 0, 800, 600);
  DrawFilledRect(0, 0, 800, 600);
  EXPECT_TRUE(Filled(0, 0, 800, 600, 0xFFFFFF));
}

TEST_F(DisplayRen2D, LinesAndPointsHitPixelCentres) {
  PlotPoint(5, 7);
  Ref<TPixmap> p = GrabScreenPixmap(0, 0, 12, 12);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(Rgb(p->ReadPixel(x, y)) != 0, x == 5 && y == 7) << x << "," << y;
  DrawSegment(20, 30, 40, 30, 0);
  EXPECT_TRUE(Filled(20, 30, 20, 1, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(40, 30)), 0u);
  EXPECT_EQ(Rgb(Pixel(30, 29)), 0u);
  EXPECT_EQ(Rgb(Pixel(30, 31)), 0u);
  DrawSegment(20, 40, 40, 40, 1);
  EXPECT_TRUE(Filled(20, 40, 21, 1, 0xFFFFFF));
}

TEST_F(DisplayRen2D, OvalsUseSegmentsByTheirSize) {
  EXPECT_EQ(OvalSegments(50, 50), 100);
  EXPECT_EQ(OvalSegments(5, 5), 12);
  EXPECT_EQ(OvalSegments(3.5f, 3.5f), 12);
  EXPECT_EQ(OvalSegments(7.5f, 7.0f), 12);
  EXPECT_EQ(OvalSegments(9, 9), 16);
  EXPECT_EQ(OvalSegments(1e30f, 1), 1 << 16);
  FillEllipse(100, 100, 100, 100);
  EXPECT_TRUE(Filled(140, 140, 20, 20, 0xFFFFFF));
  EXPECT_TRUE(Filled(101, 150, 98, 1, 0xFFFFFF));
  EXPECT_EQ(Rgb(Pixel(102, 102)), 0u);
  EXPECT_EQ(Rgb(Pixel(197, 197)), 0u);
}

// A 4 x 2 picture written as PNG: white top row, grey bottom row.
Ref<TImage> LoadTestPng() {
  Ref<TPixmap> p = NewPixmap(4, 2, FMT_RGB888, 4);
  for (int32_t x = 0; x < 4; ++x) {
    p->WritePixel(x, 0, 0xFFFFFFFFu);
    p->WritePixel(x, 1, 0xFF808080u);
  }
  const String path = "display_test_image.png";
  EXPECT_EQ(SavePixmapPNG(p, path), 1);
  Ref<TImage> image = LoadImageUrl(path, 0);
  std::remove("display_test_image.png");
  return image;
}

TEST_F(DisplayRen2D, ImageFromPngIsTintedByTheColour) {
  Ref<TImage> image = LoadTestPng();
  ASSERT_NE(image, nullptr);
  DrawImageFrame(image, 10, 10);
  EXPECT_TRUE(Filled(10, 10, 4, 1, 0xFFFFFF));
  EXPECT_TRUE(Filled(10, 11, 4, 1, 0x808080));
  SetDrawColor(255, 0, 0);
  DrawImageFrame(image, 20, 10);
  EXPECT_TRUE(Filled(20, 10, 4, 1, 0xFF0000));
  EXPECT_TRUE(Filled(20, 11, 4, 1, 0x800000));
  EXPECT_EQ(Rgb(Pixel(24, 10)), 0u);
}

TEST_F(DisplayRen2D, ImagesAreRemadeAfterASecondOpen) {
  Ref<TImage> image = LoadTestPng();
  DrawImageFrame(image, 0, 0);
  const int32_t first = (*image->seqs)[0];
  EXPECT_EQ(first, GraphicsGeneration);
  ASSERT_NE(OpenGraphics(640, 480, 0, 60, 0), nullptr);
  EXPECT_EQ(GraphicsGeneration, first + 2);
  DrawImageFrame(image, 0, 0);
  EXPECT_EQ((*image->seqs)[0], GraphicsGeneration);
  EXPECT_TRUE(Filled(0, 0, 4, 1, 0xFFFFFF));
  EXPECT_TRUE(Filled(0, 1, 4, 1, 0x808080));
}

TEST_F(DisplayRen2D, TilingPutsColumnsOnePeriodApart) {
  // A 32 x 32 tile whose only opaque column is its first.
  Ref<TPixmap> p = NewPixmap(32, 32, FMT_RGBA8888, 4);
  p->ClearPixels(0);
  for (int32_t y = 0; y < 32; ++y) p->WritePixel(0, y, 0xFFFFFFFFu);
  Ref<TImage> tile = LoadImageUrl(p, 0);
  SetDrawViewport(0, 0, 800, 40);
  TileImageFrame(tile, 5, 0);
  Ref<TPixmap> row = GrabScreenPixmap(0, 10, 800, 1);
  for (int32_t x = 0; x < 800; ++x) EXPECT_EQ(Rgb(row->ReadPixel(x, 0)) != 0, (x - 5) % 32 == 0) << x;
  EXPECT_EQ(Rgb(Pixel(5, 45)), 0u);  // outside the viewport
}

TEST_F(DisplayRen2D, TextPixelsMatchTheGlyphBits) {
  DrawString("A", 100, 200);
  const uint8_t* bits = EmbeddedFileData("quornfont.bin");
  ASSERT_NE(bits, nullptr);
  Ref<TPixmap> p = GrabScreenPixmap(100, 200, 9, 17);
  for (int32_t r = 0; r < 17; ++r)
    for (int32_t k = 0; k < 9; ++k) {
      const bool ink = r < 16 && k < 8 && ((bits[96 * r + ('A' - 32)] >> k) & 1);
      EXPECT_EQ(Rgb(p->ReadPixel(k, r)), ink ? 0xFFFFFFu : 0u) << k << "," << r;
    }
  EXPECT_EQ(StringWidth("HEILE"), 40);
  // Scaled text: every glyph pixel becomes 2 x 2.
  ClearBackBuffer();
  SetDrawScale(2, 2);
  DrawString("AA", 0, 0);
  Ref<TPixmap> big = GrabScreenPixmap(0, 0, 32, 32);
  EXPECT_EQ(Rgb(big->ReadPixel(4, 4)), 0xFFFFFFu);   // row 2, column 2 of the first A
  EXPECT_EQ(Rgb(big->ReadPixel(20, 4)), 0xFFFFFFu);  // same pixel of the second A, 16 to the right
  EXPECT_EQ(Rgb(big->ReadPixel(1, 4)), 0u);
}

TEST_F(DisplayRen2D, GrabbedRectangleBlitsBackUnchanged) {
  SetDrawColor(10, 200, 30);
  FillEllipse(50, 50, 60, 40);
  SetDrawColor(250, 5, 100);
  DrawString("Grab", 55, 60);
  Ref<TPixmap> before = GrabScreenPixmap(40, 40, 80, 60);
  ClearBackBuffer();
  BlitPixmap(before, 40, 40);
  Ref<TPixmap> after = GrabScreenPixmap(40, 40, 80, 60);
  int32_t differing = 0;
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 80; ++x) differing += Rgb(before->ReadPixel(x, y)) != Rgb(after->ReadPixel(x, y));
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(Rgb(Pixel(39, 39)), 0u);
}

TEST_F(DisplayRen2D, GrabbedImageFrameIsMaskedAndDrawnAgain) {
  SetDrawColor(200, 100, 50);
  DrawFilledRect(10, 10, 4, 4);
  Ref<TImage> image = NewBlankImage(8, 8, 1, ImageFlagMask);
  GrabImageFrame(image, 8, 8);
  Ref<TPixmap> p = image->Lock(0, 1, 0);
  EXPECT_EQ(p->ReadPixel(3, 3), 0xFFC86432u);
  EXPECT_EQ(p->ReadPixel(0, 0) >> 24, 0u);  // black is the mask colour
  ClearBackBuffer();
  SetDrawColor(255, 255, 255);
  DrawImageFrame(image, 100, 100);
  EXPECT_EQ(Rgb(Pixel(103, 103)), 0xC86432u);
  EXPECT_EQ(Rgb(Pixel(100, 100)), 0u);
}

TEST_F(DisplayRen2D, TexturesKeepTheirSizesAndMargins) {
  Ref<TPixmap> p = NewPixmap(100, 50, FMT_RGBA8888, 4);
  p->ClearPixels(0xFFFFFFFFu);
  auto frame = DowncastObject<TGLImageFrame>(TheGLRen2DDriver()->CreateFrameFromPixmap(p, 0));
  ASSERT_NE(frame, nullptr);
  EXPECT_FLOAT_EQ(frame->u1, 0.78125f);
  EXPECT_FLOAT_EQ(frame->v1, 0.78125f);
  EXPECT_EQ(frame->seq, GraphicsGeneration);
  auto one = DowncastObject<TGLImageFrame>(TheGLRen2DDriver()->CreateFrameFromPixmap(NewPixmap(1, 1, 6), 6));
  EXPECT_FLOAT_EQ(one->u1, 1);
  int32_t w = 300, h = 1;
  FitGLTextureSize(w, h);
  EXPECT_EQ(w * 1000 + h, 512001);
}

TEST_F(DisplayRen2D, SixtyPacedFlipsTakeOneSecond) {
  FlipBuffers(-1);  // start from a frame boundary
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 60; ++i) {
    DrawFilledRect(i * 10, 0, 10, 10);
    FlipBuffers(-1);
  }
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_NEAR(ms, 1000, 20);
}

TEST(DisplayGLContext, WindowHasTheRequestedClientSizeAndSwapIntervalIsCached) {
  InitGraphics();
  Ref<TGraphics> g = OpenGLGraphics(320, 240, 0, 60, 0);
  ASSERT_NE(g, nullptr);
  int32_t w, h, d, hz, f;
  g->GetSettings(w, h, d, hz, f);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_EQ(f & 2, 2);
  EXPECT_NE(GLContextNativeWindow(DowncastObject<TGLGraphics>(g)->_context), 0);
  FlipBuffers(0);
  EXPECT_EQ(LastGLSwapInterval(), 0);
  FlipBuffers(1);
  EXPECT_EQ(LastGLSwapInterval(), 1);
  CloseOpenedGraphics();
  EXPECT_EQ(DowncastObject<TGLGraphics>(g)->_context, 0);
  g->Close();  // closing twice is harmless
  EXPECT_EQ(NewGraphicsContext(-5, 10, 0, 60, 0), nullptr);
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
}

}  // namespace
}  // namespace vtl
