// Drawing into a texture through a framebuffer object, for render images.
// One target at a time, in the current context; while it is set, rows run
// from the top of the texture (row 0 is the picture's top), so the drivers
// project with y running up and read pixels without turning them over.
#pragma once

#include <cstdint>

namespace vtl {

// Generates and binds a texture sampled nearest and clamped at its edges.
uint32_t NewNearestTexture();
// A texture of exactly width x height for drawing into, in the current
// context's objects (nearest sampling, cleared to transparent black). Raises
// an error when the context has no framebuffer objects.
uint32_t CreateRenderTexture(int32_t width, int32_t height);
// Sends drawing into the texture (0: back to the window). Raises an error,
// leaving the window the target, when the texture cannot be drawn into.
void SetGLRenderTarget(uint32_t texture, int32_t width, int32_t height);
// The target's size; false while drawing goes to the window.
bool GLRenderTargetSize(int32_t& width, int32_t& height);
// Forgets the target without touching OpenGL (its context is gone or changed).
void ForgetGLRenderTarget();

}  // namespace vtl
