// The driver-neutral layer and Ren2D's mapping onto driver calls, checked
// headless against a driver that records what it is asked to do.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "stream/stream.h"

namespace vtl {
namespace {

std::vector<std::string> calls;

std::string Call(const char* format, double a = 0, double b = 0, double c = 0, double d = 0, double e = 0,
                 double f = 0) {
  char text[200];
  std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
  return text;
}

class FakeGraphics : public TGraphics {
 public:
  Ref<TGraphicsDriver> Driver() const override { return nullptr; }
  int32_t GetSettings(int32_t& w, int32_t& h, int32_t& d, int32_t& hz, int32_t& f) override {
    w = 640, h = 480, d = depth, hz = 60, f = 2;
    return 0;
  }
  int32_t Close() override { return 0; }
  int32_t depth = 0;
};

class RecordingFrame : public TImageFrame {
 public:
  int32_t Draw(float x0, float y0, float x1, float y1, float tx, float ty) override {
    calls.push_back(Call("Frame %g %g %g %g %g %g", x0, y0, x1, y1, tx, ty));
    return 0;
  }
};

class FakeDriver : public TRen2DDriver {
 public:
  Ref<Array<Ref<TGraphicsMode>>> GraphicsModes() override {
    auto modes = NewArray<Ref<TGraphicsMode>>({2});
    (*modes)[1] = New<TGraphicsMode>();
    (*modes)[1]->width = 800, (*modes)[1]->height = 600, (*modes)[1]->depth = 32, (*modes)[1]->hertz = 60;
    return modes;
  }
  Ref<TGraphics> AttachGraphics(int64_t, int32_t) override { return nullptr; }
  Ref<TGraphics> CreateGraphics(int32_t, int32_t, int32_t depth, int32_t, int32_t flags) override {
    if (fail) RuntimeError("no window");
    last_flags = flags;
    auto g = New<FakeGraphics>();
    g->depth = depth;
    return TRen2DGraphics::Create(g, Ref<TRen2DDriver>(this));
  }
  int32_t SetGraphics(const Ref<TGraphics>& g) override {
    if (auto t = DowncastObject<TRen2DGraphics>(g))
      t->MakeCurrent();
    else
      TRen2DGraphics::ClearCurrent();
    return 0;
  }
  int32_t Flip(int32_t sync) override {
    calls.push_back(Call("Flip %g", sync));
    return 0;
  }
  Ref<TImageFrame> CreateFrameFromPixmap(const Ref<TPixmap>&, int32_t) override { return New<RecordingFrame>(); }
  int32_t SetBlend(int32_t m) override { return Log("SetBlend %g", m); }
  int32_t SetAlpha(float a) override { return Log("SetAlpha %g", a); }
  int32_t SetColor(int32_t r, int32_t g, int32_t b) override { return Log("SetColor %g %g %g", r, g, b); }
  int32_t SetClsColor(int32_t r, int32_t g, int32_t b) override { return Log("SetClsColor %g %g %g", r, g, b); }
  int32_t SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) override {
    return Log("SetViewport %g %g %g %g", x, y, w, h);
  }
  int32_t SetTransform(float ix, float iy, float jx, float jy) override {
    return Log("SetTransform %g %g %g %g", ix, iy, jx, jy);
  }
  int32_t SetLineWidth(float w) override { return Log("SetLineWidth %g", w); }
  int32_t Cls() override { return Log("Cls"); }
  int32_t Plot(float x, float y) override { return Log("Plot %g %g", x, y); }
  int32_t DrawLine(float a, float b, float c, float d, float e, float f) override {
    return Log("DrawLine %g %g %g %g %g %g", a, b, c, d, e, f);
  }
  int32_t DrawRect(float a, float b, float c, float d, float e, float f) override {
    return Log("DrawRect %g %g %g %g %g %g", a, b, c, d, e, f);
  }
  int32_t DrawOval(float a, float b, float c, float d, float e, float f) override {
    return Log("DrawOval %g %g %g %g %g %g", a, b, c, d, e, f);
  }
  int32_t DrawPoly(const Ref<Array<float>>& xy, float hx, float hy, float ox, float oy) override {
    return Log("DrawPoly %g %g %g %g %g", xy->Length(), hx, hy, ox, oy);
  }
  int32_t DrawPixmap(const Ref<TPixmap>&, int32_t x, int32_t y) override { return Log("DrawPixmap %g %g", x, y); }
  Ref<TPixmap> GrabPixmap(int32_t, int32_t, int32_t w, int32_t h) override { return NewPixmap(w, h, FMT_RGBA8888); }

  bool fail = false;
  int32_t last_flags = 0;

 private:
  int32_t Log(const char* format, double a = 0, double b = 0, double c = 0, double d = 0, double e = 0, double f = 0) {
    calls.push_back(Call(format, a, b, c, d, e, f));
    return 0;
  }
};

class Ren2DMapping : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGraphics();
    saved_driver_ = GetGraphicsDriver();
    saved_flags_ = GetDefaultGraphicsFlags();
    driver_ = New<FakeDriver>();
    InstallGraphicsDriver(driver_, 2);
    calls.clear();
  }
  void TearDown() override {
    CloseOpenedGraphics();
    InstallGraphicsDriver(saved_driver_, saved_flags_);
  }
  Ref<TGraphicsDriver> saved_driver_;
  int32_t saved_flags_ = 0;
  Ref<FakeDriver> driver_;
};

TEST_F(Ren2DMapping, OpeningValidatesTheWholeStateThenClearsBothBuffers) {
  ASSERT_NE(OpenGraphics(640, 480, 0, 60, 8), nullptr);
  EXPECT_EQ(driver_->last_flags, 10);  // default flags ORed in
  const std::vector<std::string> expected = {"SetBlend 1",
                                             "SetColor 255 255 255",
                                             "SetAlpha 1",
                                             "SetClsColor 0 0 0",
                                             "SetLineWidth 1",
                                             "SetTransform 1 -0 0 1",
                                             "SetTransform 1 -0 0 1",
                                             "SetViewport 0 0 640 480",
                                             "Cls",
                                             "Flip 0",
                                             "Cls",
                                             "Flip 0"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(CurrentGraphicsWidth(), 640);
  EXPECT_EQ(GetDrawFont(), DefaultImageFont);
}

TEST_F(Ren2DMapping, HandleOriginAndMatrixReachTheDriver) {
  OpenGraphics(640, 480, 0, 60, 0);
  calls.clear();
  SetDrawHandle(10, 5);
  float hx, hy;
  GetDrawHandle(hx, hy);
  EXPECT_EQ(hx, 10);
  EXPECT_EQ(hy, 5);
  DrawFilledRect(100, 100, 20, 20);
  SetDrawOrigin(3, 4);
  FillEllipse(0, 0, 8, 6);
  PlotPoint(1, 1);
  DrawSegment(10, 10, 20, 10, 0);
  SetDrawHandle(0, 0);
  SetDrawRotation(90);
  DrawSegment(10, 10, 20, 10, 1);
  const std::vector<std::string> expected = {"DrawRect -10 -5 10 15 100 100",
                                             "DrawOval -10 -5 -2 1 3 4",
                                             "Plot 4 5",
                                             "DrawLine -10 -5 0 -5 13 14",
                                             "SetTransform 6.12323e-17 -1 1 6.12323e-17",
                                             "DrawLine -0 -0 10 0 13 14",
                                             "Plot 13 24"};
  EXPECT_EQ(calls, expected);
}

TEST_F(Ren2DMapping, PolygonsStringsAndImagesUseTheirOwnHandles) {
  OpenGraphics(640, 480, 0, 60, 0);
  SetDrawOrigin(1, 2);
  SetDrawHandle(4, 0);
  calls.clear();
  auto xy = NewArray<float>({6});
  FillPolygon(xy);
  Ref<TImage> image = NewBlankImage(32, 16, 1, 0);
  PlaceImageHandle(image, 8, 2);
  DrawImageFrame(image, 50, 60);
  DrawImageStretched(image, 50, 60, 64, 32);
  const std::vector<std::string> expected = {"DrawPoly 6 -4 -0 1 2", "Frame -8 -2 24 14 51 62",
                                             "Frame -8 -2 56 30 51 62"};
  EXPECT_EQ(calls, expected);
  calls.clear();
  DrawString("\x01", 10, 10);  // no glyph: nothing drawn
  EXPECT_TRUE(calls.empty());
}

TEST_F(Ren2DMapping, TilingCoversTheViewportAndRestoresTheMatrix) {
  OpenGraphics(640, 480, 0, 60, 0);
  SetDrawViewport(0, 0, 800, 40);
  SetDrawScale(2, 2);
  Ref<TImage> tile = NewBlankImage(32, 32, 1, 0);
  calls.clear();
  TileImageFrame(tile, 5, 0);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), "SetTransform 1 0 0 1");
  EXPECT_EQ(calls[1], "Frame 0 0 32 32 -27 0");
  EXPECT_EQ(calls[2], "Frame 0 0 32 32 5 0");
  EXPECT_EQ(calls.back(), "SetTransform 2 -0 0 2");
  // Columns -27 .. 773 in two rows (0 and 32).
  EXPECT_EQ(calls.size(), 2 + 2 * 26u);
  EXPECT_EQ(calls[26], "Frame 0 0 32 32 773 0");
}

TEST_F(Ren2DMapping, GenerationAndPacingOfOpenedGraphics) {
  const int32_t before = GraphicsGeneration;
  OpenGraphics(640, 480, 0, 60, 0);
  OpenGraphics(640, 480, 0, 60, 0);
  EXPECT_EQ(GraphicsGeneration, before + 3);
  calls.clear();
  FlipBuffers(1);
  FlipBuffers(0);
  EXPECT_EQ(calls, (std::vector<std::string>{"Flip 1", "Flip 0"}));

  OpenGraphics(640, 480, 0, 0, 0);  // hertz 0: no limiter, windowed presents at once
  calls.clear();
  FlipBuffers(-1);
  EXPECT_EQ(calls, (std::vector<std::string>{"Flip 0"}));
  EXPECT_EQ(FrameRateLimiter.soft_sync, 0);

  driver_->fail = true;
  EXPECT_EQ(OpenGraphics(640, 480, 0, 60, 0), nullptr);  // the driver's error stays inside
  EXPECT_EQ(OpenedGraphics, nullptr);
  EXPECT_EQ(CurrentGraphics(), nullptr);
}

TEST_F(Ren2DMapping, ModesAndTheirText) {
  EXPECT_EQ(GraphicsModeCount(), 2);
  EXPECT_EQ(HasGraphicsMode(0, 0, 0, 0), 1);
  EXPECT_EQ(HasGraphicsMode(800, 0, 32, 0), 1);
  EXPECT_EQ(HasGraphicsMode(1024, 0, 0, 0), 0);
  int32_t w, h, d, hz;
  GraphicsModeAt(1, w, h, d, hz);
  EXPECT_EQ(w * 1000 + h, 800600);
  EXPECT_THROW(GraphicsModeAt(2, w, h, d, hz), ThrownObject);
  TGraphicsMode mode;
  mode.width = 1024, mode.height = 768, mode.depth = 32, mode.hertz = 75;
  EXPECT_EQ(mode.ToString(), String("1024,768,32 75Hz"));
}

TEST(Ren2DHeadless, DrawingAndStyleCallsWithoutAContextAreIgnoredAndGettersGiveDefaults) {
  InitGraphics();
  MakeGraphicsCurrent(nullptr);
  SetDrawColor(1, 2, 3);
  SetDrawAlpha(0.5f);
  DrawFilledRect(0, 0, 10, 10);
  DrawString("text", 0, 0);
  DrawImageFrame(NewBlankImage(4, 4), 0, 0);
  ClearBackBuffer();
  int32_t r, g, b;
  GetDrawColor(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(GetDrawAlpha(), 1);
  EXPECT_EQ(GetDrawRotation(), 0);
  float sx, sy;
  GetDrawScale(sx, sy);
  EXPECT_EQ(sx * sy, 1);
  EXPECT_EQ(GetDrawBlend(), BlendMasked);
  EXPECT_EQ(GetDrawLineWidth(), 1);
  EXPECT_EQ(GrabScreenPixmap(0, 0, 4, 4), nullptr);
  EXPECT_EQ(StringWidth("abc"), 24);
}

// Collisions place images without a screen, so the placement state can be
// set without a context; a context brings its own and gives it back.
TEST(Ren2DHeadless, PlacementWithoutAContextIsKeptAndReachesTheCollisions) {
  InitGraphics();
  MakeGraphicsCurrent(nullptr);
  SetDrawTransform(90, 2, 3);
  SetDrawOrigin(5, 6);
  SetDrawHandle(1, 2);
  EXPECT_EQ(GetDrawRotation(), 90);
  float x, y;
  GetDrawScale(x, y);
  EXPECT_EQ(x * 10 + y, 23);
  GetDrawOrigin(x, y);
  EXPECT_EQ(x * 10 + y, 56);
  GetDrawHandle(x, y);
  EXPECT_EQ(x * 10 + y, 12);
  EXPECT_NEAR(CollisionTransform[0], 0, 1e-6);
  EXPECT_EQ(CollisionTransform[1], -3);
  EXPECT_EQ(CollisionTransform[2], 2);
  EXPECT_NEAR(CollisionTransform[3], 0, 1e-6);
  Ref<TQuad> quad = MakeCollisionQuad(nullptr, 0, 10, 10, 4, 1, nullptr);
  EXPECT_NEAR(quad->minx, 12, 1e-4);  // x from 15 - 3, y from 16 to 16 + 8
  EXPECT_NEAR(quad->maxy, 24, 1e-4);
  SetDrawTransform(0, 1, 1);
  SetDrawOrigin(0, 0);
  SetDrawHandle(0, 0);
  EXPECT_EQ(CollisionTransform[0] * CollisionTransform[3], 1);
}

}  // namespace
}  // namespace vtl

namespace vtl {
namespace {

TEST_F(Ren2DMapping, CollisionsFollowTheCurrentContextsPlacement) {
  SetDrawTransform(0, 3, 3);  // without a context: set aside while one is current
  OpenGraphics(640, 480, 0, 60, 0);
  EXPECT_EQ(CollisionTransform[0], 1);  // the new context's identity
  SetDrawRotation(90);
  SetDrawOrigin(100, 0);
  EXPECT_EQ(CollisionTransform[1], -1);
  EXPECT_EQ(CollisionTransform[2], 1);
  // A 10 x 10 rectangle at (0, 0) now covers x 90 .. 100: a dot at 95 hits it.
  ClearCollisionLayers(1);
  CollideRectWithLayers(0, 0, 10, 10, 0, 1, nullptr);
  EXPECT_EQ(CollideRectWithLayers(-6, 5, 1, 1, 1, 0, nullptr)->Length(), 1);
  EXPECT_EQ(CollideRectWithLayers(1, 5, 1, 1, 1, 0, nullptr)->Length(), 0);
  ClearCollisionLayers(1);
  CloseOpenedGraphics();
  EXPECT_EQ(CollisionTransform[0], 3);  // back to the state kept without one
  float x, y;
  GetDrawOrigin(x, y);
  EXPECT_EQ(x, 0);
  SetDrawTransform(0, 1, 1);
}

TEST_F(Ren2DMapping, ContextsAndImagesTravelThroughStreams) {
  OpenGraphics(640, 480, 0, 60, 0);
  uint8_t buffer[256] = {};
  Ref<TRamStream> out = TRamStream::Create(buffer, sizeof buffer, 1, 1);
  EXPECT_EQ(OpenedGraphics->DataType(), driver_);
  EXPECT_EQ(driver_->Tag(), String("VTL.Graphics.TGraphics"));
  driver_->WriteObject(OpenedGraphics, out);
  EXPECT_EQ(buffer[0] | buffer[1] << 8, 640);
  EXPECT_EQ(buffer[4] | buffer[5] << 8, 480);
  EXPECT_EQ(buffer[12], 60);
  Ref<TGraphics> reopened = DowncastObject<TGraphics>(driver_->ReadObject(TRamStream::Create(buffer, 16, 1, 0)));
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened, OpenedGraphics);

  Ref<TImage> image = NewBlankImage(2, 1, 2, 0);
  PlaceImageHandle(image, 1.5f, -2);
  image->Lock(1, 0, 1)->WritePixel(1, 0, 0xFF112233u);
  uint8_t bytes[512] = {};
  ImageDataType()->WriteObject(image, TRamStream::Create(bytes, sizeof bytes, 1, 1));
  Ref<TImage> copy = DowncastObject<TImage>(ImageDataType()->ReadObject(TRamStream::Create(bytes, sizeof bytes, 1, 0)));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->width * 10 + copy->height, 21);
  EXPECT_EQ(copy->flags, ImageFlagDynamic);
  EXPECT_EQ(copy->handle_x, 1.5f);
  EXPECT_EQ(copy->handle_y, -2);
  EXPECT_EQ((*copy->pixmaps)[0], nullptr);
  EXPECT_EQ((*copy->pixmaps)[1]->ReadPixel(1, 0), 0xFF112233u);
  // A damaged record asking for a huge frame count is refused.
  bytes[32] = bytes[33] = bytes[34] = 0xFF;
  bytes[35] = 0x7F;
  EXPECT_EQ(ImageDataType()->ReadObject(TRamStream::Create(bytes, sizeof bytes, 1, 0)), nullptr);
}

TEST_F(Ren2DMapping, AnObjectStreamReopensAContextFromItsSettings) {
  OpenGraphics(640, 480, 0, 60, 0);
  uint8_t buffer[64] = {};
  Ref<TRamStream> ram = TRamStream::Create(buffer, sizeof buffer, 1, 1);
  TDataStream::WithStream(ram)->WriteObject(OpenedGraphics);
  // Type 1 with its tag line, then width, height, depth and hertz.
  const char tag[] = "\x01VTL.Graphics.TGraphics\r\n";
  ASSERT_EQ(ram->Pos(), 25 + 16);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 25), std::string(tag, 25));
  EXPECT_EQ(buffer[25] | buffer[26] << 8, 640);
  EXPECT_EQ(buffer[29] | buffer[30] << 8, 480);
  EXPECT_EQ(buffer[33], 0);
  EXPECT_EQ(buffer[37], 60);
  Ref<TGraphics> reopened =
      DowncastObject<TGraphics>(TDataStream::WithStream(TRamStream::Create(buffer, 41, 1, 0))->ReadObject());
  EXPECT_EQ(reopened, OpenedGraphics);
}

}  // namespace
}  // namespace vtl
