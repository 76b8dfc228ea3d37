#include "image/font_freetype.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "image/internal/freetype_glue.h"
#include "runtime/exceptions.h"
#include "runtime/string_ops.h"
#include "stream/c_stream.h"
#include "stream/loader_chain.h"
#include "stream/stream_utils.h"

namespace vtl {

namespace {

// Every byte of a url naming a protocol; Null when it cannot be read, which
// for a loader is a refusal like any other stream error.
Ref<Array<uint8_t>> ReadWhole(const String& url) {
  return RefuseOnStreamError([&] { return LoadBytesUrl(url); });
}

std::unique_ptr<FreeTypeFace> OpenFace(const String& path) {
  // "::" at the very start is no protocol: such a name is a file's.
  if (FindString(path, "::", 1) >= 1) return FreeTypeFace::OpenMemory(ReadWhole(path));
  for (const std::string& name : SystemFileNames(path)) {
    if (auto face = FreeTypeFace::OpenFile(name)) return face;
  }
  return nullptr;
}

// The rendered bitmap as FMT_ALPHA8 coverage with pad transparent pixels
// around it. One-bit rows are read most significant bit first.
Ref<TPixmap> CoveragePixmap(const FTGlyph& g, int32_t pad) {
  Ref<TPixmap> pixmap = NewPixmap(g.width + 2 * pad, g.rows + 2 * pad, FMT_ALPHA8);
  pixmap->ClearPixels(0);
  // With a negative pitch the rows run upwards from the last one in memory.
  const uint8_t* top = g.buffer + (g.pitch < 0 ? -int64_t{g.pitch} * (g.rows - 1) : 0);
  for (int32_t y = 0; y < g.rows; ++y) {
    const uint8_t* row = top + int64_t{y} * g.pitch;
    uint8_t* out = pixmap->PixelPtr(pad, y + pad);
    if (g.pixel_mode == FTPixelModeMono) {
      for (int32_t x = 0; x < g.width; ++x) out[x] = row[x >> 3] & (0x80 >> (x & 7)) ? 255 : 0;
    } else {
      std::memcpy(out, row, static_cast<size_t>(g.width));
    }
  }
  return pixmap;
}

}  // namespace

Ref<Object> TFreeTypeGlyph::Pixels() { return _pixmap; }
float TFreeTypeGlyph::Advance() { return _advance; }

int32_t TFreeTypeGlyph::GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) {
  x = _x;
  y = _y;
  w = _w;
  h = _h;
  return 0;
}

TFreeTypeFont::~TFreeTypeFont() = default;

int32_t TFreeTypeFont::Style() { return _style; }
int32_t TFreeTypeFont::Height() { return _height; }
int32_t TFreeTypeFont::CountGlyphs() { return _glyphs ? _glyphs->Length() : 0; }

int32_t TFreeTypeFont::CharToGlyph(int32_t charCode) {
  if (!_ft_face || charCode < 0) return -1;
  return static_cast<int32_t>(_ft_face->CharIndex(static_cast<uint32_t>(charCode))) - 1;
}

Ref<TGlyph> TFreeTypeFont::LoadGlyph(int32_t index) {
  if (!_glyphs || index < 0 || index >= _glyphs->Length()) return nullptr;
  Ref<TFreeTypeGlyph>& slot = (*_glyphs)[index];
  if (slot) return slot;
  auto glyph = New<TFreeTypeGlyph>();
  slot = glyph;

  FTGlyph g;
  if (!_ft_face || !_ft_face->RenderGlyph(static_cast<uint32_t>(index) + 1, g)) return glyph;
  glyph->_x = g.bitmap_left;
  glyph->_y = ClampToInt32(int64_t{_ascend} - g.bitmap_top);
  glyph->_w = g.width;
  glyph->_h = g.rows;
  glyph->_advance = static_cast<float>(g.advancex >> 6);
  // A bitmap without rows has no pixels either.
  if (g.width == 0 || g.rows == 0) return glyph;

  const int32_t pad = (_style & FONT_SMOOTH) ? 1 : 0;  // room for filtering to fade out
  glyph->_pixmap = CoveragePixmap(g, pad);
  glyph->_x = ClampToInt32(int64_t{glyph->_x} - pad);
  glyph->_y = ClampToInt32(int64_t{glyph->_y} - pad);
  glyph->_w += 2 * pad;
  glyph->_h += 2 * pad;
  return glyph;
}

Ref<TFreeTypeFont> TFreeTypeFont::Load(const String& path, float size, int32_t style) {
  if (!(size >= 1)) return nullptr;  // NaN too
  int32_t pixels = size >= static_cast<float>(MaxFontPixelSize) ? MaxFontPixelSize : static_cast<int32_t>(size);
  std::unique_ptr<FreeTypeFace> face = OpenFace(path);
  if (!face) return nullptr;
  while (!face->SetPixelHeight(pixels)) {
    if (--pixels == 0) return nullptr;
  }
  FTFace record = face->Describe();
  if (record.num_glyphs < 0 || record.num_glyphs > kMaxFaceGlyphs) return nullptr;

  auto font = New<TFreeTypeFont>();
  font->_face = record;
  font->_style = style;
  font->_height = ClampToInt32(record.metrics.height >> 6);
  font->_ascend = ClampToInt32(record.metrics.ascend >> 6);
  font->_descend = ClampToInt32(record.metrics.descend >> 6);
  font->_glyphs = NewArray<Ref<TFreeTypeGlyph>>({static_cast<int32_t>(record.num_glyphs)});
  font->_buf = face->Bytes();
  font->_buf_size = font->_buf ? font->_buf->Length() : 0;
  font->_ft_face = std::move(face);
  return font;
}

Ref<TFont> TFreeTypeFontLoader::LoadFont(const Ref<Object>& url, float size, int32_t style) {
  std::optional<String> name = AsString(url);
  if (!name || name->IsEmpty()) return nullptr;
  return TFreeTypeFont::Load(*name, size, style);
}

}  // namespace vtl
