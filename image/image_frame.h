/// \file
/// TImageFrame: one frame of an image as a driver keeps it (a texture), and
/// the two hooks through which images reach the graphics library without
/// linking it: the graphics library sets them when it initialises.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

class TPixmap;

/// One frame of an image as a graphics driver keeps it.
class TImageFrame : public Object {
 public:
  /// Draws the frame stretched over (x0, y0) - (x1, y1) in the image's own
  /// coordinates, through the current transform, moved to (tx, ty).
  /// The base throws TNullMethodException.
  virtual int32_t Draw(float x0, float y0, float x1, float y1, float tx, float ty);
  /// Draws the part of the frame's pixmap from (left, top), `width` by
  /// `height` pixels, as Draw draws the whole, and returns 0. Frames that
  /// hold many pictures (pages of glyphs or animation frames) are drawn a
  /// part at a time. Returns 1, drawing nothing, where the pixels could
  /// differ from those of the part drawn from a frame of its own (a driver
  /// draws parts only where every pixel centre meets a texel centre: not
  /// turned, not stretched, at a whole pixel); the caller then draws from
  /// one. The base throws TNullMethodException.
  virtual int32_t DrawPart(float x0, float y0, float x1, float y1, float tx, float ty, int32_t left, int32_t top,
                           int32_t width, int32_t height);
};

/// Makes a driver frame from a pixmap with image flags; Null when no driver
/// can make one.
using ImageFrameMaker = Ref<TImageFrame> (*)(const Ref<TPixmap>& pixmap, int32_t flags);
/// Makes the driver frames of images; nullptr until the graphics library sets it.
extern ImageFrameMaker CreateImageFrameHook;
/// The graphics generation: changes whenever a graphics context is opened or
/// closed, never 0. Frames made in another generation are stale.
using GenerationReader = int32_t (*)();
/// Reads the graphics generation; nullptr until the graphics library sets it.
extern GenerationReader ImageGenerationHook;

/// The generation as the hook reports it, 0 without one.
int32_t CurrentImageGeneration();

}  // namespace vtl
