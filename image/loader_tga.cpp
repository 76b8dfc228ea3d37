// TGA: uncompressed (type 2) and run-length (type 10) true-colour files of
// 15, 16, 24 or 32 bits per pixel, rows stored bottom first.
#include <vector>

#include "image/internal/loader_limits.h"
#include "image/pixmap_loaders.h"
#include "runtime/numeric.h"
#include "stream/stream.h"

namespace vtl {

namespace {

constexpr uint8_t kRawTrueColour = 2;
constexpr uint8_t kRunLengthTrueColour = 10;

// Pixels of a row are gathered as packed ARGB, which lies in memory as
// blue, green, red, alpha on this little-endian machine (runtime/numeric.h).
class TgaPixelReader {
 public:
  TgaPixelReader(TStream& stream, int32_t bits, int32_t width)
      : stream_(stream), bits_(bits), bytes_(static_cast<size_t>(width) * 4) {}

  uint32_t One() {
    if (bits_ == 15 || bits_ == 16) return FromShort(stream_.ReadShort());
    uint8_t b[4] = {0, 0, 0, 255};
    stream_.ReadBytes(b, bits_ / 8);
    return Pack(b);
  }

  // n values into out; 24- and 32-bit values arrive as one block.
  void Many(uint32_t* out, int32_t n) {
    if (bits_ == 15 || bits_ == 16) {
      for (int32_t i = 0; i < n; ++i) out[i] = FromShort(stream_.ReadShort());
      return;
    }
    const int32_t size = bits_ / 8;
    stream_.ReadBytes(bytes_.data(), n * size);
    const uint8_t* b = bytes_.data();
    for (int32_t i = 0; i < n; ++i, b += size) {
      const uint8_t pixel[4] = {b[0], b[1], b[2], size == 4 ? b[3] : uint8_t{255}};
      out[i] = Pack(pixel);
    }
  }

 private:
  static uint32_t Pack(const uint8_t* bgra) {
    return uint32_t{bgra[3]} << 24 | uint32_t{bgra[2]} << 16 | uint32_t{bgra[1]} << 8 | bgra[0];
  }
  uint32_t FromShort(uint32_t v) const {
    const uint32_t r = (v >> 7) & 0xF8, g = (v >> 2) & 0xF8, b = (v << 3) & 0xF8;
    const uint32_t a = (bits_ == 16 && (v & 0x8000)) ? 0 : 255;
    return a << 24 | r << 16 | g << 8 | b;
  }

  TStream& stream_;
  int32_t bits_;
  // Raw bytes of a block; kept between rows, so data that ends early
  // leaves what the block held before.
  std::vector<uint8_t> bytes_;
};

// Decodes one run-length row; false when a packet runs past the row's end.
bool ReadRunLengthRow(TStream& stream, TgaPixelReader& reader, uint32_t* row, int32_t width) {
  for (int32_t x = 0; x < width;) {
    const uint8_t header = stream.ReadByte();
    const int32_t count = (header & 0x7F) + 1;
    if (count > width - x) return false;
    if (header & 0x80) {
      const uint32_t value = reader.One();
      for (int32_t i = 0; i < count; ++i) row[x + i] = value;
    } else {
      reader.Many(row + x, count);
    }
    x += count;
  }
  return true;
}

}  // namespace

Ref<TPixmap> TPixmapLoaderTGA::LoadPixmap(const Ref<TStream>& url) {
  Ref<TStream> stream = LittleEndianView(url);
  if (!stream) return nullptr;
  tgahdr hdr{};
  uint8_t head[8] = {};
  stream->ReadBytes(head, 8);
  hdr.idlen = head[0], hdr.colourmaptype = head[1], hdr.imgtype = head[2];
  hdr.indexlo = head[3], hdr.indexhi = head[4], hdr.lenlo = head[5], hdr.lenhi = head[6], hdr.cosize = head[7];
  hdr.x0 = stream->ReadShort();
  hdr.y0 = stream->ReadShort();
  hdr.width = stream->ReadShort();
  hdr.height = stream->ReadShort();
  hdr.psize = stream->ReadByte();
  hdr.attbits = stream->ReadByte();

  // Type 1 (colour-mapped) can only come without its colour map here, so
  // there is nothing to decode it with: it is refused like the others.
  // TGA has no signature: a header that fits none of the pictures read here
  // is most likely another kind of file.
  const int32_t bits = hdr.psize;
  const int32_t width = hdr.width, height = hdr.height;
  if (hdr.colourmaptype != 0 || (hdr.imgtype != kRawTrueColour && hdr.imgtype != kRunLengthTrueColour) ||
      (bits != 15 && bits != 16 && bits != 24 && bits != 32) || width < 1 || width > 4096 || height < 1 ||
      height > 4096) {
    return RefuseLoad("not a TGA file");
  }
  const bool alpha = bits == 16 || bits == 32;
  // A run of 128 pixels costs 3 bytes at 16 bits: at most ~171 output bytes per input byte.
  if (!LoadedSizeAllowed(*stream, width, height, alpha ? 4 : 3, 171)) {
    return RefuseLoad("TGA: the picture is larger than the file could hold");
  }

  Ref<TPixmap> pixmap = TPixmap::Create(width, height, alpha ? FMT_RGBA8888 : FMT_RGB888, 4);
  for (int32_t i = 0; i < hdr.idlen; ++i) stream->ReadByte();

  TgaPixelReader reader(*stream, bits, width);
  std::vector<uint32_t> row(static_cast<size_t>(width));
  for (int32_t y = height - 1; y >= 0; --y) {
    if (hdr.imgtype == kRunLengthTrueColour) {
      if (!ReadRunLengthRow(*stream, reader, row.data(), width)) {
        return RefuseLoad("TGA: a run-length packet reaches past the end of its row");
      }
    } else {
      reader.Many(row.data(), width);
    }
    ConvertPixelRow(reinterpret_cast<const uint8_t*>(row.data()), FMT_BGRA8888, pixmap->PixelPtr(0, y), pixmap->format,
                    width);
  }
  return pixmap;
}

}  // namespace vtl
