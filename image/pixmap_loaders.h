/// \file
/// The four file decoders of the loader chain. One of each is created when
/// the module is initialised, in the order BMP, JPEG, PNG, TGA, so the chain
/// tries TGA first and BMP last.
#pragma once

#include <cstdint>

#include "image/pixmap.h"

namespace vtl {

/// The 18-byte TGA file header as it is read.
struct tgahdr {
  uint8_t idlen;          ///< Length of the image id that follows the header.
  uint8_t colourmaptype;  ///< 1 when a colour map follows.
  uint8_t imgtype;        ///< Image type: 2 true colour, 10 run-length true colour, ...
  /// First colour map entry, low and high byte.
  ///@{
  uint8_t indexlo, indexhi;
  ///@}
  /// Colour map length, low and high byte.
  ///@{
  uint8_t lenlo, lenhi;
  ///@}
  uint8_t cosize;  ///< Bits per colour map entry.
  /// Image origin.
  ///@{
  uint16_t x0, y0;
  ///@}
  /// Image size.
  ///@{
  uint16_t width, height;
  ///@}
  uint8_t psize;    ///< Bits per pixel.
  uint8_t attbits;  ///< Descriptor: attribute bits and row order.
};

/// Uncompressed and run-length TGA of 15, 16, 24 and 32 bits per pixel.
class TPixmapLoaderTGA : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

/// PNG of every colour type; 16-bit samples are reduced to 8.
class TPixmapLoaderPNG : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

/// Greyscale and colour JPEG.
class TPixmapLoaderJPG : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

/// Uncompressed bottom-up BMP of 1, 4, 8, 24 and 32 bits per pixel.
class TPixmapLoaderBMP : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

}  // namespace vtl
