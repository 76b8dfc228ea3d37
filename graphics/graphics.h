/// \file
/// The graphics library: graphics drivers and contexts with frame pacing,
/// OpenGL contexts on SDL2 windows with the raw OpenGL utilities, the Ren2D
/// drawing layer and its OpenGL driver, and the image collisions. Images and
/// fonts come from the image library, included here.
#pragma once

#include "graphics/collision.h"
#include "graphics/draw_shader.h"
#include "graphics/frame_limiter.h"
#include "graphics/gl3_ren2d.h"
#include "graphics/gl_graphics.h"
#include "graphics/gl_raw.h"
#include "graphics/gl_ren2d.h"
#include "graphics/graphics_driver.h"
#include "graphics/ren2d.h"
#include "graphics/render_image.h"
#include "graphics/screenshot.h"
#include "image/image.h"

namespace vtl {

/// Initialises the image and system libraries, the graphics module, the
/// OpenGL driver and the OpenGL Ren2D driver (installed last, so current).
void InitGraphics();

}  // namespace vtl
