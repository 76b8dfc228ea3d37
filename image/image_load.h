/// \file
/// Loading images with the program-wide defaults (mask colour, automatic
/// image flags, automatic centre handle), and the small image utilities.
#pragma once

#include <cstdint>

#include "image/image_object.h"

namespace vtl {

/// The colour that images flagged ImageFlagMask make transparent in pixels
/// without alpha.
struct TMaskColour {
  /// The colour's components, 0 to 255.
  ///@{
  int32_t red = 0, green = 0, blue = 0;
  ///@}
};
/// The mask colour images are loaded and made with; black until changed.
extern TMaskColour ImageMaskColour;
/// The image flags that -1 stands for; 3 (mask and filter) until changed.
extern int32_t DefaultImageFlags;
/// When 1, loaded and new blank images get their centre as handle.
extern int32_t AutoCentreHandle;

/// \name Loading
/// Flags -1 mean DefaultImageFlags. Null when the image cannot be loaded.
/// Each takes the url as an object or, so that literals can be passed, as a name.
///@{

/// The picture at url as an image of one frame (TImage::Load).
Ref<TImage> LoadImageUrl(const Ref<Object>& url, int32_t flags = -1);
/// The picture at url cut into cells, one frame each (TImage::LoadAnim).
Ref<TImage> LoadAnimatedImage(const Ref<Object>& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags = -1);
/// The picture at url as an image of one frame (TImage::Load).
Ref<TImage> LoadImageUrl(const String& url, int32_t flags = -1);
/// The picture at url cut into cells, one frame each (TImage::LoadAnim).
Ref<TImage> LoadAnimatedImage(const String& url, int32_t cellWidth, int32_t cellHeight, int32_t firstCell,
                              int32_t cellCount, int32_t flags = -1);
///@}
/// A new image without pixels, flagged dynamic (8): its frames are transparent
/// black until drawn on.
Ref<TImage> NewBlankImage(int32_t width, int32_t height, int32_t frames = 1, int32_t flags = -1);

/// Sets the image's handle, the point drawn at the drawing position. Returns 0.
int32_t PlaceImageHandle(const Ref<TImage>& image, float x, float y);
/// Puts the handle at the image's centre. Returns 0.
int32_t CentreImageHandle(const Ref<TImage>& image);
/// Sets AutoCentreHandle. Returns 0.
int32_t SetAutoCentreHandle(int32_t flag);
/// Sets DefaultImageFlags; -1 is ignored. Returns 0.
int32_t SetDefaultImageFlags(int32_t flags);
/// Sets ImageMaskColour. Returns 0.
int32_t SetImageMaskColor(int32_t red, int32_t green, int32_t blue);
/// Reads ImageMaskColour. Returns 0.
int32_t GetImageMaskColor(int32_t& red, int32_t& green, int32_t& blue);
/// The image's cell size.
///@{
int32_t ImageWidthOf(const Ref<TImage>& image);
int32_t ImageHeightOf(const Ref<TImage>& image);
///@}
/// TImage::Lock.
Ref<TPixmap> LockImageFrame(const Ref<TImage>& image, int32_t frame = 0, int32_t read = 1, int32_t write = 1);
/// Ends a LockImageFrame; nothing needs doing (locking for writing already
/// dropped the driver frame). Returns 0.
int32_t UnlockImageFrame(const Ref<TImage>& image, int32_t frame = 0);

}  // namespace vtl
