#include "font_files.h"

#include <algorithm>

#include "stream/stream.h"

namespace vtl::test {

namespace {

int32_t Level(char c, int32_t bitsPerPixel) {
  const int32_t top = (1 << bitsPerPixel) - 1;
  if (c == '#') return top;
  if (c >= '0' && c <= '9') return std::min(c - '0', top);
  return 0;
}

// A row's pixels packed most significant bits first, padded to whole bytes, as hex.
std::string HexRow(const std::string& row, int32_t bitsPerPixel) {
  std::vector<uint8_t> bytes((row.size() * static_cast<size_t>(bitsPerPixel) + 7) / 8);
  for (size_t x = 0; x < row.size(); ++x) {
    const size_t bit = x * static_cast<size_t>(bitsPerPixel);
    bytes[bit / 8] |= static_cast<uint8_t>(Level(row[x], bitsPerPixel) << (8 - bitsPerPixel - bit % 8));
  }
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (uint8_t b : bytes) hex += {digits[b >> 4], digits[b & 15]};
  return hex;
}

}  // namespace

Bytes MakeBdf(int32_t pixelSize, int32_t ascent, int32_t descent, int32_t bitsPerPixel,
              const std::vector<BdfGlyph>& glyphs) {
  const std::string size = std::to_string(pixelSize);
  std::string t = "STARTFONT 2.1\nFONT -vtl-test-medium-r-normal--" + size + "-" + size + "0-75-75-c-80-iso10646-1\n";
  t += "SIZE " + size + " 75 75" + (bitsPerPixel > 1 ? " " + std::to_string(bitsPerPixel) : "") + "\n";
  t += "FONTBOUNDINGBOX 8 " + std::to_string(ascent + descent) + " 0 " + std::to_string(-descent) + "\n";
  t += "STARTPROPERTIES 3\nPIXEL_SIZE " + size + "\nFONT_ASCENT " + std::to_string(ascent) + "\nFONT_DESCENT " +
       std::to_string(descent) + "\nENDPROPERTIES\n";
  t += "CHARS " + std::to_string(glyphs.size()) + "\n";
  for (const BdfGlyph& g : glyphs) {
    const size_t width = g.rows.empty() ? 0 : g.rows[0].size();
    t += "STARTCHAR c" + std::to_string(g.code) + "\nENCODING " + std::to_string(g.code) + "\nSWIDTH 500 0\nDWIDTH " +
         std::to_string(g.advance) + " 0\nBBX " + std::to_string(width) + " " + std::to_string(g.rows.size()) + " " +
         std::to_string(g.xoff) + " " + std::to_string(g.yoff) + "\nBITMAP\n";
    for (const std::string& row : g.rows) t += HexRow(row, bitsPerPixel) + "\n";
    t += "ENDCHAR\n";
  }
  t += "ENDFONT\n";
  return Bytes(t.begin(), t.end());
}

const BdfGlyph& SampleSpace() {
  static const BdfGlyph space{32, 6, 0, 0, {}};
  return space;
}

const BdfGlyph& SampleA() {
  static const BdfGlyph a{'A',
                          9,
                          0,
                          0,
                          {"...##...", "..#..#..", ".#....#.", "#......#", "#......#", "########", "#......#",
                           "#......#", "#......#", "##....##"}};
  return a;
}

const BdfGlyph& SampleF() {
  static const BdfGlyph f{'F', 11, 1, 0, {"#########", "##.......", "#.######.", "#........", "#.......#"}};
  return f;
}

const BdfGlyph& SampleLevels() {
  static const BdfGlyph g{'g', 5, 3, -1, {"01", "23"}};
  return g;
}

Bytes SampleBdf(int32_t pixelSize, int32_t bitsPerPixel) {
  std::vector<BdfGlyph> glyphs = {SampleSpace(), SampleA(), SampleF()};
  if (bitsPerPixel > 1) glyphs.push_back(SampleLevels());
  return MakeBdf(pixelSize, 10, 2, bitsPerPixel, glyphs);
}

namespace {

// Serves "memfont::current" from the bytes last set; writing is refused.
class MemoryFontFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>&, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override {
    if (!(protocol == "memfont") || !(path == "current") || writeable) return nullptr;
    return TRamStream::Create(bytes.data(), static_cast<int32_t>(bytes.size()), readable, 0);
  }
  Bytes bytes;
};

}  // namespace

const char* const MemoryFontUrl = "memfont::current";

void SetMemoryFont(const Bytes& bytes) {
  static MemoryFontFactory* factory = New<MemoryFontFactory>().Get();  // joins the chain, which keeps it
  factory->bytes = bytes;
}

std::string DejaVuPath(const std::string& file) { return "/usr/share/fonts/truetype/dejavu/" + file; }

}  // namespace vtl::test
