/// \file
/// The outline font loader: TrueType and the other formats FreeType reads,
/// opened at a pixel size, with glyphs handed out as FMT_ALPHA8 pixmaps.
#pragma once

#include <cstdint>
#include <memory>

#include "image/font.h"
#include "image/pixmap.h"
#include "runtime/array.h"
#include "runtime/string.h"

namespace vtl {

class FreeTypeFace;

/// The size metrics of a face at its pixel size, as the library reports
/// them: pixel values in 26.6 fixed point, scales in 16.16.
struct FTMetrics {
  /// Pixels per em, across and down.
  ///@{
  int32_t xppem = 0, yppem = 0;
  ///@}
  /// Font units to 26.6 pixels.
  ///@{
  int64_t xscale = 0, yscale = 0;
  ///@}
  int64_t ascend = 0;       ///< Top of the tallest glyphs above the baseline.
  int64_t descend = 0;      ///< Bottom of the lowest glyphs, negative below the baseline.
  int64_t height = 0;       ///< From one baseline to the next.
  int64_t max_advance = 0;  ///< The widest advance.
};

/// The numbers of a face record: the whole face in font units, and the
/// metrics of the size it is set to.
struct FTFace {
  int64_t num_faces = 0;        ///< Faces in the file.
  int64_t face_index = 0;       ///< This face's index in the file.
  int64_t face_flags = 0;       ///< The library's face flags (scalable, fixed sizes, ...).
  int64_t style_flags = 0;      ///< Italic and bold bits.
  int64_t num_glyphs = 0;       ///< Glyphs in the face, the empty glyph 0 included.
  int32_t num_fixed_sizes = 0;  ///< Bitmap strikes.
  int32_t num_charmaps = 0;     ///< Character maps.
  int32_t units_per_em = 0;     ///< Font units per em; 0 for bitmap-only faces.
  /// Design metrics in font units.
  ///@{
  int32_t ascender = 0, descender = 0, height = 0;
  int32_t max_advance_width = 0, max_advance_height = 0;
  int32_t underline_position = 0, underline_thickness = 0;
  ///@}
  FTMetrics metrics;  ///< The current size.
};

/// A rendered glyph slot. Pixel values are 26.6 fixed point unless said.
struct FTGlyph {
  /// The glyph's box and bearings.
  ///@{
  int64_t metrics_width = 0, metrics_height = 0;
  int64_t hori_bearing_x = 0, hori_bearing_y = 0, hori_advance = 0;
  int64_t vert_bearing_x = 0, vert_bearing_y = 0, vert_advance = 0;
  ///@}
  /// How far the pen moves on.
  ///@{
  int64_t advancex = 0, advancey = 0;
  ///@}
  int32_t rows = 0;   ///< Bitmap height in pixels.
  int32_t width = 0;  ///< Bitmap width in pixels.
  /// Bytes from one row to the next; negative when the rows run upwards in
  /// memory (the top row then lies at buffer - pitch x (rows - 1)).
  int32_t pitch = 0;
  /// The bitmap, owned by the face and valid until its next glyph is loaded.
  const uint8_t* buffer = nullptr;
  int32_t numgreys = 0;    ///< Grey levels of a grey bitmap.
  int32_t pixel_mode = 0;  ///< FTPixelModeMono or FTPixelModeGrey.
  /// Offset of the bitmap's top left pixel from the pen, in whole pixels, up positive.
  ///@{
  int32_t bitmap_left = 0, bitmap_top = 0;
  ///@}
};

/// FTGlyph::pixel_mode of one bit per pixel, the most significant bit leftmost.
constexpr int32_t FTPixelModeMono = 1;
/// FTGlyph::pixel_mode of one byte per pixel, 0 to 255.
constexpr int32_t FTPixelModeGrey = 2;

/// A glyph of an outline font: an FMT_ALPHA8 pixmap and its place.
class TFreeTypeGlyph : public TGlyph {
 public:
  /// The pixmap, or Null for a glyph without pixels.
  Ref<Object> Pixels() override;
  /// The advance in whole pixels.
  float Advance() override;
  /// The pixmap's offset from the pen (y down from the line's top) and its size. Returns 0.
  int32_t GetRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) override;

  Ref<TPixmap> _pixmap;  ///< FMT_ALPHA8 coverage, or Null.
  float _advance = 0;    ///< Whole pixels the pen moves on.
  /// Offset from the pen position and size.
  ///@{
  int32_t _x = 0, _y = 0, _w = 0, _h = 0;
  ///@}
};

/// An outline (or bitmap) font file opened at one pixel size.
class TFreeTypeFont : public TFont {
 public:
  /// Closes the face and frees its bytes.
  ~TFreeTypeFont() override;

  /// The style bits it was loaded with.
  int32_t Style() override;
  /// The line height in pixels.
  int32_t Height() override;
  /// The length of _glyphs.
  int32_t CountGlyphs() override;
  /// The face's glyph index for the character minus 1; -1 when it has none.
  int32_t CharToGlyph(int32_t charCode) override;
  /// Glyph index + 1 of the face, made on first use; a glyph the face cannot
  /// render has no pixels and advance 0. Null for an index outside the font.
  Ref<TGlyph> LoadGlyph(int32_t index) override;

  /// Opens a file by name, or, when "::" follows the first character, reads
  /// the url whole with LoadBytesUrl and opens the bytes. Sets the pixel
  /// height to size (truncated, at most MaxFontPixelSize), or when the face
  /// refuses it the next smaller one, a pixel at a time. Null when nothing
  /// can be opened, no size from size down to 1 is accepted, or size is
  /// below 1. FONT_SMOOTH pads every glyph with a transparent pixel.
  static Ref<TFreeTypeFont> Load(const String& path, float size, int32_t style);

  FTFace _face;                             ///< The face record when the font was made.
  std::unique_ptr<FreeTypeFace> _ft_face;   ///< The library's face; owns the file's bytes.
  int32_t _style = 0;                       ///< Style bits.
  int32_t _height = 0;                      ///< Size metrics in whole pixels: line height,
  int32_t _ascend = 0;                      ///< ascender above the baseline,
  int32_t _descend = 0;                     ///< and descender (negative below it).
  Ref<Array<Ref<TFreeTypeGlyph>>> _glyphs;  ///< One slot per glyph, filled on first use.
  Ref<Array<uint8_t>> _buf;                 ///< The bytes of a font opened from memory, else Null.
  int32_t _buf_size = 0;                    ///< Their length, else 0.
};

/// The outline font loader that InitImage registers.
class TFreeTypeFontLoader : public TFontLoader {
 public:
  /// TFreeTypeFont::Load for a non-empty name; Null for anything else.
  Ref<TFont> LoadFont(const Ref<Object>& url, float size, int32_t style) override;
};

/// The largest pixel size a font is opened at; larger requests start there.
constexpr int32_t MaxFontPixelSize = 2048;

}  // namespace vtl
