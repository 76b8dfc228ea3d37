#include "graphics/internal/gl_textures.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "graphics/internal/gl_render_target.h"
#include "runtime/exceptions.h"

namespace vtl {

namespace {

// Largest side asked for; beyond it the proxy is not even consulted.
constexpr int32_t kMaxSide = 1 << 16;

// OpenGL ES has no proxy textures: there the largest side is the limit.
bool IsESContext() {
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return version && std::strncmp(version, "OpenGL ES", 9) == 0;
}

bool ProxyAccepts(int32_t width, int32_t height) {
  if (IsESContext()) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return width <= largest && height <= largest;
  }
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  GLint accepted = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
  return accepted != 0;
}

}  // namespace

int32_t NextPowerOfTwo(int32_t n) {
  int32_t p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

void FitGLTextureSize(int32_t& width, int32_t& height) {
  int32_t w = std::min(NextPowerOfTwo(width), kMaxSide);
  int32_t h = std::min(NextPowerOfTwo(height), kMaxSide);
  while (!ProxyAccepts(w, h)) {
    if (w == 1 && h == 1) RuntimeError("Unable to calculate tex size");
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
  }
  width = w;
  height = h;
}

uint32_t CreateGLTexture(int32_t width, int32_t height, int32_t flags) {
  const bool filtered = flags & 2, mipmapped = flags & 4;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  GLint mag = GL_NEAREST, min = GL_NEAREST;
  if (filtered && mipmapped) {
    mag = GL_LINEAR;
    min = GL_LINEAR_MIPMAP_LINEAR;
  } else if (filtered) {
    mag = min = GL_LINEAR;
  } else if (mipmapped) {
    min = GL_NEAREST_MIPMAP_NEAREST;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
  for (GLint level = 0;; ++level) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (!mipmapped || (width == 1 && height == 1)) break;
    width = std::max(1, width / 2);
    height = std::max(1, height / 2);
  }
  return name;
}

void UploadGLTexture(const Ref<TPixmap>& source, int32_t flags) {
  const bool mipmapped = flags & 4;
  Ref<TPixmap> pixmap = source;
  for (GLint level = 0;; ++level) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap->pitch / BytesPerPixel[pixmap->format]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, pixmap->width, pixmap->height, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixmap->pixels);
    if (!mipmapped || (pixmap->width == 1 && pixmap->height == 1)) break;
    pixmap = ScalePixmap(pixmap, std::max(1, pixmap->width / 2), std::max(1, pixmap->height / 2));
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

Ref<TPixmap> ReadGLPixels(int32_t x, int32_t y, int32_t width, int32_t height, int32_t buffer_height) {
  Ref<TPixmap> p = NewPixmap(width, height, FMT_RGBA8888, 4);
  int32_t target_width = 0, target_height = 0;
  const bool top_down = GLRenderTargetSize(target_width, target_height);
  glPixelStorei(GL_PACK_ROW_LENGTH, width > 0 ? p->pitch / 4 : 0);
  glReadPixels(x, top_down ? y : buffer_height - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, p->pixels);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  return top_down ? p : FlipPixmapVertical(p);
}

}  // namespace vtl
