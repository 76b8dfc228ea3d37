/// \file
/// Ren2D: the immediate-mode 2D drawing layer. A Ren2D context wraps a
/// graphics context with a Ren2D driver and keeps the drawing state; the free
/// functions change that state and draw through the current driver.
///
/// While no Ren2D context is current, drawing calls do nothing and getters
/// report the state a new context starts with. Only the placement state
/// (rotation, scale, origin and handle) can still be set then: it serves the
/// image collisions (collision.h), which need no screen. A context that
/// becomes current brings its own state; when none is current any more, the
/// placement state set without one applies again.
///
/// The setters store the value in the current context and hand it to the
/// driver (origin and handle stay in the context); they return what the
/// driver returns, 0 for the OpenGL driver. Getters with out-parameters
/// return 0.
#pragma once

#include <cstdint>

#include "graphics/graphics_driver.h"
#include "image/font_image.h"
#include "image/image_load.h"
#include "image/pixmap.h"

namespace vtl {

class TDrawShader;

/// \name Blend modes
///@{
constexpr int32_t BlendMasked = 1;    ///< Pixels with alpha below one half are left out; the rest are solid.
constexpr int32_t BlendSolid = 2;     ///< Pixels replace what is there.
constexpr int32_t BlendAlpha = 3;     ///< Mixed by alpha.
constexpr int32_t BlendAdditive = 4;  ///< Added, weighted by alpha.
constexpr int32_t BlendMultiply = 5;  ///< Multiplied with what is there.
///@}

/// What a Ren2D driver does for the drawing layer. Shapes arrive in the
/// shape's own coordinates (x0, y0) - (x1, y1); the driver runs them through
/// the transform and moves them to (tx, ty). The base's operations throw
/// TNullMethodException.
class TRen2DDriver : public TGraphicsDriver {
 public:
  /// The driver frame of an image frame's pixmap, with image flags.
  virtual Ref<TImageFrame> CreateFrameFromPixmap(const Ref<TPixmap>& pixmap, int32_t flags);
  /// One of the blend modes.
  virtual int32_t SetBlend(int32_t mode);
  /// Alpha of what is drawn, 0 to 1.
  virtual int32_t SetAlpha(float alpha);
  /// The drawing colour, 0 to 255 each.
  virtual int32_t SetColor(int32_t red, int32_t green, int32_t blue);
  /// The colour Cls clears to.
  virtual int32_t SetClsColor(int32_t red, int32_t green, int32_t blue);
  /// Limits drawing to the rectangle (pixels, y down).
  virtual int32_t SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
  /// The 2 x 2 matrix applied to shape coordinates.
  virtual int32_t SetTransform(float ix, float iy, float jx, float jy);
  /// The width of lines in pixels.
  virtual int32_t SetLineWidth(float width);
  /// Clears the back buffer to the clear colour.
  virtual int32_t Cls();
  /// One pixel at (x, y), untransformed.
  virtual int32_t Plot(float x, float y);
  /// A line between the two points.
  virtual int32_t DrawLine(float x0, float y0, float x1, float y1, float tx, float ty);
  /// A filled rectangle.
  virtual int32_t DrawRect(float x0, float y0, float x1, float y1, float tx, float ty);
  /// A filled ellipse in the rectangle.
  virtual int32_t DrawOval(float x0, float y0, float x1, float y1, float tx, float ty);
  /// A filled polygon of x, y pairs, each moved by the handle, transformed
  /// and moved to the origin.
  virtual int32_t DrawPoly(const Ref<Array<float>>& xy, float handle_x, float handle_y, float origin_x, float origin_y);
  /// The pixmap's pixels at (x, y), unscaled and solid.
  virtual int32_t DrawPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
  /// A new pixmap of the back buffer's pixels in the rectangle.
  virtual Ref<TPixmap> GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height);
  /// A draw shader (draw_shader.h); an empty vertex source means the
  /// built-in one. Here: an error naming the driver that has them.
  virtual Ref<TDrawShader> CreateShader(const String& vertex_source, const String& fragment_source);
  /// The shader the following drawing runs through; Null: the built-in one.
  /// Here: an error naming the driver that has them.
  virtual int32_t SetShader(const Ref<TDrawShader>& shader);
  /// A frame of width x height whose pixels can be drawn into
  /// (render_image.h). Here: an error saying the driver cannot.
  virtual Ref<TImageFrame> CreateRenderFrame(int32_t width, int32_t height);
  /// Sends drawing into a frame made by CreateRenderFrame (width x height),
  /// or back to the window for Null. Here: an error saying the driver cannot.
  virtual int32_t SetRenderFrame(const Ref<TImageFrame>& frame, int32_t width, int32_t height);
};

/// A Ren2D context: a graphics context with the drawing state kept for it.
class TRen2DGraphics : public TGraphics {
 public:
  /// The Ren2D driver that made the context.
  Ref<TGraphicsDriver> Driver() const override;
  /// The wrapped context's settings; all 0 once closed.
  int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override;
  /// Closes the wrapped context; closing again does nothing.
  int32_t Close() override;
  /// Pushes the whole stored state into the driver.
  virtual int32_t Validate();
  /// Makes this the current Ren2D context and validates it. The first time,
  /// both buffers are cleared to the clear colour.
  virtual int32_t MakeCurrent();

  /// Leaves no Ren2D context current.
  static int32_t ClearCurrent();
  /// The current Ren2D context, or Null.
  static Ref<TRen2DGraphics> Current();
  /// A context over graphics with the starting state: white, opaque, masked
  /// blending, the whole window as viewport, the built-in font.
  static Ref<TRen2DGraphics> Create(const Ref<TGraphics>& graphics, const Ref<TRen2DDriver>& driver);

  /// The drawing colour.
  ///@{
  int32_t color_red = 255, color_green = 255, color_blue = 255;
  ///@}
  float color_alpha = 1;  ///< The drawing alpha.
  /// The clear colour.
  ///@{
  int32_t clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
  ///@}
  float line_width = 1;  ///< The line width.
  float tform_rot = 0;   ///< The rotation in degrees.
  /// The scale.
  ///@{
  float tform_scale_x = 1, tform_scale_y = 1;
  ///@}
  /// The matrix made from rotation and scale.
  ///@{
  float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
  ///@}
  /// The viewport.
  ///@{
  int32_t viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  ///@}
  /// The origin, added to every drawing position.
  ///@{
  float origin_x = 0, origin_y = 0;
  ///@}
  /// The drawing handle (SetDrawHandle), stored negated.
  ///@{
  float handle_x = 0, handle_y = 0;
  ///@}
  Ref<TImageFont> image_font;        ///< The font DrawString uses.
  int32_t blend_mode = BlendMasked;  ///< The blend mode.
  Ref<TGraphics> _graphics;          ///< The wrapped context; Null once closed.
  Ref<TRen2DDriver> _driver;         ///< The driver; Null once closed.
  int32_t _setup = 0;                ///< True once the buffers were first cleared.
};

/// The current Ren2D context, or Null.
extern Ref<TRen2DGraphics> CurrentRen2DGraphics;
/// The current context's driver, or Null.
extern Ref<TRen2DDriver> CurrentRen2DDriver;
/// The built-in font, made with the first Ren2D context (or the first text
/// measure) and kept for the whole run.
extern Ref<TImageFont> DefaultImageFont;
/// DefaultImageFont, made when it is missing.
Ref<TImageFont> GetDefaultImageFont();

// State.

/// The drawing colour, 0 to 255 each.
///@{
int32_t SetDrawColor(int32_t red, int32_t green, int32_t blue);
int32_t GetDrawColor(int32_t& red, int32_t& green, int32_t& blue);
///@}
/// The drawing alpha, 0 to 1.
///@{
int32_t SetDrawAlpha(float alpha);
float GetDrawAlpha();
///@}
/// The blend mode (BlendMasked ...).
///@{
int32_t SetDrawBlend(int32_t mode);
int32_t GetDrawBlend();
///@}
/// The colour ClearBackBuffer clears to.
///@{
int32_t SetClearColor(int32_t red, int32_t green, int32_t blue);
int32_t GetClearColor(int32_t& red, int32_t& green, int32_t& blue);
///@}
/// The line width in pixels.
///@{
int32_t SetDrawLineWidth(float width);
float GetDrawLineWidth();
///@}
/// The rectangle drawing is limited to.
///@{
int32_t SetDrawViewport(int32_t x, int32_t y, int32_t width, int32_t height);
int32_t GetDrawViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height);
///@}
/// The origin, added to every drawing position; kept in the context only.
///@{
int32_t SetDrawOrigin(float x, float y);
int32_t GetDrawOrigin(float& x, float& y);
///@}
/// The handle: the point of a shape, in its own coordinates, that lands on
/// the drawing position, and about which it rotates and scales.
///@{
int32_t SetDrawHandle(float x, float y);
int32_t GetDrawHandle(float& x, float& y);
///@}
/// The rotation in degrees (RebuildDrawTransform).
///@{
int32_t SetDrawRotation(float degrees);
float GetDrawRotation();
///@}
/// The scale (RebuildDrawTransform).
///@{
int32_t SetDrawScale(float x, float y);
int32_t GetDrawScale(float& x, float& y);
///@}
/// Rotation and scale at once.
int32_t SetDrawTransform(float degrees, float scale_x, float scale_y);
/// The font DrawString uses. Null selects the built-in font.
int32_t SetDrawFont(const Ref<TImageFont>& font);
/// The font in use; the built-in one without a context.
Ref<TImageFont> GetDrawFont();
/// Clears the back buffer to the clear colour.
int32_t ClearBackBuffer();
/// Recomputes the matrix from rotation and scale, hands it to the driver and
/// copies it to CollisionTransform.
int32_t RebuildDrawTransform();

/// \name Drawing
/// Positions are moved by the origin; shapes are placed by their handle and
/// rotated and scaled about it.
///@{

/// One pixel (neither handle nor transform apply).
int32_t PlotPoint(float x, float y);
/// A line from (x, y) to (x2, y2); draw_last_pixel also plots its end.
int32_t DrawSegment(float x, float y, float x2, float y2, int32_t draw_last_pixel = 1);
/// A filled rectangle.
int32_t DrawFilledRect(float x, float y, float width, float height);
/// A filled ellipse in the rectangle.
int32_t FillEllipse(float x, float y, float width, float height);
/// A filled polygon. Pairs of x, y relative to the origin; fewer than three
/// points (or an odd count) draw nothing.
int32_t FillPolygon(const Ref<Array<float>>& xy);
/// Text in the current font.
int32_t DrawString(const String& text, float x, float y);
/// A frame of the image, placed by the image's own handle.
int32_t DrawImageFrame(const Ref<TImage>& image, float x, float y, int32_t frame = 0);
/// A frame of the image stretched to width x height.
int32_t DrawImageStretched(const Ref<TImage>& image, float x, float y, float width, float height, int32_t frame = 0);
/// Covers the viewport with copies of a frame, one of them at (x, y);
/// rotation and scale do not apply.
int32_t TileImageFrame(const Ref<TImage>& image, float x = 0, float y = 0, int32_t frame = 0);
/// The pixmap's pixels at (x, y) in window pixels, unscaled and solid.
int32_t BlitPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
/// A new pixmap of the back buffer's pixels in the rectangle, in window pixels.
/// Null while no Ren2D context is current.
Ref<TPixmap> GrabScreenPixmap(int32_t x, int32_t y, int32_t width, int32_t height);
///@}

/// \name Text measures
/// Text measures; they work without a context, with the built-in font.
///@{

/// The text's width in whole pixels in the current font (TImageFont::TextWidth).
int32_t StringWidth(const String& text);
/// The current font's height.
int32_t FontHeight();
///@}
/// TImageFont::Load: a font file at a pixel size; style 0 or FONT_SMOOTH.
///@{
Ref<TImageFont> LoadImageFontUrl(const Ref<Object>& url, float size, int32_t style = 0);
Ref<TImageFont> LoadImageFontUrl(const String& url, float size, int32_t style = 0);
///@}

/// Grabs the screen under the image's size into one of its frames.
int32_t GrabImageFrame(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame = 0);

}  // namespace vtl
