// The sample files of the loader tests, built byte by byte or with the
// library's writers.
#include <algorithm>

#include "test_files.h"

namespace vtl::test {

namespace {

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

Bytes PalettePngWithTransparency() {
  return MakePng(3, 1, 8, 3, {{0, 1, 2}}, {255, 0, 0, 0, 255, 0, 0, 0, 255}, {255, 0, 128});
}

Bytes Rgb16Png() {
  // Big-endian samples: (0x1234, 0xABCD, 0xFF00) and (0x00FF, 0x8080, 0x7F01).
  return MakePng(2, 1, 16, 2, {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00, 0x00, 0xFF, 0x80, 0x80, 0x7F, 0x01}});
}

Bytes Grey2Png() {
  // Four samples per byte, most significant first; the row's last byte is partly padding.
  return MakePng(5, 2, 2, 0, {{0b00011011, 0b00000000}, {0b11100100, 0b11000000}});
}

Bytes GreyAlphaPng() { return MakePng(2, 1, 8, 4, {{200, 50, 10, 255}}); }

Bytes GreyTransparentPng() { return MakePng(3, 1, 8, 0, {{7, 8, 200}}, {}, {0, 7}); }

Ref<TPixmap> QuadrantPixmap(int32_t format) {
  Ref<TPixmap> p = NewPixmap(32, 32, FMT_RGBA8888, 4);
  const uint32_t colours[4] = {Argb(255, 200, 30, 30), Argb(255, 30, 200, 30), Argb(255, 30, 30, 200),
                               Argb(255, 220, 220, 40)};
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 32; ++x) p->WritePixel(x, y, colours[(y / 16) * 2 + x / 16]);
  }
  return p->Convert(format);
}

uint32_t TgaExpected(int32_t bits, int32_t x, int32_t y) {
  const uint32_t xx = static_cast<uint32_t>(std::min(x, 2));
  uint32_t a = 255;
  if (bits == 16 && xx == 1) a = 0;
  if (bits == 32) a = xx == 1 ? 0 : (xx == 2 ? 77 : 255);
  return Argb(a, 32 * xx + 8, 96 * static_cast<uint32_t>(y) + 16, 200 - 32 * xx);
}

Bytes Tga(int32_t bits, bool runLength) {
  auto put = [bits](Bytes& b, uint32_t argb) {
    const uint32_t a = argb >> 24, r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, bl = argb & 0xFF;
    if (bits == 15 || bits == 16) {
      Put16(b, (r >> 3) << 10 | (g >> 3) << 5 | bl >> 3 | (bits == 16 && a == 0 ? 0x8000 : 0));
    } else {
      b.insert(b.end(), {static_cast<uint8_t>(bl), static_cast<uint8_t>(g), static_cast<uint8_t>(r)});
      if (bits == 32) b.push_back(static_cast<uint8_t>(a));
    }
  };
  Bytes body;
  for (int32_t y = 1; y >= 0; --y) {  // bottom row first
    if (runLength) {
      body.push_back(0x01);  // two literal pixels
      put(body, TgaExpected(bits, 0, y));
      put(body, TgaExpected(bits, 1, y));
      body.push_back(0x81);  // one pixel repeated twice
      put(body, TgaExpected(bits, 2, y));
    } else {
      for (int32_t x = 0; x < 4; ++x) put(body, TgaExpected(bits, x, y));
    }
  }
  return MakeTga(runLength ? 10 : 2, 4, 2, bits, body, 3);
}

uint32_t BmpExpected(int32_t bits, int32_t x, int32_t y) {
  const uint32_t ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
  switch (bits) {
    case 1: return (x + y) % 3 == 0 ? Argb(255, 100, 150, 200) : Argb(255, 30, 20, 10);
    case 4: {
      const uint32_t i = (ux + 2 * uy) % 5;
      return Argb(255, i * 40, i * 20, i * 10);
    }
    case 8: {
      const uint32_t i = ux * 20 + uy * 7;
      return Argb(255, i / 2, 255 - i, i);
    }
    case 24: return Argb(255, 255 - ux * 20, uy * 100, ux * 20);
    default: return Argb(ux * 25, 255 - ux * 20, uy * 100, ux * 20);
  }
}

Bytes Bmp(int32_t bits) {
  const int32_t width = 9, height = 2;
  Bytes palette;
  int32_t coloursUsed = 0;
  if (bits == 1) palette = {10, 20, 30, 0, 200, 150, 100, 0};
  if (bits == 4) {
    coloursUsed = 5;
    for (uint32_t i = 0; i < 5; ++i)
      palette.insert(palette.end(), {uint8_t(i * 10), uint8_t(i * 20), uint8_t(i * 40), 0});
  }
  if (bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
  }
  Bytes rows;
  for (int32_t y = height - 1; y >= 0; --y) {
    Bytes row;
    switch (bits) {
      case 1:
        row.assign(2, 0);
        for (int32_t x = 0; x < width; ++x) {
          if ((x + y) % 3 == 0) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        break;
      case 4:
        row.assign(5, 0);
        for (int32_t x = 0; x < width; ++x) {
          const uint8_t i = static_cast<uint8_t>((x + 2 * y) % 5);
          row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 == 0 ? i << 4 : i);
        }
        break;
      case 8:
        for (int32_t x = 0; x < width; ++x) row.push_back(static_cast<uint8_t>(x * 20 + y * 7));
        break;
      default:
        for (int32_t x = 0; x < width; ++x) {
          const uint32_t argb = BmpExpected(bits, x, y);
          row.insert(row.end(), {uint8_t(argb), uint8_t(argb >> 8), uint8_t(argb >> 16)});
          if (bits == 32) row.push_back(uint8_t(argb >> 24));
        }
    }
    while (row.size() % 4) row.push_back(0xEE);  // padding the loader must skip
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return MakeBmp(width, height, bits, palette, rows, coloursUsed);
}

std::vector<std::pair<std::string, Bytes>> SampleFiles() {
  std::vector<std::pair<std::string, Bytes>> files = {
      {"palette_trns.png", PalettePngWithTransparency()},
      {"rgb16.png", Rgb16Png()},
      {"grey2.png", Grey2Png()},
      {"grey_alpha.png", GreyAlphaPng()},
      {"grey_trns.png", GreyTransparentPng()},
      {"rgba.png", SavePng(QuadrantPixmap(FMT_RGBA8888))},
      {"rgb.png", SavePng(QuadrantPixmap(FMT_RGB888))},
      {"grey.png", SavePng(QuadrantPixmap(FMT_GREY8))},
      {"colour.jpg", SaveJpeg(QuadrantPixmap(FMT_RGB888), 90)},
      {"grey.jpg", SaveJpeg(QuadrantPixmap(FMT_GREY8), 90)},
      {"cmyk.jpg", MakeCmykJpeg(16, 16)},
  };
  for (int32_t bits : {15, 16, 24, 32}) {
    files.push_back({"raw" + std::to_string(bits) + ".tga", Tga(bits, false)});
    files.push_back({"rle" + std::to_string(bits) + ".tga", Tga(bits, true)});
  }
  for (int32_t bits : {1, 4, 8, 24, 32}) files.push_back({"bmp" + std::to_string(bits) + ".bmp", Bmp(bits)});
  return files;
}

}  // namespace vtl::test
