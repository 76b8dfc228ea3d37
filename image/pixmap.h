// TPixmap: a rectangle of pixels in main memory in one of the twelve pixel
// formats, with the operations on whole pixmaps and single pixels, and the
// chain of loaders that decode files into pixmaps.
#pragma once

#include <cstdint>

#include "image/pixel_format.h"
#include "runtime/data_type.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TStream;

class TPixmap : public TData {
 public:
  ~TPixmap() override;

  Ref<TDataType> DataType() const override;
  // Address of pixel (x, y). Not bounds checked.
  virtual uint8_t* PixelPtr(int32_t x, int32_t y);
  // A w x h pixmap sharing this one's memory from (x, y); it keeps this
  // pixmap alive. The rectangle must lie inside this pixmap.
  virtual Ref<TPixmap> Window(int32_t x, int32_t y, int32_t w, int32_t h);
  // A new pixmap with the same size, format and pixels (row alignment 4).
  virtual Ref<TPixmap> Copy();
  // Converts source's pixels into this pixmap at (x, y). No clipping.
  virtual void Paste(const Ref<TPixmap>& source, int32_t x, int32_t y);
  // A new pixmap of the same size in another format (row alignment 4).
  virtual Ref<TPixmap> Convert(int32_t format);
  // Packed colour: alpha in bits 24-31, then red, green, blue.
  virtual uint32_t ReadPixel(int32_t x, int32_t y);
  virtual void WritePixel(int32_t x, int32_t y, uint32_t argb);
  virtual void ClearPixels(uint32_t argb);

  // A pixmap owning width x height pixels, rows padded to a multiple of align
  // bytes; the pixels are not cleared. Throws for negative sizes, an align
  // below 1 or more than 2 GB of pixels. A format outside 1 to 12 has no bytes.
  static Ref<TPixmap> Create(int32_t width, int32_t height, int32_t format, int32_t align = 4);
  // A pixmap over memory the caller owns and keeps alive.
  static Ref<TPixmap> CreateStatic(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format);

  uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  int32_t format = 0;
  // Bytes owned, or -1 when the memory belongs to someone else.
  int32_t capacity = -1;
  // Kept alive by this pixmap: a window's parent.
  Ref<Object> _source;
};

// Writes and reads pixmaps in object streams: width, height and format as
// ints, then the pixels row by row without padding.
class TPixmapDataType : public TDataType {
 public:
  String Tag() const override;
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

// The data type of pixmaps, made when the module is initialised.
extern Ref<TPixmapDataType> PixmapDataType;

// Base of the file decoders. Creating one puts it at the head of the chain,
// so the loader made last is tried first.
class TPixmapLoader : public Object {
 public:
  TPixmapLoader();
  // A pixmap, or the Null object when the data is not of this format.
  virtual Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream);
  // The head of the chain; follow _succ for the others.
  static Ref<TPixmapLoader> First();

  Ref<TPixmapLoader> _succ;
};

Ref<TPixmap> NewPixmap(int32_t width, int32_t height, int32_t format, int32_t align = 4);
Ref<TPixmap> WrapPixels(uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t format);
Ref<TPixmap> DuplicatePixmap(const Ref<TPixmap>& pixmap);
Ref<TPixmap> ConvertPixmapTo(const Ref<TPixmap>& pixmap, int32_t format);
// A new FMT_RGBA8888 pixmap in which pixels of colour (r, g, b) are
// transparent and take the average colour of their other neighbours.
Ref<TPixmap> MaskPixmapColour(const Ref<TPixmap>& pixmap, int32_t red, int32_t green, int32_t blue);
Ref<TPixmap> FlipPixmapHorizontal(const Ref<TPixmap>& pixmap);
Ref<TPixmap> FlipPixmapVertical(const Ref<TPixmap>& pixmap);
// Bilinear resampling into a new pixmap of the source's format.
Ref<TPixmap> ScalePixmap(const Ref<TPixmap>& pixmap, int32_t newWidth, int32_t newHeight);
// Opens url (a name or an open stream) and offers it to every loader in
// turn. The Null object when nothing can read it; the stream is closed.
Ref<TPixmap> LoadPixmapUrl(const Ref<Object>& url);

int32_t PixmapWidth(const Ref<TPixmap>& pixmap);
int32_t PixmapHeight(const Ref<TPixmap>& pixmap);
int32_t PixmapPitch(const Ref<TPixmap>& pixmap);
int32_t PixmapFormat(const Ref<TPixmap>& pixmap);
uint8_t* PixmapPixelPtr(const Ref<TPixmap>& pixmap, int32_t x = 0, int32_t y = 0);
Ref<TPixmap> PixmapWindow(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, int32_t width, int32_t height);
uint32_t ReadPixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y);
void WritePixel(const Ref<TPixmap>& pixmap, int32_t x, int32_t y, uint32_t argb);
void ClearPixels(const Ref<TPixmap>& pixmap, uint32_t argb = 0);

}  // namespace vtl
