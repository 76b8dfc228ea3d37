#include "test_files.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include <jpeglib.h>

#include "stream/stream.h"

namespace vtl::test {

namespace {

void PutBig32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(Bytes& png, const char* type, const Bytes& body) {
  PutBig32(png, static_cast<uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png.insert(png.end(), typed.begin(), typed.end());
  PutBig32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

}  // namespace

Bytes MakePng(int32_t width, int32_t height, int32_t bitDepth, int32_t colourType, const std::vector<Bytes>& rows,
              const Bytes& palette, const Bytes& trns) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, static_cast<uint32_t>(width));
  PutBig32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {static_cast<uint8_t>(bitDepth), static_cast<uint8_t>(colourType), 0, 0, 0});
  PutChunk(png, "IHDR", header);
  if (!palette.empty()) PutChunk(png, "PLTE", palette);
  if (!trns.empty()) PutChunk(png, "tRNS", trns);
  Bytes raw;
  for (const Bytes& row : rows) {
    raw.push_back(0);
    raw.insert(raw.end(), row.begin(), row.end());
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(packedSize);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

Bytes MakeTga(int32_t imageType, int32_t width, int32_t height, int32_t bits, const Bytes& body, int32_t idLength,
              int32_t colourMapType) {
  Bytes tga = {static_cast<uint8_t>(idLength),
               static_cast<uint8_t>(colourMapType),
               static_cast<uint8_t>(imageType),
               0,
               0,
               0,
               0,
               0};
  Put16(tga, 0);
  Put16(tga, 0);
  Put16(tga, static_cast<uint32_t>(width));
  Put16(tga, static_cast<uint32_t>(height));
  tga.push_back(static_cast<uint8_t>(bits));
  tga.push_back(0);
  for (int32_t i = 0; i < idLength; ++i) tga.push_back(static_cast<uint8_t>(0xA0 + i));
  tga.insert(tga.end(), body.begin(), body.end());
  return tga;
}

Bytes MakeBmp(int32_t width, int32_t height, int32_t bits, const Bytes& palette, const Bytes& rows, int32_t coloursUsed,
              int32_t headerSize, int32_t gap, int32_t compression) {
  Bytes bmp = {'B', 'M'};
  const uint32_t offset = 14 + static_cast<uint32_t>(headerSize) + static_cast<uint32_t>(palette.size() + gap);
  Put32(bmp, offset + static_cast<uint32_t>(rows.size()));
  Put32(bmp, 0);
  Put32(bmp, offset);
  Put32(bmp, static_cast<uint32_t>(headerSize));
  Put32(bmp, static_cast<uint32_t>(width));
  Put32(bmp, static_cast<uint32_t>(height));
  Put16(bmp, 1);
  Put16(bmp, static_cast<uint32_t>(bits));
  Put32(bmp, static_cast<uint32_t>(compression));
  Put32(bmp, static_cast<uint32_t>(rows.size()));
  Put32(bmp, 2835);
  Put32(bmp, 2835);
  Put32(bmp, static_cast<uint32_t>(coloursUsed));
  Put32(bmp, 0);
  bmp.insert(bmp.end(), static_cast<size_t>(headerSize - 40), 0);
  bmp.insert(bmp.end(), palette.begin(), palette.end());
  bmp.insert(bmp.end(), static_cast<size_t>(gap), 0xEE);
  bmp.insert(bmp.end(), rows.begin(), rows.end());
  return bmp;
}

Bytes MakeCmykJpeg(int32_t width, int32_t height) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  Bytes row(static_cast<size_t>(width) * 4, 100);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes result(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return result;
}

namespace {

Bytes SaveWith(int32_t (*save)(const Ref<TPixmap>&, const Ref<Object>&, int32_t), const Ref<TPixmap>& pixmap,
               int32_t setting) {
  Bytes buffer(static_cast<size_t>(pixmap->width) * pixmap->height * 8 + 65536);
  Ref<TRamStream> ram = TRamStream::Create(buffer.data(), static_cast<int32_t>(buffer.size()), 0, 1);
  if (!save(pixmap, Ref<Object>(ram), setting)) return {};
  buffer.resize(static_cast<size_t>(ram->Pos()));
  return buffer;
}

}  // namespace

Bytes SavePng(const Ref<TPixmap>& pixmap, int32_t compression) { return SaveWith(SavePixmapPNG, pixmap, compression); }
Bytes SaveJpeg(const Ref<TPixmap>& pixmap, int32_t quality) { return SaveWith(SavePixmapJPEG, pixmap, quality); }

Ref<TPixmap> LoadFromBytes(const Bytes& bytes) {
  Bytes copy = bytes;  // the stream may not write, but it takes a mutable address
  Ref<TRamStream> ram = TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0);
  return LoadPixmapUrl(Ref<Object>(ram));
}

Ref<TPixmap> LoadWith(TPixmapLoader& loader, const Bytes& bytes) {
  Bytes copy = bytes;
  Ref<TRamStream> ram = TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0);
  return RefuseOnStreamError([&] { return loader.LoadPixmap(ram); });
}

}  // namespace vtl::test
