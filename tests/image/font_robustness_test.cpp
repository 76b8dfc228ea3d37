// Damaged fonts: truncated and corrupted copies of DejaVu Sans and of a
// bitmap font, made here, must load as a font or the Null object, and a font
// that loads must hand out well-formed glyphs. The committed fuzzing corpus
// is replayed the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "font_files.h"
#include "image/image.h"

namespace vtl {
namespace {

using test::Bytes;

class FontRobustnessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImage(); }
};

// Renders a few glyphs of whatever font the url gives and checks their boxes
// against their pixmaps, touching every pixel. True when a font loaded.
bool LoadAndCheck(const String& url, int32_t style) {
  Ref<TImageFont> font = TImageFont::Load(url, 16, style);
  if (!font) return false;
  EXPECT_GE(font->CountGlyphs(), 0);
  const String text(u"Ag ,\u00C4\u20AC");
  for (char16_t c : text.View()) {
    const int32_t index = font->CharToGlyph(c);
    if (index < 0) continue;
    EXPECT_LT(index, font->CountGlyphs());
    Ref<TImageGlyph> glyph = font->LoadGlyph(index);
    if (!glyph || !glyph->_image) continue;
    Ref<TPixmap> p = glyph->_image->Lock(0, 1, 0);
    EXPECT_EQ(p->width, glyph->_w);
    EXPECT_EQ(p->height, glyph->_h);
    volatile uint32_t sum = 0;
    for (int32_t y = 0; y < p->height; ++y)
      for (int32_t x = 0; x < p->width; ++x) sum = sum + p->ReadPixel(x, y);
  }
  font->TextWidth(text);
  // The raw glyph slots as well, past the characters' glyphs.
  Ref<TFreeTypeFont> source = DowncastObject<TFreeTypeFont>(font->_src_font);
  for (int32_t i = 0; source && i < 12 && i < source->CountGlyphs(); ++i) source->LoadGlyph(i);
  return true;
}

// Corrupts between one and four bytes, most often in the tables' headers
// at the front, where a flip changes how the rest is read.
Bytes Damage(const Bytes& bytes, int trial, std::mt19937& random) {
  Bytes damaged = bytes;
  const size_t span = trial % 2 == 0 ? std::min<size_t>(bytes.size(), 2048) : bytes.size();
  for (int i = 0; i <= trial % 4; ++i) {
    const size_t at = random() % span;
    damaged[at] = trial % 3 == 0 ? uint8_t(random()) : uint8_t(damaged[at] ^ (1u << (random() % 8)));
  }
  return damaged;
}

TEST_F(FontRobustnessTest, TruncatedFontsFromDiskLoadOrGiveNull) {
  const std::string path = test::TempPath("damaged.ttf");
  const Bytes sans = test::ReadFile(test::DejaVuPath("DejaVuSans.ttf"));
  ASSERT_GT(sans.size(), 100000u);
  int32_t loaded = 0, tried = 0;
  for (size_t length : {size_t{0}, size_t{1}, size_t{12}, size_t{100}, size_t{400}, size_t{4096}, sans.size() / 10,
                        sans.size() / 2, sans.size() - 5000, sans.size() - 1}) {
    test::WriteFile(path, Bytes(sans.begin(), sans.begin() + static_cast<ptrdiff_t>(length)));
    loaded += LoadAndCheck(String::FromLatin1(path), 0);
    ++tried;
  }
  const Bytes bdf = test::SampleBdf(12, 2);
  for (size_t length = 0; length < bdf.size(); length += 7) {
    test::WriteFile(path, Bytes(bdf.begin(), bdf.begin() + static_cast<ptrdiff_t>(length)));
    loaded += LoadAndCheck(String::FromLatin1(path), 4);
    ++tried;
  }
  std::remove(path.c_str());
  EXPECT_GT(tried, 40);
  EXPECT_LT(loaded, tried);
}

TEST_F(FontRobustnessTest, CorruptedFontsFromMemoryLoadOrGiveNull) {
  std::mt19937 random(2026);
  const Bytes sans = test::ReadFile(test::DejaVuPath("DejaVuSans.ttf"));
  const Bytes mono = test::ReadFile(test::DejaVuPath("DejaVuSansMono.ttf"));
  const Bytes bdf = test::SampleBdf(12, 1);
  int32_t loaded = 0, tried = 0;
  for (const Bytes* source : {&sans, &mono, &bdf}) {
    ASSERT_FALSE(source->empty());
    for (int trial = 0; trial < 120; ++trial) {
      test::SetMemoryFont(Damage(*source, trial, random));
      loaded += LoadAndCheck(test::MemoryFontUrl, trial % 2 ? 4 : 0);
      ++tried;
    }
  }
  test::SetMemoryFont(Bytes());
  EXPECT_GT(loaded, tried / 4) << "most single flips leave a font that opens";
}

TEST_F(FontRobustnessTest, CorpusReplay) {
  const std::vector<std::string> paths = test::FilesIn(VTL_FONT_CORPUS_DIR);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    test::SetMemoryFont(test::ReadFile(path));
    LoadAndCheck(test::MemoryFontUrl, 0);
    LoadAndCheck(test::MemoryFontUrl, 4);
  }
  test::SetMemoryFont(Bytes());
  EXPECT_GE(paths.size(), 3u);
}

}  // namespace
}  // namespace vtl
