// TImage: what programs draw. A fixed cell size, one or more frames, a handle
// and image flags; each frame keeps its pixels as a pixmap and, made lazily,
// the driver frame of the current graphics generation.
#pragma once

#include <cstdint>

#include "image/image_frame.h"
#include "image/pixmap.h"
#include "runtime/array.h"
#include "runtime/data_type.h"

namespace vtl {

// Image flags.
constexpr int32_t ImageFlagMask = 1;     // the mask colour becomes transparent
constexpr int32_t ImageFlagFilter = 2;   // linear filtering
constexpr int32_t ImageFlagMipmap = 4;   // mipmaps
constexpr int32_t ImageFlagDynamic = 8;  // blank images made to be drawn into

class TImage : public TData {
 public:
  Ref<TDataType> DataType() const override;
  // The driver frame of frame `index`, made when missing or stale; Null when
  // no driver can make one.
  virtual Ref<TImageFrame> Frame(int32_t index);
  // The pixmap of frame `index` (made when missing). Writing drops the
  // driver frame so that it is made again on the next draw.
  virtual Ref<TPixmap> Lock(int32_t index, int32_t read, int32_t write);
  virtual int32_t SetPixmap(int32_t index, const Ref<TPixmap>& pixmap);

  static Ref<TImage> Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags, int32_t maskR,
                            int32_t maskG, int32_t maskB);
  // url: a TPixmap, or anything LoadPixmapUrl accepts. Null on failure.
  static Ref<TImage> Load(const Ref<Object>& url, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB);
  // Cuts a sheet into cells numbered row by row from the top left.
  static Ref<TImage> LoadAnim(const Ref<Object>& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB);

  int32_t width = 0;
  int32_t height = 0;
  int32_t flags = 0;
  int32_t mask_r = 0, mask_g = 0, mask_b = 0;
  float handle_x = 0, handle_y = 0;
  Ref<Array<Ref<TPixmap>>> pixmaps;
  Ref<Array<Ref<TImageFrame>>> frames;
  Ref<Array<int32_t>> seqs;
};

// Writes width, height, flags, mask colour, handle, frame count and the set
// pixmaps; reads them back.
class TImageDataType : public TDataType {
 public:
  String Tag() const override;  // "vtl.ren2d.TImage"
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

// The data type of images, made on first use.
Ref<TImageDataType> ImageDataType();

}  // namespace vtl
