#include "graphics/gl_graphics.h"

#include "graphics/internal/gl_context.h"
#include "runtime/module.h"

namespace vtl {

Ref<TGraphicsDriver> TGLGraphics::Driver() const { return TheGLGraphicsDriver(); }

int32_t TGLGraphics::GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) {
  if (!GetGLContextSettings(_context, width, height, depth, hertz, flags)) width = height = depth = hertz = flags = 0;
  return 0;
}

int32_t TGLGraphics::Close() {
  if (_context == 0) return 0;
  CloseGLContext(_context);
  _context = 0;
  return 0;
}

String TGLGraphicsDriver::ToString() const { return "OpenGL"; }

Ref<Array<Ref<TGraphicsMode>>> TGLGraphicsDriver::GraphicsModes() {
  constexpr int32_t kCapacity = 1024;
  static int32_t buffer[kCapacity * 4];
  const int32_t count = EnumerateDisplayModes(buffer, kCapacity);
  auto modes = NewArray<Ref<TGraphicsMode>>({count});
  for (int32_t i = 0; i < count; ++i) {
    auto mode = New<TGraphicsMode>();
    mode->width = buffer[i * 4];
    mode->height = buffer[i * 4 + 1];
    mode->depth = buffer[i * 4 + 2];
    mode->hertz = buffer[i * 4 + 3];
    (*modes)[i] = mode;
  }
  return modes;
}

// A failed create gives Null, so that OpenGraphics reports the failure.
Ref<TGraphics> TGLGraphicsDriver::AttachGraphics(int64_t widget, int32_t flags) {
  const int32_t handle = AttachGLContext(widget, flags);
  if (handle == 0) return nullptr;
  auto g = New<TGLGraphics>();
  g->_context = handle;
  return g;
}

Ref<TGraphics> TGLGraphicsDriver::CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                                 int32_t flags) {
  const int32_t handle = CreateGLContext(width, height, depth, hertz, flags);
  if (handle == 0) return nullptr;
  auto g = New<TGLGraphics>();
  g->_context = handle;
  return g;
}

int32_t TGLGraphicsDriver::SetGraphics(const Ref<TGraphics>& graphics) {
  Ref<TGLGraphics> gl = DowncastObject<TGLGraphics>(graphics);
  MakeGLContextCurrent(gl ? gl->_context : 0);
  return 0;
}

int32_t TGLGraphicsDriver::Flip(int32_t sync) {
  FlipGLContext(sync);
  return 0;
}

int32_t TGLGraphicsDriver::SwapSharedContext() {
  SwapSharedGLContext();
  return 0;
}

Ref<TGLGraphicsDriver> TheGLGraphicsDriver() {
  static Ref<TGLGraphicsDriver>* driver = new Ref<TGLGraphicsDriver>(New<TGLGraphicsDriver>());
  return *driver;
}

Ref<TGraphics> OpenGLGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) {
  InstallGraphicsDriver(TheGLGraphicsDriver(), 2);
  return OpenGraphics(width, height, depth, hertz, flags);
}

}  // namespace vtl
