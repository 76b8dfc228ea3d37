// OpenGL textures from pixmaps: sizes the driver accepts (powers of two,
// confirmed with the proxy target), storage with the image flags' filters
// and mipmap levels, and uploads.
#pragma once

#include <cstdint>

#include "image/pixmap.h"

namespace vtl {

// The smallest power of two not below n (1 for n up to 1).
int32_t NextPowerOfTwo(int32_t n);
// Raises both sides to powers of two, then halves them until the driver
// accepts the size; "Unable to calculate tex size" when not even 1 x 1 is.
void FitGLTextureSize(int32_t& width, int32_t& height);
// Generates and binds a texture with storage for every level. Flags: 2
// filtered, 4 mipmapped.
uint32_t CreateGLTexture(int32_t width, int32_t height, int32_t flags);
// Replaces level 0 (and, when mipmapped, every smaller level) of the bound texture.
void UploadGLTexture(const Ref<TPixmap>& pixmap, int32_t flags);

// A new pixmap of the current read buffer's pixels in the rectangle (y down
// in a buffer `buffer_height` high), or of the render target's when one is set.
Ref<TPixmap> ReadGLPixels(int32_t x, int32_t y, int32_t width, int32_t height, int32_t buffer_height);

}  // namespace vtl
