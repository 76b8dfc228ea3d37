// What both OpenGL Ren2D drivers set the same way: the blend function of a
// blend mode, and colour and alpha as the bytes they keep.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/ren2d.h"

namespace vtl {

/// Enables and sets the blend function for mode; masked, solid and unknown
/// modes draw without blending (masked pixels are dropped elsewhere: by the
/// alpha test, or by the shader).
inline void ApplyBlendFunction(int32_t mode) {
  switch (mode) {
    case BlendAlpha:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BlendAdditive:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case BlendMultiply:
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default: glDisable(GL_BLEND); break;
  }
}

/// A colour component as a byte: below 0 is 0, above 255 is 255.
inline GLubyte ClampByte(int32_t v) { return static_cast<GLubyte>(std::clamp(v, 0, 255)); }

/// An alpha as a byte: NaN is 0, and the value is held to 0 to 1 first.
inline GLubyte AlphaByte(float alpha) {
  if (std::isnan(alpha)) alpha = 0;
  return static_cast<GLubyte>(std::clamp(alpha, 0.0f, 1.0f) * 255);
}

}  // namespace vtl
