/// \file
/// Pixmaps, pixel formats, the pixmap loaders and writers.
#pragma once

#include "image/font.h"
#include "image/font_freetype.h"
#include "image/font_image.h"
#include "image/image_frame.h"
#include "image/image_load.h"
#include "image/image_object.h"
#include "image/pixel_format.h"
#include "image/pixmap.h"
#include "image/pixmap_loaders.h"
#include "image/pixmap_writers.h"

namespace vtl {

/// Initialises the streams, registers the image classes, makes the pixmap
/// data type, creates the pixmap loader chain (tried TGA, PNG, JPEG, BMP) and
/// registers the outline font loader. Runs once.
void InitImage();

}  // namespace vtl
