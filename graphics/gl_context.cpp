#include "graphics/internal/gl_context.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/last_error.h"
#include "runtime/program.h"
// Graphics drives the desktop through the system library's seam: it starts
// SDL video and hands each window's events to the system's pump.
#include "system/internal/desktop_seam.h"

namespace vtl {

const char* const GLWindowClassName = "Vantorel GLGraphics";

namespace {

struct GLContextRecord {
  int32_t handle = 0;
  int32_t kind = 0;
  int32_t profile = GLProfileCompatibility;
  int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  SDL_Window* window = nullptr;
  SDL_GLContext gl = nullptr;
};

struct Glue {
  std::vector<std::unique_ptr<GLContextRecord>> records;    // newest first
  GLContextRecord* current = nullptr;                       // last made current
  std::unique_ptr<GLContextRecord> shared[GLProfileCount];  // one per kind of context
  SDL_Window* full_screen_window = nullptr;
  int32_t last_swap_interval = -1;
  int32_t next_handle = 1;
};

Glue& G() {
  static Glue* glue = new Glue();  // lives until the process ends
  return *glue;
}

GLContextRecord* FindRecord(int32_t handle) {
  if (handle == 0) return nullptr;
  for (auto& r : G().records)
    if (r->handle == handle) return r.get();
  return nullptr;
}

GLContextRecord* FindRecordByWindowId(uint32_t id) {
  for (auto& r : G().records)
    if (r->window && SDL_GetWindowID(r->window) == id) return r.get();
  return nullptr;
}

// The graphics flags as buffer sizes; sizes of 1 ask for the smallest buffer
// the platform offers.
void RequestPixelFormat(int32_t flags, bool share, int32_t profile) {
  SDL_GL_ResetAttributes();
  if (profile == GLProfileCore33) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  } else if (profile == GLProfileES30) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  } else {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & 2) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & 4) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & 8) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & 16) ? 1 : 0);
  const int accum = (flags & 32) ? 1 : 0;
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, share ? 1 : 0);
}

void SetWindowClass(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  XClassHint hint;
  hint.res_name = const_cast<char*>(GLWindowClassName);
  hint.res_class = const_cast<char*>(GLWindowClassName);
  XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
  XFlush(info.info.x11.display);
}

// "Cannot open a 640x480 window", the start of every reason a window gives.
std::string CannotOpen(int32_t width, int32_t height, const char* kind) {
  return "Cannot open a " + std::to_string(width) + "x" + std::to_string(height) + " " + kind;
}

// Records why nothing was made, in SDL's own words; answers 0 for the caller.
int32_t RefuseWithSDLError(const std::string& what) {
  SetLastErrorText(String(what.c_str()) + ": " + SDL_GetError());
  return 0;
}

void RestoreCurrent() {
  GLContextRecord* r = G().current;
  if (r)
    SDL_GL_MakeCurrent(r->window, r->gl);
  else
    SDL_GL_MakeCurrent(nullptr, nullptr);
}

// A context for `window` sharing the shared context's objects, or nullptr
// with the reason recorded. Leaves the drawing context that was current
// before as it was.
SDL_GLContext CreateSharingContext(SDL_Window* window, int32_t profile) {
  const GLContextRecord& shared = *G().shared[profile];
  SDL_GL_MakeCurrent(shared.window, shared.gl);
  SDL_GLContext gl = SDL_GL_CreateContext(window);
  if (!gl) RefuseWithSDLError("Cannot make an OpenGL context");  // before SDL hears of anything else
  RestoreCurrent();
  return gl;
}

void GLWindowProc(const SDL_Event& event, void*) {
  TranslateDesktopMessage(event, nullptr);
  HandleGLWindowEvent(event);
}

void SetSwapInterval(int32_t n) {
  G().last_swap_interval = n;
  SDL_GL_SetSwapInterval(n);
}

void UpdateScreenSaver() {
  bool any_window = false;
  for (auto& r : G().records) any_window |= r->kind != GLContextAttached;
  if (any_window)
    SDL_DisableScreenSaver();
  else
    SDL_EnableScreenSaver();
}

// Switches the display to the record's mode; retries without the refresh
// rate when the display refuses it.
void EnterFullScreen(GLContextRecord& r) {
  SDL_DisplayMode wanted{};
  wanted.w = r.width;
  wanted.h = r.height;
  wanted.refresh_rate = r.hertz;
  int display = SDL_GetWindowDisplayIndex(r.window);
  if (display < 0) display = 0;
  int32_t planned_interval = r.hertz != 0 ? 1 : 0;
  SDL_DisplayMode mode{};
  bool ok = SDL_GetClosestDisplayMode(display, &wanted, &mode) != nullptr && mode.w == r.width && mode.h == r.height &&
            (r.hertz == 0 || mode.refresh_rate == r.hertz);
  if (!ok && r.hertz != 0) {
    wanted.refresh_rate = 0;
    planned_interval = 0;
    ok = SDL_GetClosestDisplayMode(display, &wanted, &mode) != nullptr && mode.w == r.width && mode.h == r.height;
  }
  const std::string refused = CannotOpen(r.width, r.height, "full-screen window");
  if (!ok)
    RuntimeError("GLGraphicsDriver failed to set display mode",
                 String(refused.c_str()) + ": the display has no such mode");
  if (SDL_SetWindowDisplayMode(r.window, &mode) != 0 || SDL_SetWindowFullscreen(r.window, SDL_WINDOW_FULLSCREEN) != 0)
    RuntimeError("GLGraphicsDriver failed to set display mode", String(refused.c_str()) + ": " + SDL_GetError());
  G().full_screen_window = r.window;
  SetSwapInterval(planned_interval);
}

void LeaveFullScreen(GLContextRecord& r) {
  if (r.window != G().full_screen_window) return;
  SDL_SetWindowFullscreen(r.window, 0);
  SDL_MinimizeWindow(r.window);
  SetSwapInterval(0);
  G().full_screen_window = nullptr;
}

// Keeps the OpenGL driver modules loaded until the process ends. A driver
// keeps some memory for the whole process that only its own globals point
// to; the X display closes at program end and unloads it, and that memory
// would then belong to nobody. Every leak check of a program built on the
// framework would report it, from a module that is gone by then and so has
// no name a suppression could match. Keeping the module costs nothing: the
// process is ending.
void PinGLDriverModules() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) -> int {
        if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

// Whether windows of the running video driver can be seen. SDL falls back to
// drivers that draw into memory when no display can be reached; a program
// that asked for a driver (SDL_VIDEODRIVER, or the hint) gets it regardless.
bool VideoDriverShowsWindows() {
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (asked && *asked) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  for (const char* invisible : {"offscreen", "dummy", "evdev"}) {
    if (std::strcmp(driver, invisible) == 0) return false;
  }
  return true;
}

// Without a display no graphics can ever open, and a program waiting on an
// invisible window would never end: the program ends at once, through the
// runtime's error path, saying why and how to run it.
[[noreturn]] void EndWithoutDisplay(const char* why) {
  HandleUncaught(TRuntimeException::Create(
      String("No display to open a window on (") + String(why) +
      "). Run the program in a desktop session, or without one under a virtual X server: xvfb-run -a " + ProgramFile));
}

// At the end of the program, before the desktop shuts down: the drivers
// then release everything they keep for the shared context.
void CloseSharedGLContext() {
  Glue& g = G();
  while (!g.records.empty()) CloseGLContext(g.records.front()->handle);
  SDL_GL_MakeCurrent(nullptr, nullptr);
  g.current = nullptr;
  for (auto& shared : g.shared) {
    if (!shared) continue;
    SDL_GL_DeleteContext(shared->gl);
    SDL_DestroyWindow(shared->window);
    shared = nullptr;
  }
}

const char* const kProfileNames[GLProfileCount] = {"OpenGL", "OpenGL 3.3 core", "OpenGL ES 3.0"};

// The hidden 1 x 1 window and context of a kind, or false with the reason
// recorded. The desktop must be started.
bool MakeSharedGLContext(int32_t profile) {
  RequestPixelFormat(0, false, profile);
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  SDL_GLContext gl = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!gl) {
    // Some servers offer no single-buffered format; any format will do here.
    if (window) SDL_DestroyWindow(window);
    RequestPixelFormat(2, false, profile);
    window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    gl = window ? SDL_GL_CreateContext(window) : nullptr;
  }
  if (!gl) {
    RefuseWithSDLError(std::string("The display offers no ") + kProfileNames[profile] + " context");
    if (window) SDL_DestroyWindow(window);
    RestoreCurrent();
    return false;
  }
  auto r = std::make_unique<GLContextRecord>();
  r->kind = GLContextShared;
  r->profile = profile;
  r->width = r->height = 1;
  r->window = window;
  r->gl = gl;
  Glue& g = G();
  const bool first = !g.shared[0] && !g.shared[1] && !g.shared[2];
  g.shared[profile] = std::move(r);
  PinGLDriverModules();
  RestoreCurrent();
  if (first) AtExit(&CloseSharedGLContext);
  return true;
}

void StartDesktopForGL() {
  // Read by the X11 video driver when it starts: the class of our windows.
  setenv("SDL_VIDEO_X11_WMCLASS", GLWindowClassName, 0);
  if (!StartDesktopVideo()) EndWithoutDisplay(SDL_GetError());
  if (!VideoDriverShowsWindows()) EndWithoutDisplay("no X display could be reached");
}

}  // namespace

void EnsureSharedGLContext() {
  if (G().shared[GLProfileCompatibility]) return;
  StartDesktopForGL();
  if (!MakeSharedGLContext(GLProfileCompatibility))
    EndWithoutDisplay((std::string("the display offers no OpenGL context: ") + SDL_GetError()).c_str());
}

bool TrySharedGLContext(int32_t profile) {
  if (profile < 0 || profile >= GLProfileCount) return false;
  if (G().shared[profile]) return true;
  StartDesktopForGL();
  return MakeSharedGLContext(profile);
}

int32_t CreateGLContext(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags, int32_t profile) {
  // Sizes SDL cannot make are refused before any window is made.
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    SetLastErrorText(String(CannotOpen(width, height, "window").c_str()) + ": each side must be 1 to 16384 pixels");
    return 0;
  }
  if (profile == GLProfileCompatibility)
    EnsureSharedGLContext();
  else if (!TrySharedGLContext(profile))
    return 0;
  Glue& g = G();
  int32_t kind = GLContextFullScreen;
  int x = 0, y = 0;
  Uint32 style = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  if (depth == 0) {
    kind = GLContextWindowed;
    x = y = 32;
    style = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;  // fixed size, captioned
  }
  RequestPixelFormat(flags, true, profile);
  SDL_Window* window = SDL_CreateWindow(ApplicationTitle.ToUtf8().c_str(), x, y, width, height, style);
  if (!window) return RefuseWithSDLError(CannotOpen(width, height, "window"));
  SetWindowClass(window);
  SDL_GLContext gl = CreateSharingContext(window, profile);
  if (!gl) {
    SDL_DestroyWindow(window);
    return 0;
  }
  auto r = std::make_unique<GLContextRecord>();
  r->handle = g.next_handle++;
  r->kind = kind;
  r->profile = profile;
  SDL_GetWindowSize(window, &r->width, &r->height);
  r->depth = depth;
  r->hertz = hertz;
  r->flags = flags;
  r->window = window;
  r->gl = gl;
  GLContextRecord* record = r.get();
  g.records.insert(g.records.begin(), std::move(r));
  RegisterDesktopWindow(SDL_GetWindowID(window), &GLWindowProc, nullptr);
  UpdateScreenSaver();
  SDL_ShowWindow(window);
  if (kind == GLContextFullScreen) {
    // Showing gives the window the focus; that is when the mode changes.
    try {
      EnterFullScreen(*record);
    } catch (...) {
      CloseGLContext(record->handle);
      throw;
    }
  }
  return record->handle;
}

int32_t AttachGLContext(int64_t widget, int32_t flags, int32_t profile) {
  if (widget == 0) {
    SetLastErrorText("Cannot draw with OpenGL on window 0: there is no such window");
    return 0;
  }
  if (profile == GLProfileCompatibility)
    EnsureSharedGLContext();
  else if (!TrySharedGLContext(profile))
    return 0;
  Glue& g = G();
  RequestPixelFormat(flags, true, profile);
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(widget)));
  if (!window) return RefuseWithSDLError("Cannot draw with OpenGL on window " + std::to_string(widget));
  SDL_GLContext gl = CreateSharingContext(window, profile);
  if (!gl) {
    SDL_DestroyWindow(window);  // only SDL's record of it: the window is the caller's
    return 0;
  }
  auto r = std::make_unique<GLContextRecord>();
  r->handle = g.next_handle++;
  r->kind = GLContextAttached;
  r->profile = profile;
  SDL_GetWindowSize(window, &r->width, &r->height);
  r->flags = flags;
  r->window = window;
  r->gl = gl;
  const int32_t handle = r->handle;
  g.records.insert(g.records.begin(), std::move(r));
  RegisterDesktopWindow(SDL_GetWindowID(window), &GLWindowProc, nullptr);
  return handle;
}

void CloseGLContext(int32_t handle) {
  Glue& g = G();
  GLContextRecord* r = FindRecord(handle);
  if (!r) return;
  if (g.current == r) MakeGLContextCurrent(0);
  SDL_GL_DeleteContext(r->gl);
  r->gl = nullptr;
  if (r->kind == GLContextWindowed || r->kind == GLContextFullScreen) LeaveFullScreen(*r);
  UnregisterDesktopWindow(SDL_GetWindowID(r->window));
  // For an attached window this releases only SDL's record; X11 windows SDL
  // did not create are left to their owner.
  SDL_DestroyWindow(r->window);
  for (auto it = g.records.begin(); it != g.records.end(); ++it) {
    if (it->get() == r) {
      g.records.erase(it);
      break;
    }
  }
  UpdateScreenSaver();
}

void MakeGLContextCurrent(int32_t handle) {
  Glue& g = G();
  GLContextRecord* r = FindRecord(handle);
  if (r == g.current) return;
  g.current = r;
  RestoreCurrent();
}

void FlipGLContext(int32_t sync) {
  Glue& g = G();
  if (!g.current) return;
  const int32_t interval = sync != 0 ? 1 : 0;
  if (interval != g.last_swap_interval) SetSwapInterval(interval);
  SDL_GL_SwapWindow(g.current->window);
}

void SwapSharedGLContext() {
  Glue& g = G();
  const GLContextRecord* shared = g.shared[CurrentGLProfile()].get();
  if (!shared) return;
  if (SDL_GL_GetCurrentContext() != shared->gl)
    SDL_GL_MakeCurrent(shared->window, shared->gl);
  else
    RestoreCurrent();
}

int32_t CurrentGLProfile() { return G().current ? G().current->profile : GLProfileCompatibility; }

void DeleteSharedGLTexture(int32_t profile, uint32_t texture) {
  Glue& g = G();
  if (profile < 0 || profile >= GLProfileCount || !g.shared[profile]) return;
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  SDL_GLContext current = SDL_GL_GetCurrentContext();
  SDL_GL_MakeCurrent(g.shared[profile]->window, g.shared[profile]->gl);
  const GLuint name = texture;
  glDeleteTextures(1, &name);
  SDL_GL_MakeCurrent(window, current);
}

bool GetGLContextSettings(int32_t handle, int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz,
                          int32_t& flags) {
  GLContextRecord* r = FindRecord(handle);
  if (!r) return false;
  if (r->kind == GLContextAttached) SDL_GetWindowSize(r->window, &r->width, &r->height);
  width = r->width;
  height = r->height;
  depth = r->depth;
  hertz = r->hertz;
  flags = r->flags;
  return true;
}

int64_t GLContextNativeWindow(int32_t handle) {
  GLContextRecord* r = FindRecord(handle);
  if (!r) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(r->window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return static_cast<int64_t>(info.info.x11.window);
}

int32_t EnumerateDisplayModes(int32_t* modes, int32_t capacity) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
  int32_t kept = 0;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count && kept < capacity; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) break;
    // Padded 24-bit formats count as 32 bits per pixel, as the desktop reports them.
    const int bits = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    if (bits < 16) continue;
    modes[kept * 4 + 0] = mode.w;
    modes[kept * 4 + 1] = mode.h;
    modes[kept * 4 + 2] = bits;
    modes[kept * 4 + 3] = mode.refresh_rate;
    ++kept;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return kept;
}

int32_t LastGLSwapInterval() { return G().last_swap_interval; }

bool HandleGLWindowEvent(const SDL_Event& event) {
  Glue& g = G();
  GLContextRecord* r = nullptr;
  switch (event.type) {
    case SDL_WINDOWEVENT: r = FindRecordByWindowId(event.window.windowID); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: r = FindRecordByWindowId(event.button.windowID); break;
    default: return false;
  }
  if (!r) return false;
  if (event.type == SDL_WINDOWEVENT) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (r->kind == GLContextFullScreen && r->window != g.full_screen_window) EnterFullScreen(*r);
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST: LeaveFullScreen(*r); break;
      default: break;
    }
  } else if (!g.full_screen_window) {
    // Keep receiving the pointer while a button is held outside the window.
    SDL_CaptureMouse(event.type == SDL_MOUSEBUTTONDOWN ? SDL_TRUE : SDL_FALSE);
  }
  return true;
}

}  // namespace vtl
