// Image pages: many small pictures in one texture. A font's glyphs and the
// frames of an animated image are drawn in runs; when each is a texture of
// its own, every picture changes the drawing state, which costs the
// rasteriser a copy of that state per change. On a page they share one.
//
// Each picture sits with a border of one pixel copied from its edges, so
// that filtered drawing reads exactly what a texture of its own, clamped at
// its edges, reads. Mipmapped images are never paged: their smaller levels
// would blend neighbours. The top left 3 x 3 pixels of a page are opaque
// white, for drivers that draw plain shapes with a white texel.
#pragma once

#include <cstdint>
#include <vector>

#include "image/image_object.h"

namespace vtl {

// The seq of a frame slot holding a part of a page: it stays valid in every
// graphics generation, since the page makes its own texture again.
constexpr int32_t kPagePartSeq = -1;

class TImagePage : public Object {
 public:
  // Pages start at 128 x 128 and double up to this side.
  static constexpr int32_t kMaxSide = 1024;

  explicit TImagePage(int32_t imageFlags);

  // Puts the pixmap on the page and returns the frame that draws it, or
  // Null when it does not fit even on the largest page.
  Ref<TImageFrame> Add(const Ref<TPixmap>& pixmap);

  // Puts the pixmap on the page and makes the part frame what `image` draws
  // as frame `index`. False when it does not fit.
  bool AddFrameOf(const Ref<TImage>& image, int32_t index);

  // The one-frame image holding every picture.
  const Ref<TImage>& Image() const { return page_; }

 private:
  bool Place(int32_t width, int32_t height, int32_t& x, int32_t& y);
  bool Grow();

  struct Shelf {
    int32_t y, height, used;
  };

  int32_t flags_;  // of the pictures' images
  Ref<TImage> page_;
  std::vector<Shelf> shelves_;
};

// Whether the frames of an image with these flags may be paged.
bool PageableImageFlags(int32_t imageFlags);

}  // namespace vtl
