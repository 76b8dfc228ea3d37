#include "image/image_load.h"

namespace vtl {

TMaskColour ImageMaskColour;
int32_t DefaultImageFlags = ImageFlagMask | ImageFlagFilter;
int32_t AutoCentreHandle = 0;

namespace {

int32_t ResolveFlags(int32_t flags) { return flags == -1 ? DefaultImageFlags : flags; }

Ref<TImage> WithAutoHandle(Ref<TImage> image) {
  if (image && AutoCentreHandle) CentreImageHandle(image);
  return image;
}

}  // namespace

Ref<TImage> LoadImageUrl(const Ref<Object>& url, int32_t flags) {
  const TMaskColour& m = ImageMaskColour;
  return WithAutoHandle(TImage::Load(url, ResolveFlags(flags), m.red, m.green, m.blue));
}

Ref<TImage> LoadAnimatedImage(const Ref<Object>& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags) {
  const TMaskColour& m = ImageMaskColour;
  return WithAutoHandle(
      TImage::LoadAnim(url, cellWidth, cellHeight, firstCell, cellCount, ResolveFlags(flags), m.red, m.green, m.blue));
}

Ref<TImage> LoadImageUrl(const String& url, int32_t flags) { return LoadImageUrl(Ref<Object>(url), flags); }

Ref<TImage> LoadAnimatedImage(const String& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags) {
  return LoadAnimatedImage(Ref<Object>(url), cellWidth, cellHeight, firstCell, cellCount, flags);
}

Ref<TImage> NewBlankImage(int32_t width, int32_t height, int32_t frames, int32_t flags) {
  const TMaskColour& m = ImageMaskColour;
  return WithAutoHandle(
      TImage::Create(width, height, frames, ResolveFlags(flags) | ImageFlagDynamic, m.red, m.green, m.blue));
}

int32_t PlaceImageHandle(const Ref<TImage>& image, float x, float y) {
  image->handle_x = x;
  image->handle_y = y;
  return 0;
}

int32_t CentreImageHandle(const Ref<TImage>& image) {
  image->handle_x = image->width * 0.5f;
  image->handle_y = image->height * 0.5f;
  return 0;
}

int32_t SetAutoCentreHandle(int32_t flag) {
  AutoCentreHandle = flag;
  return 0;
}

int32_t SetDefaultImageFlags(int32_t flags) {
  if (flags != -1) DefaultImageFlags = flags;
  return 0;
}

int32_t SetImageMaskColor(int32_t red, int32_t green, int32_t blue) {
  ImageMaskColour = {red, green, blue};
  return 0;
}

int32_t GetImageMaskColor(int32_t& red, int32_t& green, int32_t& blue) {
  red = ImageMaskColour.red;
  green = ImageMaskColour.green;
  blue = ImageMaskColour.blue;
  return 0;
}

int32_t ImageWidthOf(const Ref<TImage>& image) { return image->width; }
int32_t ImageHeightOf(const Ref<TImage>& image) { return image->height; }

Ref<TPixmap> LockImageFrame(const Ref<TImage>& image, int32_t frame, int32_t read, int32_t write) {
  return image->Lock(frame, read, write);
}

int32_t UnlockImageFrame(const Ref<TImage>&, int32_t) { return 0; }

}  // namespace vtl
