#include "image/font.h"

#include "runtime/exceptions.h"
#include "runtime/last_error.h"
#include "runtime/registry.h"

namespace vtl {

namespace {

Registry<TFontLoader>& FontLoaders() {
  static auto* chain = new Registry<TFontLoader>();  // lives until the process ends
  return *chain;
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
  const String before = LastErrorText();
  ClearLastErrorText();
  Ref<TFont> font =
      FontLoaders().FirstAnswer([&](const Ref<TFontLoader>& loader) { return loader->LoadFont(url, size, style); });
  if (font) {
    SetLastErrorText(before);  // a success leaves the last reason alone
  } else if (LastErrorText().IsEmpty()) {
    const String name = AsString(url).value_or(String());
    SetLastErrorText((name.IsEmpty() ? String() : name + ": ") +
                     "no font loader could read it (no such file, or not a font file)");
  }
  return font;
}

Ref<TFont> LoadFontUrl(const String& url, float size, int32_t style) {
  return LoadFontUrl(Ref<Object>(url), size, style);
}

int32_t RegisterFontLoader(const Ref<TFontLoader>& loader) {
  FontLoaders().Add(loader);  // a loader already linked stays where it is
  return 0;
}

}  // namespace vtl
