// Turns the text art of the built-in font (quornfont.txt) into the 1536-byte
// quornfont.bin: 16 rows of 96 bytes, byte j of row r holding pixel row r of
// the glyph for code 32 + j, bit k being column k from the left.
//
// Text art: lines starting with ';' and empty lines are skipped; each glyph
// is a line "glyph <code> [label]" followed by 16 lines of 8 characters,
// '#' for ink and '.' for background.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kGlyphs = 96;
constexpr int kRows = 16;

int Fail(int line, const std::string& why) {
  std::cerr << "quornfont.txt:" << line << ": " << why << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_quornfont <quornfont.txt> <quornfont.bin>\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) return Fail(0, "cannot open the text art");

  std::vector<uint8_t> font(kGlyphs * kRows, 0);
  std::vector<bool> seen(kGlyphs, false);
  std::string text;
  int line = 0;
  int glyph = -1;  // glyph being read, -1 between glyphs
  int row = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (glyph < 0) {
      if (text.empty() || text[0] == ';') continue;
      std::istringstream header(text);
      std::string word;
      int code = 0;
      if (!(header >> word >> code) || word != "glyph") return Fail(line, "expected 'glyph <code>'");
      if (code < 32 || code > 127) return Fail(line, "code outside 32 to 127");
      glyph = code - 32;
      if (seen[glyph]) return Fail(line, "glyph defined twice");
      seen[glyph] = true;
      row = 0;
      continue;
    }
    if (text.size() != 8) return Fail(line, "a row needs exactly 8 characters");
    uint8_t bits = 0;
    for (int k = 0; k < 8; ++k) {
      if (text[k] == '#')
        bits |= static_cast<uint8_t>(1u << k);
      else if (text[k] != '.')
        return Fail(line, "rows hold only '#' and '.'");
    }
    font[row * kGlyphs + glyph] = bits;
    if (++row == kRows) glyph = -1;
  }
  if (glyph >= 0) return Fail(line, "last glyph has fewer than 16 rows");
  for (int j = 0; j < kGlyphs; ++j)
    if (!seen[j]) return Fail(line, "glyph " + std::to_string(j + 32) + " is missing");

  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
  return out ? 0 : Fail(line, "cannot write the font");
}
