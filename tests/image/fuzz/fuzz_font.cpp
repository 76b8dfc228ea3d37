// libFuzzer entry for outline fonts: the input is a font file, opened from
// memory through LoadImageFontUrl at 16 pixels (padded for odd lengths), and
// a few glyphs are measured and rendered; every pixel is read so that a
// pixmap shorter than its box shows.
#include <cstdint>

#include "font_files.h"
#include "graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (vtl::InitImage(), true);
  (void)ready;
  if (size > (1u << 22)) return 0;
  vtl::test::SetMemoryFont(vtl::test::Bytes(data, data + size));
  vtl::Ref<vtl::TImageFont> font = vtl::LoadImageFontUrl(vtl::test::MemoryFontUrl, 16, size % 2 ? 4 : 0);
  if (!font) return 0;
  const vtl::String text(u"Ag ,\u00C4\u20AC");
  font->TextWidth(text);
  for (char16_t c : text.View()) {
    vtl::Ref<vtl::TImageGlyph> glyph = font->LoadGlyph(font->CharToGlyph(c));
    if (!glyph || !glyph->_image) continue;
    vtl::Ref<vtl::TPixmap> p = glyph->_image->Lock(0, 1, 0);
    if (p->width != glyph->_w || p->height != glyph->_h) __builtin_trap();
    volatile uint32_t sum = 0;
    for (int32_t y = 0; y < p->height; ++y)
      for (int32_t x = 0; x < p->width; ++x) sum = sum + p->ReadPixel(x, y);
  }
  return 0;
}
