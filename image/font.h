/// \file
/// Source fonts and their loader chain: a TFont hands out TGlyphs (pixels,
/// advance and box); loaders turn files into fonts.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// Style bit of LoadImageFontUrl and the font loaders: each glyph gets a
/// transparent border and its image is filtered and mipmapped, so that
/// turned, scaled or sub-pixel placed text stays smooth. Without it glyphs
/// are drawn pixel for pixel as the font renders them, sharpest at whole-pixel
/// positions. Bold and italic are faces of their own: load their files.
inline constexpr int32_t FONT_SMOOTH = 4;

/// One glyph of a source font. The base's operations throw TNullMethodException.
class TGlyph : public Object {
 public:
  /// Normally a TPixmap; Null for a glyph that only advances.
  virtual Ref<Object> Pixels();
  /// How far the pen moves on after the glyph.
  virtual float Advance();
  /// Offset of the pixels from the pen position, and their size.
  virtual int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h);
};

/// A source font at one size. The base's operations throw TNullMethodException.
class TFont : public Object {
 public:
  /// The style it was loaded with.
  virtual int32_t Style();
  /// The line height in pixels.
  virtual int32_t Height();
  /// The number of glyphs; indices run from 0.
  virtual int32_t CountGlyphs();
  /// Glyph index, or -1 when the font has none for the character.
  virtual int32_t CharToGlyph(int32_t charCode);
  /// The glyph at index.
  virtual Ref<TGlyph> LoadGlyph(int32_t index);
};

/// Turns font files of one kind into fonts; loaders form a chain.
class TFontLoader : public Object {
 public:
  /// The font at size and style, or the Null object when the file is not
  /// of this loader's kind. The base throws TNullMethodException.
  virtual Ref<TFont> LoadFont(const Ref<Object>& url, float size, int32_t style);

  Ref<TFontLoader> _succ;  ///< The next loader of the chain, or Null.
};

/// The first font a loader of the chain produces, asking the newest first.
/// When none does, LastErrorText() says why (the stream's reason for a
/// protocol URL); a font found leaves it as it was.
Ref<TFont> LoadFontUrl(const Ref<Object>& url, float size, int32_t style);
/// The same for a name, so that `LoadFontUrl("a.ttf", 16, 0)` compiles.
Ref<TFont> LoadFontUrl(const String& url, float size, int32_t style);
/// Puts the loader at the head of the chain unless it is linked already.
/// Returns 0.
int32_t RegisterFontLoader(const Ref<TFontLoader>& loader);

}  // namespace vtl
