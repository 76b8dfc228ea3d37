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

}  // namespace
}  // namespace vtl
