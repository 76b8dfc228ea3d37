// Source fonts and their loader chain: a TFont hands out TGlyphs (pixels,
// advance and box); loaders turn files into fonts.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

class TGlyph : public Object {
 public:
  // Normally a TPixmap; Null for a glyph that only advances.
  virtual Ref<Object> Pixels();
  virtual float Advance();
  // Offset of the pixels from the pen position, and their size.
  virtual int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h);
};

class TFont : public Object {
 public:
  virtual int32_t Style();
  virtual int32_t Height();
  virtual int32_t CountGlyphs();
  // Glyph index, or -1 when the font has none for the character.
  virtual int32_t CharToGlyph(int32_t charCode);
  virtual Ref<TGlyph> LoadGlyph(int32_t index);
};

class TFontLoader : public Object {
 public:
  virtual Ref<TFont> LoadFont(const Ref<Object>& url, float size, int32_t style);

  Ref<TFontLoader> _succ;
};

// The first font a loader of the chain produces, asking the newest first.
Ref<TFont> LoadFontUrl(const Ref<Object>& url, float size, int32_t style);
// Puts the loader at the head of the chain unless it is linked already.
int32_t RegisterFontLoader(const Ref<TFontLoader>& loader);

}  // namespace vtl
