// Pixmaps, pixel formats, the pixmap loaders and writers.
#pragma once

#include "image/pixel_format.h"
#include "image/pixmap.h"
#include "image/pixmap_loaders.h"
#include "image/pixmap_writers.h"

namespace vtl {

// Initialises the streams, registers the image classes, makes the pixmap
// data type and creates the loader chain (tried TGA, PNG, JPEG, BMP). Runs once.
void InitImage();

}  // namespace vtl
