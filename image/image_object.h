/// \file
/// TImage: what programs draw. A fixed cell size, one or more frames, a handle
/// and image flags; each frame keeps its pixels as a pixmap and, made lazily,
/// the driver frame of the current graphics generation.
#pragma once

#include <cstdint>

#include "image/image_frame.h"
#include "image/pixmap.h"
#include "runtime/array.h"
#include "runtime/data_type.h"

namespace vtl {

/// \name Image flags
///@{
constexpr int32_t ImageFlagMask = 1;     ///< the mask colour becomes transparent
constexpr int32_t ImageFlagFilter = 2;   ///< linear filtering
constexpr int32_t ImageFlagMipmap = 4;   ///< mipmaps
constexpr int32_t ImageFlagDynamic = 8;  ///< blank images made to be drawn into
///@}

/// An image: frames of one cell size, each with its pixmap and driver frame.
/// A frame index outside the image throws TArrayBoundsException.
class TImage : public TData {
 public:
  /// ImageDataType().
  Ref<TDataType> DataType() const override;
  /// The driver frame of frame `index`, made when missing or stale; Null when
  /// no driver can make one.
  virtual Ref<TImageFrame> Frame(int32_t index);
  /// The pixmap of frame `index` (made when missing: FMT_RGBA8888, every pixel
  /// transparent black). Writing drops the driver frame so that it is made
  /// again on the next draw.
  virtual Ref<TPixmap> Lock(int32_t index, int32_t read, int32_t write);
  /// Makes pixmap the pixels of frame `index`. With ImageFlagMask, a pixmap
  /// without alpha is stored as MaskPixmapColour makes it. Returns 0.
  virtual int32_t SetPixmap(int32_t index, const Ref<TPixmap>& pixmap);

  /// A new image without pixels.
  static Ref<TImage> Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags, int32_t maskR,
                            int32_t maskG, int32_t maskB);
  /// url: a TPixmap, or anything LoadPixmapUrl accepts. Null on failure.
  static Ref<TImage> Load(const Ref<Object>& url, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB);
  /// Cuts a sheet into cells numbered row by row from the top left. Null when
  /// it cannot be loaded, a cell size is not positive or the sheet has fewer
  /// cells than asked for.
  static Ref<TImage> LoadAnim(const Ref<Object>& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB);

  int32_t width = 0;   ///< The cell width.
  int32_t height = 0;  ///< The cell height.
  int32_t flags = 0;   ///< Image flags.
  /// The mask colour.
  ///@{
  int32_t mask_r = 0, mask_g = 0, mask_b = 0;
  ///@}
  /// The handle: the point of the image drawn at the drawing position.
  ///@{
  float handle_x = 0, handle_y = 0;
  ///@}
  Ref<Array<Ref<TPixmap>>> pixmaps;     ///< Each frame's pixels, or Null before any.
  Ref<Array<Ref<TImageFrame>>> frames;  ///< Each frame's driver frame, or Null.
  Ref<Array<int32_t>> seqs;             ///< The generation each driver frame was made in; 0 for none.
  /// Set once the frames were offered to a shared page. The frames of an
  /// animated image (neither mipmapped nor dynamic) share one texture when
  /// first drawn; a frame written afterwards gets a texture of its own.
  bool paged = false;
};

/// Writes width, height, flags, mask colour, handle, frame count and the set
/// pixmaps; reads them back.
class TImageDataType : public TDataType {
 public:
  String Tag() const override;  ///< "vtl.ren2d.TImage"
  /// Reads an image as WriteObject writes it; Null for a record with a
  /// negative size or more than 65536 frames.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override;
  /// Writes the image.
  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override;
};

/// The data type of images, made on first use.
Ref<TImageDataType> ImageDataType();

}  // namespace vtl
