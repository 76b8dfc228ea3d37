#include "graphics/gl3_ren2d.h"

// Mesa's libGL exports the OpenGL 3.3 entry points; the prototypes are all
// this file needs.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/internal/gl3_fan_calls.h"
#include "graphics/internal/gl_context.h"
#include "graphics/internal/gl_draw_state.h"
#include "graphics/internal/gl_render_target.h"
#include "graphics/internal/gl_textures.h"
#include "graphics/internal/ren2d_choice.h"
#include "runtime/exceptions.h"
#include "runtime/last_error.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

struct BatchVertex {
  float x, y, u, v;
  GLubyte rgba[4];
};

// The shaders' declarations, written once; each kind of context gets its own
// version line before them. A program's own shaders get them too.
const char* const kVertexPrelude = R"(in vec2 vtl_position;
in vec2 vtl_texcoord;
in vec4 vtl_color;
uniform vec4 vtl_projection;
out vec2 texcoord;
out vec4 color;
// Clip space from pixels of the target.
vec4 vtl_project(vec2 position) { return vec4(position * vtl_projection.xy + vtl_projection.zw, 0.0, 1.0); }
)";

const char* const kFragmentPrelude = R"(uniform sampler2D vtl_texture;
uniform bool vtl_textured;
uniform bool vtl_masked;
in vec2 texcoord;
in vec4 color;
out vec4 vtl_fragment;
)";

// The built-in shaders.
const char* const kVertexSource = R"(void main() {
  texcoord = vtl_texcoord;
  color = vtl_color;
  gl_Position = vtl_project(vtl_position);
  gl_PointSize = 1.0;
}
)";

// Made in four variants, with and without VTL_TEXTURED and VTL_MASKED: a
// shader without branches takes the rasteriser's quicker paths.
const char* const kFragmentSource = R"(void main() {
#ifdef VTL_TEXTURED
  vec4 c = texture(vtl_texture, texcoord) * color;
#else
  vec4 c = color;
#endif
#ifdef VTL_MASKED
  if (c.a < 0.5) discard;
#endif
  vtl_fragment = c;
}
)";

std::string VersionLine(bool es) {
  return es ? "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n"
            : "#version 330 core\n";
}

// A whole shader: the version line, the declarations and the body, whose
// lines the compiler's log counts from 1.
std::string WholeShader(bool es, const char* prelude, const std::string& body) {
  return VersionLine(es) + prelude + "#line 1\n" + body;
}

// The info log of a shader or program object.
std::string InfoLog(GLuint object, void (*get_length)(GLuint, GLenum, GLint*),
                    void (*get_log)(GLuint, GLsizei, GLsizei*, GLchar*)) {
  GLint length = 0;
  get_length(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
  get_log(object, length, nullptr, log.data());
  log.resize(std::strlen(log.c_str()));
  return log;
}

GLuint CompileShader(GLenum kind, const std::string& source) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    const std::string log = InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glDeleteShader(shader);
    RuntimeError(String("Cannot compile a ") + (kind == GL_VERTEX_SHADER ? "vertex" : "fragment") +
                 " shader: " + String(log.c_str()));
  }
  return shader;
}

// Attribute locations every program of the driver uses.
constexpr GLuint kPositionAttribute = 0, kTexcoordAttribute = 1, kColorAttribute = 2;

GLuint LinkProgram(const std::string& vertex, const std::string& fragment) {
  GLuint vs = CompileShader(GL_VERTEX_SHADER, vertex);
  GLuint fs = 0;
  try {
    fs = CompileShader(GL_FRAGMENT_SHADER, fragment);
  } catch (...) {
    glDeleteShader(vs);
    throw;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glBindAttribLocation(program, kPositionAttribute, "vtl_position");
  glBindAttribLocation(program, kTexcoordAttribute, "vtl_texcoord");
  glBindAttribLocation(program, kColorAttribute, "vtl_color");
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    const std::string log = InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    RuntimeError(String("Cannot link a shader program: ") + String(log.c_str()));
  }
  return program;
}

// Whether the current context offers the extension.
bool HasGLExtension(const char* name) {
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const auto* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (extension && std::strcmp(extension, name) == 0) return true;
  }
  return false;
}

}  // namespace

namespace {

// A linked program and where its built-in uniforms are.
struct ShaderProgram {
  GLuint program = 0;
  GLint projection_at = -1, textured_at = -1, masked_at = -1, texture_at = -1;
  // Images the program's own samplers read: texture unit, frame.
  std::map<std::string, std::pair<GLint, Ref<TImageFrame>>> images;
  // Values of the program's own uniforms, given to it whenever it draws.
  struct Value {
    int32_t count = 0;  // floats; 0: an int
    float floats[4] = {0, 0, 0, 0};
    int32_t integer = 0;
  };
  std::map<std::string, Value> values;

  void Apply() const {
    for (const auto& [name, v] : values) {
      const GLint at = glGetUniformLocation(program, name.c_str());
      switch (v.count) {
        case 0: glUniform1i(at, v.integer); break;
        case 1: glUniform1f(at, v.floats[0]); break;
        case 2: glUniform2f(at, v.floats[0], v.floats[1]); break;
        case 3: glUniform3f(at, v.floats[0], v.floats[1], v.floats[2]); break;
        default: glUniform4f(at, v.floats[0], v.floats[1], v.floats[2], v.floats[3]); break;
      }
    }
    for (const auto& [name, image] : images) {
      glUniform1i(glGetUniformLocation(program, name.c_str()), image.first);
      auto frame = DowncastObject<TGLImageFrame>(image.second);
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(image.first));
      glBindTexture(GL_TEXTURE_2D, frame ? static_cast<GLuint>(frame->name) : 0);
    }
    glActiveTexture(GL_TEXTURE0);
  }

  void Link(bool es, const std::string& vertex_body, const std::string& fragment_body) {
    program =
        LinkProgram(WholeShader(es, kVertexPrelude, vertex_body), WholeShader(es, kFragmentPrelude, fragment_body));
    projection_at = glGetUniformLocation(program, "vtl_projection");
    textured_at = glGetUniformLocation(program, "vtl_textured");
    masked_at = glGetUniformLocation(program, "vtl_masked");
    texture_at = glGetUniformLocation(program, "vtl_texture");
  }
};

}  // namespace

struct TGL3Ren2DDriver::State {
  bool es = false;
  ShaderProgram builtin[4];                 // textured + 2 * masked
  ShaderProgram* active = nullptr;          // what the batch is drawn with; nullptr: a built-in one
  Ref<TDrawShader> active_shader;           // keeps `active` alive when it is a program's own
  GLuint used = 0;                          // the program in use in the context
  float projection[4] = {1, 1, 0, 0};       // pixels to clip space: scale x, y, offset x, y
  GLuint vbo = 0;                           // room for kBatchVertices, allocated once
  std::map<int32_t, GLuint> vertex_arrays;  // per context: they are not shared
  // The batch's vertices: room for kBatchVertices, the first `filled` set.
  std::unique_ptr<BatchVertex[]> batch;
  size_t filled = 0;
  // Filled shapes go in as triangle fans (a quad is a fan of four corners),
  // all drawn with one call: where each starts in `batch` and its corners.
  std::vector<GLint> fan_first;
  std::vector<GLsizei> fan_count;
  bool multi_draw = true;              // the context draws many fans with one call
  GLenum primitive = GL_TRIANGLE_FAN;  // of what the batch holds
  GLuint texture = 0;                  // of what the batch holds; 0: none
  int32_t blend = 0;                   // applied to the context; 0: none yet
  GLubyte colour[4] = {255, 255, 255, 255};
  float ix = 1, iy = 0, jx = 0, jy = 1;
  int64_t draw_calls = 0;
};

namespace {

constexpr size_t kBatchVertices = static_cast<size_t>(GL3BatchQuads) * 4;

bool call_per_fan_forced = false;

// An image frame whose Draw adds a quad to its driver's batch.
class TGL3ImageFrame : public TGLImageFrame {
 public:
  explicit TGL3ImageFrame(const Ref<TGL3Ren2DDriver>& driver) : driver_(driver) {}
  ~TGL3ImageFrame() override {
    // A batched quad must not outlive its texture.
    if (seq == GraphicsGeneration && kind == CurrentGLProfile()) driver_->FlushBatch();
  }
  bool Untransformed() const override { return driver_->Untransformed(); }
  void DrawTextureQuad(float x0, float y0, float x1, float y1, float tx, float ty, float ua, float va, float ub,
                       float vb) override {
    driver_->AddQuad(static_cast<uint32_t>(name), x0, y0, x1, y1, tx, ty, ua, va, ub, vb);
  }

 private:
  Ref<TGL3Ren2DDriver> driver_;
};

}  // namespace

TGL3Ren2DDriver::TGL3Ren2DDriver(bool es) : state_(new State()) {
  state_->es = es;
  state_->batch.reset(new BatchVertex[kBatchVertices]);
  state_->fan_first.reserve(GL3BatchQuads);
  state_->fan_count.reserve(GL3BatchQuads);
}

TGL3Ren2DDriver::~TGL3Ren2DDriver() { delete state_; }

String TGL3Ren2DDriver::ToString() const { return state_->es ? "OpenGL ES 3.0" : "OpenGL 3.3"; }

int64_t TGL3Ren2DDriver::DrawCalls() const { return state_->draw_calls; }

Ref<TGraphics> TGL3Ren2DDriver::AttachGraphics(int64_t widget, int32_t flags) {
  const int32_t handle = AttachGLContext(widget, flags, state_->es ? GLProfileES30 : GLProfileCore33);
  if (handle == 0) return nullptr;
  auto g = New<TGLGraphics>();
  g->_context = handle;
  return TRen2DGraphics::Create(g, Ref<TRen2DDriver>(this));
}

Ref<TGraphics> TGL3Ren2DDriver::CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                               int32_t flags) {
  const int32_t handle =
      CreateGLContext(width, height, depth, hertz, flags, state_->es ? GLProfileES30 : GLProfileCore33);
  if (handle == 0) return nullptr;
  auto g = New<TGLGraphics>();
  g->_context = handle;
  return TRen2DGraphics::Create(g, Ref<TRen2DDriver>(this));
}

int32_t TGL3Ren2DDriver::SetGraphics(const Ref<TGraphics>& graphics) {
  FlushBatch();  // into the context it was batched for
  return TGLRen2DDriver::SetGraphics(graphics);
}

int32_t TGL3Ren2DDriver::ResetGLContext(const Ref<TGraphics>& graphics) {
  State& s = *state_;
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics->GetSettings(width, height, depth, hertz, flags);
  if (!s.builtin[0].program) {
    for (int32_t variant = 0; variant < 4; ++variant) {
      const std::string defines =
          std::string(variant & 1 ? "#define VTL_TEXTURED\n" : "") + (variant & 2 ? "#define VTL_MASKED\n" : "");
      s.builtin[variant].Link(s.es, kVertexSource, defines + kFragmentSource);
    }
    glGenBuffers(1, &s.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kBatchVertices * sizeof(BatchVertex)), nullptr,
                 GL_STREAM_DRAW);
    s.multi_draw = !s.es || HasGLExtension("GL_EXT_multi_draw_arrays");
  }
  Ref<TRen2DGraphics> ren2d = DowncastObject<TRen2DGraphics>(graphics);
  Ref<TGLGraphics> gl = ren2d ? DowncastObject<TGLGraphics>(ren2d->_graphics) : nullptr;
  const int32_t handle = gl ? gl->_context : 0;
  GLuint& vao = s.vertex_arrays[handle];
  if (!vao) {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    const auto stride = static_cast<GLsizei>(sizeof(BatchVertex));
    glEnableVertexAttribArray(kPositionAttribute);
    glVertexAttribPointer(kPositionAttribute, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(kTexcoordAttribute);
    glVertexAttribPointer(kTexcoordAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(BatchVertex, u)));
    glEnableVertexAttribArray(kColorAttribute);
    glVertexAttribPointer(kColorAttribute, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(BatchVertex, rgba)));
  }
  glBindVertexArray(vao);
  glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
  ForgetGLRenderTarget();  // a render image is the target of one context only
  SetProjection(width, height, false);
  s.active = nullptr;
  s.active_shader = nullptr;
  s.used = 0;
  glActiveTexture(GL_TEXTURE0);
  glViewport(0, 0, width, height);
  s.blend = 0;
  s.texture = 0;
  return 0;
}

void TGL3Ren2DDriver::SetProjection(int32_t width, int32_t height, bool y_up) {
  State& s = *state_;
  FlushBatch();
  // The same pixel projection as glOrtho(0, width, height, 0, -1, 1), or
  // with y running up as glOrtho(0, width, 0, height, -1, 1).
  s.projection[0] = 2.0f / static_cast<float>(width);
  s.projection[1] = (y_up ? 2.0f : -2.0f) / static_cast<float>(height);
  s.projection[2] = -1;
  s.projection[3] = y_up ? -1.0f : 1.0f;
  glViewport(0, 0, width, height);
}

int32_t TGL3Ren2DDriver::SetRenderFrame(const Ref<TImageFrame>& frame, int32_t width, int32_t height) {
  FlushBatch();  // into the target it was batched for
  return TGLRen2DDriver::SetRenderFrame(frame, width, height);
}

void TGL3Ren2DDriver::FlushBatch() {
  State& s = *state_;
  if (s.filled == 0) return;
  // A fresh store of the same size, so that a draw still reading the old one
  // need not be waited for.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kBatchVertices * sizeof(BatchVertex)), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(s.filled * sizeof(BatchVertex)), s.batch.get());
  const ShaderProgram& p =
      s.active ? *s.active : s.builtin[(s.texture != 0 ? 1 : 0) + (s.blend == BlendMasked ? 2 : 0)];
  if (s.used != p.program) {
    s.used = p.program;
    glUseProgram(p.program);
  }
  glUniform4fv(p.projection_at, 1, s.projection);
  glUniform1i(p.texture_at, 0);
  glUniform1i(p.textured_at, s.texture != 0);
  glUniform1i(p.masked_at, s.blend == BlendMasked);
  p.Apply();
  if (s.texture) glBindTexture(GL_TEXTURE_2D, s.texture);
  if (s.primitive != GL_TRIANGLE_FAN) {
    glDrawArrays(s.primitive, 0, static_cast<GLsizei>(s.filled));
  } else if (s.multi_draw && !call_per_fan_forced) {
    glMultiDrawArrays(GL_TRIANGLE_FAN, s.fan_first.data(), s.fan_count.data(),
                      static_cast<GLsizei>(s.fan_first.size()));
  } else {
    for (size_t i = 0; i < s.fan_first.size(); ++i) glDrawArrays(GL_TRIANGLE_FAN, s.fan_first[i], s.fan_count[i]);
  }
  ++s.draw_calls;
  s.filled = 0;
  s.fan_first.clear();
  s.fan_count.clear();
}

namespace {

// Room in the batch for `vertices` more vertices of the given primitive and
// texture: what it holds is drawn first when either differs or it is full.
// Answers where the first new vertex goes.
GLint MakeRoom(TGL3Ren2DDriver& driver, TGL3Ren2DDriver::State& s, GLenum primitive, GLuint texture, size_t vertices) {
  if (s.primitive != primitive || s.texture != texture || s.filled + vertices > kBatchVertices) {
    driver.FlushBatch();
    s.primitive = primitive;
    s.texture = texture;
  }
  return static_cast<GLint>(s.filled);
}

// Room for a fan of `corners` vertices, which the caller then pushes.
void BeginFan(TGL3Ren2DDriver& driver, TGL3Ren2DDriver::State& s, GLuint texture, size_t corners) {
  s.fan_first.push_back(MakeRoom(driver, s, GL_TRIANGLE_FAN, texture, corners));
  s.fan_count.push_back(static_cast<GLsizei>(corners));
}

void Push(TGL3Ren2DDriver::State& s, float x, float y, float u, float v) {
  s.batch[s.filled++] = BatchVertex{x, y, u, v, {s.colour[0], s.colour[1], s.colour[2], s.colour[3]}};
}

// A vertex in shape coordinates, transformed and moved to (tx, ty).
void PushShape(TGL3Ren2DDriver::State& s, float x, float y, float tx, float ty, float u = 0, float v = 0) {
  Push(s, x * s.ix + y * s.iy + tx, x * s.jx + y * s.jy + ty, u, v);
}

// A convex polygon as a fan of triangles about its first corner; xy holds
// `count` x, y pairs in shape coordinates. One too large for the batch goes
// in as several fans about the same corner.
void PushFan(TGL3Ren2DDriver& driver, TGL3Ren2DDriver::State& s, const float* xy, int32_t count, float dx, float dy,
             float tx, float ty) {
  const auto corner = [&](int32_t i) { PushShape(s, xy[2 * i] + dx, xy[2 * i + 1] + dy, tx, ty); };
  for (int32_t start = 1; start + 1 < count;) {
    const int32_t more = std::min(count - start, static_cast<int32_t>(kBatchVertices) - 1);
    BeginFan(driver, s, 0, static_cast<size_t>(more) + 1);
    corner(0);
    for (int32_t i = start; i < start + more; ++i) corner(i);
    start += more - 1;  // the next fan starts at this one's last corner
  }
}

}  // namespace

void TGL3Ren2DDriver::AddQuad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty, float u0,
                              float v0, float u1, float v1) {
  State& s = *state_;
  BeginFan(*this, s, texture, 4);
  PushShape(s, x0, y0, tx, ty, u0, v0);
  PushShape(s, x1, y0, tx, ty, u1, v0);
  PushShape(s, x1, y1, tx, ty, u1, v1);
  PushShape(s, x0, y1, tx, ty, u0, v1);
}

bool TGL3Ren2DDriver::Untransformed() const {
  const State& s = *state_;
  return s.ix == 1 && s.iy == 0 && s.jx == 0 && s.jy == 1;
}

Ref<TGLImageFrame> TGL3Ren2DDriver::NewImageFrame() { return New<TGL3ImageFrame>(Ref<TGL3Ren2DDriver>(this)); }

int32_t TGL3Ren2DDriver::SetBlend(int32_t mode) {
  State& s = *state_;
  if (mode == s.blend) return 0;
  FlushBatch();
  s.blend = mode;
  ApplyBlendFunction(mode);  // masked pixels are dropped by the shader
  return 0;
}

int32_t TGL3Ren2DDriver::SetAlpha(float alpha) {
  state_->colour[3] = AlphaByte(alpha);
  return 0;
}

int32_t TGL3Ren2DDriver::SetColor(int32_t red, int32_t green, int32_t blue) {
  state_->colour[0] = ClampByte(red);
  state_->colour[1] = ClampByte(green);
  state_->colour[2] = ClampByte(blue);
  return 0;
}

int32_t TGL3Ren2DDriver::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  FlushBatch();
  return TGLRen2DDriver::SetViewport(x, y, width, height);
}

int32_t TGL3Ren2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
  State& s = *state_;
  s.ix = ix;
  s.iy = iy;
  s.jx = jx;
  s.jy = jy;
  return 0;
}

int32_t TGL3Ren2DDriver::SetLineWidth(float width) {
  FlushBatch();
  glLineWidth(width);
  return 0;
}

int32_t TGL3Ren2DDriver::Cls() {
  FlushBatch();
  glClear(GL_COLOR_BUFFER_BIT);
  return 0;
}

int32_t TGL3Ren2DDriver::Plot(float x, float y) {
  State& s = *state_;
  MakeRoom(*this, s, GL_POINTS, 0, 1);
  // A point lights the pixel its centre falls in, and one centred on a pixel
  // border the pixel right of (below) it; rasterised as a small square, as
  // here, it would light the one left of (above) the border. Centring it on
  // the pixel settles that.
  Push(s, std::floor(x + 0.5f) + 0.5f, std::floor(y + 0.5f) + 0.5f, 0, 0);
  return 0;
}

int32_t TGL3Ren2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  State& s = *state_;
  MakeRoom(*this, s, GL_LINES, 0, 2);
  PushShape(s, x0, y0, tx + 0.5f, ty + 0.5f);
  PushShape(s, x1, y1, tx + 0.5f, ty + 0.5f);
  return 0;
}

int32_t TGL3Ren2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  AddQuad(0, x0, y0, x1, y1, tx, ty, 0, 0, 0, 0);
  return 0;
}

int32_t TGL3Ren2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  const float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
  const int32_t n = OvalSegments(xr, yr);
  const float cx = x0 + xr, cy = y0 + yr;
  std::vector<float> xy(static_cast<size_t>(n) * 2);
  for (int32_t i = 0; i < n; ++i) {
    const double a = i * 360.0 / n * 3.14159265358979323846 / 180.0;
    xy[2 * i] = cx + static_cast<float>(std::cos(a)) * xr;
    xy[2 * i + 1] = cy - static_cast<float>(std::sin(a)) * yr;
  }
  PushFan(*this, *state_, xy.data(), n, 0, 0, tx, ty);
  return 0;
}

int32_t TGL3Ren2DDriver::DrawPoly(const Ref<Array<float>>& xy, float handle_x, float handle_y, float origin_x,
                                  float origin_y) {
  const int32_t count = xy ? xy->Length() : 0;
  if (count < 6 || (count & 1)) return 0;
  PushFan(*this, *state_, xy->Data(), count / 2, handle_x, handle_y, origin_x, origin_y);
  return 0;
}

int32_t TGL3Ren2DDriver::DrawPixmap(const Ref<TPixmap>& pixmap, int32_t x, int32_t y) {
  State& s = *state_;
  FlushBatch();
  Ref<TPixmap> p = pixmap->format == FMT_RGBA8888 ? pixmap : pixmap->Convert(FMT_RGBA8888);
  if (p->width <= 0 || p->height <= 0) return 0;
  // The pixels go through a texture read one texel per pixel, solid and
  // untinted, as the OpenGL driver's pixel copy does.
  GLuint texture = NewNearestTexture();
  glPixelStorei(GL_UNPACK_ROW_LENGTH, p->pitch / 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, p->width, p->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, p->pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const int32_t blend = s.blend;
  const GLubyte kept_colour[4] = {s.colour[0], s.colour[1], s.colour[2], s.colour[3]};
  const float kept_matrix[4] = {s.ix, s.iy, s.jx, s.jy};
  SetBlend(BlendSolid);
  std::fill(s.colour, s.colour + 4, GLubyte{255});
  SetTransform(1, 0, 0, 1);
  AddQuad(texture, 0, 0, static_cast<float>(p->width), static_cast<float>(p->height), static_cast<float>(x),
          static_cast<float>(y), 0, 0, 1, 1);
  FlushBatch();
  glDeleteTextures(1, &texture);
  s.texture = 0;
  std::copy(kept_colour, kept_colour + 4, s.colour);
  SetTransform(kept_matrix[0], kept_matrix[1], kept_matrix[2], kept_matrix[3]);
  SetBlend(blend);
  return 0;
}

Ref<TPixmap> TGL3Ren2DDriver::GrabPixmap(int32_t x, int32_t y, int32_t width, int32_t height) {
  FlushBatch();
  return ReadGLPixels(x, y, width, height, CurrentGraphicsHeight());
}

int32_t TGL3Ren2DDriver::Flip(int32_t sync) {
  FlushBatch();
  return TGLRen2DDriver::Flip(sync);
}

// --- draw shaders ---

// A program of the driver's kind, made from a program's own sources.
class TGL3DrawShader : public TDrawShader {
 public:
  TGL3DrawShader(const Ref<TGL3Ren2DDriver>& driver, int32_t kind) : driver_(driver), kind_(kind) {}
  ~TGL3DrawShader() override {
    // Programs are shared by the contexts of one kind; with none current the
    // program stays until the process ends.
    if (program.program && CurrentGLProfile() == kind_ && CurrentRen2DDriver.Get() == driver_.Get())
      glDeleteProgram(program.program);
  }
  void SetFloat(const String& name, const float* values, int32_t count) override {
    ShaderProgram::Value& v = Slot(name);
    v.count = std::clamp(count, 1, 4);
    std::copy(values, values + v.count, v.floats);
  }
  void SetInt(const String& name, int32_t value) override {
    ShaderProgram::Value& v = Slot(name);
    v.count = 0;
    v.integer = value;
  }
  void SetImage(const String& name, const Ref<TImage>& image, int32_t frame) override {
    Ref<TImageFrame> f = image->Frame(frame);
    if (f && !DowncastObject<TGLImageFrame>(f)) {
      // A frame on a page of pictures has no texture of its own, and a shader
      // reads its image whole: the frame gets one, kept from then on.
      image->Lock(frame, 1, 1);
      f = image->Frame(frame);
    }
    if (!f) RuntimeError("The image has no frame " + StringFromInt(frame) + " for the shader's " + name);
    DrawWhatUsesTheOldValues();
    const std::string key = name.ToUtf8();
    auto found = program.images.find(key);
    // Unit 0 is the drawn image's; each sampler of the program's own gets one more.
    const GLint unit =
        found != program.images.end() ? found->second.first : static_cast<GLint>(program.images.size()) + 1;
    if (unit >= kMaxImageUnits) RuntimeError("A draw shader reads at most 7 images of its own");
    program.images[key] = {unit, f};
  }

  ShaderProgram program;

 private:
  static constexpr GLint kMaxImageUnits = 8;

  // What was batched with the program is drawn with the values it had.
  void DrawWhatUsesTheOldValues() {
    if (driver_->state_->active == &program) driver_->FlushBatch();
  }
  ShaderProgram::Value& Slot(const String& name) {
    DrawWhatUsesTheOldValues();
    return program.values[name.ToUtf8()];
  }

  Ref<TGL3Ren2DDriver> driver_;
  int32_t kind_;
};

namespace {

// The source as text for the compiler, refused when it could not be that.
std::string ShaderText(const String& source, const char* which) {
  if (source.IsEmpty()) RuntimeError(String("The ") + which + " shader source is empty");
  std::string text = source.ToUtf8();
  if (text.size() > static_cast<size_t>(MaxDrawShaderSource))
    RuntimeError(String("The ") + which + " shader source is longer than " + StringFromInt(MaxDrawShaderSource) +
                 " bytes");
  if (text.find('\0') != std::string::npos)
    RuntimeError(String("The ") + which + " shader source holds a zero character");
  return text;
}

}  // namespace

Ref<TDrawShader> TGL3Ren2DDriver::CreateShader(const String& vertex_source, const String& fragment_source) {
  const std::string vertex = vertex_source.IsEmpty() ? std::string(kVertexSource) : ShaderText(vertex_source, "vertex");
  const std::string fragment = ShaderText(fragment_source, "fragment");
  auto shader = New<TGL3DrawShader>(Ref<TGL3Ren2DDriver>(this), state_->es ? GLProfileES30 : GLProfileCore33);
  shader->program.Link(state_->es, vertex, fragment);
  return shader;
}

int32_t TGL3Ren2DDriver::SetShader(const Ref<TDrawShader>& shader) {
  State& s = *state_;
  Ref<TGL3DrawShader> own = DowncastObject<TGL3DrawShader>(shader);
  if (shader && !own) RuntimeError("The draw shader belongs to another Ren2D driver");
  ShaderProgram* wanted = own ? &own->program : nullptr;
  if (wanted == s.active) return 0;
  FlushBatch();
  s.active = wanted;
  s.active_shader = shader;
  return 0;
}

void ForceGL3CallPerFan(bool force) { call_per_fan_forced = force; }

Ref<TGL3Ren2DDriver> TheGL3Ren2DDriver() {
  static Ref<TGL3Ren2DDriver>* driver = new Ref<TGL3Ren2DDriver>(New<TGL3Ren2DDriver>(false));
  return *driver;
}

Ref<TGL3Ren2DDriver> TheGLES3Ren2DDriver() {
  static Ref<TGL3Ren2DDriver>* driver = new Ref<TGL3Ren2DDriver>(New<TGL3Ren2DDriver>(true));
  return *driver;
}

// --- choosing the driver ---

namespace {

Ref<TRen2DDriver> FallBack(const std::string& why) {
  std::fprintf(stderr, "%s; drawing with the OpenGL driver\n", why.c_str());
  std::fflush(stderr);
  SetLastErrorText(String(why.c_str()));
  return TheGLRen2DDriver();
}

Ref<TRen2DDriver> ChooseRen2DDriver() {
  const char* asked = std::getenv("VTL_REN2D_DRIVER");
  if (!asked || !*asked || std::strcmp(asked, "gl") == 0) return TheGLRen2DDriver();
  const std::string setting = std::string("VTL_REN2D_DRIVER=") + asked;
  int32_t profile = 0;
  if (std::strcmp(asked, "gl3") == 0)
    profile = GLProfileCore33;
  else if (std::strcmp(asked, "gles3") == 0)
    profile = GLProfileES30;
  else
    return FallBack(setting + " names no Ren2D driver (gl, gl3 or gles3)");
  if (!TrySharedGLContext(profile)) return FallBack(setting + ": " + LastErrorText().ToUtf8());
  if (profile == GLProfileCore33) return TheGL3Ren2DDriver();
  return TheGLES3Ren2DDriver();
}

}  // namespace

Ref<TRen2DDriver> ChosenRen2DDriver() {
  static Ref<TRen2DDriver>* chosen = nullptr;
  if (!chosen) chosen = new Ref<TRen2DDriver>(ChooseRen2DDriver());
  return *chosen;
}

}  // namespace vtl
