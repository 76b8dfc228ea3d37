// Pixmaps in object streams: width, height and format, then each row's
// pixels without padding.
#include <cstring>
#include <limits>

#include "image/pixmap.h"
#include "stream/stream.h"

namespace vtl {

Ref<TPixmapDataType> PixmapDataType;

String TPixmapDataType::Tag() const { return "VTL.Pixmap.TPixmap"; }

void TPixmapDataType::WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TPixmap> pixmap = DowncastObject<TPixmap>(object);
  stream->WriteInt(pixmap->width);
  stream->WriteInt(pixmap->height);
  stream->WriteInt(pixmap->format);
  const int32_t rowBytes = pixmap->width * FormatBytes(pixmap->format);
  for (int32_t y = 0; y < pixmap->height; ++y) stream->WriteBytes(pixmap->PixelPtr(0, y), rowBytes);
}

Ref<Object> TPixmapDataType::ReadObject(const Ref<TStream>& stream) {
  const int32_t width = stream->ReadInt();
  const int32_t height = stream->ReadInt();
  const int32_t format = stream->ReadInt();
  // A record whose header could not describe a real pixmap is refused
  // before anything is allocated for it.
  if (width < 0 || height < 0 || !IsPixelFormat(format)) return nullptr;
  const int64_t rowBytes = static_cast<int64_t>(width) * BytesPerPixel[format];
  // Divided, not multiplied: width and height near the int limit would
  // overflow even a 64-bit product.
  constexpr int64_t kMaxBytes = std::numeric_limits<int32_t>::max() / 2;
  if (rowBytes > kMaxBytes || (rowBytes > 0 && height > kMaxBytes / rowBytes)) return nullptr;
  const int32_t size = stream->Size(), pos = stream->Pos();
  if (size > 0 && pos >= 0 && rowBytes * height > static_cast<int64_t>(size) - pos) return nullptr;
  // A stream that cannot tell what is left (a pipe) proves the record by
  // sending it: the pixels are gathered as they arrive, so a header that
  // lies costs no more memory than the bytes really sent.
  Ref<TBank> arrived;
  if (pos < 0 && rowBytes > 0) {
    arrived = TBank::Create(0);
    CopyStreamBytes(stream, TBankStream::Create(arrived), static_cast<int32_t>(rowBytes * height), 64 * 1024);
    if (arrived->Size() < rowBytes * height) return nullptr;
  }
  Ref<TPixmap> pixmap = TPixmap::Create(width, height, format, 4);
  pixmap->ClearPixels(0);  // a record that ends early leaves zeros, not old memory
  // Rows of no pixels hold no bytes: a zero-width pixmap claiming two
  // billion rows must not take two billion empty reads.
  if (rowBytes == 0) return pixmap;
  for (int32_t y = 0; y < height; ++y) {
    if (arrived)
      std::memcpy(pixmap->PixelPtr(0, y), arrived->Buf() + y * rowBytes, static_cast<size_t>(rowBytes));
    else
      stream->ReadBytes(pixmap->PixelPtr(0, y), static_cast<int32_t>(rowBytes));
  }
  return pixmap;
}

}  // namespace vtl
