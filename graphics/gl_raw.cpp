#include "graphics/gl_raw.h"

#include <GL/gl.h>

#include <algorithm>

#include "graphics/gl_graphics.h"
#include "graphics/internal/gl_render_target.h"
#include "graphics/internal/gl_textures.h"
#include "stream/embedded_files.h"

VTL_DECLARE_EMBEDDED_FILE(gldrawtextfont_bin)

namespace vtl {

namespace {

struct RawState {
  GLdouble modelview[16];
  GLdouble projection[16];
  GLuint font_texture = 0;
};

RawState& Raw() {
  static RawState* state = new RawState();  // lives until the process ends
  return *state;
}

GLuint FontTexture() {
  RawState& r = Raw();
  if (r.font_texture) return r.font_texture;
  embedded::Register_gldrawtextfont_bin();
  const uint8_t* bits = EmbeddedFileData("gldrawtextfont.bin");
  if (!bits || EmbeddedFileLength("gldrawtextfont.bin") != 1536) return 0;
  Ref<TPixmap> sheet = NewPixmap(1024, 16, FMT_RGBA8888, 4);
  sheet->ClearPixels(0);
  for (int32_t row = 0; row < 16; ++row)
    for (int32_t j = 0; j < 96; ++j)
      for (int32_t k = 0; k < 8; ++k)
        if ((bits[96 * row + j] >> k) & 1) sheet->WritePixel(8 * j + k, row, 0xFFFFFFFFu);
  TheGLGraphicsDriver()->SwapSharedContext();
  r.font_texture = TextureFromPixmap(sheet, 1);
  TheGLGraphicsDriver()->SwapSharedContext();
  return r.font_texture;
}

}  // namespace

int32_t BeginRawGL2D() {
  RawState& r = Raw();
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, r.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, r.projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, viewport[2], viewport[3], 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  return 0;
}

int32_t EndRawGL2D() {
  RawState& r = Raw();
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(r.projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(r.modelview);
  glPopAttrib();
  return 0;
}

int32_t GLFillRect(int32_t x, int32_t y, int32_t width, int32_t height) {
  glBegin(GL_QUADS);
  glVertex2i(x, y);
  glVertex2i(x + width, y);
  glVertex2i(x + width, y + height);
  glVertex2i(x, y + height);
  glEnd();
  return 0;
}

int32_t GLDrawText8x16(const String& text, int32_t x, int32_t y) {
  const GLuint texture = FontTexture();
  if (!texture) return 0;
  // Blending is the caller's choice: without it the cells draw as black boxes.
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUADS);
  for (char16_t code : text.View()) {
    if (code >= 32 && code <= 127) {
      const float u0 = (code - 32) / 128.0f, u1 = (code - 31) / 128.0f;
      glTexCoord2f(u0, 0);
      glVertex2i(x, y);
      glTexCoord2f(u1, 0);
      glVertex2i(x + 8, y);
      glTexCoord2f(u1, 1);
      glVertex2i(x + 8, y + 16);
      glTexCoord2f(u0, 1);
      glVertex2i(x, y + 16);
    }
    x += 8;
  }
  glEnd();
  return 0;
}

int32_t GLDrawPixmapRaw(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) {
  // The window's rows run up from its bottom; a render image's run the way
  // its pixmap's do, from its top, so its pixels go in as they are.
  int32_t target_width = 0, target_height = 0;
  const bool render_image = GLRenderTargetSize(target_width, target_height);
  Ref<TPixmap> p = render_image ? pixmap : FlipPixmapVertical(pixmap);
  if (p->format != FMT_RGBA8888) p = p->Convert(FMT_RGBA8888);
  glRasterPos2i(0, 0);
  glBitmap(0, 0, 0, 0, static_cast<float>(x), static_cast<float>(render_image ? y : -y - p->height), nullptr);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, p->pitch / 4);
  glDrawPixels(p->width, p->height, GL_RGBA, GL_UNSIGNED_BYTE, p->pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  return 0;
}

uint32_t TextureFromPixmap(const Ref<TPixmap>& source, int32_t mipmapped) {
  Ref<TPixmap> p = source->format == FMT_RGBA8888 ? source : source->Convert(FMT_RGBA8888);
  int32_t w = p->width, h = p->height;
  FitGLTextureSize(w, h);
  if (w != p->width || h != p->height) p = ScalePixmap(p, w, h);
  GLint bound = 0, row_length = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &row_length);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  for (GLint level = 0;; ++level) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, p->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, p->width, p->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, p->pixels);
    if (!mipmapped || (p->width == 1 && p->height == 1)) break;
    p = ScalePixmap(p, std::max(1, p->width / 2), std::max(1, p->height / 2));
  }
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, row_length);
  return name;
}

}  // namespace vtl
