#include "image/image_object.h"

#include "image/internal/image_page.h"
#include "runtime/exceptions.h"
#include "stream/basic_stream.h"

namespace vtl {

namespace {

// Object streams can carry any count; this bounds what a damaged stream can ask for.
constexpr int32_t kMaxStreamFrames = 1 << 16;

Ref<TPixmap> PixmapOf(const Ref<Object>& url) {
  if (Ref<TPixmap> pixmap = DowncastObject<TPixmap>(url)) return pixmap;
  return LoadPixmapUrl(url);
}

// Puts every frame of an animated image on one page; false, with no frame
// changed, when they do not fit or the image is not one to page.
bool PageAllFrames(const Ref<TImage>& image) {
  const int32_t count = image->frames->Length();
  if (count < 2 || !PageableImageFlags(image->flags) || !CreateImageFrameHook) return false;
  auto page = New<TImagePage>(image->flags);
  for (int32_t i = 0; i < count; ++i) {
    if (page->AddFrameOf(image, i)) continue;
    for (int32_t j = 0; j < i; ++j) {
      (*image->frames)[j] = nullptr;
      (*image->seqs)[j] = 0;
    }
    return false;
  }
  return true;
}

}  // namespace

Ref<TImageDataType> ImageDataType() {
  static Ref<TImageDataType>* type = new Ref<TImageDataType>(New<TImageDataType>());  // registered once, kept
  return *type;
}

Ref<TDataType> TImage::DataType() const { return ImageDataType(); }

Ref<TImageFrame> TImage::Frame(int32_t index) {
  const int32_t generation = CurrentImageGeneration();
  const int32_t seq = (*seqs)[index];
  if ((seq == generation && generation != 0) || seq == kPagePartSeq) return (*frames)[index];
  if (!paged) {
    paged = true;
    if (PageAllFrames(Ref<TImage>(this))) return (*frames)[index];
  }
  Ref<TImageFrame> frame;
  if (CreateImageFrameHook) frame = CreateImageFrameHook(Lock(index, 1, 0), flags);
  (*frames)[index] = frame;
  (*seqs)[index] = frame ? generation : 0;
  return frame;
}

Ref<TPixmap> TImage::Lock(int32_t index, int32_t, int32_t write) {
  Ref<TPixmap>& pixmap = (*pixmaps)[index];
  if (write) {
    (*frames)[index] = nullptr;
    (*seqs)[index] = 0;
  }
  if (!pixmap) {
    // Transparent black: a frame nobody drew on shows nothing and collides
    // with nothing, whatever the memory held before.
    pixmap = NewPixmap(width, height, FMT_RGBA8888, 4);
    pixmap->ClearPixels(0);
  }
  return pixmap;
}

int32_t TImage::SetPixmap(int32_t index, const Ref<TPixmap>& pixmap) {
  Ref<TPixmap> stored = pixmap;
  if ((flags & ImageFlagMask) && pixmap) {
    const int32_t format = pixmap->format;
    const bool has_alpha = format >= 0 && format <= 12 && AlphaBitsPerPixel[format] != 0;
    if (!has_alpha) stored = MaskPixmapColour(pixmap, mask_r, mask_g, mask_b);
  }
  (*pixmaps)[index] = stored;
  (*frames)[index] = nullptr;
  (*seqs)[index] = 0;
  return 0;
}

Ref<TImage> TImage::Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags, int32_t maskR,
                           int32_t maskG, int32_t maskB) {
  auto image = New<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = maskR;
  image->mask_g = maskG;
  image->mask_b = maskB;
  image->pixmaps = NewArray<Ref<TPixmap>>({frameCount});
  image->frames = NewArray<Ref<TImageFrame>>({frameCount});
  image->seqs = NewArray<int32_t>({frameCount});
  return image;
}

Ref<TImage> TImage::Load(const Ref<Object>& url, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB) {
  Ref<TPixmap> pixmap = PixmapOf(url);
  if (!pixmap) return nullptr;
  Ref<TImage> image = Create(pixmap->width, pixmap->height, 1, flags, maskR, maskG, maskB);
  image->SetPixmap(0, pixmap);
  return image;
}

Ref<TImage> TImage::LoadAnim(const Ref<Object>& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                             int32_t cellCount, int32_t flags, int32_t maskR, int32_t maskG, int32_t maskB) {
  // Cell sizes of 0 or less cut nothing (and would divide by zero below).
  if (cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount < 0) return nullptr;
  Ref<TPixmap> sheet = PixmapOf(url);
  if (!sheet) return nullptr;
  const int32_t across = sheet->width / cellWidth;
  const int32_t down = sheet->height / cellHeight;
  if (int64_t{firstCell} + cellCount > int64_t{across} * down) return nullptr;
  Ref<TImage> image = Create(cellWidth, cellHeight, cellCount, flags, maskR, maskG, maskB);
  for (int32_t i = firstCell; i < firstCell + cellCount; ++i) {
    Ref<TPixmap> cell = sheet->Window((i % across) * cellWidth, (i / across) * cellHeight, cellWidth, cellHeight);
    image->SetPixmap(i - firstCell, cell->Copy());
  }
  return image;
}

String TImageDataType::Tag() const { return "vtl.ren2d.TImage"; }

Ref<Object> TImageDataType::ReadObject(const Ref<TStream>& stream) {
  const int32_t width = stream->ReadInt();
  const int32_t height = stream->ReadInt();
  const int32_t flags = stream->ReadInt();
  const int32_t r = stream->ReadInt(), g = stream->ReadInt(), b = stream->ReadInt();
  const float hx = stream->ReadFloat(), hy = stream->ReadFloat();
  const int32_t count = stream->ReadInt();
  if (width < 0 || height < 0 || count < 0 || count > kMaxStreamFrames) return nullptr;
  // Each frame takes at least its one-byte marker: a count beyond the bytes
  // left is damage, refused before the frame arrays are made.
  const int32_t size = stream->Size(), pos = stream->Pos();
  if (size > 0 && pos >= 0 && count > size - pos) return nullptr;
  Ref<TImage> image = TImage::Create(width, height, count, flags, r, g, b);
  image->handle_x = hx;
  image->handle_y = hy;
  for (int32_t i = 0; i < count; ++i) {
    if (stream->ReadByte() == 0) continue;
    Ref<TPixmap> pixmap = DowncastObject<TPixmap>(PixmapDataType->ReadObject(stream));
    if (pixmap) (*image->pixmaps)[i] = pixmap;
  }
  return image;
}

void TImageDataType::WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TImage> image = DowncastObject<TImage>(object);
  stream->WriteInt(image->width);
  stream->WriteInt(image->height);
  stream->WriteInt(image->flags);
  stream->WriteInt(image->mask_r);
  stream->WriteInt(image->mask_g);
  stream->WriteInt(image->mask_b);
  stream->WriteFloat(image->handle_x);
  stream->WriteFloat(image->handle_y);
  const int32_t count = image->pixmaps->Length();
  stream->WriteInt(count);
  for (int32_t i = 0; i < count; ++i) {
    const Ref<TPixmap>& pixmap = (*image->pixmaps)[i];
    stream->WriteByte(pixmap ? 1 : 0);
    if (pixmap) PixmapDataType->WriteObject(pixmap, stream);
  }
}

}  // namespace vtl
