/// \file
/// The OpenGL graphics driver: contexts over the desktop glue of
/// graphics/internal/gl_context.h.
#pragma once

#include "graphics/graphics_driver.h"

namespace vtl {

/// An OpenGL context on an SDL2 window (or an attached X11 window).
class TGLGraphics : public TGraphics {
 public:
  /// TheGLGraphicsDriver().
  Ref<TGraphicsDriver> Driver() const override;
  /// The context's settings; all 0 once it is closed.
  int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override;
  /// Closes the window and its context; closing again does nothing.
  int32_t Close() override;

  int32_t _context = 0;  ///< handle of the glue's record, 0 once closed
};

/// The plain OpenGL graphics driver: windows with OpenGL contexts, for
/// programs that draw with OpenGL themselves.
class TGLGraphicsDriver : public TGraphicsDriver {
 public:
  /// "OpenGL".
  String ToString() const override;
  /// The display's modes of 16 bits per pixel or more.
  Ref<Array<Ref<TGraphicsMode>>> GraphicsModes() override;
  /// A context on the X11 window `widget`; Null on failure.
  Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags) override;
  /// A new window with a context: windowed when depth is 0, else full
  /// screen. Null when no window or pixel format results.
  Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) override;
  /// Makes the context current (none for Null or another driver's context).
  int32_t SetGraphics(const Ref<TGraphics>& graphics) override;
  /// Presents the current context's back buffer; sync 1 waits for the retrace.
  int32_t Flip(int32_t sync) override;
  /// Called in pairs: the first makes the shared context (whose textures
  /// every context shares) current, the second goes back.
  virtual int32_t SwapSharedContext();
};

/// The one OpenGL graphics driver.
Ref<TGLGraphicsDriver> TheGLGraphicsDriver();
/// Installs the plain OpenGL driver and opens graphics through it.
Ref<TGraphics> OpenGLGraphics(int32_t width, int32_t height, int32_t depth = 0, int32_t hertz = 60, int32_t flags = 0);

/// Installs the OpenGL driver with default flags 2 and registers the raw text
/// utility's font.
void InitGLGraphics();

}  // namespace vtl
