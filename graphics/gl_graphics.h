// The OpenGL graphics driver: contexts over the desktop glue of
// graphics/internal/gl_context.h.
#pragma once

#include "graphics/graphics_driver.h"

namespace vtl {

class TGLGraphics : public TGraphics {
 public:
  Ref<TGraphicsDriver> Driver() const override;
  int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override;
  int32_t Close() override;

  int32_t _context = 0;  // handle of the glue's record, 0 once closed
};

class TGLGraphicsDriver : public TGraphicsDriver {
 public:
  String ToString() const override;
  Ref<Array<Ref<TGraphicsMode>>> GraphicsModes() override;
  Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags) override;
  Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) override;
  int32_t SetGraphics(const Ref<TGraphics>& graphics) override;
  int32_t Flip(int32_t sync) override;
  virtual int32_t SwapSharedContext();
};

Ref<TGLGraphicsDriver> TheGLGraphicsDriver();
// Installs the plain OpenGL driver and opens graphics through it.
Ref<TGraphics> OpenGLGraphics(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60, int32_t flags = 0);

// Installs the OpenGL driver with default flags 2 and registers the raw text
// utility's font.
void InitGLGraphics();

}  // namespace vtl
