#include "image/internal/freetype_glue.h"

#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdlib>

namespace vtl {

static_assert(FTPixelModeMono == FT_PIXEL_MODE_MONO && FTPixelModeGrey == FT_PIXEL_MODE_GRAY);

namespace {

// One instance for the whole run, made on first use; a failed attempt is
// tried again on the next font.
FT_Library Library() {
  static FT_Library library = nullptr;
  if (!library && FT_Init_FreeType(&library) != 0) library = nullptr;
  return library;
}

// Bytes one row of the bitmap needs.
int64_t RowBytes(const FT_Bitmap& bitmap) {
  return bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (int64_t{bitmap.width} + 7) / 8 : int64_t{bitmap.width};
}

bool WithinLimits(int64_t width, int64_t rows) {
  return width >= 0 && rows >= 0 && width <= kMaxGlyphSide && rows <= kMaxGlyphSide && width * rows <= kMaxGlyphPixels;
}

}  // namespace

FreeTypeFace::FreeTypeFace(FT_Face face, Ref<Array<uint8_t>> bytes) : face_(face), bytes_(std::move(bytes)) {
  FT_Bitmap_Init(&converted_);
}

FreeTypeFace::~FreeTypeFace() {
  FT_Bitmap_Done(Library(), &converted_);
  FT_Done_Face(face_);  // before bytes_ goes
}

std::unique_ptr<FreeTypeFace> FreeTypeFace::OpenFile(const std::string& name) {
  FT_Library library = Library();
  FT_Face face = nullptr;
  if (!library || FT_New_Face(library, name.c_str(), 0, &face) != 0) return nullptr;
  return std::unique_ptr<FreeTypeFace>(new FreeTypeFace(face, nullptr));
}

std::unique_ptr<FreeTypeFace> FreeTypeFace::OpenMemory(const Ref<Array<uint8_t>>& bytes) {
  FT_Library library = Library();
  FT_Face face = nullptr;
  if (!library || !bytes || bytes->Length() == 0 ||
      FT_New_Memory_Face(library, bytes->Data(), bytes->Length(), 0, &face) != 0)
    return nullptr;
  return std::unique_ptr<FreeTypeFace>(new FreeTypeFace(face, bytes));
}

bool FreeTypeFace::SetPixelHeight(int32_t height) {
  return height > 0 && FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(height)) == 0;
}

FTFace FreeTypeFace::Describe() const {
  FTFace d;
  d.num_faces = face_->num_faces;
  d.face_index = face_->face_index;
  d.face_flags = face_->face_flags;
  d.style_flags = face_->style_flags;
  d.num_glyphs = face_->num_glyphs;
  d.num_fixed_sizes = face_->num_fixed_sizes;
  d.num_charmaps = face_->num_charmaps;
  d.units_per_em = face_->units_per_EM;
  d.ascender = face_->ascender;
  d.descender = face_->descender;
  d.height = face_->height;
  d.max_advance_width = face_->max_advance_width;
  d.max_advance_height = face_->max_advance_height;
  d.underline_position = face_->underline_position;
  d.underline_thickness = face_->underline_thickness;
  if (const FT_Size size = face_->size) {
    const FT_Size_Metrics& m = size->metrics;
    d.metrics.xppem = m.x_ppem;
    d.metrics.yppem = m.y_ppem;
    d.metrics.xscale = m.x_scale;
    d.metrics.yscale = m.y_scale;
    d.metrics.ascend = m.ascender;
    d.metrics.descend = m.descender;
    d.metrics.height = m.height;
    d.metrics.max_advance = m.max_advance;
  }
  return d;
}

uint32_t FreeTypeFace::CharIndex(uint32_t code) const { return FT_Get_Char_Index(face_, code); }

bool FreeTypeFace::ConvertToGrey(const FT_Bitmap& bitmap) {
  if (FT_Bitmap_Convert(Library(), &bitmap, &converted_, 1) != 0) return false;
  const int32_t levels = converted_.num_grays;
  if (levels >= 2 && levels < 256) {
    const int64_t stride = std::abs(int64_t{converted_.pitch});
    for (int64_t i = 0; i < stride * converted_.rows; ++i) {
      uint8_t& v = converted_.buffer[i];
      v = static_cast<uint8_t>(std::min<int32_t>(v, levels - 1) * 255 / (levels - 1));
    }
  }
  converted_.pixel_mode = FT_PIXEL_MODE_GRAY;
  converted_.num_grays = 256;
  return true;
}

bool FreeTypeFace::RenderGlyph(uint32_t index, FTGlyph& out) {
  if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) != 0) return false;
  FT_GlyphSlot slot = face_->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    // Whole pixels, a little generous; dividing first keeps huge values from overflowing.
    const int64_t width = box.xMax / 64 - box.xMin / 64 + 2;
    const int64_t rows = box.yMax / 64 - box.yMin / 64 + 2;
    if (!WithinLimits(width, rows)) return false;
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;

  const FT_Bitmap* bitmap = &slot->bitmap;
  if (!WithinLimits(bitmap->width, bitmap->rows)) return false;
  if (bitmap->width > 0 && bitmap->rows > 0) {
    if (!bitmap->buffer) return false;
    if (bitmap->pixel_mode != FT_PIXEL_MODE_MONO && bitmap->pixel_mode != FT_PIXEL_MODE_GRAY) {
      if (!ConvertToGrey(*bitmap)) return false;
      bitmap = &converted_;
    }
    if (std::abs(int64_t{bitmap->pitch}) < RowBytes(*bitmap)) return false;
  }

  const FT_Glyph_Metrics& m = slot->metrics;
  out.metrics_width = m.width;
  out.metrics_height = m.height;
  out.hori_bearing_x = m.horiBearingX;
  out.hori_bearing_y = m.horiBearingY;
  out.hori_advance = m.horiAdvance;
  out.vert_bearing_x = m.vertBearingX;
  out.vert_bearing_y = m.vertBearingY;
  out.vert_advance = m.vertAdvance;
  out.advancex = slot->advance.x;
  out.advancey = slot->advance.y;
  out.rows = ClampToInt32(bitmap->rows);
  out.width = ClampToInt32(bitmap->width);
  out.pitch = bitmap->pitch;
  out.buffer = bitmap->buffer;
  out.numgreys = bitmap->num_grays;
  out.pixel_mode = bitmap->pixel_mode;
  out.bitmap_left = slot->bitmap_left;
  out.bitmap_top = slot->bitmap_top;
  return true;
}

}  // namespace vtl
