#include "graphics/internal/gl_render_target.h"

// Framebuffer objects are OpenGL 3.0 calls, which Mesa's libGL exports.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <string>
#include <vector>

#include "runtime/exceptions.h"

namespace vtl {

namespace {

struct Target {
  GLuint framebuffer = 0;
  int32_t width = 0, height = 0;
};

Target& Current() {
  static Target target;
  return target;
}

bool HasFramebufferObjects() {
  GLint major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  return major >= 3;  // core since OpenGL 3.0 and OpenGL ES 3.0
}

}  // namespace

uint32_t NewNearestTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return texture;
}

uint32_t CreateRenderTexture(int32_t width, int32_t height) {
  if (!HasFramebufferObjects())
    RuntimeError("Render images need framebuffer objects, which this OpenGL context does not offer");
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  if (width <= 0 || height <= 0 || width > largest || height > largest)
    RuntimeError("A render image must be 1 to " + String(std::to_string(largest).c_str()) + " pixels each side");
  const GLuint texture = NewNearestTexture();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  // Transparent black to start with, a row at a time.
  const std::vector<GLubyte> row(static_cast<size_t>(width) * 4, 0);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int32_t y = 0; y < height; ++y)
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  return texture;
}

void SetGLRenderTarget(uint32_t texture, int32_t width, int32_t height) {
  Target& t = Current();
  if (t.framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &t.framebuffer);
    t = Target();
  }
  if (texture == 0) return;
  if (!HasFramebufferObjects())
    RuntimeError("Render images need framebuffer objects, which this OpenGL context does not offer");
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    RuntimeError("The render image cannot be drawn into: its framebuffer is incomplete");
  }
  t.framebuffer = framebuffer;
  t.width = width;
  t.height = height;
}

bool GLRenderTargetSize(int32_t& width, int32_t& height) {
  const Target& t = Current();
  if (!t.framebuffer) return false;
  width = t.width;
  height = t.height;
  return true;
}

void ForgetGLRenderTarget() { Current() = Target(); }

}  // namespace vtl
