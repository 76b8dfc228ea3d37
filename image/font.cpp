#include "image/font.h"

#include "runtime/exceptions.h"

namespace vtl {

namespace {

Ref<TFontLoader>& ChainHead() {
  static Ref<TFontLoader>* head = new Ref<TFontLoader>();  // lives until the process ends
  return *head;
}

}  // namespace

Ref<Object> TGlyph::Pixels() { ThrowNullMethod(); }
float TGlyph::Advance() { ThrowNullMethod(); }
int32_t TGlyph::GetRect(int32_t&, int32_t&, int32_t&, int32_t&) { ThrowNullMethod(); }

int32_t TFont::Style() { ThrowNullMethod(); }
int32_t TFont::Height() { ThrowNullMethod(); }
int32_t TFont::CountGlyphs() { ThrowNullMethod(); }
int32_t TFont::CharToGlyph(int32_t) { ThrowNullMethod(); }
Ref<TGlyph> TFont::LoadGlyph(int32_t) { ThrowNullMethod(); }

Ref<TFont> TFontLoader::LoadFont(const Ref<Object>&, float, int32_t) { ThrowNullMethod(); }

Ref<TFont> LoadFontUrl(const Ref<Object>& url, float size, int32_t style) {
  for (Ref<TFontLoader> loader = ChainHead(); loader; loader = loader->_succ) {
    if (Ref<TFont> font = loader->LoadFont(url, size, style)) return font;
  }
  return nullptr;
}

int32_t RegisterFontLoader(const Ref<TFontLoader>& loader) {
  // The chain's last loader has no successor either; it is linked when it is the head.
  if (!loader || loader->_succ || loader == ChainHead()) return 0;
  loader->_succ = ChainHead();
  ChainHead() = loader;
  return 0;
}

}  // namespace vtl
