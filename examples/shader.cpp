// Shader: a fragment shader of the program's own ripples an image over time.
// Draw shaders need the shader Ren2D driver, which the example installs.
//   example_shader [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>

#include "framework/framework.h"

namespace {

using namespace vtl;

// The body of a fragment shader: the driver declares texcoord, color,
// vtl_texture and vtl_fragment (graphics/README.md lists them).
const char* const kRipple = R"(
uniform float time;
uniform vec2 centre;
void main() {
  vec2 away = texcoord - centre;
  float wave = sin(length(away) * 60.0 - time * 4.0) * 0.008;
  vec4 texel = texture(vtl_texture, texcoord + normalize(away + 1e-6) * wave);
  vtl_fragment = vec4(texel.rgb * (1.0 + wave * 25.0), texel.a) * color;
}
)";

// A 256 x 256 picture: a chequer board under a colour sweep.
Ref<TImage> MakePicture() {
  Ref<TPixmap> pixmap = NewPixmap(256, 256, FMT_RGBA8888);
  for (int32_t y = 0; y < 256; ++y) {
    for (int32_t x = 0; x < 256; ++x) {
      const uint32_t light = ((x / 32 + y / 32) % 2) ? 255 : 170;
      const uint32_t r = light * static_cast<uint32_t>(x) / 255, b = light * static_cast<uint32_t>(255 - y) / 255;
      pixmap->WritePixel(x, y, 0xFF000000u | r << 16 | (light / 2) << 8 | b);
    }
  }
  Ref<TImage> image = LoadImageUrl(pixmap, ImageFlagFilter);
  CentreImageHandle(image);
  return image;
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: shader";
  Ref<TFrameRun> run = TFrameRun::Create();
  InstallGraphicsDriver(TheGL3Ren2DDriver(), GraphicsFlagBackBuffer);
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window: " + LastErrorText());
  Ref<TImage> picture = MakePicture();
  Ref<TDrawShader> ripple = CreateDrawShader(kRipple);
  SetShaderFloat(ripple, "centre", 0.5f, 0.5f);
  do {
    SetClearColor(20, 24, 32);
    ClearBackBuffer();
    SetShaderFloat(ripple, "time", static_cast<float>(run->FramesShown()) / 30.0f);
    SetDrawShader(ripple);
    SetDrawScale(1.5f, 1.5f);
    DrawImageFrame(picture, 320, 230);
    SetDrawScale(1, 1);
    SetDrawShader(nullptr);  // the built-in shader for the caption
    DrawString("a fragment shader ripples the picture",
               320 - StringWidth("a fragment shader ripples the picture") / 2.0f, 440);
  } while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
