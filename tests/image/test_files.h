// Image files the tests make themselves, byte by byte or with the library's
// own writers, and helpers to load them from memory or from disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/image.h"
#include "test_file_helpers.h"

namespace vtl::test {

// A PNG from rows of already packed sample bytes (no filter byte): every row
// is stored with filter 0. palette is RGB triples, trns the tRNS chunk body.
Bytes MakePng(int32_t width, int32_t height, int32_t bitDepth, int32_t colourType, const std::vector<Bytes>& rows,
              const Bytes& palette = {}, const Bytes& trns = {});

// An 18-byte TGA header followed by body.
Bytes MakeTga(int32_t imageType, int32_t width, int32_t height, int32_t bits, const Bytes& body, int32_t idLength = 0,
              int32_t colourMapType = 0);

// A BMP with the 40-byte information header, a palette of BGRX entries and
// the rows as given (bottom row first, already padded).
// headerSize above 40 pads the header with zeros; gap puts bytes between the
// palette and the rows (the pixel-data offset points past them).
Bytes MakeBmp(int32_t width, int32_t height, int32_t bits, const Bytes& palette, const Bytes& rows,
              int32_t coloursUsed = 0, int32_t headerSize = 40, int32_t gap = 0, int32_t compression = 0);

// A JPEG with four components (CMYK), made directly with libjpeg.
Bytes MakeCmykJpeg(int32_t width, int32_t height);

// The pixmap saved with the library's writers into memory.
Bytes SavePng(const Ref<TPixmap>& pixmap, int32_t compression = 6);
Bytes SaveJpeg(const Ref<TPixmap>& pixmap, int32_t quality = 100);

// LoadPixmapUrl over a memory stream holding bytes.
Ref<TPixmap> LoadFromBytes(const Bytes& bytes);
// One loader alone over a memory stream; stream exceptions become Null.
Ref<TPixmap> LoadWith(TPixmapLoader& loader, const Bytes& bytes);

// The loader of class T in the chain (a new loader would join the chain, so
// tests use the registered ones).
template <class T>
T& Loader() {
  for (Ref<TPixmapLoader> l = TPixmapLoader::First(); l; l = l->_succ) {
    if (auto found = DowncastObject<T>(l)) return *found;
  }
  ThrowNullObject();
}

// The sample files the loader tests check pixel by pixel; the expected
// pixels are written beside each test.
Bytes PalettePngWithTransparency();                        // 3 x 1, palette red, green, blue, alphas 255, 0, 128
Bytes Rgb16Png();                                          // 2 x 1, 16-bit samples
Bytes Grey2Png();                                          // 5 x 2, 2-bit grey 0 1 2 3 0 / 3 2 1 0 3
Bytes GreyAlphaPng();                                      // 2 x 1, (200, 50) and (10, 255)
Bytes GreyTransparentPng();                                // 3 x 1, grey 7 is transparent
Ref<TPixmap> QuadrantPixmap(int32_t format);               // 32 x 32, four flat quarters
Bytes Tga(int32_t bits, bool runLength);                   // 4 x 2, see TgaExpected
uint32_t TgaExpected(int32_t bits, int32_t x, int32_t y);  // packed ARGB
Bytes Bmp(int32_t bits);                                   // 9 x 2, see BmpExpected
uint32_t BmpExpected(int32_t bits, int32_t x, int32_t y);

// Every sample file: name and bytes (for truncation tests and the seed corpus).
std::vector<std::pair<std::string, Bytes>> SampleFiles();

}  // namespace vtl::test
