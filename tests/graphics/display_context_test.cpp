// OpenGL contexts on the desktop: full screen, attaching to a window made
// elsewhere, and the raw OpenGL helpers. Needs an X display with OpenGL.
#include <gtest/gtest.h>

#include <string>

#include "graphics/graphics.h"
#include "graphics/internal/gl_context.h"
#include "runtime/last_error.h"

// Last: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>

namespace vtl {
namespace {

uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

TEST(DisplayFullScreen, RefusedRateFallsBackToTheDisplayDefault) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_GE(GraphicsModeCount(), 1);
  int32_t w, h, d, hz;
  GraphicsModeAt(0, w, h, d, hz);
  EXPECT_GE(d, 16);
  // A rate no mode offers: the display keeps its own and nothing waits for the retrace.
  Ref<TGraphics> g = OpenGraphics(w, h, d, hz + 7, 0);
  ASSERT_NE(g, nullptr);
  // Xvfb has no retrace to keep the rate, so frames are paced in software
  // and presented without waiting.
  EXPECT_EQ(FrameRateLimiter.soft_sync, 1);
  FlipBuffers(-1);
  EXPECT_EQ(LastGLSwapInterval(), 0);
  EXPECT_EQ(CurrentGraphicsDepth(), d);
  DrawFilledRect(0, 0, 8, 8);
  EXPECT_EQ(Rgb(GrabScreenPixmap(4, 4, 1, 1)->ReadPixel(0, 0)), 0xFFFFFFu);
  // A size the display does not have cannot be opened at all.
  EXPECT_EQ(OpenGraphics(w - 1, h - 1, d, 0, 0), nullptr);
  EXPECT_EQ(OpenedGraphics, nullptr);
}

TEST(DisplayRefusals, AWindowThatCannotOpenSaysWhy) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  EXPECT_EQ(OpenGraphics(0, 480, 0, 60, 0), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open a 0x480 window: each side must be 1 to 16384 pixels"));
  int32_t w, h, d, hz;
  GraphicsModeAt(0, w, h, d, hz);
  EXPECT_EQ(OpenGraphics(w - 1, h - 1, d, 0, 0), nullptr);
  const std::string size = std::to_string(w - 1) + "x" + std::to_string(h - 1);
  EXPECT_EQ(LastErrorText().ToUtf8(), "Cannot open a " + size + " full-screen window: the display has no such mode");
  EXPECT_EQ(AttachGraphicsContext(0, 0), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot draw with OpenGL on window 0: there is no such window"));
}

TEST(DisplayAttach, ContextOnAWindowMadeElsewhere) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
  XMapWindow(display, window);
  XSync(display, False);

  Ref<TGraphics> g = AttachGraphicsContext(static_cast<int64_t>(window), 0);
  ASSERT_NE(g, nullptr);
  int32_t w, h, d, hz, f;
  g->GetSettings(w, h, d, hz, f);
  EXPECT_EQ(w * 1000 + h, 200100);
  EXPECT_EQ(d + hz, 0);
  MakeGraphicsCurrent(g);
  SetDrawColor(0, 255, 0);
  DrawFilledRect(10, 10, 5, 5);
  EXPECT_EQ(Rgb(GrabScreenPixmap(12, 12, 1, 1)->ReadPixel(0, 0)), 0x00FF00u);
  CloseGraphicsContext(g);
  EXPECT_EQ(CurrentGraphics(), nullptr);
  EXPECT_EQ(AttachGraphicsContext(0, 0), nullptr);

  // The window is still the caller's.
  XWindowAttributes attributes;
  EXPECT_NE(XGetWindowAttributes(display, window, &attributes), 0);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
}

TEST(DisplayRawGL, FillAndTextBetweenBeginAndEnd) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);
  if (CurrentRen2DDriver != TheGLRen2DDriver()) {
    CloseOpenedGraphics();
    GTEST_SKIP() << "the raw OpenGL 1.1 helpers need the OpenGL driver, and VTL_REN2D_DRIVER chose another";
  }
  BeginRawGL2D();
  GLFillRect(10, 20, 30, 5);
  GLDrawText8x16("A", 100, 100);
  EndRawGL2D();
  Ref<TPixmap> p = GrabScreenPixmap(0, 0, 320, 240);
  EXPECT_EQ(Rgb(p->ReadPixel(10, 20)), 0xFFFFFFu);
  EXPECT_EQ(Rgb(p->ReadPixel(39, 24)), 0xFFFFFFu);
  EXPECT_EQ(Rgb(p->ReadPixel(40, 24)), 0u);
  EXPECT_EQ(Rgb(p->ReadPixel(10, 25)), 0u);
  // Row 2 of "A" has ink in columns 2 to 6, row 3 in columns 1, 2, 6 and 7.
  EXPECT_EQ(Rgb(p->ReadPixel(102, 102)), 0xFFFFFFu);
  EXPECT_EQ(Rgb(p->ReadPixel(101, 102)), 0u);
  EXPECT_EQ(Rgb(p->ReadPixel(101, 103)), 0xFFFFFFu);
  EXPECT_EQ(Rgb(p->ReadPixel(104, 103)), 0u);
  // Ren2D carries on as before.
  DrawFilledRect(200, 200, 4, 4);
  EXPECT_EQ(Rgb(GrabScreenPixmap(201, 201, 1, 1)->ReadPixel(0, 0)), 0xFFFFFFu);
  CloseOpenedGraphics();
}

}  // namespace
}  // namespace vtl
