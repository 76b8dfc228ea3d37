/// \file
/// The shader Ren2D driver: Ren2D's driver calls over OpenGL 3.3 core or
/// OpenGL ES 3.0 contexts. It draws the same pixels as the OpenGL driver
/// (gl_ren2d.h), but collects quads, lines and points into one vertex buffer
/// and draws each run of the same texture, blend mode and primitive with one
/// call (filled shapes, sprites included, as one triangle fan each). The buffer is drawn when that state changes,
/// before a grab, a clear or a flip, and when it is full. Vertices are still transformed on the processor.
///
/// Programs pick it without code changes with the environment variable
/// VTL_REN2D_DRIVER ("gl3" or "gles3"; "gl" or nothing keeps the OpenGL
/// driver), read when the first Ren2D context is made.
#pragma once

#include <cstdint>

#include "graphics/draw_shader.h"
#include "graphics/gl_ren2d.h"

namespace vtl {

/// Sprites the batch holds before it is drawn, four vertices each; the batch
/// holds as many vertices of other shapes.
constexpr int32_t GL3BatchQuads = 8192;

/// The Ren2D driver over OpenGL 3.3 core (or OpenGL ES 3.0) contexts. One
/// class serves both; the shaders are the same but for their version line.
class TGL3Ren2DDriver : public TGLRen2DDriver {
 public:
  /// es: OpenGL ES 3.0 contexts rather than OpenGL 3.3 core ones.
  explicit TGL3Ren2DDriver(bool es = false);
  ~TGL3Ren2DDriver() override;
  String ToString() const override;  ///< "OpenGL 3.3" or "OpenGL ES 3.0"
  /// A Ren2D context over a new (or attached) window with a context of this
  /// driver's kind; Null, with the reason in LastErrorText, on failure.
  ///@{
  Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags) override;
  Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) override;
  ///@}
  /// Makes a Ren2D context current (drawing what was batched for the last
  /// one first); anything else leaves none current.
  int32_t SetGraphics(const Ref<TGraphics>& graphics) override;
  /// Draws the batch, then presents.
  int32_t Flip(int32_t sync) override;
  /// A frame whose Draw adds a quad to the batch.
  Ref<TGLImageFrame> NewImageFrame() override;
  int32_t SetBlend(int32_t mode) override;
  int32_t SetAlpha(float alpha) override;
  int32_t SetColor(int32_t red, int32_t green, int32_t blue) override;
  int32_t SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
  int32_t SetTransform(float ix, float iy, float jx, float jy) override;
  int32_t SetLineWidth(float width) override;
  int32_t Cls() override;
  int32_t Plot(float x, float y) override;
  int32_t DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  int32_t DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  int32_t DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  int32_t DrawPoly(const Ref<Array<float>>& xy, float handle_x, float handle_y, float origin_x,
                   float origin_y) override;
  int32_t DrawPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) override;
  /// A program of this driver's kind from the sources (draw_shader.h).
  Ref<TDrawShader> CreateShader(const String& vertex_source, const String& fragment_source) override;
  /// Draws the batch when the shader changes.
  int32_t SetShader(const Ref<TDrawShader>& shader) override;
  /// Draws the batch, then reads the pixels.
  Ref<TPixmap> GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height) override;
  /// Forgets the state caches and sets the pixel projection for the context.
  int32_t ResetGLContext(const Ref<TGraphics>& graphics) override;
  /// Draws the batch, then changes the projection the shaders get.
  void SetProjection(int32_t width, int32_t height, bool y_up) override;
  /// Draws the batch, then changes the target.
  int32_t SetRenderFrame(const Ref<TImageFrame>& frame, int32_t width, int32_t height) override;

  /// Draws what the batch holds (nothing when it is empty).
  void FlushBatch();
  /// Adds a textured quad (texture 0: a plain one) with the current colour;
  /// the corners are transformed and moved to (tx, ty).
  void AddQuad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty, float u0, float v0,
               float u1, float v1);

  /// Whether the transform is the identity.
  bool Untransformed() const;
  /// Draw calls made so far by this driver, for tests and measurements.
  int64_t DrawCalls() const;

  struct State;  ///< GL objects, the batch and the state caches.

 private:
  friend class TGL3DrawShader;
  State* state_;
};

/// The OpenGL 3.3 core driver.
Ref<TGL3Ren2DDriver> TheGL3Ren2DDriver();
/// The OpenGL ES 3.0 driver.
Ref<TGL3Ren2DDriver> TheGLES3Ren2DDriver();

}  // namespace vtl
