/// \file
/// Raw OpenGL helpers for programs that draw with OpenGL themselves. Call the
/// drawing helpers between BeginRawGL2D and EndRawGL2D; Ren2D's pixmap blit
/// also uses GLDrawPixmapRaw, under its own pixel projection.
#pragma once

#include <cstdint>

#include "image/pixmap.h"
#include "runtime/string.h"

namespace vtl {

/// Saves the matrices and the enable, texture and transform state, and sets a
/// pixel projection over the viewport (y down).
int32_t BeginRawGL2D();
/// Puts back what BeginRawGL2D saved.
int32_t EndRawGL2D();
/// A rectangle in the current GL colour and state.
int32_t GLFillRect(int32_t x, int32_t y, int32_t width, int32_t height);
/// 8 x 16 text in the current GL colour; every character advances 8 pixels.
/// Only characters 32 to 127 draw. Turn blending on first: without it each
/// cell draws as a box.
int32_t GLDrawText8x16(const String& text, int32_t x, int32_t y);
/// The pixmap's pixels with their top left at (x, y), unscaled; into a
/// render image (render_image.h) when one is the target.
int32_t GLDrawPixmapRaw(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
/// A texture of the pixmap, fitted to a size the driver takes; no filters set.
/// mipmapped adds every smaller level. Returns the texture name.
uint32_t TextureFromPixmap(const Ref<TPixmap>& pixmap, int32_t mipmapped);

}  // namespace vtl
