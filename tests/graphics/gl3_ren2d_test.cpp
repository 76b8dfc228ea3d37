// The shader Ren2D driver against the OpenGL one: the same scene drawn by
// each gives the same screen, sprites are batched, and VTL_REN2D_DRIVER picks
// the driver. Needs an X display with OpenGL 3.3 and ES 3.0 (Xvfb + Mesa).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/graphics.h"
#include "graphics/internal/gl3_fan_calls.h"
#include "runtime/last_error.h"
#include "tests/graphics/display_screens.h"

namespace vtl {
namespace {

using display_test::Differences;
using display_test::Rgb;

// A 16 x 16 image: a colour gradient with an alpha ramp and a transparent
// corner, so that filtering, masking and blending all show.
Ref<TImage> GradientImage(int32_t flags) {
  Ref<TPixmap> p = NewPixmap(16, 16, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      const uint32_t a = (x < 4 && y < 4) ? 0 : static_cast<uint32_t>(64 + y * 12);
      p->WritePixel(x, y,
                    (a << 24) | (static_cast<uint32_t>(x * 16) << 16) | (static_cast<uint32_t>(y * 16) << 8) | 0x40);
    }
  return LoadImageUrl(p, flags);
}

// Every kind of Ren2D call, with the state each one reads.
void DrawScene() {
  SetClearColor(20, 30, 40);
  ClearBackBuffer();
  const int32_t blends[] = {BlendMasked, BlendSolid, BlendAlpha, BlendAdditive, BlendMultiply};
  Ref<TImage> nearest = GradientImage(0);
  Ref<TImage> filtered = GradientImage(ImageFlagFilter | ImageFlagMipmap);
  for (int32_t i = 0; i < 5; ++i) {
    SetDrawBlend(blends[i]);
    SetDrawColor(255, 255, 255);
    SetDrawAlpha(0.7f);
    DrawFilledRect(10 + i * 60.0f, 10, 40, 40);
    SetDrawColor(200, 120 + i * 20, 60);
    DrawImageFrame(nearest, 20 + i * 60.0f, 20);
    SetDrawTransform(30.0f + i * 10, 1.5f, 0.75f);
    SetDrawHandle(8, 8);
    DrawImageFrame(filtered, 40 + i * 60.0f, 90);
    DrawImageStretched(nearest, 20 + i * 60.0f, 120, 37, 21);
    SetDrawHandle(0, 0);
    SetDrawTransform(0, 1, 1);
  }
  SetDrawBlend(BlendAlpha);
  SetDrawAlpha(1);
  SetDrawColor(255, 200, 0);
  SetDrawLineWidth(3);
  DrawSegment(10, 200, 300, 260);
  SetDrawLineWidth(1);
  DrawSegment(10, 270, 300, 210, 0);
  PlotPoint(305.5f, 205.25f);
  SetDrawOrigin(400, 200);
  SetDrawRotation(17);
  FillEllipse(0, 0, 80, 50);
  SetDrawColor(0, 180, 255);
  Ref<Array<float>> xy = NewArray<float>({8});
  const float corners[] = {0, 0, 60, 10, 70, 60, 5, 40};
  std::memcpy(xy->Data(), corners, sizeof corners);
  FillPolygon(xy);
  // More corners than the batch holds, drawn in several parts. Corners come
  // in runs of 1024 at one place, so that the polygon has 40 sides and the
  // triangles where one part ends and the next begins are wide enough to show.
  constexpr int32_t kCorners = GL3BatchQuads * 5, kRun = 1024;
  Ref<Array<float>> circle = NewArray<float>({kCorners * 2});
  for (int32_t i = 0; i < kCorners; ++i) {
    const double a = 6.283185307179586 * (i / kRun) * kRun / kCorners;
    (*circle)[2 * i] = 150 + static_cast<float>(std::cos(a)) * 90;
    (*circle)[2 * i + 1] = 80 + static_cast<float>(std::sin(a)) * 60;
  }
  SetDrawColor(90, 255, 90);
  FillPolygon(circle);
  SetDrawRotation(0);
  SetDrawOrigin(0, 0);
  SetDrawColor(240, 240, 240);
  SetDrawScale(1.5f, 1.5f);
  DrawString("Vantorel 0123", 10, 300);
  SetDrawScale(1, 1);
  SetDrawViewport(500, 300, 120, 90);
  SetDrawBlend(BlendMasked);
  TileImageFrame(nearest, 3.5f, 7);
  SetDrawViewport(0, 0, 800, 600);
  Ref<TPixmap> block = GrabScreenPixmap(10, 10, 100, 60);
  BlitPixmap(block, 600, 450);
}

// The scene's screen under a driver, with a window of its own.
Ref<TPixmap> SceneOn(const Ref<TGL3Ren2DDriver>& driver_or_gl) {
  InitGraphics();
  if (driver_or_gl)
    InstallGraphicsDriver(driver_or_gl, 2);
  else
    InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  if (!OpenGraphics(800, 600, 0, 60, 0)) return nullptr;
  DrawScene();
  Ref<TPixmap> screen = GrabScreenPixmap(0, 0, 800, 600);
  CloseOpenedGraphics();
  return screen;
}

TEST(DisplayGL3, EveryDriverDrawsTheSameScreen) {
  Ref<TPixmap> gl = SceneOn(nullptr);
  ASSERT_NE(gl, nullptr);
  // The shader drivers draw their triangle fans with one call, and also
  // with one call each, as where the context cannot draw many at once.
  for (const bool call_per_fan : {false, true})
    for (const Ref<TGL3Ren2DDriver>& driver : {TheGL3Ren2DDriver(), TheGLES3Ren2DDriver()}) {
      ForceGL3CallPerFan(call_per_fan);
      Ref<TPixmap> other = SceneOn(driver);
      ForceGL3CallPerFan(false);
      ASSERT_NE(other, nullptr) << driver->ToString().ToUtf8();
      int32_t count = 0;
      const std::string where = Differences(gl, other, count);
      EXPECT_EQ(count, 0) << driver->ToString().ToUtf8() << (call_per_fan ? ", a call per fan," : "") << " differs at"
                          << where;
    }
}

TEST(DisplayGL3, TenThousandSpritesTakeOneCallPerBufferFlush) {
  InitGraphics();
  InstallGraphicsDriver(TheGL3Ren2DDriver(), 2);
  ASSERT_NE(OpenGraphics(800, 600, 0, 60, 0), nullptr);
  Ref<TImage> image = GradientImage(0);
  SetDrawBlend(BlendAlpha);
  DrawImageFrame(image, 0, 0);  // makes the texture
  FlipBuffers(0);
  const int64_t before = TheGL3Ren2DDriver()->DrawCalls();
  constexpr int32_t kSprites = 10000;
  for (int32_t i = 0; i < kSprites; ++i)
    DrawImageFrame(image, static_cast<float>(i % 780), static_cast<float>(i % 580));
  EXPECT_EQ(TheGL3Ren2DDriver()->DrawCalls(), before + kSprites / GL3BatchQuads);  // full buffers only
  FlipBuffers(0);
  const int64_t calls = TheGL3Ren2DDriver()->DrawCalls() - before;
  EXPECT_EQ(calls, (kSprites + GL3BatchQuads - 1) / GL3BatchQuads);
  // A change of blend mode ends a run; a change of colour does not.
  SetDrawColor(10, 20, 30);
  DrawImageFrame(image, 0, 0);
  SetDrawColor(40, 50, 60);
  DrawImageFrame(image, 0, 0);
  SetDrawBlend(BlendAdditive);
  DrawImageFrame(image, 0, 0);
  GrabScreenPixmap(0, 0, 1, 1);
  EXPECT_EQ(TheGL3Ren2DDriver()->DrawCalls() - before - calls, 2);
  CloseOpenedGraphics();
}

// Run once per choice of VTL_REN2D_DRIVER, and with choices that cannot be
// had: VTL_TEST_FALLBACK=no_core holds the OpenGL version at 3.0 and asks for
// gl3, =unknown asks for a driver that does not exist (see CMakeLists.txt).
// Both must be set before the first context of the process.
TEST(DisplayRen2DChoice, TheEnvironmentPicksTheDriver) {
  const char* fallback = std::getenv("VTL_TEST_FALLBACK");
  if (fallback && std::strcmp(fallback, "no_core") == 0) {
    setenv("MESA_GL_VERSION_OVERRIDE", "3.0", 1);
    setenv("VTL_REN2D_DRIVER", "gl3", 1);
  } else if (fallback) {
    setenv("VTL_REN2D_DRIVER", "gl4", 1);
  }
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);
  const char* asked = std::getenv("VTL_REN2D_DRIVER");
  const std::string name = CurrentRen2DDriver->ToString().ToUtf8();
  if (fallback) {
    EXPECT_EQ(name, "OpenGL");
    EXPECT_NE(LastErrorText().ToUtf8().find(std::string("VTL_REN2D_DRIVER=") + asked), std::string::npos)
        << LastErrorText().ToUtf8();
  } else if (asked && std::strcmp(asked, "gl3") == 0) {
    EXPECT_EQ(name, "OpenGL 3.3");
  } else if (asked && std::strcmp(asked, "gles3") == 0) {
    EXPECT_EQ(name, "OpenGL ES 3.0");
  } else {
    EXPECT_EQ(name, "OpenGL");
  }
  EXPECT_EQ(GetGraphicsDriver()->ToString().ToUtf8(), name);
  // Drawing goes on with whichever driver it is.
  SetDrawColor(1, 2, 3);
  DrawFilledRect(5, 5, 2, 2);
  EXPECT_EQ(Rgb(GrabScreenPixmap(6, 6, 1, 1)->ReadPixel(0, 0)), 0x010203u);
  CloseOpenedGraphics();
}

}  // namespace
}  // namespace vtl
