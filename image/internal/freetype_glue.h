// FreeType for the outline font loader: the library instance, faces that
// close themselves, and glyphs rendered into the plain records of
// image/font_freetype.h.
//
// FreeType reports every failure as an error code and calls nothing of ours
// (faces read files or memory through the library's own streams, memory comes
// from its own allocator), so no C++ exception can unwind through its frames.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "image/font_freetype.h"
#include "runtime/array.h"

namespace vtl {

// Largest width or height, and largest area, of a glyph bitmap the loader
// lets the library render: a damaged or hostile outline can reach far beyond
// its em square, and rendering allocates its whole box.
constexpr int64_t kMaxGlyphSide = 8192;
constexpr int64_t kMaxGlyphPixels = int64_t{4096} * 4096;

// The library's long values in the int fields of fonts and glyphs.
inline int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Faces with more glyphs than this are refused; the font keeps a slot for each.
constexpr int64_t kMaxFaceGlyphs = int64_t{1} << 21;

// An open face, closed when its owner goes. A face opened from memory keeps
// its bytes, which the library reads until the face is closed.
class FreeTypeFace {
 public:
  // Null when the library cannot be initialised or cannot open the file.
  static std::unique_ptr<FreeTypeFace> OpenFile(const std::string& name);
  // Null for no bytes, or when the library cannot open them.
  static std::unique_ptr<FreeTypeFace> OpenMemory(const Ref<Array<uint8_t>>& bytes);
  ~FreeTypeFace();
  FreeTypeFace(const FreeTypeFace&) = delete;
  FreeTypeFace& operator=(const FreeTypeFace&) = delete;

  // Sets the pixel height (width following it); false when the face refuses.
  bool SetPixelHeight(int32_t height);
  // The face record with the metrics of the current size.
  FTFace Describe() const;
  // The library's glyph index for the character in the current character
  // map; 0 when the face has none.
  uint32_t CharIndex(uint32_t code) const;
  // Loads and renders the glyph (as FT_LOAD_RENDER does, with the size
  // checked in between) into out, whose bitmap is then FTPixelModeMono or
  // FTPixelModeGrey with rows at least as long as the width needs. False
  // when the library cannot, or the bitmap would exceed the limits above.
  bool RenderGlyph(uint32_t index, FTGlyph& out);
  // The bytes of a memory face; Null for a file's.
  const Ref<Array<uint8_t>>& Bytes() const { return bytes_; }

 private:
  FreeTypeFace(FT_Face face, Ref<Array<uint8_t>> bytes);
  // The slot's bitmap as 8-bit grey in converted_, levels stretched to 0-255.
  bool ConvertToGrey(const FT_Bitmap& bitmap);

  FT_Face face_;
  Ref<Array<uint8_t>> bytes_;  // what a memory face reads
  FT_Bitmap converted_;        // scratch for bitmaps of other depths
};

}  // namespace vtl
