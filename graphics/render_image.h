/// \file
/// Render images: images whose frame 0 is a texture the Ren2D drawing calls
/// can draw into, and which is then drawn like any image. Both OpenGL Ren2D
/// drivers make them wherever the context offers framebuffer objects (OpenGL
/// 3.0 and up, OpenGL ES 3.0); elsewhere the calls raise an error that says
/// so. The pixels live in the texture only: they are lost when the graphics
/// are opened again. None of these calls is safe from other threads.
#pragma once

#include <cstdint>

#include "graphics/ren2d.h"

namespace vtl {

/// A new width x height image of one frame, transparent black, to draw into
/// with SetRenderImage. Needs a current Ren2D context; raises an error when
/// its driver cannot draw into images or a side is not 1 to the largest
/// texture side.
Ref<TImage> CreateRenderImage(int32_t width, int32_t height);
/// Sends the drawing that follows into the render image (its frame 0), with
/// the whole image as the viewport and the origin at 0, 0; GrabScreenPixmap
/// then reads the image. Null sends drawing back to the window and gives the
/// window back the viewport and origin it had. Raises an error for an image
/// CreateRenderImage did not make for the open graphics.
int32_t SetRenderImage(const Ref<TImage>& image);

}  // namespace vtl
