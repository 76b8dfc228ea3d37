/// \file
/// TPixmap: a rectangle of pixels in main memory in one of the twelve pixel
/// formats, with the operations on whole pixmaps and single pixels, and the
/// chain of loaders that decode files into pixmaps.
#pragma once

#include <cstdint>

#include "image/pixel_format.h"
#include "runtime/data_type.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStream;

/// A rectangle of pixels in main memory.
class TPixmap : public TData {
 public:
  /// Frees the pixels when the pixmap owns them.
  ~TPixmap() override;

  /// PixmapDataType.
  Ref<TDataType> DataType() const override;
  /// Address of pixel (x, y). Not bounds checked.
  virtual uint8_t* PixelPtr(int32_t x, int32_t y);
  /// A w x h pixmap sharing this one's memory from (x, y); it keeps this
  /// pixmap alive. The rectangle must lie inside this pixmap.
  virtual Ref<TPixmap> Window(int32_t x, int32_t y, int32_t w, int32_t h);
  /// A new pixmap with the same size, format and pixels (row alignment 4).
  virtual Ref<TPixmap> Copy();
  /// Converts source's pixels into this pixmap at (x, y). No clipping.
  virtual void Paste(const Ref<TPixmap>& source, int32_t x, int32_t y);
  /// A new pixmap of the same size in another format (row alignment 4).
  virtual Ref<TPixmap> Convert(int32_t format);
  /// Packed colour: alpha in bits 24-31, then red, green, blue. Formats 1 to
  /// 6 only: the others read 0 and write nothing. Grey is written as the
  /// average of red, green and blue. Not bounds checked.
  ///@{
  virtual uint32_t ReadPixel(int32_t x, int32_t y);
  virtual void WritePixel(int32_t x, int32_t y, uint32_t argb);
  ///@}
  /// Every pixel written as WritePixel writes the packed colour; 0 clears
  /// the pixels of any format.
  virtual void ClearPixels(uint32_t argb);

  /// A pixmap owning width x height pixels, rows padded to a multiple of align
  /// bytes; the pixels are not cleared. Throws for negative sizes, an align
  /// below 1 or more than 2 GB of pixels. A format outside 1 to 12 has no bytes.
  static Ref<TPixmap> Create(int32_t width, int32_t height, int32_t format, int32_t align = 4);
  /// A pixmap over memory the caller owns and keeps alive.
  static Ref<TPixmap> CreateStatic(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format);

  uint8_t* pixels = nullptr;  ///< The first row.
  int32_t width = 0;          ///< Width in pixels.
  int32_t height = 0;         ///< Height in pixels.
  int32_t pitch = 0;          ///< Bytes from one row to the next.
  int32_t format = 0;         ///< The pixel format, FMT_GREY8 to FMT_LUMINANCE8.
  /// Bytes owned, or -1 when the memory belongs to someone else.
  int32_t capacity = -1;
  /// Kept alive by this pixmap: a window's parent.
  Ref<Object> _source;
};

/// Writes and reads pixmaps in object streams: width, height and format as
/// ints, then the pixels row by row without padding.
class TPixmapDataType : public TDataType {
 public:
  /// "VTL.Pixmap.TPixmap".
  String Tag() const override;
  /// Null for a record whose size or format could not describe a pixmap,
  /// or that is longer than what is left of the stream. A record that ends
  /// early leaves zero pixels.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  /// Writes the pixmap.
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

/// The data type of pixmaps, made when the module is initialised.
extern Ref<TPixmapDataType> PixmapDataType;

/// Base of the file decoders. Creating one with New puts it at the head of
/// the chain (RegisterPixmapLoader), so the loader made last is tried first.
class TPixmapLoader : public Object {
 public:
  /// Called by New once the loader is whole: it joins the chain at its head.
  /// A constructor that throws registers nothing.
  static void AfterNew(const Ref<TPixmapLoader>& made);
  /// A pixmap, or the Null object when the data is not of this format.
  /// The base throws TNullMethodException.
  virtual Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream);
  /// The head of the chain; follow _succ for the others.
  static Ref<TPixmapLoader> First();

  Ref<TPixmapLoader> _succ;  ///< The loader made before this one, or Null.
};

/// Puts the loader at the head of the chain, so it is tried first; loaders
/// live until the process ends. 1 when it was linked in; 0, changing
/// nothing, for a loader already in the chain or the Null object. New calls
/// it for every loader it makes. Main thread only.
int32_t RegisterPixmapLoader(const Ref<TPixmapLoader>& loader);

/// TPixmap::Create.
Ref<TPixmap> NewPixmap(int32_t width, int32_t height, int32_t format, int32_t align = 4);
/// TPixmap::CreateStatic.
Ref<TPixmap> WrapPixels(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format);
/// TPixmap::Copy.
Ref<TPixmap> DuplicatePixmap(const Ref<TPixmap>& pixmap);
/// TPixmap::Convert.
Ref<TPixmap> ConvertPixmapTo(const Ref<TPixmap>& pixmap, int32_t format);
/// A new FMT_RGBA8888 pixmap in which pixels of colour (r, g, b) are
/// transparent and take the average colour of their other neighbours.
Ref<TPixmap> MaskPixmapColour(const Ref<TPixmap>& pixmap, int32_t red, int32_t green, int32_t blue);
/// A new pixmap of the same format, mirrored left to right.
Ref<TPixmap> FlipPixmapHorizontal(const Ref<TPixmap>& pixmap);
/// A new pixmap of the same format, mirrored top to bottom.
Ref<TPixmap> FlipPixmapVertical(const Ref<TPixmap>& pixmap);
/// Bilinear resampling into a new pixmap of the source's format.
Ref<TPixmap> ScalePixmap(const Ref<TPixmap>& pixmap, int32_t newWidth, int32_t newHeight);
/// Opens url (a name or an open stream) and offers it to every loader in
/// turn, each from the same start; a stream that cannot seek back is read
/// into memory first. The Null object when nothing can read it, and
/// LastErrorText() then says why, loader by loader (stream/loader_chain.h);
/// the stream is closed.
Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url);
/// The same for a name, so that `LoadPixmapUrl("title.png")` compiles.
Ref<TPixmap> LoadPixmapUrl(const String& url);

/// The pixmap's fields and methods as free functions (a Null pixmap raises
/// TNullObjectException).
///@{
int32_t PixmapWidth(const Ref<TPixmap>& pixmap);
int32_t PixmapHeight(const Ref<TPixmap>& pixmap);
int32_t PixmapPitch(const Ref<TPixmap>& pixmap);
int32_t PixmapFormat(const Ref<TPixmap>& pixmap);
uint8_t* PixmapPixelPtr(const Ref<TPixmap>& pixmap, int32_t x = 0, int32_t y = 0);
Ref<TPixmap> PixmapWindow(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, int32_t width, int32_t height);
uint32_t ReadPixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
void WritePixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, uint32_t argb);
void ClearPixels(const Ref<TPixmap>& pixmap, uint32_t argb = 0);
///@}

}  // namespace vtl
