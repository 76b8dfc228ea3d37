// Desktop glue for OpenGL contexts over SDL2 windows: a hidden 1 x 1 shared
// context whose textures every other context shares, windowed, full-screen
// and attached contexts, presenting with a cached swap interval, and the
// display mode list. Contexts are known to callers by integer handles; a
// handle that is not (or no longer) in the list is ignored everywhere.
#pragma once

#include <cstdint>

union SDL_Event;

namespace vtl {

// Record kinds.
constexpr int32_t GLContextShared = 0;
constexpr int32_t GLContextAttached = 1;
constexpr int32_t GLContextWindowed = 2;
constexpr int32_t GLContextFullScreen = 3;

// The kinds of OpenGL context a record can hold. Each kind has a shared
// context of its own: objects are shared only between contexts of one kind.
constexpr int32_t GLProfileCompatibility = 0;  // OpenGL 1.1 calls, the default
constexpr int32_t GLProfileCore33 = 1;         // OpenGL 3.3 core
constexpr int32_t GLProfileES30 = 2;           // OpenGL ES 3.0
constexpr int32_t GLProfileCount = 3;

// The X11 window class of every window made here.
extern const char* const GLWindowClassName;

// Makes the shared context if it does not exist yet; ends the program when
// the platform cannot give one (nothing could ever be drawn).
void EnsureSharedGLContext();
// Makes the shared context of another kind if it does not exist yet; false,
// with the reason in LastErrorText, when the platform cannot give one.
bool TrySharedGLContext(int32_t profile);
// A new context with a window of its own: windowed when depth is 0 (client
// area at 32, 32), else full screen. 0 when no window or format results.
int32_t CreateGLContext(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags,
                        int32_t profile = GLProfileCompatibility);
// A context on an existing native window (an X11 window id); 0 on failure.
int32_t AttachGLContext(int64_t widget, int32_t flags, int32_t profile = GLProfileCompatibility);
void CloseGLContext(int32_t handle);
// 0 makes no context current.
void MakeGLContextCurrent(int32_t handle);
void FlipGLContext(int32_t sync);
// Called in pairs: the first makes the shared context of the drawing
// context's kind current, the second goes back to the drawing context.
void SwapSharedGLContext();
// The kind of the drawing context last made current (compatibility without one).
int32_t CurrentGLProfile();
// Deletes a texture of the shared context of a kind, whatever context is
// current; the current context stays current.
void DeleteSharedGLTexture(int32_t profile, uint32_t texture);
// False when the handle names no context.
bool GetGLContextSettings(int32_t handle, int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz,
                          int32_t& flags);
// The native window of a context (0 if none), for tests and tools.
int64_t GLContextNativeWindow(int32_t handle);
// Fills `modes` with up to `capacity` modes of 16 bits per pixel or more,
// four ints each (width, height, bits, hertz); returns the count.
int32_t EnumerateDisplayModes(int32_t* modes, int32_t capacity);
// The swap interval last set, -1 before the first flip.
int32_t LastGLSwapInterval();
// The window handling of a GL window: returns false when the event is for no
// window of ours.
bool HandleGLWindowEvent(const SDL_Event& event);

}  // namespace vtl
