// A plain ARGB drawing surface for the game's pictures, with the few shapes
// and the block lettering they need, saved through the framework's PNG writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

// Packed 0xAARRGGBB.
using Colour = uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}
// Fully transparent black: the sheet's mask colour, so sprites keep their
// background off the floor.
constexpr Colour kClear = 0x00000000u;

class Canvas {
 public:
  Canvas(int width, int height, Colour fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Colour At(int x, int y) const;
  // Writes outside the canvas are dropped.
  void Set(int x, int y, Colour c);
  // Mixes c over the pixel with weight a (0 .. 1).
  void Blend(int x, int y, Colour c, float a);
  void Fill(int x, int y, int w, int h, Colour c);
  void FillEllipse(int cx, int cy, int rx, int ry, Colour c);
  void Line(int x0, int y0, int x1, int y1, Colour c);
  // Vertical gradient from top to bottom colour over the rectangle.
  void Gradient(int x, int y, int w, int h, Colour top, Colour bottom);
  // Lettering in a 5 x 7 block face, each dot scale x scale pixels, centred
  // on cx. Knows A-Z, the umlauts Ä Ö Ü, digits and a little punctuation.
  void Text(const std::string& latin1, int cx, int top, int scale, Colour c);
  // Text with a dark drop shadow for contrast on busy backgrounds.
  void ShadowText(const std::string& latin1, int cx, int top, int scale, Colour c, Colour shadow);
  static int TextWidth(const std::string& latin1, int scale);

  // Copies another canvas with its top-left corner at (x, y).
  void Paste(const Canvas& from, int x, int y);

  // 1 on success, 0 when the file could not be written.
  int SavePng(const std::string& path) const;

 private:
  int width_, height_;
  std::vector<Colour> pixels_;
};

}  // namespace art
