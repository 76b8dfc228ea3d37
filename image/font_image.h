// Image fonts: the glyphs of a source font turned into images on demand, and
// the built-in 8 x 16 font every Ren2D context starts with.
#pragma once

#include <cstdint>

#include "image/font.h"
#include "image/image_object.h"
#include "runtime/string.h"

namespace vtl {

class TImageGlyph : public Object {
 public:
  Ref<TImage> Pixels() const { return _image; }
  float Advance() const { return _advance; }
  int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;

  Ref<TImage> _image;  // one frame, or Null for a glyph without pixels
  float _advance = 0;
  int32_t _x = 0, _y = 0, _w = 0, _h = 0;
};

class TImageFont : public Object {
 public:
  virtual int32_t Style();
  virtual int32_t Height();
  virtual int32_t CountGlyphs();
  virtual int32_t CharToGlyph(int32_t charCode);
  // Made on first use; Null for an index outside the font.
  virtual Ref<TImageGlyph> LoadGlyph(int32_t index);
  // Draws glyph by glyph from the pen (x, y) along the 2 x 2 matrix.
  virtual int32_t Draw(const String& text, float x, float y, float ix, float iy, float jx, float jy);

  // Width in whole pixels: advances summed and truncated after each character.
  int32_t TextWidth(const String& text);

  // Null when no loader produces a font.
  static Ref<TImageFont> Load(const Ref<Object>& url, float size, int32_t style);
  // The built-in font, decoded from the embedded "quornfont.bin".
  static Ref<TImageFont> CreateDefault();

  Ref<TFont> _src_font;
  Ref<Array<Ref<TImageGlyph>>> _glyphs;
  int32_t _imageFlags = 0;
};

// Size of the built-in font file: 16 rows of 96 glyph bytes.
constexpr int32_t QuornFontBytes = 1536;

}  // namespace vtl
