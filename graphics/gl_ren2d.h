/// \file
/// The OpenGL Ren2D driver: Ren2D's driver calls as fixed-function OpenGL 1.1
/// state and immediate-mode primitives, with vertices transformed on the
/// processor, and image frames kept as textures of the shared context.
#pragma once

#include "graphics/gl_graphics.h"
#include "graphics/ren2d.h"

namespace vtl {

/// An image frame as a texture of the shared context.
class TGLImageFrame : public TImageFrame {
 public:
  /// Deletes the texture.
  ~TGLImageFrame() override;
  int32_t Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;
  int32_t DrawPart(float x0, float y0, float x1, float y1, float tx, float ty, int32_t left, int32_t top, int32_t width,
                   int32_t height) override;
  /// Whether the driver's transform is the identity; parts are drawn only then.
  virtual bool Untransformed() const;
  /// Draws the texture from (ua, va) to (ub, vb) over the quad; Draw and
  /// DrawPart come here.
  virtual void DrawTextureQuad(float x0, float y0, float x1, float y1, float tx, float ty, float ua, float va, float ub,
                               float vb);
  /// Runs with the shared context current. The texture gets a size the
  /// driver takes: a larger pixmap is scaled down to it; where the texture is
  /// larger, the pixmap's last column and row are repeated once into the
  /// margin, so that filtering stays clean at the edge.
  static Ref<TGLImageFrame> CreateFromPixmap(const Ref<TPixmap>& src, int32_t flags);
  /// Makes the frame's texture from the pixmap, as CreateFromPixmap does.
  void LoadPixmap(const Ref<TPixmap>& src, int32_t flags);

  /// The texture coordinates of the frame's corners.
  ///@{
  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  ///@}
  /// The size of the pixmap the texture was made from.
  ///@{
  int32_t pixmap_width = 0, pixmap_height = 0;
  ///@}
  int32_t name = 0;  ///< The texture name.
  int32_t seq = 0;   ///< generation the texture was made in; 0 once deleted
  int32_t kind = 0;  ///< the kind of context whose objects hold the texture (internal/gl_context.h)
  /// Texel (1, 1) and its neighbours are opaque white: shapes drawn while
  /// the texture is bound sample it and stay in the same drawing state.
  bool white_corner = false;
};

/// The Ren2D driver over OpenGL: its contexts are TRen2DGraphics over
/// TGLGraphics, and its state changes are cached.
class TGLRen2DDriver : public TRen2DDriver {
 public:
  String ToString() const override;  ///< "OpenGL"
  Ref<Array<Ref<TGraphicsMode>>> GraphicsModes() override;
  /// A Ren2D context over the plain OpenGL driver's context; Null on failure.
  /// The first context asked for reads VTL_REN2D_DRIVER: with "gl3" or
  /// "gles3" this and later contexts come from that driver instead, when it
  /// can make its contexts (see gl3_ren2d.h).
  ///@{
  Ref<TGraphics> AttachGraphics(int64_t widget, int32_t flags) override;
  Ref<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) override;
  ///@}
  /// Makes a Ren2D context current with its whole state (a new window's
  /// buffers are first cleared); anything else leaves none current.
  int32_t SetGraphics(const Ref<TGraphics>& graphics) override;
  int32_t Flip(int32_t sync) override;

  Ref<TImageFrame> CreateFrameFromPixmap(const Ref<TPixmap>& pixmap, int32_t flags) override;
  int32_t SetBlend(int32_t mode) override;
  int32_t SetAlpha(float alpha) override;
  int32_t SetColor(int32_t red, int32_t green, int32_t blue) override;
  int32_t SetClsColor(int32_t red, int32_t green, int32_t blue) override;
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
  Ref<TPixmap> GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height) override;
  /// Forgets the state caches and sets the pixel projection for the context.
  virtual int32_t ResetGLContext(const Ref<TGraphics>& graphics);
  /// A frame whose texture can be drawn into (framebuffer objects needed).
  Ref<TImageFrame> CreateRenderFrame(int32_t width, int32_t height) override;
  /// Draws into the frame's texture, or into the window for Null.
  int32_t SetRenderFrame(const Ref<TImageFrame>& frame, int32_t width, int32_t height) override;
  /// The pixel projection of a target width x height; y_up for render
  /// images, whose rows run from the top of the texture.
  virtual void SetProjection(int32_t width, int32_t height, bool y_up);
  /// The empty frame CreateFrameFromPixmap fills: a TGLImageFrame here.
  virtual Ref<TGLImageFrame> NewImageFrame();
};

/// The one OpenGL Ren2D driver.
Ref<TGLRen2DDriver> TheGLRen2DDriver();

/// Segments of an ellipse in a box of the given half sizes: at least 12, a
/// multiple of 4.
int32_t OvalSegments(float xr, float yr);

/// Installs the OpenGL Ren2D driver with default flags 2, and sets the two
/// image hooks so that images get their frames from the current Ren2D driver.
void InitGLRen2D();

}  // namespace vtl
