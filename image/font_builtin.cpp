// The built-in font: "quornfont.bin" holds 16 rows of 96 bytes; byte j of row
// r is pixel row r of the glyph for character 32 + j, bit k being column k
// from the left.
#include "image/font_image.h"
#include "image/internal/image_page.h"
#include "runtime/exceptions.h"
#include "stream/embedded_files.h"

VTL_DECLARE_EMBEDDED_FILE(quornfont_bin)

namespace vtl {

Ref<TImageFont> TImageFont::CreateDefault() {
  embedded::Register_quornfont_bin();
  const uint8_t* bits = EmbeddedFileData("quornfont.bin");
  if (!bits || EmbeddedFileLength("quornfont.bin") != QuornFontBytes) RuntimeError("Built-in font data is missing");

  Ref<TPixmap> sheet = NewPixmap(768, 16, FMT_RGBA8888, 4);
  for (int32_t r = 0; r < 16; ++r) {
    for (int32_t j = 0; j < 96; ++j) {
      const uint8_t row = bits[96 * r + j];
      for (int32_t k = 0; k < 8; ++k) sheet->WritePixel(8 * j + k, r, (row >> k) & 1 ? 0xFFFFFFFFu : 0u);
    }
  }

  auto font = New<TImageFont>();
  font->_glyphs = NewArray<Ref<TImageGlyph>>({96});
  for (int32_t j = 0; j < 96; ++j) {
    auto glyph = New<TImageGlyph>();
    glyph->_advance = 8.0f;
    glyph->_w = 8;
    glyph->_h = 16;
    glyph->_image = TImage::Load(sheet->Window(8 * j, 0, 8, 16)->Copy(), 0, 0, 0, 0);
    (*font->_glyphs)[j] = glyph;
  }
  // One texture for all 96 glyphs.
  font->_page = New<TImagePage>(0);
  for (int32_t j = 0; j < 96; ++j) font->_page->AddFrameOf((*font->_glyphs)[j]->_image, 0);
  return font;
}

}  // namespace vtl
