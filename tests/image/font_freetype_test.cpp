// The outline font loader with DejaVu Sans and DejaVu Sans Mono as installed
// by Debian, and with bitmap fonts written by the tests (a face of one fixed
// size, whose glyph pixels are known exactly).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "font_files.h"
#include "image/image.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using test::Bytes;

class FreeTypeFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImage(); }

  static String Sans() { return String::FromLatin1(test::DejaVuPath("DejaVuSans.ttf")); }
  static String Mono() { return String::FromLatin1(test::DejaVuPath("DejaVuSansMono.ttf")); }

  // The bytes as a font file on disk, opened by its path.
  static Ref<TFreeTypeFont> LoadFile(const Bytes& bytes, float size, int32_t style = 0) {
    const std::string path = test::TempPath("font.bdf");
    test::WriteFile(path, bytes);
    Ref<TFreeTypeFont> font = TFreeTypeFont::Load(String::FromLatin1(path), size, style);
    std::remove(path.c_str());
    return font;
  }

  static Ref<TFreeTypeGlyph> Glyph(const Ref<TFreeTypeFont>& font, int32_t code) {
    const int32_t index = font->CharToGlyph(code);
    if (index < 0) return nullptr;
    return DowncastObject<TFreeTypeGlyph>(font->LoadGlyph(index));
  }
};

// The pixmap holds exactly the glyph's rows: '#' opaque, '.' clear.
void ExpectPixels(const Ref<TPixmap>& p, const test::BdfGlyph& g, int32_t at) {
  for (size_t y = 0; y < g.rows.size(); ++y)
    for (size_t x = 0; x < g.rows[y].size(); ++x)
      EXPECT_EQ(p->PixelPtr(at + int32_t(x), at + int32_t(y))[0], g.rows[y][x] == '#' ? 255 : 0) << x << "," << y;
}

TEST_F(FreeTypeFontTest, DejaVuSansOpensWithItsMetricsAndCharacterMap) {
  Ref<TFreeTypeFont> font = TFreeTypeFont::Load(Sans(), 24, 0);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->_face.metrics.yppem, 24);
  EXPECT_EQ(font->Height(), font->_face.metrics.height >> 6);
  EXPECT_GT(font->_ascend, 18);
  EXPECT_LT(font->_descend, -3);
  EXPECT_NEAR(font->Height(), font->_ascend - font->_descend, 2);
  EXPECT_EQ(font->CountGlyphs(), font->_face.num_glyphs);
  EXPECT_GT(font->CountGlyphs(), 3000);
  EXPECT_EQ(font->_buf, nullptr);
  EXPECT_EQ(font->_buf_size, 0);

  EXPECT_EQ(font->CharToGlyph(0xE000), -1);  // private use: not in the font
  EXPECT_EQ(font->CharToGlyph(-65), -1);
  EXPECT_LT(font->CharToGlyph('A'), font->CountGlyphs());
  EXPECT_NE(font->CharToGlyph('A'), font->CharToGlyph('B'));
  EXPECT_GE(font->CharToGlyph(0x00C4), 0);  // A with diaeresis
  EXPECT_EQ(font->LoadGlyph(-1), nullptr);
  EXPECT_EQ(font->LoadGlyph(font->CountGlyphs()), nullptr);
  // The last slot is glyph index + 1 of the face, which does not exist: an
  // empty glyph rather than an error.
  Ref<TGlyph> past = font->LoadGlyph(font->CountGlyphs() - 1);
  ASSERT_NE(past, nullptr);
  EXPECT_EQ(past->Pixels(), nullptr);
  EXPECT_EQ(past->Advance(), 0);
}

TEST_F(FreeTypeFontTest, OutlineGlyphIsGreyCoverageInItsBox) {
  Ref<TFreeTypeFont> font = TFreeTypeFont::Load(Sans(), 24, 0);
  ASSERT_NE(font, nullptr);
  Ref<TFreeTypeGlyph> a = Glyph(font, 'A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(font->LoadGlyph(font->CharToGlyph('A')), Ref<TGlyph>(a)) << "made once, then kept";
  Ref<TPixmap> p = DowncastObject<TPixmap>(a->Pixels());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->format, FMT_ALPHA8);
  int32_t x, y, w, h;
  a->GetRect(x, y, w, h);
  EXPECT_EQ(w, p->width);
  EXPECT_EQ(h, p->height);
  EXPECT_GT(h, 14);
  EXPECT_LT(h, 20);
  // A capital stands on the baseline: its box ends there, the ascent below the line's top.
  EXPECT_EQ(y + h, font->_ascend);
  EXPECT_GE(a->Advance(), 15);
  EXPECT_EQ(a->Advance(), std::floor(a->Advance()));
  int32_t opaque = 0, partial = 0;
  for (int32_t j = 0; j < p->height; ++j)
    for (int32_t i = 0; i < p->width; ++i) {
      const uint8_t v = p->PixelPtr(i, j)[0];
      opaque += v == 255;
      partial += v > 0 && v < 255;
    }
  EXPECT_GT(opaque, 20);
  EXPECT_GT(partial, 10) << "anti-aliased edges";
  // The apex is at the top centre, the feet at the bottom corners.
  EXPECT_EQ(p->PixelPtr(0, 0)[0], 0);
  EXPECT_GT(p->PixelPtr(w / 2, 0)[0], 0);
  EXPECT_GT(p->PixelPtr(0, h - 1)[0], 0);
}

TEST_F(FreeTypeFontTest, SpaceAdvancesWithoutPixels) {
  for (const String& file : {Sans(), Mono()}) {
    Ref<TFreeTypeFont> font = TFreeTypeFont::Load(file, 20, 4);
    ASSERT_NE(font, nullptr);
    Ref<TFreeTypeGlyph> space = Glyph(font, ' ');
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->Pixels(), nullptr);
    EXPECT_GT(space->Advance(), 4);
    EXPECT_EQ(space->_w, 0) << "no padding without pixels";
    EXPECT_EQ(space->_h, 0);
  }
  Ref<TFreeTypeFont> bitmap = LoadFile(test::SampleBdf(), 12);
  ASSERT_NE(bitmap, nullptr);
  Ref<TFreeTypeGlyph> space = Glyph(bitmap, ' ');
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(space->Pixels(), nullptr);
  EXPECT_EQ(space->Advance(), 6);
}

TEST_F(FreeTypeFontTest, FixedSizeFaceWalksDownAPixelAtATime) {
  const Bytes twelve = test::SampleBdf(12);
  Ref<TFreeTypeFont> exact = LoadFile(twelve, 12);
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(exact->_face.metrics.yppem, 12);
  EXPECT_EQ(exact->_face.num_fixed_sizes, 1);
  EXPECT_EQ(exact->_ascend, 10);
  EXPECT_EQ(exact->_descend, -2);
  EXPECT_EQ(exact->Height(), 12);

  // 20, 19, ... are refused until 12; a fraction is cut off first.
  for (float size : {13.0f, 20.0f, 20.9f, 300.0f}) {
    Ref<TFreeTypeFont> font = LoadFile(twelve, size);
    ASSERT_NE(font, nullptr) << size;
    EXPECT_EQ(font->_face.metrics.yppem, 12) << size;
  }
  // Requests beyond the largest size start there rather than walking from billions.
  Ref<TFreeTypeFont> huge = LoadFile(twelve, 3e9f);
  ASSERT_NE(huge, nullptr);
  EXPECT_EQ(huge->_face.metrics.yppem, 12);

  // Nothing from 11 down to 1 fits: Null.
  EXPECT_EQ(LoadFile(twelve, 11), nullptr);
  EXPECT_EQ(LoadFile(test::SampleBdf(30), 29), nullptr);
  EXPECT_NE(LoadFile(test::SampleBdf(1), 5), nullptr) << "the walk reaches 1";
  for (float size : {0.0f, 0.5f, -12.0f, std::numeric_limits<float>::quiet_NaN()})
    EXPECT_EQ(LoadFile(twelve, size), nullptr) << size;

  // A scalable face takes any size; the largest is MaxFontPixelSize.
  Ref<TFreeTypeFont> big = TFreeTypeFont::Load(Sans(), 1e7f, 0);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->_face.metrics.yppem, MaxFontPixelSize);
}

TEST_F(FreeTypeFontTest, OneBitGlyphExpandsMostSignificantBitFirst) {
  Ref<TFreeTypeFont> font = LoadFile(test::SampleBdf(), 12);
  ASSERT_NE(font, nullptr);
  Ref<TFreeTypeGlyph> a = Glyph(font, 'A');
  ASSERT_NE(a, nullptr);
  Ref<TPixmap> p = a->_pixmap;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->format, FMT_ALPHA8);
  EXPECT_EQ(p->width, 8);
  EXPECT_EQ(p->height, 10);
  EXPECT_EQ(a->_x, 0);
  EXPECT_EQ(a->_y, 0);  // ascent 10 - top 10
  EXPECT_EQ(a->_advance, 9);
  ExpectPixels(p, test::SampleA(), 0);

  Ref<TFreeTypeGlyph> f = Glyph(font, 'F');
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->_pixmap, nullptr);
  EXPECT_EQ(f->_w * 100 + f->_h, 905);
  EXPECT_EQ(f->_x, 1);
  EXPECT_EQ(f->_y, 5);
  ExpectPixels(f->_pixmap, test::SampleF(), 0);
}

TEST_F(FreeTypeFontTest, StyleBit4PadsWithATransparentRing) {
  Ref<TFreeTypeGlyph> plain = Glyph(LoadFile(test::SampleBdf(), 12, 0), 'A');
  Ref<TFreeTypeGlyph> padded = Glyph(LoadFile(test::SampleBdf(), 12, 4 | 1), 'A');
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(padded, nullptr);
  EXPECT_EQ(plain->_w * 100 + plain->_h, 810);
  EXPECT_EQ(padded->_w * 100 + padded->_h, 1012);
  Ref<TPixmap> p = padded->_pixmap;
  ASSERT_EQ(p->width * 100 + p->height, 1012);
  EXPECT_EQ(padded->_x, plain->_x - 1);
  EXPECT_EQ(padded->_y, plain->_y - 1);
  EXPECT_EQ(padded->_advance, plain->_advance);
  for (int32_t x = 0; x < 10; ++x) {
    EXPECT_EQ(p->PixelPtr(x, 0)[0], 0);
    EXPECT_EQ(p->PixelPtr(x, 11)[0], 0);
  }
  for (int32_t y = 0; y < 12; ++y) {
    EXPECT_EQ(p->PixelPtr(0, y)[0], 0);
    EXPECT_EQ(p->PixelPtr(9, y)[0], 0);
  }
  ExpectPixels(p, test::SampleA(), 1);
}

TEST_F(FreeTypeFontTest, TwoBitLevelsBecomeEvenlySpacedCoverage) {
  Ref<TFreeTypeFont> font = LoadFile(test::SampleBdf(12, 2), 12);
  ASSERT_NE(font, nullptr);
  Ref<TFreeTypeGlyph> g = Glyph(font, 'g');
  ASSERT_NE(g, nullptr);
  ASSERT_NE(g->_pixmap, nullptr);
  ASSERT_EQ(g->_w * 100 + g->_h, 202);
  EXPECT_EQ(g->_x, 3);
  EXPECT_EQ(g->_y, 9);  // ascent 10 - top (2 rows - 1 below the baseline)
  const Ref<TPixmap>& p = g->_pixmap;
  EXPECT_EQ(p->PixelPtr(0, 0)[0], 0);
  EXPECT_EQ(p->PixelPtr(1, 0)[0], 85);
  EXPECT_EQ(p->PixelPtr(0, 1)[0], 170);
  EXPECT_EQ(p->PixelPtr(1, 1)[0], 255);
  // The 'F' at two bits: its '#' pixels are the top level.
  ExpectPixels(Glyph(font, 'F')->_pixmap, test::SampleF(), 0);
}

TEST_F(FreeTypeFontTest, FilePathAndMemoryPathGiveIdenticalGlyphs) {
  static const Bytes sans = test::ReadFile(test::DejaVuPath("DejaVuSans.ttf"));
  ASSERT_GT(sans.size(), 100000u);
  RegisterEmbeddedFile("DejaVuSans.ttf", sans.data(), static_cast<int32_t>(sans.size()));
  for (int32_t style : {0, 4}) {
    Ref<TFreeTypeFont> file = TFreeTypeFont::Load(Sans(), 17, style);
    Ref<TFreeTypeFont> memory = TFreeTypeFont::Load("incbin::DejaVuSans.ttf", 17, style);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->_buf_size, static_cast<int32_t>(sans.size()));
    ASSERT_NE(memory->_buf, nullptr);
    EXPECT_NE(memory->_buf->Data(), sans.data()) << "the font keeps bytes of its own";
    EXPECT_EQ(memory->Height(), file->Height());
    EXPECT_EQ(memory->CountGlyphs(), file->CountGlyphs());
    for (int32_t code = 32; code < 256; ++code) {
      SCOPED_TRACE(code);
      ASSERT_EQ(memory->CharToGlyph(code), file->CharToGlyph(code));
      Ref<TFreeTypeGlyph> a = Glyph(file, code), b = Glyph(memory, code);
      if (!a) continue;
      ASSERT_EQ(a->_advance, b->_advance);
      ASSERT_EQ(a->_x * 1000 + a->_y, b->_x * 1000 + b->_y);
      ASSERT_EQ(a->_w * 1000 + a->_h, b->_w * 1000 + b->_h);
      ASSERT_EQ(a->_pixmap == nullptr, b->_pixmap == nullptr);
      if (!a->_pixmap) continue;
      for (int32_t y = 0; y < a->_h; ++y)
        ASSERT_EQ(0, std::memcmp(a->_pixmap->PixelPtr(0, y), b->_pixmap->PixelPtr(0, y), size_t(a->_w))) << y;
    }
  }
}

TEST_F(FreeTypeFontTest, LoaderTakesNamesOnlyAndRefusesWhatItCannotRead) {
  Ref<TFreeTypeFontLoader> loader = New<TFreeTypeFontLoader>();
  EXPECT_NE(loader->LoadFont(Sans(), 12, 0), nullptr);
  EXPECT_EQ(loader->LoadFont(String(), 12, 0), nullptr);
  EXPECT_EQ(loader->LoadFont(nullptr, 12, 0), nullptr);
  EXPECT_EQ(loader->LoadFont(Ref<Object>(New<TFreeTypeFontLoader>()), 12, 0), nullptr);
  // Missing files and urls are refusals, not errors.
  EXPECT_EQ(loader->LoadFont(String("no/such/font.ttf"), 12, 0), nullptr);
  EXPECT_EQ(loader->LoadFont(String("incbin::no-such-font.ttf"), 12, 0), nullptr);
  EXPECT_EQ(loader->LoadFont(String("::") + Sans(), 12, 0), nullptr) << "\"::\" first is part of a file name";
  // Bytes that are no font, from a file and from memory.
  test::SetMemoryFont(Bytes(5000, 0x41));
  EXPECT_EQ(loader->LoadFont(String(test::MemoryFontUrl), 12, 0), nullptr);
  test::SetMemoryFont(Bytes());
  EXPECT_EQ(loader->LoadFont(String(test::MemoryFontUrl), 12, 0), nullptr);
  EXPECT_EQ(LoadFile(Bytes(300, 0), 12), nullptr);
  // The chain says why nothing came, and a font found leaves that alone.
  EXPECT_EQ(LoadFontUrl("no/such/font.ttf", 12, 0), nullptr);
  EXPECT_EQ(LastErrorText(),
            String("no/such/font.ttf: no font loader could read it (no such file, or not a font file)"));
  EXPECT_EQ(LoadFontUrl("incbin::no-such-font.ttf", 12, 0), nullptr);
  EXPECT_EQ(LastErrorText(), String("No embedded file named 'no-such-font.ttf'"));
  // The registered loader is what the chain finds.
  Ref<TFont> font = LoadFontUrl(Sans(), 12, 4);
  ASSERT_NE(DowncastObject<TFreeTypeFont>(font), nullptr);
  EXPECT_EQ(font->Style(), 4);
  EXPECT_EQ(LastErrorText(), String("No embedded file named 'no-such-font.ttf'"));
}

TEST_F(FreeTypeFontTest, ImageFontMeasuresTheSumOfItsAdvances) {
  for (const String& file : {Sans(), Mono()}) {
    Ref<TImageFont> font = TImageFont::Load(file, 15, 0);
    ASSERT_NE(font, nullptr);
    Ref<TFreeTypeFont> source = DowncastObject<TFreeTypeFont>(font->_src_font);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(font->Height(), source->Height());
    EXPECT_EQ(font->CountGlyphs(), source->CountGlyphs());
    const String text(u"Grüße, Wörld! \u00C4 fi 123 \uE000");
    float sum = 0;
    for (char16_t c : text.View()) {
      const int32_t index = source->CharToGlyph(c);
      if (index >= 0) sum += source->LoadGlyph(index)->Advance();
    }
    EXPECT_GT(sum, 100);
    EXPECT_EQ(font->TextWidth(text), static_cast<int32_t>(sum));
    // The glyph images are the glyph pixmaps, unfiltered without style bit 4.
    Ref<TImageGlyph> w = font->LoadGlyph(font->CharToGlyph('W'));
    ASSERT_NE(w->_image, nullptr);
    EXPECT_EQ(w->_image->width, w->_w);
    EXPECT_EQ(w->_image->height, w->_h);
    EXPECT_EQ(w->_image->flags, 0);
  }
  // Every character of the mono face advances alike.
  Ref<TImageFont> mono = TImageFont::Load(Mono(), 15, 0);
  const int32_t one = mono->TextWidth("m");
  EXPECT_EQ(mono->TextWidth("il.WM m"), 7 * one);
}

}  // namespace
}  // namespace vtl
