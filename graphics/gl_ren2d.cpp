#include "graphics/gl_ren2d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "graphics/gl_raw.h"
#include "graphics/internal/gl_context.h"
#include "graphics/internal/gl_draw_state.h"
#include "graphics/internal/gl_render_target.h"
#include "graphics/internal/gl_textures.h"
#include "graphics/internal/gl_white_corner.h"
#include "graphics/internal/ren2d_choice.h"
#include "runtime/exceptions.h"
#include "runtime/module.h"

namespace vtl {

namespace {

struct GLRenderState {
  float ix = 0, iy = 0, jx = 0, jy = 0;  // the matrix last given to SetTransform
  GLubyte colour[4] = {0, 0, 0, 0};
  bool colour_sent = false;
  int32_t blend = 0;  // 0: none applied yet
  GLuint bound_texture = 0;
  bool texture_enabled = false;
  // The last texture drawn whose corner texel (1, 1) is opaque white with
  // white around it, and that texel's centre; 0: none.
  GLuint white_texture = 0;
  GLfloat white_u = 0, white_v = 0;
};

bool untextured_shapes_forced = false;

GLRenderState& RS() {
  static GLRenderState* state = new GLRenderState();  // lives until the process ends
  return *state;
}

void BindTextureCached(GLuint name) {
  if (RS().bound_texture == name) return;
  RS().bound_texture = name;
  glBindTexture(GL_TEXTURE_2D, name);
}

void EnableTextureCached(GLuint name) {
  BindTextureCached(name);
  if (!RS().texture_enabled) {
    RS().texture_enabled = true;
    glEnable(GL_TEXTURE_2D);
  }
}

void DisableTextureCached() {
  if (RS().texture_enabled) {
    RS().texture_enabled = false;
    glDisable(GL_TEXTURE_2D);
  }
}

// The draw colour goes with the vertices, sent inside glBegin after each
// change: a colour set between primitives then only changes what the next
// vertices carry, where a colour current only outside glBegin would end the
// run of vertices and start a draw of its own.
void BeginWithColour(GLenum mode) {
  glBegin(mode);
  if (!RS().colour_sent) {
    glColor4ubv(RS().colour);
    RS().colour_sent = true;
  }
}

// Shapes are drawn in the draw colour alone. Texturing multiplies that
// colour by the texel, so a white texel leaves it exactly as it is; using
// the bound texture's white corner saves the rasteriser a change of drawing
// state before and after every shape drawn among pictures. The texture
// coordinate goes with the vertices, as a picture's do, so that both draw
// from one vertex layout.
void BeginShape(GLenum mode) {
  const GLRenderState& s = RS();
  if (s.texture_enabled && s.white_texture != 0 && s.white_texture == s.bound_texture && !untextured_shapes_forced) {
    BeginWithColour(mode);
    glTexCoord2f(s.white_u, s.white_v);
    return;
  }
  DisableTextureCached();
  BeginWithColour(mode);
}

// Whether texel (1, 1) of the texture made from the pixmap and its eight
// neighbours are opaque white. Mipmapped textures are left out: their
// smaller levels blend the corner with what lies beside it.
bool HasWhiteCorner(const Ref<TPixmap>& pixmap, int32_t flags) {
  if ((flags & 4) || pixmap->width < 3 || pixmap->height < 3) return false;
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x)
      if (pixmap->ReadPixel(x, y) != 0xFFFFFFFFu) return false;
  return true;
}

void Vertex(float x, float y, float tx, float ty) {
  const GLRenderState& s = RS();
  glVertex2f(x * s.ix + y * s.iy + tx, x * s.jx + y * s.jy + ty);
}

bool IsWhole(float v) { return std::isfinite(v) && std::floor(v) == v; }

// Past this an ellipse would only cost time, never look rounder.
constexpr int32_t kMaxOvalSegments = 1 << 16;

}  // namespace

int32_t OvalSegments(float xr, float yr) {
  const float sum = std::fabs(xr) + std::fabs(yr);
  int32_t n = 12;
  if (sum > 12) n = sum < static_cast<float>(kMaxOvalSegments) ? static_cast<int32_t>(sum) : kMaxOvalSegments;
  return n & ~3;
}

// --- image frames ---

TGLImageFrame::~TGLImageFrame() {
  if (seq == 0) return;
  const GLuint texture = static_cast<GLuint>(name);
  // Only contexts of the kind that made it share the texture's name.
  DeleteSharedGLTexture(kind, texture);
  if (seq == GraphicsGeneration && kind == CurrentGLProfile()) {
    glDeleteTextures(1, &texture);
    // The name may be handed out again; the bind cache must not take it for bound.
    if (RS().bound_texture == texture) RS().bound_texture = 0;
  }
  seq = 0;
}

int32_t TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty) {
  DrawTextureQuad(x0, y0, x1, y1, tx, ty, u0, v0, u1, v1);
  return 0;
}

bool TGLImageFrame::Untransformed() const {
  const GLRenderState& s = RS();
  return s.ix == 1 && s.iy == 0 && s.jx == 0 && s.jy == 1;
}

int32_t TGLImageFrame::DrawPart(float x0, float y0, float x1, float y1, float tx, float ty, int32_t left, int32_t top,
                                int32_t width, int32_t height) {
  // Pixel centres then meet texel centres, where the page and a texture of
  // the part's own give the same texels however their coordinates round.
  if (!Untransformed() || x1 - x0 != static_cast<float>(width) || y1 - y0 != static_cast<float>(height) ||
      !IsWhole(x0 + tx) || !IsWhole(y0 + ty))
    return 1;
  // Texture coordinates per pixel of the pixmap: exact for the power-of-two
  // pages parts are drawn from.
  const float du = pixmap_width > 0 ? (u1 - u0) / static_cast<float>(pixmap_width) : 0;
  const float dv = pixmap_height > 0 ? (v1 - v0) / static_cast<float>(pixmap_height) : 0;
  DrawTextureQuad(x0, y0, x1, y1, tx, ty, u0 + static_cast<float>(left) * du, v0 + static_cast<float>(top) * dv,
                  u0 + static_cast<float>(left + width) * du, v0 + static_cast<float>(top + height) * dv);
  return 0;
}

void TGLImageFrame::DrawTextureQuad(float x0, float y0, float x1, float y1, float tx, float ty, float ua, float va,
                                    float ub, float vb) {
  EnableTextureCached(static_cast<GLuint>(name));
  GLRenderState& s = RS();
  s.white_texture = 0;
  if (white_corner) {
    s.white_texture = static_cast<GLuint>(name);
    s.white_u = 1.5f * u1 / static_cast<float>(pixmap_width);
    s.white_v = 1.5f * v1 / static_cast<float>(pixmap_height);
  }
  BeginWithColour(GL_QUADS);
  glTexCoord2f(ua, va);
  Vertex(x0, y0, tx, ty);
  glTexCoord2f(ub, va);
  Vertex(x1, y0, tx, ty);
  glTexCoord2f(ub, vb);
  Vertex(x1, y1, tx, ty);
  glTexCoord2f(ua, vb);
  Vertex(x0, y1, tx, ty);
  glEnd();
}

Ref<TGLImageFrame> TGLImageFrame::CreateFromPixmap(const Ref<TPixmap>& source, int32_t flags) {
  auto frame = New<TGLImageFrame>();
  frame->LoadPixmap(source, flags);
  return frame;
}

void TGLImageFrame::LoadPixmap(const Ref<TPixmap>& source, int32_t flags) {
  int32_t tw = source->width, th = source->height;
  FitGLTextureSize(tw, th);
  const int32_t w = std::min(source->width, tw), h = std::min(source->height, th);
  Ref<TPixmap> src = source;
  if (src->width != w || src->height != h) src = ScalePixmap(src, w, h);
  Ref<TPixmap> tex;
  if (w < tw || h < th) {
    // The duplicated last column and row keep filtered sampling at the edge
    // from pulling in the margin.
    tex = NewPixmap(tw, th, FMT_RGBA8888, 4);
    tex->ClearPixels(0);
    if (w > 0 && h > 0) {
      tex->Paste(src, 0, 0);
      if (w < tw) tex->Paste(src->Window(w - 1, 0, 1, h), w, 0);
      if (h < th) tex->Paste(src->Window(0, h - 1, w, 1), 0, h);
      if (w < tw && h < th) tex->Paste(src->Window(w - 1, h - 1, 1, 1), w, h);
    }
  } else {
    tex = src->format == FMT_RGBA8888 ? src : src->Convert(FMT_RGBA8888);
  }
  // Only an unscaled pixmap keeps its corner texel where it was.
  white_corner = w == source->width && h == source->height && HasWhiteCorner(source, flags);
  name = static_cast<int32_t>(CreateGLTexture(tw, th, flags));
  UploadGLTexture(tex, flags);
  u1 = static_cast<float>(w) / static_cast<float>(tw);
  v1 = static_cast<float>(h) / static_cast<float>(th);
  pixmap_width = source->width;
  pixmap_height = source->height;
  seq = GraphicsGeneration;
  kind = CurrentGLProfile();
}

// --- the driver ---

String TGLRen2DDriver::ToString() const { return "OpenGL"; }

Ref<Array<Ref<TGraphicsMode>>> TGLRen2DDriver::GraphicsModes() { return TheGLGraphicsDriver()->GraphicsModes(); }

Ref<TGraphics> TGLRen2DDriver::AttachGraphics(int64_t widget, int32_t flags) {
  if (Ref<TRen2DDriver> chosen = ChosenRen2DDriver(); chosen.Get() != this)
    return chosen->AttachGraphics(widget, flags);
  Ref<TGraphics> g = TheGLGraphicsDriver()->AttachGraphics(widget, flags);
  if (!g) return nullptr;
  return TRen2DGraphics::Create(g, Ref<TRen2DDriver>(this));
}

Ref<TGraphics> TGLRen2DDriver::CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                              int32_t flags) {
  if (Ref<TRen2DDriver> chosen = ChosenRen2DDriver(); chosen.Get() != this)
    return chosen->CreateGraphics(width, height, depth, hertz, flags);
  Ref<TGraphics> g = TheGLGraphicsDriver()->CreateGraphics(width, height, depth, hertz, flags);
  if (!g) return nullptr;
  return TRen2DGraphics::Create(g, Ref<TRen2DDriver>(this));
}

int32_t TGLRen2DDriver::SetGraphics(const Ref<TGraphics>& graphics) {
  Ref<TRen2DGraphics> t = DowncastObject<TRen2DGraphics>(graphics);
  if (!t) {
    TRen2DGraphics::ClearCurrent();
    TheGLGraphicsDriver()->SetGraphics(nullptr);
    return 0;
  }
  TheGLGraphicsDriver()->SetGraphics(t->_graphics);
  ResetGLContext(t);
  t->MakeCurrent();
  return 0;
}

int32_t TGLRen2DDriver::Flip(int32_t sync) { return TheGLGraphicsDriver()->Flip(sync); }

Ref<TImageFrame> TGLRen2DDriver::CreateFrameFromPixmap(const Ref<TPixmap>& pixmap, int32_t flags) {
  TheGLGraphicsDriver()->SwapSharedContext();
  Ref<TGLImageFrame> frame = NewImageFrame();
  try {
    frame->LoadPixmap(pixmap, flags);
  } catch (...) {
    TheGLGraphicsDriver()->SwapSharedContext();
    throw;
  }
  TheGLGraphicsDriver()->SwapSharedContext();
  return frame;
}

Ref<TGLImageFrame> TGLRen2DDriver::NewImageFrame() { return New<TGLImageFrame>(); }

int32_t TGLRen2DDriver::SetBlend(int32_t mode) {
  if (mode == RS().blend) return 0;
  RS().blend = mode;
  ApplyBlendFunction(mode);
  if (mode == BlendMasked) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
  } else {
    glDisable(GL_ALPHA_TEST);
  }
  return 0;
}

int32_t TGLRen2DDriver::SetAlpha(float alpha) {
  RS().colour[3] = AlphaByte(alpha);
  RS().colour_sent = false;
  glColor4ubv(RS().colour);
  return 0;
}

int32_t TGLRen2DDriver::SetColor(int32_t red, int32_t green, int32_t blue) {
  RS().colour[0] = ClampByte(red);
  RS().colour[1] = ClampByte(green);
  RS().colour[2] = ClampByte(blue);
  RS().colour_sent = false;
  glColor4ubv(RS().colour);
  return 0;
}

int32_t TGLRen2DDriver::SetClsColor(int32_t red, int32_t green, int32_t blue) {
  glClearColor(ClampByte(red) / 255.0f, ClampByte(green) / 255.0f, ClampByte(blue) / 255.0f, 1.0f);
  return 0;
}

int32_t TGLRen2DDriver::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  int32_t target_width = CurrentGraphicsWidth(), target_height = CurrentGraphicsHeight();
  // A render image's rows run from its top.
  const bool top_down = GLRenderTargetSize(target_width, target_height);
  if (x == 0 && y == 0 && width == target_width && height == target_height) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, top_down ? y : target_height - y - height, width, height);
  }
  return 0;
}

Ref<TImageFrame> TGLRen2DDriver::CreateRenderFrame(int32_t width, int32_t height) {
  Ref<TGLImageFrame> frame = NewImageFrame();
  TheGLGraphicsDriver()->SwapSharedContext();
  try {
    frame->name = static_cast<int32_t>(CreateRenderTexture(width, height));
  } catch (...) {
    TheGLGraphicsDriver()->SwapSharedContext();
    throw;
  }
  TheGLGraphicsDriver()->SwapSharedContext();
  frame->u1 = frame->v1 = 1;
  frame->pixmap_width = width;
  frame->pixmap_height = height;
  frame->seq = GraphicsGeneration;
  frame->kind = CurrentGLProfile();
  return frame;
}

int32_t TGLRen2DDriver::SetRenderFrame(const Ref<TImageFrame>& frame, int32_t width, int32_t height) {
  Ref<TGLImageFrame> gl = DowncastObject<TGLImageFrame>(frame);
  if (frame && !gl) RuntimeError("The render image was made by another Ren2D driver");
  SetGLRenderTarget(gl ? static_cast<uint32_t>(gl->name) : 0, width, height);
  int32_t w = CurrentGraphicsWidth(), h = CurrentGraphicsHeight();
  const bool top_down = GLRenderTargetSize(w, h);
  SetProjection(w, h, top_down);
  return 0;
}

void TGLRen2DDriver::SetProjection(int32_t width, int32_t height, bool y_up) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (y_up)
    glOrtho(0, width, 0, height, -1, 1);
  else
    glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, 0, width, height);
}

int32_t TGLRen2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
  GLRenderState& s = RS();
  s.ix = ix;
  s.iy = iy;
  s.jx = jx;
  s.jy = jy;
  return 0;
}

int32_t TGLRen2DDriver::SetLineWidth(float width) {
  glLineWidth(width);
  return 0;
}

int32_t TGLRen2DDriver::Cls() {
  glClear(GL_COLOR_BUFFER_BIT);
  return 0;
}

int32_t TGLRen2DDriver::Plot(float x, float y) {
  BeginShape(GL_POINTS);
  glVertex2f(x + 0.5f, y + 0.5f);
  glEnd();
  return 0;
}

int32_t TGLRen2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  BeginShape(GL_LINES);
  Vertex(x0, y0, tx + 0.5f, ty + 0.5f);
  Vertex(x1, y1, tx + 0.5f, ty + 0.5f);
  glEnd();
  return 0;
}

int32_t TGLRen2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  BeginShape(GL_QUADS);
  Vertex(x0, y0, tx, ty);
  Vertex(x1, y0, tx, ty);
  Vertex(x1, y1, tx, ty);
  Vertex(x0, y1, tx, ty);
  glEnd();
  return 0;
}

int32_t TGLRen2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  const float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
  const int32_t n = OvalSegments(xr, yr);
  const float cx = x0 + xr, cy = y0 + yr;
  BeginShape(GL_POLYGON);
  for (int32_t i = 0; i < n; ++i) {
    const double a = i * 360.0 / n * 3.14159265358979323846 / 180.0;
    Vertex(cx + static_cast<float>(std::cos(a)) * xr, cy - static_cast<float>(std::sin(a)) * yr, tx, ty);
  }
  glEnd();
  return 0;
}

int32_t TGLRen2DDriver::DrawPoly(const Ref<Array<float>>& xy, float handle_x, float handle_y, float origin_x,
                                 float origin_y) {
  const int32_t count = xy ? xy->Length() : 0;
  if (count < 6 || (count & 1)) return 0;
  BeginShape(GL_POLYGON);
  const float* p = xy->Data();
  for (int32_t i = 0; i < count; i += 2) Vertex(p[i] + handle_x, p[i + 1] + handle_y, origin_x, origin_y);
  glEnd();
  return 0;
}

int32_t TGLRen2DDriver::DrawPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) {
  const int32_t blend = RS().blend;
  SetBlend(BlendSolid);
  DisableTextureCached();
  GLDrawPixmapRaw(pixmap, x, y);
  SetBlend(blend);
  return 0;
}

Ref<TPixmap> TGLRen2DDriver::GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height) {
  const int32_t blend = RS().blend;
  SetBlend(BlendSolid);
  Ref<TPixmap> p = ReadGLPixels(x, y, width, height, CurrentGraphicsHeight());
  SetBlend(blend);
  return p;
}

int32_t TGLRen2DDriver::ResetGLContext(const Ref<TGraphics>& graphics) {
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics->GetSettings(width, height, depth, hertz, flags);
  GLRenderState& s = RS();
  s.blend = 0;
  s.bound_texture = 0;
  s.texture_enabled = false;
  s.white_texture = 0;
  s.colour_sent = false;
  glDisable(GL_TEXTURE_2D);
  ForgetGLRenderTarget();  // a render image is the target of one context only
  SetProjection(width, height, false);
  return 0;
}

void ForceGLUntexturedShapes(bool force) { untextured_shapes_forced = force; }

Ref<TGLRen2DDriver> TheGLRen2DDriver() {
  static Ref<TGLRen2DDriver>* driver = new Ref<TGLRen2DDriver>(New<TGLRen2DDriver>());
  return *driver;
}

}  // namespace vtl
