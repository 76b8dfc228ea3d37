// What the display tests share: a colour without its alpha, the Ren2D
// drivers by name, and the pixels in which two screens differ.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/graphics.h"

namespace vtl::display_test {

inline uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

// "gl3", "gles3", else the OpenGL driver.
inline Ref<TRen2DDriver> DriverNamed(const std::string& name) {
  if (name == "gl3") return TheGL3Ren2DDriver();
  if (name == "gles3") return TheGLES3Ren2DDriver();
  return TheGLRen2DDriver();
}

// "x,y:a/b" of the first few pixels whose colours differ, and their number.
inline std::string Differences(const Ref<TPixmap>& a, const Ref<TPixmap>& b, int32_t& count) {
  std::string where;
  count = 0;
  for (int32_t y = 0; y < a->height; ++y)
    for (int32_t x = 0; x < a->width; ++x)
      if (Rgb(a->ReadPixel(x, y)) != Rgb(b->ReadPixel(x, y)) && ++count <= 8)
        where += " " + std::to_string(x) + "," + std::to_string(y) + ":" + std::to_string(Rgb(a->ReadPixel(x, y))) +
                 "/" + std::to_string(Rgb(b->ReadPixel(x, y)));
  return where;
}

}  // namespace vtl::display_test
