// The four file decoders of the loader chain. One of each is created when
// the module is initialised, in the order BMP, JPEG, PNG, TGA, so the chain
// tries TGA first and BMP last.
#pragma once

#include <cstdint>

#include "image/pixmap.h"

namespace vtl {

// The 18-byte TGA file header as it is read.
struct tgahdr {
  uint8_t idlen;
  uint8_t colourmaptype;
  uint8_t imgtype;
  uint8_t indexlo, indexhi;
  uint8_t lenlo, lenhi;
  uint8_t cosize;
  uint16_t x0, y0;
  uint16_t width, height;
  uint8_t psize;
  uint8_t attbits;
};

// Uncompressed and run-length TGA of 15, 16, 24 and 32 bits per pixel.
class TPixmapLoaderTGA : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

// PNG of every colour type; 16-bit samples are reduced to 8.
class TPixmapLoaderPNG : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

// Greyscale and colour JPEG.
class TPixmapLoaderJPG : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

// Uncompressed bottom-up BMP of 1, 4, 8, 24 and 32 bits per pixel.
class TPixmapLoaderBMP : public TPixmapLoader {
 public:
  Ref<TPixmap> LoadPixmap(const Ref<TStream>& stream) override;
};

}  // namespace vtl
