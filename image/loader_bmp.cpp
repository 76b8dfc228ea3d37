// BMP: uncompressed bottom-up files of 1, 4, 8, 24 or 32 bits per pixel.
// The information header is read as the 40-byte layout; longer headers (the
// 108- and 124-byte kinds many tools write) are skipped by their size, and the
// rows are read from the pixel-data offset when it lies past the palette.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "image/internal/loader_limits.h"
#include "image/pixmap_loaders.h"
#include "runtime/numeric.h"
#include "runtime/string_ops.h"
#include "stream/stream.h"

namespace vtl {

namespace {

inline int32_t PaddedRow(int32_t bytes) { return (bytes + 3) & ~3; }

// Palette entries are blue, green, red and an unused byte.
void StorePaletteEntry(const uint8_t* entry, uint8_t* bgr) {
  bgr[0] = entry[0];
  bgr[1] = entry[1];
  bgr[2] = entry[2];
}

}  // namespace

Ref<TPixmap> TPixmapLoaderBMP::LoadPixmap(const Ref<TStream>& url) {
  Ref<TStream> stream = LittleEndianView(url);
  if (!stream) return nullptr;
  const uint8_t b = stream->ReadByte();
  const uint8_t m = stream->ReadByte();
  if (b != 'B' || m != 'M') return RefuseLoad("not a BMP file");
  stream->ReadInt();  // file size
  stream->ReadInt();  // reserved
  const int64_t pixelOffset = static_cast<uint32_t>(stream->ReadInt());
  const int64_t headerSize = static_cast<uint32_t>(stream->ReadInt());
  const int32_t width = stream->ReadInt();
  const int32_t height = stream->ReadInt();
  stream->ReadShort();  // planes
  const int32_t bits = stream->ReadShort();
  const int32_t compression = stream->ReadInt();
  for (int i = 0; i < 3; ++i) stream->ReadInt();  // image size, resolutions
  int32_t coloursUsed = stream->ReadInt();
  stream->ReadInt();  // colours important

  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    return RefuseLoad("BMP: " + StringFromInt(bits) + " bits per pixel not supported");
  }
  // Run-length data would decode as noise; bit fields (3) with the usual
  // masks store plain pixels.
  if (compression != 0 && compression != 3) return RefuseLoad("BMP: compressed pixels not supported");
  constexpr int64_t kInfoHeader = 40;
  constexpr int64_t kLongestHeader = 1024;
  if (headerSize > kInfoHeader && headerSize <= kLongestHeader)
    stream->SkipBytes(static_cast<int32_t>(headerSize - kInfoHeader));
  int64_t position = 14 + std::max(kInfoHeader, headerSize <= kLongestHeader ? headerSize : kInfoHeader);
  // Negative heights (top-down rows) and absurd sizes are not supported.
  if (!LoadedSizeAllowed(*stream, width, height, bits == 32 ? 4 : 3, bits == 1 ? 24 : 8)) {
    return RefuseLoad("BMP: top-down rows, or a size the file could not hold, not supported");
  }

  // Palette: 256 entries, those the file does not give stay black.
  uint8_t palette[256 * 4] = {};
  if (bits == 1) {
    // Back into file order: the ints are little-endian both ways (runtime/numeric.h).
    const int32_t first = stream->ReadInt(), second = stream->ReadInt();
    std::memcpy(palette, &first, 4);
    std::memcpy(palette + 4, &second, 4);
    position += 8;
  } else if (bits == 4 || bits == 8) {
    const int32_t limit = 1 << bits;
    if (coloursUsed == 0) coloursUsed = limit;
    if (coloursUsed < 0 || coloursUsed > limit) {
      return RefuseLoad("BMP: more palette entries than the pixels can reach");
    }
    stream->ReadBytes(palette, coloursUsed * 4);
    position += coloursUsed * 4;
  }
  // Rows start at the stated offset when the file puts a gap (bit masks,
  // colour profile) before them; an offset inside the headers is ignored.
  if (pixelOffset > position && pixelOffset - position <= std::numeric_limits<int32_t>::max()) {
    stream->SkipBytes(static_cast<int32_t>(pixelOffset - position));
  }

  Ref<TPixmap> pixmap = TPixmap::Create(width, height, bits == 32 ? FMT_BGRA8888 : FMT_BGR888, 4);
  int32_t rowBytes = 0;
  switch (bits) {
    case 1: rowBytes = PaddedRow((width + 7) / 8); break;
    case 4: rowBytes = PaddedRow((width + 1) / 2); break;
    case 8: rowBytes = PaddedRow(width); break;
    case 24: rowBytes = PaddedRow(3 * width); break;
    default: rowBytes = 4 * width; break;
  }
  // Kept between rows: data that ends early leaves the previous row's bytes.
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  for (int32_t y = height - 1; y >= 0; --y) {
    stream->ReadBytes(row.data(), rowBytes);
    uint8_t* out = pixmap->PixelPtr(0, y);
    switch (bits) {
      case 1:
        for (int32_t i = 0; i < width; ++i, out += 3) {
          const int bit = (row[static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1;
          StorePaletteEntry(palette + bit * 4, out);
        }
        break;
      case 4:
        for (int32_t i = 0; i < width; ++i, out += 3) {
          const uint8_t pair = row[static_cast<size_t>(i / 2)];
          StorePaletteEntry(palette + ((i % 2 == 0) ? pair >> 4 : pair & 0x0F) * 4, out);
        }
        break;
      case 8:
        for (int32_t i = 0; i < width; ++i, out += 3) StorePaletteEntry(palette + row[static_cast<size_t>(i)] * 4, out);
        break;
      case 24: CopyPixelRow(row.data(), out, FMT_BGR888, width); break;
      default: CopyPixelRow(row.data(), out, FMT_BGRA8888, width); break;
    }
  }
  return pixmap;
}

}  // namespace vtl
