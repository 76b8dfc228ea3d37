#include <gtest/gtest.h>

#include <vector>

#include "graphics/graphics.h"
#include "stream/stream.h"

namespace vtl {
namespace {

struct Glyphs {
  Glyphs() {
    InitGraphics();
    GetDefaultImageFont();  // registers the embedded file
    bits = EmbeddedFileData("quornfont.bin");
  }
  uint8_t Row(int code, int row) const { return bits[96 * row + (code - 32)]; }
  const uint8_t* bits;
};

TEST(BuiltinFont, FileFollowsTheRowRules) {
  Glyphs font;
  ASSERT_NE(font.bits, nullptr);
  EXPECT_EQ(EmbeddedFileLength("quornfont.bin"), QuornFontBytes);
  const std::vector<uint8_t> a = {0, 0, 124, 198, 198, 198, 254, 198, 198, 198, 198, 0, 0, 0, 0, 0};
  for (int r = 0; r < 16; ++r) EXPECT_EQ(font.Row('A', r), a[r]) << "row " << r;
  int row1_users = 0;
  for (int code = 32; code < 128; ++code) {
    EXPECT_EQ(font.Row(code, 0), 0) << code;
    for (int r = 13; r < 16; ++r) EXPECT_EQ(font.Row(code, r), 0) << code;
    row1_users += font.Row(code, 1) != 0;
  }
  EXPECT_EQ(row1_users, 6);
  for (int r = 0; r < 16; ++r) EXPECT_EQ(font.Row(' ', r), 0);
  for (int r = 0; r < 16; ++r) EXPECT_EQ(font.Row(127, r), r >= 3 && r <= 11 ? 0x38 : 0) << r;
  for (int code = 'A'; code <= 'Z'; ++code)
    for (int r : {0, 1, 11, 12}) EXPECT_EQ(font.Row(code, r), 0) << char(code);
  for (char code : std::string("acemnorsuvwxz"))
    for (int r : {2, 3, 4, 11, 12}) EXPECT_EQ(font.Row(code, r), 0) << code;
  for (char code : std::string("gjpqy")) EXPECT_NE(font.Row(code, 11) | font.Row(code, 12), 0) << code;
}

TEST(BuiltinFont, GlyphPixelsComeFromTheBitsLeastSignificantFirst) {
  Glyphs font;
  Ref<TImageFont> f = GetDefaultImageFont();
  Ref<TPixmap> a = f->LoadGlyph(f->CharToGlyph('A'))->_image->Lock(0, 1, 0);
  ASSERT_EQ(a->width, 8);
  ASSERT_EQ(a->height, 16);
  for (int r = 0; r < 16; ++r)
    for (int k = 0; k < 8; ++k)
      EXPECT_EQ(a->ReadPixel(k, r), (font.Row('A', r) >> k) & 1 ? 0xFFFFFFFFu : 0u) << k << "," << r;
}

TEST(BuiltinFont, MetricsAndCharacterMapping) {
  InitGraphics();
  Ref<TImageFont> f = GetDefaultImageFont();
  EXPECT_EQ(f->Height(), 16);
  EXPECT_EQ(f->Style(), 0);
  EXPECT_EQ(f->CountGlyphs(), 96);
  EXPECT_EQ(f->CharToGlyph(127), 95);
  EXPECT_EQ(f->CharToGlyph(128), -1);
  EXPECT_EQ(f->CharToGlyph(31), -1);
  EXPECT_EQ(f->LoadGlyph(96), nullptr);
  EXPECT_EQ(f->LoadGlyph(-1), nullptr);
  EXPECT_EQ(StringWidth("HEILE"), 40);
  EXPECT_EQ(StringWidth(""), 0);
  EXPECT_EQ(StringWidth(String(u"\u00C4B")), 8);
  EXPECT_EQ(FontHeight(), 16);
}

// A source font whose glyphs advance 7.6 pixels and have no pixels.
class FractionalFont : public TFont {
 public:
  class Glyph : public TGlyph {
   public:
    Ref<Object> Pixels() override { return nullptr; }
    float Advance() override { return 7.6f; }
    int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) override {
      x = y = w = h = 0;
      return 0;
    }
  };
  int32_t Style() override { return 0; }
  int32_t Height() override { return 9; }
  int32_t CountGlyphs() override { return 1; }
  int32_t CharToGlyph(int32_t code) override { return code == 'x' ? 0 : -1; }
  Ref<TGlyph> LoadGlyph(int32_t) override { return New<Glyph>(); }
};

class FractionalLoader : public TFontLoader {
 public:
  Ref<TFont> LoadFont(const Ref<Object>& url, float, int32_t) override {
    return AsString(url) == String("fractional") ? New<FractionalFont>() : nullptr;
  }
};

TEST(ImageFont, WidthIsTruncatedAfterEveryCharacter) {
  InitGraphics();
  RegisterFontLoader(New<FractionalLoader>());
  EXPECT_EQ(LoadImageFontUrl("no such font", 12), nullptr);
  Ref<TImageFont> f = LoadImageFontUrl("fractional", 12, 4);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->_imageFlags, ImageFlagFilter | ImageFlagMipmap);
  EXPECT_EQ(f->Height(), 9);
  EXPECT_EQ(f->TextWidth("x"), 7);
  EXPECT_EQ(f->TextWidth("xx"), 14);
  EXPECT_EQ(f->TextWidth("xxx"), 21);
  EXPECT_EQ(f->TextWidth("x?x"), 14);
  EXPECT_EQ(f->LoadGlyph(0)->_image, nullptr);
}

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

TEST(ImageFont, OutlineFontMeasuresTheSumOfItsAdvances) {
  InitGraphics();
  Ref<TImageFont> f = LoadImageFontUrl(kDejaVuSans, 21);
  ASSERT_NE(f, nullptr);
  int32_t sum = 0;
  const String text("Outline fonts: 0123456789 WAVE");
  for (char16_t c : text.View()) sum += static_cast<int32_t>(f->LoadGlyph(f->CharToGlyph(c))->Advance());
  EXPECT_GT(sum, 200);
  EXPECT_EQ(f->TextWidth(text), sum);
}

// The glyphs of "A" and "p" drawn through OpenGL at a whole-pixel pen position puts
// its coverage on the screen pixel for pixel: unfiltered, with alpha blending,
// white over black reads back as the coverage itself.
TEST(DisplayOutlineFont, RenderedGlyphCoversThePixelsOfItsPixmap) {
  InitGraphics();
  InstallGraphicsDriver(TheGLRen2DDriver(), 2);
  ASSERT_NE(OpenGraphics(320, 200, 0, 60, 0), nullptr);
  struct Closer {
    ~Closer() { CloseOpenedGraphics(); }
  } closer;
  Ref<TImageFont> f = LoadImageFontUrl(kDejaVuSans, 48);
  ASSERT_NE(f, nullptr);
  SetDrawFont(f);
  const auto advance = [&](char c) { return static_cast<int32_t>(f->LoadGlyph(f->CharToGlyph(c))->Advance()); };
  EXPECT_EQ(StringWidth("AVA"), 2 * advance('A') + advance('V'));
  EXPECT_EQ(FontHeight(), f->Height());
  SetClearColor(0, 0, 0);
  SetDrawBlend(BlendAlpha);
  SetDrawColor(255, 255, 255);
  for (char c : {'A', 'p'}) {
    SCOPED_TRACE(c);
    ClearBackBuffer();
    DrawString(String::FromLatin1(&c, 1), 100, 50);
    Ref<TImageGlyph> g = f->LoadGlyph(f->CharToGlyph(c));
    Ref<TPixmap> glyph = g->_image->Lock(0, 1, 0);
    ASSERT_GT(glyph->width, 20);
    // The glyph's box and a margin of 4 pixels around it.
    Ref<TPixmap> screen = GrabScreenPixmap(100 + g->_x - 4, 50 + g->_y - 4, g->_w + 8, g->_h + 8);
    ASSERT_NE(screen, nullptr);
    int32_t inked = 0;
    for (int32_t y = 0; y < screen->height; ++y) {
      for (int32_t x = 0; x < screen->width; ++x) {
        const int32_t gx = x - 4, gy = y - 4;
        const bool inside = gx >= 0 && gy >= 0 && gx < g->_w && gy < g->_h;
        const int32_t want = inside ? static_cast<int32_t>(glyph->ReadPixel(gx, gy) >> 24) : 0;
        const int32_t red = static_cast<int32_t>((screen->ReadPixel(x, y) >> 16) & 0xFF);
        ASSERT_NEAR(red, want, 2) << "at " << gx << "," << gy;
        inked += want > 128;
      }
    }
    EXPECT_GT(inked, 100);
  }
}

}  // namespace
}  // namespace vtl
