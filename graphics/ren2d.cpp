#include "graphics/ren2d.h"

#include <cmath>

#include "graphics/collision.h"
#include "runtime/exceptions.h"

namespace vtl {

Ref<TRen2DGraphics> CurrentRen2DGraphics;
Ref<TRen2DDriver> CurrentRen2DDriver;
Ref<TImageFont> DefaultImageFont;

namespace {

// The state while no context is current: what a new context starts with,
// except that rotation, scale, origin and handle can be set (collisions
// place images with them, and need no screen). Kept for the whole run.
TRen2DGraphics& Detached() {
  static TRen2DGraphics* detached = new TRen2DGraphics();
  return *detached;
}

TRen2DGraphics& State() { return CurrentRen2DGraphics ? *CurrentRen2DGraphics : Detached(); }

void ShareWithCollisions(const TRen2DGraphics& g) {
  CollisionTransform[0] = g.tform_ix;
  CollisionTransform[1] = g.tform_iy;
  CollisionTransform[2] = g.tform_jx;
  CollisionTransform[3] = g.tform_jy;
}

Ref<TImageFont> FontInUse() {
  if (CurrentRen2DGraphics && CurrentRen2DGraphics->image_font) return CurrentRen2DGraphics->image_font;
  return GetDefaultImageFont();
}

}  // namespace

Ref<TImageFont> GetDefaultImageFont() {
  if (!DefaultImageFont) DefaultImageFont = TImageFont::CreateDefault();
  return DefaultImageFont;
}

// --- the abstract driver ---

Ref<TImageFrame> TRen2DDriver::CreateFrameFromPixmap(const Ref<TPixmap>&, int32_t) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetBlend(int32_t) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetAlpha(float) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetColor(int32_t, int32_t, int32_t) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetClsColor(int32_t, int32_t, int32_t) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetViewport(int32_t, int32_t, int32_t, int32_t) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetTransform(float, float, float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::SetLineWidth(float) { ThrowNullMethod(); }
int32_t TRen2DDriver::Cls() { ThrowNullMethod(); }
int32_t TRen2DDriver::Plot(float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::DrawLine(float, float, float, float, float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::DrawRect(float, float, float, float, float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::DrawOval(float, float, float, float, float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::DrawPoly(const Ref<Array<float>>&, float, float, float, float) { ThrowNullMethod(); }
int32_t TRen2DDriver::DrawPixmap(const Ref<TPixmap>&, int32_t, int32_t) { ThrowNullMethod(); }
Ref<TPixmap> TRen2DDriver::GrabPixmap(int32_t, int32_t, int32_t, int32_t) { ThrowNullMethod(); }

// --- contexts ---

Ref<TGraphicsDriver> TRen2DGraphics::Driver() const { return _driver; }

int32_t TRen2DGraphics::GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) {
  if (!_graphics) {
    width = height = depth = hertz = flags = 0;
    return 0;
  }
  return _graphics->GetSettings(width, height, depth, hertz, flags);
}

int32_t TRen2DGraphics::Close() {
  if (!_graphics) return 0;
  _graphics->Close();
  _graphics = nullptr;
  _driver = nullptr;
  return 0;
}

int32_t TRen2DGraphics::Validate() {
  SetDrawBlend(blend_mode);
  SetDrawColor(color_red, color_green, color_blue);
  SetDrawAlpha(color_alpha);
  SetClearColor(clscolor_red, clscolor_green, clscolor_blue);
  SetDrawLineWidth(line_width);
  SetDrawRotation(tform_rot);
  SetDrawScale(tform_scale_x, tform_scale_y);
  SetDrawViewport(viewport_x, viewport_y, viewport_w, viewport_h);
  SetDrawOrigin(origin_x, origin_y);
  SetDrawHandle(-handle_x, -handle_y);
  SetDrawFont(image_font);
  return 0;
}

int32_t TRen2DGraphics::MakeCurrent() {
  CurrentRen2DGraphics = Ref<TRen2DGraphics>(this);
  CurrentRen2DDriver = _driver;
  Validate();
  if (!_setup) {
    // Both buffers of a new window start in the clear colour.
    ClearBackBuffer();
    FlipBuffers(0);
    ClearBackBuffer();
    FlipBuffers(0);
    _setup = 1;
  }
  return 0;
}

int32_t TRen2DGraphics::ClearCurrent() {
  CurrentRen2DGraphics = nullptr;
  CurrentRen2DDriver = nullptr;
  // Collisions go on with the transform the getters now report.
  ShareWithCollisions(Detached());
  return 0;
}

Ref<TRen2DGraphics> TRen2DGraphics::Current() { return CurrentRen2DGraphics; }

Ref<TRen2DGraphics> TRen2DGraphics::Create(const Ref<TGraphics>& graphics, const Ref<TRen2DDriver>& driver) {
  GetDefaultImageFont();
  auto g = New<TRen2DGraphics>();
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics->GetSettings(width, height, depth, hertz, flags);
  g->viewport_w = width;
  g->viewport_h = height;
  g->image_font = DefaultImageFont;
  g->_graphics = graphics;
  g->_driver = driver;
  return g;
}

// --- state ---

int32_t SetDrawColor(int32_t red, int32_t green, int32_t blue) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->color_red = red;
  CurrentRen2DGraphics->color_green = green;
  CurrentRen2DGraphics->color_blue = blue;
  return CurrentRen2DDriver->SetColor(red, green, blue);
}

int32_t GetDrawColor(int32_t& red, int32_t& green, int32_t& blue) {
  const TRen2DGraphics& s = State();
  red = s.color_red;
  green = s.color_green;
  blue = s.color_blue;
  return 0;
}

int32_t SetDrawAlpha(float alpha) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->color_alpha = alpha;
  return CurrentRen2DDriver->SetAlpha(alpha);
}

float GetDrawAlpha() { return State().color_alpha; }

int32_t SetDrawBlend(int32_t mode) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->blend_mode = mode;
  return CurrentRen2DDriver->SetBlend(mode);
}

int32_t GetDrawBlend() { return State().blend_mode; }

int32_t SetClearColor(int32_t red, int32_t green, int32_t blue) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->clscolor_red = red;
  CurrentRen2DGraphics->clscolor_green = green;
  CurrentRen2DGraphics->clscolor_blue = blue;
  return CurrentRen2DDriver->SetClsColor(red, green, blue);
}

int32_t GetClearColor(int32_t& red, int32_t& green, int32_t& blue) {
  const TRen2DGraphics& s = State();
  red = s.clscolor_red;
  green = s.clscolor_green;
  blue = s.clscolor_blue;
  return 0;
}

int32_t SetDrawLineWidth(float width) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->line_width = width;
  return CurrentRen2DDriver->SetLineWidth(width);
}

float GetDrawLineWidth() { return State().line_width; }

int32_t SetDrawViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->viewport_x = x;
  CurrentRen2DGraphics->viewport_y = y;
  CurrentRen2DGraphics->viewport_w = width;
  CurrentRen2DGraphics->viewport_h = height;
  return CurrentRen2DDriver->SetViewport(x, y, width, height);
}

int32_t GetDrawViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
  const TRen2DGraphics& s = State();
  x = s.viewport_x;
  y = s.viewport_y;
  width = s.viewport_w;
  height = s.viewport_h;
  return 0;
}

int32_t SetDrawOrigin(float x, float y) {
  State().origin_x = x;
  State().origin_y = y;
  return 0;
}

int32_t GetDrawOrigin(float& x, float& y) {
  x = State().origin_x;
  y = State().origin_y;
  return 0;
}

int32_t SetDrawHandle(float x, float y) {
  State().handle_x = -x;
  State().handle_y = -y;
  return 0;
}

int32_t GetDrawHandle(float& x, float& y) {
  x = -State().handle_x;
  y = -State().handle_y;
  return 0;
}

int32_t RebuildDrawTransform() {
  TRen2DGraphics& g = State();
  const double radians = static_cast<double>(g.tform_rot) * 3.14159265358979323846 / 180.0;
  const double s = std::sin(radians), c = std::cos(radians);
  g.tform_ix = static_cast<float>(c * g.tform_scale_x);
  g.tform_iy = static_cast<float>(-s * g.tform_scale_y);
  g.tform_jx = static_cast<float>(s * g.tform_scale_x);
  g.tform_jy = static_cast<float>(c * g.tform_scale_y);
  ShareWithCollisions(g);
  if (!CurrentRen2DGraphics) return 0;
  return CurrentRen2DDriver->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
}

int32_t SetDrawRotation(float degrees) {
  State().tform_rot = degrees;
  return RebuildDrawTransform();
}

float GetDrawRotation() { return State().tform_rot; }

int32_t SetDrawScale(float x, float y) {
  State().tform_scale_x = x;
  State().tform_scale_y = y;
  return RebuildDrawTransform();
}

int32_t GetDrawScale(float& x, float& y) {
  x = State().tform_scale_x;
  y = State().tform_scale_y;
  return 0;
}

int32_t SetDrawTransform(float degrees, float scale_x, float scale_y) {
  TRen2DGraphics& g = State();
  g.tform_rot = degrees;
  g.tform_scale_x = scale_x;
  g.tform_scale_y = scale_y;
  return RebuildDrawTransform();
}

int32_t SetDrawFont(const Ref<TImageFont>& font) {
  if (!CurrentRen2DGraphics) return 0;
  CurrentRen2DGraphics->image_font = font ? font : GetDefaultImageFont();
  return 0;
}

Ref<TImageFont> GetDrawFont() { return FontInUse(); }

int32_t ClearBackBuffer() {
  if (!CurrentRen2DGraphics) return 0;
  return CurrentRen2DDriver->Cls();
}

// --- drawing ---

int32_t PlotPoint(float x, float y) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  return CurrentRen2DDriver->Plot(x + g.origin_x, y + g.origin_y);
}

int32_t DrawSegment(float x, float y, float x2, float y2, int32_t draw_last_pixel) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  const float px = g.handle_x + x2 - x, py = g.handle_y + y2 - y;
  const float tx = x + g.origin_x, ty = y + g.origin_y;
  CurrentRen2DDriver->DrawLine(g.handle_x, g.handle_y, px, py, tx, ty);
  if (draw_last_pixel)
    CurrentRen2DDriver->Plot(px * g.tform_ix + py * g.tform_iy + tx, px * g.tform_jx + py * g.tform_jy + ty);
  return 0;
}

int32_t DrawFilledRect(float x, float y, float width, float height) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  return CurrentRen2DDriver->DrawRect(g.handle_x, g.handle_y, g.handle_x + width, g.handle_y + height, x + g.origin_x,
                                      y + g.origin_y);
}

int32_t FillEllipse(float x, float y, float width, float height) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  return CurrentRen2DDriver->DrawOval(g.handle_x, g.handle_y, g.handle_x + width, g.handle_y + height, x + g.origin_x,
                                      y + g.origin_y);
}

int32_t FillPolygon(const Ref<Array<float>>& xy) {
  if (!CurrentRen2DGraphics || !xy) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  return CurrentRen2DDriver->DrawPoly(xy, g.handle_x, g.handle_y, g.origin_x, g.origin_y);
}

int32_t DrawString(const String& text, float x, float y) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  Ref<TImageFont> font = FontInUse();
  return font->Draw(text, x + g.origin_x + g.handle_x * g.tform_ix + g.handle_y * g.tform_iy,
                    y + g.origin_y + g.handle_x * g.tform_jx + g.handle_y * g.tform_jy, g.tform_ix, g.tform_iy,
                    g.tform_jx, g.tform_jy);
}

int32_t DrawImageStretched(const Ref<TImage>& image, float x, float y, float width, float height, int32_t frame) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  Ref<TImageFrame> f = image->Frame(frame);
  if (!f) return 0;
  const float hx = -image->handle_x, hy = -image->handle_y;
  return f->Draw(hx, hy, hx + width, hy + height, x + g.origin_x, y + g.origin_y);
}

int32_t DrawImageFrame(const Ref<TImage>& image, float x, float y, int32_t frame) {
  if (!CurrentRen2DGraphics) return 0;
  return DrawImageStretched(image, x, y, static_cast<float>(image->width), static_cast<float>(image->height), frame);
}

namespace {

// The first tile position at or left of (above) the viewport edge by less
// than one tile.
int32_t FirstTile(int32_t t, int32_t size, int32_t start) {
  if (t >= 0) return t % size + start;
  return size - static_cast<int32_t>((-static_cast<int64_t>(t)) % size) + start;
}

}  // namespace

int32_t TileImageFrame(const Ref<TImage>& image, float x, float y, int32_t frame) {
  if (!CurrentRen2DGraphics) return 0;
  const TRen2DGraphics& g = *CurrentRen2DGraphics;
  Ref<TImageFrame> f = image->Frame(frame);
  if (!f) return 0;
  const int32_t w = image->width, h = image->height;
  // An empty tile would never move on.
  if (w <= 0 || h <= 0) return 0;
  CurrentRen2DDriver->SetTransform(1, 0, 0, 1);
  const int32_t left = g.viewport_x - w + 1, top = g.viewport_y - h + 1;
  const double px = static_cast<double>(x) + g.origin_x - image->handle_x;
  const double py = static_cast<double>(y) + g.origin_y - image->handle_y;
  const float fx = static_cast<float>(px - std::floor(px)), fy = static_cast<float>(py - std::floor(py));
  // Positions far outside any window are clamped before converting to int.
  const auto to_int = [](double v) { return static_cast<int32_t>(std::fmax(-1e9, std::fmin(1e9, v))); };
  const int32_t tx = FirstTile(to_int(std::floor(px)) - left, w, left);
  const int32_t ty = FirstTile(to_int(std::floor(py)) - top, h, top);
  const int64_t right = int64_t{g.viewport_x} + g.viewport_w, bottom = int64_t{g.viewport_y} + g.viewport_h;
  for (int64_t row = ty; row < bottom; row += h)
    for (int64_t col = tx; col < right; col += w)
      f->Draw(0, 0, static_cast<float>(w), static_cast<float>(h), static_cast<float>(col) + fx,
              static_cast<float>(row) + fy);
  return RebuildDrawTransform();
}

int32_t BlitPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) {
  if (!CurrentRen2DGraphics || !pixmap) return 0;
  return CurrentRen2DDriver->DrawPixmap(pixmap, x, y);
}

Ref<TPixmap> GrabScreenPixmap(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!CurrentRen2DGraphics) return nullptr;
  return CurrentRen2DDriver->GrabPixmap(x, y, width, height);
}

int32_t StringWidth(const String& text) { return FontInUse()->TextWidth(text); }
int32_t FontHeight() { return FontInUse()->Height(); }

Ref<TImageFont> LoadImageFontUrl(const Ref<Object>& url, float size, int32_t style) {
  return TImageFont::Load(url, size, style);
}

Ref<TImageFont> LoadImageFontUrl(const String& url, float size, int32_t style) {
  return TImageFont::Load(url, size, style);
}

int32_t GrabImageFrame(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame) {
  if (!CurrentRen2DGraphics) return 0;
  Ref<TPixmap> p = CurrentRen2DDriver->GrabPixmap(x, y, image->width, image->height);
  if (image->flags & ImageFlagMask)
    p = MaskPixmapColour(p, ImageMaskColour.red, ImageMaskColour.green, ImageMaskColour.blue);
  return image->SetPixmap(frame, p);
}

}  // namespace vtl
