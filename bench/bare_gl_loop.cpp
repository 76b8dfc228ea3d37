// The baseline of the game's memory figure: a bare SDL2 + OpenGL program
// drawing 400 textured 32 x 32 sprites a frame at 60 fps for 1200 frames,
// with no framework at all. It prints its peak resident memory, to be set
// beside bench_game's peak_rss_mb in the same session. Needs an X display.
#include <GL/gl.h>
#include <SDL.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare_gl_loop: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("bare", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "bare_gl_loop: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(1);

  std::vector<uint32_t> pixels(32 * 32);
  for (int i = 0; i < 32 * 32; ++i) pixels[i] = 0xFF40A0F0u + static_cast<uint32_t>(i & 31) * 4;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, 800, 600, 0, -1, 1);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  Uint32 next = SDL_GetTicks();
  for (int frame = 0; frame < 1200; ++frame) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    for (int i = 0; i < 400; ++i) {
      const auto x = static_cast<float>((i * 37 + frame) % 768), y = static_cast<float>((i * 53 + frame) % 568);
      glTexCoord2f(0, 0);
      glVertex2f(x, y);
      glTexCoord2f(1, 0);
      glVertex2f(x + 32, y);
      glTexCoord2f(1, 1);
      glVertex2f(x + 32, y + 32);
      glTexCoord2f(0, 1);
      glVertex2f(x, y + 32);
    }
    glEnd();
    SDL_GL_SwapWindow(window);
    next += 16;
    const Uint32 now = SDL_GetTicks();
    if (now < next) SDL_Delay(next - now);
  }

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("bare peak_rss_mb=%.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
