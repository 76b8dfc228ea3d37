// Ren2D: the immediate-mode 2D drawing layer. A Ren2D context wraps a
// graphics context with a Ren2D driver and keeps the drawing state; the free
// functions change that state and draw through the current driver.
//
// While no Ren2D context is current, setters and drawing calls do nothing
// and getters report the state a new context starts with.
#pragma once

#include <cstdint>

#include "graphics/graphics_driver.h"
#include "image/font_image.h"
#include "image/image_load.h"
#include "image/pixmap.h"

namespace vtl {

// Blend modes.
constexpr int32_t BlendMasked = 1;
constexpr int32_t BlendSolid = 2;
constexpr int32_t BlendAlpha = 3;
constexpr int32_t BlendAdditive = 4;
constexpr int32_t BlendMultiply = 5;

class TRen2DDriver : public TGraphicsDriver {
 public:
  virtual Ref<TImageFrame> CreateFrameFromPixmap(const Ref<TPixmap>& pixmap, int32_t flags);
  virtual int32_t SetBlend(int32_t mode);
  virtual int32_t SetAlpha(float alpha);
  virtual int32_t SetColor(int32_t red, int32_t green, int32_t blue);
  virtual int32_t SetClsColor(int32_t red, int32_t green, int32_t blue);
  virtual int32_t SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
  virtual int32_t SetTransform(float ix, float iy, float jx, float jy);
  virtual int32_t SetLineWidth(float width);
  virtual int32_t Cls();
  virtual int32_t Plot(float x, float y);
  virtual int32_t DrawLine(float x0, float y0, float x1, float y1, float tx, float ty);
  virtual int32_t DrawRect(float x0, float y0, float x1, float y1, float tx, float ty);
  virtual int32_t DrawOval(float x0, float y0, float x1, float y1, float tx, float ty);
  virtual int32_t DrawPoly(const Ref<Array<float>>& xy, float handle_x, float handle_y, float origin_x, float origin_y);
  virtual int32_t DrawPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
  virtual Ref<TPixmap> GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height);
};

class TRen2DGraphics : public TGraphics {
 public:
  Ref<TGraphicsDriver> Driver() const override;
  int32_t GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override;
  int32_t Close() override;
  // Pushes the whole stored state into the driver.
  virtual int32_t Validate();
  virtual int32_t MakeCurrent();

  static int32_t ClearCurrent();
  static Ref<TRen2DGraphics> Current();
  static Ref<TRen2DGraphics> Create(const Ref<TGraphics>& graphics, const Ref<TRen2DDriver>& driver);

  int32_t color_red = 255, color_green = 255, color_blue = 255;
  float color_alpha = 1;
  int32_t clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
  float line_width = 1;
  float tform_rot = 0;
  float tform_scale_x = 1, tform_scale_y = 1;
  float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
  int32_t viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  float origin_x = 0, origin_y = 0;
  float handle_x = 0, handle_y = 0;  // the handle negated
  Ref<TImageFont> image_font;
  int32_t blend_mode = BlendMasked;
  Ref<TGraphics> _graphics;
  Ref<TRen2DDriver> _driver;
  int32_t _setup = 0;
};

extern Ref<TRen2DGraphics> CurrentRen2DGraphics;
extern Ref<TRen2DDriver> CurrentRen2DDriver;
// The built-in font, made with the first Ren2D context (or the first text
// measure) and kept for the whole run.
extern Ref<TImageFont> DefaultImageFont;
Ref<TImageFont> GetDefaultImageFont();

// State.
int32_t SetDrawColor(int32_t red, int32_t green, int32_t blue);
int32_t GetDrawColor(int32_t& red, int32_t& green, int32_t& blue);
int32_t SetDrawAlpha(float alpha);
float GetDrawAlpha();
int32_t SetDrawBlend(int32_t mode);
int32_t GetDrawBlend();
int32_t SetClearColor(int32_t red, int32_t green, int32_t blue);
int32_t GetClearColor(int32_t& red, int32_t& green, int32_t& blue);
int32_t SetDrawLineWidth(float width);
float GetDrawLineWidth();
int32_t SetDrawViewport(int32_t x, int32_t y, int32_t width, int32_t height);
int32_t GetDrawViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height);
int32_t SetDrawOrigin(float x, float y);
int32_t GetDrawOrigin(float& x, float& y);
int32_t SetDrawHandle(float x, float y);
int32_t GetDrawHandle(float& x, float& y);
int32_t SetDrawRotation(float degrees);
float GetDrawRotation();
int32_t SetDrawScale(float x, float y);
int32_t GetDrawScale(float& x, float& y);
int32_t SetDrawTransform(float degrees, float scale_x, float scale_y);
// Null selects the built-in font.
int32_t SetDrawFont(const Ref<TImageFont>& font);
Ref<TImageFont> GetDrawFont();
int32_t ClearBackBuffer();
// Recomputes the matrix from rotation and scale and hands it to the driver.
int32_t RebuildDrawTransform();

// Drawing.
int32_t PlotPoint(float x, float y);
int32_t DrawSegment(float x, float y, float x2, float y2, int32_t draw_last_pixel = 1);
int32_t DrawFilledRect(float x, float y, float width, float height);
int32_t FillEllipse(float x, float y, float width, float height);
// Pairs of x, y relative to the origin; fewer than three points draw nothing.
int32_t FillPolygon(const Ref<Array<float>>& xy);
int32_t DrawString(const String& text, float x, float y);
int32_t DrawImageFrame(const Ref<TImage>& image, float x, float y, int32_t frame = 0);
int32_t DrawImageStretched(const Ref<TImage>& image, float x, float y, float width, float height, int32_t frame = 0);
int32_t TileImageFrame(const Ref<TImage>& image, float x = 0, float y = 0, int32_t frame = 0);
int32_t BlitPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
// Null while no Ren2D context is current.
Ref<TPixmap> GrabScreenPixmap(int32_t x, int32_t y, int32_t width, int32_t height);

// Text measures; they work without a context, with the built-in font.
int32_t StringWidth(const String& text);
int32_t FontHeight();
Ref<TImageFont> LoadImageFontUrl(const Ref<Object>& url, float size, int32_t style = 0);
Ref<TImageFont> LoadImageFontUrl(const String& url, float size, int32_t style = 0);

// Grabs the screen under the image's size into one of its frames.
int32_t GrabImageFrame(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame = 0);

}  // namespace vtl
