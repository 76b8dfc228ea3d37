// Font files for the tests and the seed corpus: bitmap fonts in the BDF text
// format written here, and the path of the installed DejaVu fonts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"

namespace vtl::test {

// One glyph of a BDF font: its rows top first, one character per pixel
// ('.' is 0, '#' the highest level, or the level as a digit), the pen
// advance and the offset of the box's bottom left corner from the pen.
struct BdfGlyph {
  int32_t code;
  int32_t advance;
  int32_t xoff, yoff;
  std::vector<std::string> rows;
};

// A bitmap font of one strike at pixelSize with bitsPerPixel 1, 2, 4 or 8.
Bytes MakeBdf(int32_t pixelSize, int32_t ascent, int32_t descent, int32_t bitsPerPixel,
              const std::vector<BdfGlyph>& glyphs);

// The glyphs of SampleBdf: a blank space advancing 6, and an 8 x 10 'A'
// advancing 9 that stands on the baseline; ascent 10, descent 2.
const BdfGlyph& SampleSpace();
const BdfGlyph& SampleA();
// A lopsided 9 x 5 'F', one pixel right of the pen: rows of two bytes.
const BdfGlyph& SampleF();
// A 2 x 2 'g' whose four pixels are the four levels of two bits, hanging 1
// below the baseline, 3 right of the pen.
const BdfGlyph& SampleLevels();
// Space, 'A', 'F' and, with more than one bit per pixel, the levels glyph 'g'.
Bytes SampleBdf(int32_t pixelSize = 12, int32_t bitsPerPixel = 1);

// Makes the bytes readable as MemoryFontUrl ("memfont::current", served by a
// stream factory of the tests) until the next call; the first call registers
// the factory. The url reaches the font loader's memory path.
void SetMemoryFont(const Bytes& bytes);
extern const char* const MemoryFontUrl;

// Debian's fonts-dejavu-core, read where the package installs it.
std::string DejaVuPath(const std::string& file);

}  // namespace vtl::test
