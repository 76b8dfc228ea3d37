/// \file
/// Saving pixmaps as PNG and JPEG files, for the project's own tools.
#pragma once

#include <cstdint>

#include "image/pixmap.h"

namespace vtl {

/// Writes the pixmap as PNG to url (a name or an open stream): grey pixmaps
/// as greyscale, formats with alpha as RGBA, the others as RGB.
/// compression is the deflate level 0 to 9. 1 on success, 0 on failure.
///@{
int32_t SavePixmapPNG(const Ref<TPixmap>& pixmap, const Ref<Object>& url, int32_t compression = 5);
int32_t SavePixmapPNG(const Ref<TPixmap>& pixmap, const String& url, int32_t compression = 5);
///@}

/// Writes the pixmap as baseline JPEG: grey pixmaps as greyscale, the others
/// as colour (alpha is dropped). quality is 1 to 100. 1 on success, 0 on failure.
///@{
int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const Ref<Object>& url, int32_t quality = 75);
int32_t SavePixmapJPEG(const Ref<TPixmap>& pixmap, const String& url, int32_t quality = 75);
///@}

}  // namespace vtl
