#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "image/image.h"

namespace art {
namespace {

struct Glyph {
  unsigned char code;
  const char* rows[7];
};

// 5 x 7 block letters; '#' is a dot.
constexpr Glyph kGlyphs[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'J', {"  ###", "    #", "    #", "    #", "    #", "#   #", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "#   #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "#   #", "# # #", "## ##", "#   #"}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {0xC4, {"#   #", " ### ", "#   #", "#####", "#   #", "#   #", "#   #"}},  // Ä
    {0xD6, {"#   #", " ### ", "#   #", "#   #", "#   #", "#   #", " ### "}},  // Ö
    {0xDC, {"#   #", "     ", "#   #", "#   #", "#   #", "#   #", " ### "}},  // Ü
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
    {'4', {"#   #", "#   #", "#   #", "#####", "    #", "    #", "    #"}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
    {',', {"     ", "     ", "     ", "     ", "     ", "  #  ", " #   "}},
    {':', {"     ", "  #  ", "     ", "     ", "     ", "  #  ", "     "}},
    {'-', {"     ", "     ", "     ", " ### ", "     ", "     ", "     "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
};

const Glyph* FindGlyph(unsigned char c) {
  for (const Glyph& g : kGlyphs) {
    if (g.code == c) return &g;
  }
  return nullptr;
}

// One dot of lettering plus one of spacing.
constexpr int kAdvance = 6;

}  // namespace

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

Colour Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kClear;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Canvas::Set(int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = c;
}

void Canvas::Blend(int x, int y, Colour c, float a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  a = std::clamp(a, 0.0f, 1.0f);
  const Colour under = At(x, y);
  auto mix = [&](int shift) {
    const float u = static_cast<float>((under >> shift) & 0xFF);
    const float o = static_cast<float>((c >> shift) & 0xFF);
    return static_cast<uint32_t>(std::lround(u + (o - u) * a)) << shift;
  };
  Set(x, y, 0xFF000000u | mix(16) | mix(8) | mix(0));
}

void Canvas::Fill(int x, int y, int w, int h, Colour c) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) Set(i, j, c);
  }
}

void Canvas::FillEllipse(int cx, int cy, int rx, int ry, Colour c) {
  if (rx <= 0 || ry <= 0) return;
  for (int j = -ry; j <= ry; ++j) {
    for (int i = -rx; i <= rx; ++i) {
      const double d = static_cast<double>(i * i) / (rx * rx) + static_cast<double>(j * j) / (ry * ry);
      if (d <= 1.0) Set(cx + i, cy + j, c);
    }
  }
}

void Canvas::Line(int x0, int y0, int x1, int y1, Colour c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) return;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::Gradient(int x, int y, int w, int h, Colour top, Colour bottom) {
  for (int j = 0; j < h; ++j) {
    const float t = h > 1 ? static_cast<float>(j) / static_cast<float>(h - 1) : 0.0f;
    auto mix = [&](int shift) {
      const float a = static_cast<float>((top >> shift) & 0xFF), b = static_cast<float>((bottom >> shift) & 0xFF);
      return static_cast<uint32_t>(std::lround(a + (b - a) * t)) << shift;
    };
    Fill(x, y + j, w, 1, 0xFF000000u | mix(16) | mix(8) | mix(0));
  }
}

int Canvas::TextWidth(const std::string& latin1, int scale) {
  if (latin1.empty()) return 0;
  return (static_cast<int>(latin1.size()) * kAdvance - 1) * scale;
}

void Canvas::Text(const std::string& latin1, int cx, int top, int scale, Colour c) {
  int x = cx - TextWidth(latin1, scale) / 2;
  for (unsigned char ch : latin1) {
    if (const Glyph* g = FindGlyph(ch)) {
      for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
          if (g->rows[row][col] == '#') Fill(x + col * scale, top + row * scale, scale, scale, c);
        }
      }
    }
    x += kAdvance * scale;
  }
}

void Canvas::ShadowText(const std::string& latin1, int cx, int top, int scale, Colour c, Colour shadow) {
  const int offset = std::max(1, scale / 2);
  Text(latin1, cx + offset, top + offset, scale, shadow);
  Text(latin1, cx, top, scale, c);
}

void Canvas::Paste(const Canvas& from, int x, int y) {
  for (int j = 0; j < from.height_; ++j) {
    for (int i = 0; i < from.width_; ++i) Set(x + i, y + j, from.At(i, j));
  }
}

int Canvas::SavePng(const std::string& path) const {
  vtl::Ref<vtl::TPixmap> pixmap = vtl::NewPixmap(width_, height_, vtl::FMT_RGBA8888);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) vtl::WritePixel(pixmap, x, y, At(x, y));
  }
  return vtl::SavePixmapPNG(pixmap, vtl::String::FromLatin1(path), 9);
}

}  // namespace art
