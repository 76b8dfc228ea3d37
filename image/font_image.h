/// \file
/// Image fonts: the glyphs of a source font turned into images on demand, and
/// the built-in 8 x 16 font every Ren2D context starts with.
#pragma once

#include <cstdint>

#include "image/font.h"
#include "image/image_object.h"
#include "runtime/string.h"

namespace vtl {

class TImagePage;

/// A glyph as an image, ready to draw.
class TImageGlyph : public Object {
 public:
  /// The glyph's image, or Null for a glyph without pixels.
  Ref<TImage> Pixels() const { return _image; }
  /// How far the pen moves on after the glyph.
  float Advance() const { return _advance; }
  /// Offset of the image from the pen position, and its size. Returns 0.
  int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;

  Ref<TImage> _image;  ///< one frame, or Null for a glyph without pixels
  float _advance = 0;  ///< How far the pen moves on.
  /// Offset from the pen position and size.
  ///@{
  int32_t _x = 0, _y = 0, _w = 0, _h = 0;
  ///@}
};

/// A font whose glyphs are images: from a source font, or the built-in one.
class TImageFont : public Object {
 public:
  ~TImageFont() override;
  /// The source font's style; 0 for the built-in font.
  virtual int32_t Style();
  /// The source font's height; 16 for the built-in font.
  virtual int32_t Height();
  /// The number of glyphs.
  virtual int32_t CountGlyphs();
  /// The source font's glyph index; in the built-in font characters 32 to
  /// 127 are glyphs 0 to 95. -1 when the font has no glyph for it.
  virtual int32_t CharToGlyph(int32_t charCode);
  /// Made on first use; Null for an index outside the font.
  virtual Ref<TImageGlyph> LoadGlyph(int32_t index);
  /// Draws glyph by glyph from the pen (x, y) along the 2 x 2 matrix.
  /// Characters without a glyph are skipped. Returns 0.
  virtual int32_t Draw(const String& text, float x, float y, float ix, float iy, float jx, float jy);

  /// Width in whole pixels: advances summed and truncated after each character.
  int32_t TextWidth(const String& text);

  /// Null when no loader produces a font. FONT_SMOOTH makes the glyph images
  /// filtered and mipmapped.
  static Ref<TImageFont> Load(const Ref<Object>& url, float size, int32_t style);
  /// The built-in font, decoded from the embedded "quornfont.bin": glyphs of
  /// 8 x 16 pixels that advance 8. Raises "Built-in font data is missing"
  /// when the program lacks the file.
  static Ref<TImageFont> CreateDefault();

  Ref<TFont> _src_font;                  ///< The source font; Null for the built-in font.
  Ref<Array<Ref<TImageGlyph>>> _glyphs;  ///< One slot per glyph, filled on first use.
  int32_t _imageFlags = 0;               ///< The image flags of the glyph images.
  /// The texture the glyphs share, so that text draws without changing
  /// texture; Null for mipmapped glyphs, which each keep their own.
  Ref<TImagePage> _page;
};

/// Size of the built-in font file: 16 rows of 96 glyph bytes.
constexpr int32_t QuornFontBytes = 1536;

}  // namespace vtl
