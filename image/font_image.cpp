#include "image/font_image.h"

#include <cmath>

#include "image/internal/image_page.h"

namespace vtl {

namespace {

// Glyphs go on the font's page as they are made; one that does not fit keeps
// a texture of its own.
void PageGlyph(TImageFont& font, const Ref<TImage>& image) {
  if (!image || !PageableImageFlags(font._imageFlags)) return;
  if (!font._page) font._page = New<TImagePage>(font._imageFlags);
  font._page->AddFrameOf(image, 0);
}

}  // namespace

TImageFont::~TImageFont() = default;

int32_t TImageGlyph::GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const {
  x = _x;
  y = _y;
  w = _w;
  h = _h;
  return 0;
}

int32_t TImageFont::Style() { return _src_font ? _src_font->Style() : 0; }
int32_t TImageFont::Height() { return _src_font ? _src_font->Height() : 16; }
int32_t TImageFont::CountGlyphs() { return _glyphs ? _glyphs->Length() : 0; }

int32_t TImageFont::CharToGlyph(int32_t charCode) {
  if (_src_font) return _src_font->CharToGlyph(charCode);
  return charCode >= 32 && charCode <= 127 ? charCode - 32 : -1;
}

Ref<TImageGlyph> TImageFont::LoadGlyph(int32_t index) {
  if (!_glyphs || index < 0 || index >= _glyphs->Length()) return nullptr;
  Ref<TImageGlyph>& slot = (*_glyphs)[index];
  if (slot || !_src_font) return slot;
  auto glyph = New<TImageGlyph>();
  slot = glyph;
  Ref<TGlyph> source = _src_font->LoadGlyph(index);
  if (!source) return glyph;
  glyph->_advance = source->Advance();
  source->GetRect(glyph->_x, glyph->_y, glyph->_w, glyph->_h);
  if (Ref<TPixmap> pixels = DowncastObject<TPixmap>(source->Pixels())) {
    glyph->_image = TImage::Load(pixels->Copy(), _imageFlags, 0, 0, 0);
    PageGlyph(*this, glyph->_image);
  }
  return glyph;
}

int32_t TImageFont::Draw(const String& text, float x, float y, float ix, float iy, float jx, float jy) {
  // New glyphs join the page before any is drawn, so that the page's texture
  // is made once for the whole text.
  if (_src_font)
    for (char16_t code : text.View()) LoadGlyph(CharToGlyph(code));
  for (char16_t code : text.View()) {
    const int32_t index = CharToGlyph(code);
    if (index < 0) continue;
    Ref<TImageGlyph> glyph = LoadGlyph(index);
    if (!glyph) continue;
    if (const Ref<TImage>& image = glyph->_image) {
      if (Ref<TImageFrame> frame = image->Frame(0)) {
        const float gx = static_cast<float>(glyph->_x), gy = static_cast<float>(glyph->_y);
        frame->Draw(0, 0, static_cast<float>(image->width), static_cast<float>(image->height), x + gx * ix + gy * iy,
                    y + gx * jx + gy * jy);
      }
    }
    x += ix * glyph->_advance;
    y += jx * glyph->_advance;
  }
  return 0;
}

int32_t TImageFont::TextWidth(const String& text) {
  int32_t width = 0;
  for (char16_t code : text.View()) {
    const int32_t index = CharToGlyph(code);
    if (index < 0) continue;
    Ref<TImageGlyph> glyph = LoadGlyph(index);
    if (!glyph) continue;
    width = static_cast<int32_t>(std::trunc(static_cast<float>(width) + glyph->_advance));
  }
  return width;
}

Ref<TImageFont> TImageFont::Load(const Ref<Object>& url, float size, int32_t style) {
  Ref<TFont> source = LoadFontUrl(url, size, style);
  if (!source) return nullptr;
  auto font = New<TImageFont>();
  font->_src_font = source;
  font->_glyphs = NewArray<Ref<TImageGlyph>>({source->CountGlyphs()});
  font->_imageFlags = (style & FONT_SMOOTH) ? ImageFlagFilter | ImageFlagMipmap : 0;
  return font;
}

}  // namespace vtl
