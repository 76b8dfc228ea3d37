// Draw shaders on the shader driver (OpenGL 3.3 core and ES 3.0), and the
// error the OpenGL driver gives for them. Needs an X display (Xvfb + Mesa).
#include <gtest/gtest.h>

#include <string>

#include "graphics/graphics.h"

namespace vtl {
namespace {

uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

// The text of the error the call raises ("" when it raises none).
template <class Call>
std::string ErrorOf(Call call) {
  try {
    call();
  } catch (const ThrownObject& t) {
    return t.what();
  }
  return "";
}

// How many pixels of the rectangle differ from the colour.
int32_t Off(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb) {
  Ref<TPixmap> p = GrabScreenPixmap(x, y, w, h);
  int32_t off = 0;
  for (int32_t j = 0; j < h; ++j)
    for (int32_t i = 0; i < w; ++i) off += Rgb(p->ReadPixel(i, j)) != rgb;
  return off;
}

Ref<TImage> Plain(int32_t w, int32_t h, uint32_t argb) {
  Ref<TPixmap> p = NewPixmap(w, h, FMT_RGBA8888, 4);
  p->ClearPixels(argb);
  return LoadImageUrl(p, 0);
}

class DisplayShader : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    InitGraphics();
    InstallGraphicsDriver(GetParam() ? TheGLES3Ren2DDriver() : TheGL3Ren2DDriver(), 2);
    ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);
  }
  void TearDown() override { CloseOpenedGraphics(); }
};

TEST_P(DisplayShader, UniformsChangeEveryPixelTheShaderDraws) {
  Ref<TDrawShader> tint = CreateDrawShader("uniform vec4 tint;\nvoid main() { vtl_fragment = tint * color; }\n");
  SetShaderFloat(tint, "tint", 0.8f, 0.4f, 0.2f, 1.0f);
  SetDrawShader(tint);
  DrawFilledRect(10, 10, 20, 20);
  SetShaderFloat(tint, "tint", 0.4f, 0.2f, 0.08f, 1.0f);  // the rectangle above keeps its colour
  SetDrawColor(255, 255, 0);
  DrawFilledRect(40, 10, 20, 20);
  SetDrawShader(nullptr);
  DrawFilledRect(70, 10, 20, 20);
  EXPECT_EQ(Off(10, 10, 20, 20, 0xCC6633), 0);
  EXPECT_EQ(Off(40, 10, 20, 20, 0x663300), 0);
  EXPECT_EQ(Off(70, 10, 20, 20, 0xFFFF00), 0);
  EXPECT_EQ(Off(30, 10, 10, 20, 0), 0);
  // A name the program does not use is ignored, as OpenGL ignores it.
  SetShaderFloat(tint, "no_such_uniform", 1.0f);
  SetShaderInt(tint, "no_such_uniform", 1);
}

TEST_P(DisplayShader, IntsAndImagesReachTheShader) {
  Ref<TImage> drawn = Plain(8, 8, 0xFF204060), other = Plain(8, 8, 0xFFA0B0C0);
  Ref<TDrawShader> pick = CreateDrawShader(
      "uniform sampler2D other;\n"
      "uniform int which;\n"
      "void main() { vtl_fragment = which == 1 ? texture(other, texcoord) : texture(vtl_texture, texcoord); }\n");
  SetDrawShader(pick);
  SetShaderInt(pick, "which", 0);
  DrawImageFrame(drawn, 10, 10);
  SetShaderImage(pick, "other", other);
  SetShaderInt(pick, "which", 1);
  DrawImageFrame(drawn, 30, 10);
  EXPECT_EQ(Off(10, 10, 8, 8, 0x204060), 0);
  EXPECT_EQ(Off(30, 10, 8, 8, 0xA0B0C0), 0);
  // A vertex shader of the program's own: everything moves 100 pixels right.
  Ref<TDrawShader> moved = CreateDrawShader(
      "void main() { color = vtl_color; texcoord = vtl_texcoord;\n"
      "  gl_Position = vtl_project(vtl_position + vec2(100.0, 0.0)); }\n",
      "void main() { vtl_fragment = color; }\n");
  SetDrawShader(moved);
  SetDrawColor(0, 255, 0);
  DrawFilledRect(10, 100, 5, 5);
  EXPECT_EQ(Off(110, 100, 5, 5, 0x00FF00), 0);
  EXPECT_EQ(Off(10, 100, 5, 5, 0), 0);
}

TEST_P(DisplayShader, AFrameOfAnAnimatedImageReachesTheShaderAlone) {
  // The frames of an animated image share one texture for drawing; a shader
  // reading one as an image of its own sees that frame alone.
  Ref<TPixmap> sheet = NewPixmap(16, 8, FMT_RGBA8888, 4);
  sheet->ClearPixels(0xFF102030u);
  sheet->Window(8, 0, 8, 8)->ClearPixels(0xFFC0B0A0u);
  Ref<TImage> frames = LoadAnimatedImage(sheet, 8, 8, 0, 2, 0);
  DrawImageFrame(frames, 50, 10, 1);  // drawn from the shared texture first
  Ref<TDrawShader> other =
      CreateDrawShader("uniform sampler2D other;\nvoid main() { vtl_fragment = texture(other, texcoord); }\n");
  SetShaderImage(other, "other", frames, 1);
  SetDrawShader(other);
  DrawImageStretched(Plain(8, 8, 0xFF000000), 10, 10, 32, 32);
  SetDrawShader(nullptr);
  DrawImageFrame(frames, 60, 10, 0);
  EXPECT_EQ(Off(10, 10, 32, 32, 0xC0B0A0), 0);
  EXPECT_EQ(Off(50, 10, 8, 8, 0xC0B0A0), 0);
  EXPECT_EQ(Off(60, 10, 8, 8, 0x102030), 0);
}

TEST_P(DisplayShader, BadSourcesAreRefusedWithTheReason) {
  const std::string broken = ErrorOf([] { CreateDrawShader("void main() { vtl_fragment = nonsense_value; }\n"); });
  EXPECT_NE(broken.find("Cannot compile a fragment shader"), std::string::npos) << broken;
  EXPECT_NE(broken.find("nonsense_value"), std::string::npos) << broken;  // from the compiler's log
  const std::string unlinked = ErrorOf(
      [] { CreateDrawShader("vec4 undefined_helper();\nvoid main() { vtl_fragment = undefined_helper(); }\n"); });
  EXPECT_NE(unlinked.find("Cannot link"), std::string::npos) << unlinked;
  EXPECT_NE(unlinked.find("undefined_helper"), std::string::npos) << unlinked;
  String zero = String("void main() { vtl_fragment = color; }") + String(std::u16string_view(u"\0", 1));
  EXPECT_NE(ErrorOf([&] { CreateDrawShader(zero); }).find("zero character"), std::string::npos);
  const String huge =
      String::FromUtf8(std::string("void main() { vtl_fragment = color; }\n") + std::string(1 << 20, ' '));
  EXPECT_NE(ErrorOf([&] { CreateDrawShader(huge); }).find("longer than"), std::string::npos);
  EXPECT_NE(ErrorOf([] { CreateDrawShader(""); }).find("empty"), std::string::npos);
  // Drawing goes on with the built-in shader.
  DrawFilledRect(0, 0, 4, 4);
  EXPECT_EQ(Off(0, 0, 4, 4, 0xFFFFFF), 0);
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayShader, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "gles3" : "gl3"; });

TEST(DisplayShaderOnGL, TheErrorNamesTheDriverToUse) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_NE(OpenGraphics(320, 240, 0, 60, 0), nullptr);
  if (CurrentRen2DDriver != TheGLRen2DDriver()) GTEST_SKIP() << "VTL_REN2D_DRIVER chose another driver";
  const std::string error = ErrorOf([] { CreateDrawShader("void main() { vtl_fragment = color; }"); });
  EXPECT_NE(error.find("VTL_REN2D_DRIVER=gl3"), std::string::npos) << error;
  EXPECT_NE(ErrorOf([] { SetDrawShader(nullptr); }).find("VTL_REN2D_DRIVER=gl3"), std::string::npos);
  CloseOpenedGraphics();
}

}  // namespace
}  // namespace vtl
