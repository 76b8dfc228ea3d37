// Two fragment shaders that read only uniforms, drawn one after the other
// with plain OpenGL 3.3 core: on Mesa 22.3's llvmpipe, in a window without a
// depth buffer, the second draws with wrong uniform values (ff3fff3f where
// ffbfff20 is right); with a depth buffer, or on softpipe, it is right.
//
//   g++ -std=c++17 -O2 main.cpp $(pkg-config --cflags --libs sdl2) -lGL -o llvmpipe_uniforms
//   xvfb-run -a ./llvmpipe_uniforms          # no depth buffer: wrong
//   xvfb-run -a ./llvmpipe_uniforms depth    # with a depth buffer: right
//
// Exit code 0 when both pixels are right, 1 when one is wrong.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char* const kVertex = R"(#version 330 core
in vec2 position;
void main() { gl_Position = vec4(position, 0.0, 1.0); })";

const char* const kFirst = R"(#version 330 core
uniform vec4 tint;
uniform float strength;
out vec4 fragment;
void main() { fragment = vec4(tint.x, tint.y, strength, 1.0); })";

const char* const kSecond = R"(#version 330 core
uniform vec4 tint;
uniform float strength;
out vec4 fragment;
void main() { fragment = vec4(tint.z, tint.w, strength, 1.0); })";

GLuint Compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

// Draws the window-filling quad with the fragment shader and the uniforms
// tint = (0.25, 0.5, 0.75, 1), strength = 0.125; answers the pixel as ARGB.
uint32_t Draw(const char* fragment) {
  GLuint program = glCreateProgram();
  glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertex));
  glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fragment));
  glBindAttribLocation(program, 0, "position");
  glLinkProgram(program);
  glUseProgram(program);
  glUniform4f(glGetUniformLocation(program, "tint"), 0.25f, 0.5f, 0.75f, 1.0f);
  glUniform1f(glGetUniformLocation(program, "strength"), 0.125f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  uint8_t rgba[4];
  glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return uint32_t{rgba[3]} << 24 | uint32_t{rgba[0]} << 16 | uint32_t{rgba[1]} << 8 | rgba[2];
}

}  // namespace

int main(int argc, char** argv) {
  const bool depth = argc > 1 && std::strcmp(argv[1], "depth") == 0;
  SDL_Init(SDL_INIT_VIDEO);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth ? 24 : 0);
  SDL_Window* window = SDL_CreateWindow("llvmpipe uniforms", 0, 0, 64, 64, SDL_WINDOW_OPENGL);
  if (!window || !SDL_GL_CreateContext(window)) {
    std::fprintf(stderr, "no OpenGL 3.3 core context: %s\n", SDL_GetError());
    return 2;
  }
  GLuint vertex_array = 0, buffer = 0;
  glGenVertexArrays(1, &vertex_array);
  glBindVertexArray(vertex_array);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const float quad[] = {-1, -1, 1, -1, 1, 1, -1, 1};
  glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  const uint32_t first = Draw(kFirst), second = Draw(kSecond);
  std::printf("%s, %s depth buffer: first %08x (right: ff408020), second %08x (right: ffbfff20)\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)), depth ? "with a" : "no", first, second);
  return first == 0xff408020u && second == 0xffbfff20u ? 0 : 1;
}
