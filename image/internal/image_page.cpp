#include "image/internal/image_page.h"

#include <algorithm>

#include "image/image_frame.h"

namespace vtl {

namespace {

constexpr int32_t kFirstSide = 128;
constexpr int32_t kBorder = 1;
constexpr int32_t kWhiteCorner = 3;

// Draws one picture of a page: from the page's own frame (made again
// whenever the page changes or the graphics generation does) where the
// driver draws the part exactly, else from a frame of the picture's own,
// made when first needed.
class TPagePartFrame : public TImageFrame {
 public:
  TPagePartFrame(const Ref<TImage>& page, const Ref<TPixmap>& picture, int32_t flags, int32_t x, int32_t y)
      : page_(page), picture_(picture), flags_(flags), x_(x), y_(y) {}

  int32_t Draw(float x0, float y0, float x1, float y1, float tx, float ty) override {
    Ref<TImageFrame> whole = page_->Frame(0);
    if (!whole || whole->DrawPart(x0, y0, x1, y1, tx, ty, x_, y_, picture_->width, picture_->height) == 0) return 0;
    const int32_t generation = CurrentImageGeneration();
    if (!own_ || own_generation_ != generation) {
      own_ = CreateImageFrameHook ? CreateImageFrameHook(picture_, flags_) : nullptr;
      own_generation_ = generation;
    }
    return own_ ? own_->Draw(x0, y0, x1, y1, tx, ty) : 0;
  }

 private:
  Ref<TImage> page_;
  Ref<TPixmap> picture_;
  int32_t flags_;
  int32_t x_, y_;
  Ref<TImageFrame> own_;
  int32_t own_generation_ = 0;
};

Ref<TPixmap> ClearPixmap(int32_t width, int32_t height) {
  Ref<TPixmap> pixmap = NewPixmap(width, height, FMT_RGBA8888, 4);
  pixmap->ClearPixels(0);
  return pixmap;
}

// Copies the picture to (x, y) with its edge pixels repeated once around it.
void PasteWithBorder(TPixmap& page, const Ref<TPixmap>& picture, int32_t x, int32_t y) {
  const int32_t w = picture->width, h = picture->height;
  page.Paste(picture, x + kBorder, y + kBorder);
  page.Paste(picture->Window(0, 0, 1, h), x, y + kBorder);
  page.Paste(picture->Window(w - 1, 0, 1, h), x + kBorder + w, y + kBorder);
  page.Paste(page.Window(x, y + kBorder, w + 2 * kBorder, 1), x, y);
  page.Paste(page.Window(x, y + h, w + 2 * kBorder, 1), x, y + kBorder + h);
}

}  // namespace

bool PageableImageFlags(int32_t imageFlags) { return !(imageFlags & (ImageFlagMipmap | ImageFlagDynamic)); }

TImagePage::TImagePage(int32_t imageFlags) : flags_(imageFlags) {
  // Only filtering reaches the driver: the pictures come masked already.
  page_ = TImage::Create(kFirstSide, kFirstSide, 1, imageFlags & ImageFlagFilter, 0, 0, 0);
  Ref<TPixmap> pixels = ClearPixmap(kFirstSide, kFirstSide);
  // The white corner: drivers draw plain shapes with it, so that a shape
  // between two pictures of the page needs no change of drawing state.
  int32_t x = 0, y = 0;
  Place(kWhiteCorner, kWhiteCorner, x, y);
  for (int32_t row = 0; row < kWhiteCorner; ++row)
    for (int32_t column = 0; column < kWhiteCorner; ++column) pixels->WritePixel(column, row, 0xFFFFFFFFu);
  page_->SetPixmap(0, pixels);
}

Ref<TImageFrame> TImagePage::Add(const Ref<TPixmap>& pixmap) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
  if (pixmap->width > kMaxSide - 2 * kBorder || pixmap->height > kMaxSide - 2 * kBorder) return nullptr;
  int32_t x = 0, y = 0;
  while (!Place(pixmap->width + 2 * kBorder, pixmap->height + 2 * kBorder, x, y))
    if (!Grow()) return nullptr;
  // Writing drops the page's texture; the next draw makes it again.
  PasteWithBorder(*page_->Lock(0, 1, 1), pixmap, x, y);
  return New<TPagePartFrame>(page_, pixmap, flags_, x + kBorder, y + kBorder);
}

bool TImagePage::AddFrameOf(const Ref<TImage>& image, int32_t index) {
  Ref<TImageFrame> part = Add(image->Lock(index, 1, 0));
  if (!part) return false;
  (*image->frames)[index] = part;
  (*image->seqs)[index] = kPagePartSeq;
  return true;
}

// Shelves run across the page from its top. A picture goes on the first
// shelf tall enough with room left, the bottom shelf growing taller where
// the page allows; else it starts a shelf of its own below them.
bool TImagePage::Place(int32_t width, int32_t height, int32_t& x, int32_t& y) {
  const int32_t page_width = page_->width, page_height = page_->height;
  for (size_t i = 0; i < shelves_.size(); ++i) {
    Shelf& shelf = shelves_[i];
    const bool bottom = i + 1 == shelves_.size();
    const int32_t room = bottom ? page_height - shelf.y : shelf.height;
    if (shelf.used + width > page_width || height > room) continue;
    x = shelf.used;
    y = shelf.y;
    shelf.used += width;
    shelf.height = std::max(shelf.height, height);
    return true;
  }
  const int32_t next_y = shelves_.empty() ? 0 : shelves_.back().y + shelves_.back().height;
  if (width > page_width || next_y + height > page_height) return false;
  shelves_.push_back({next_y, height, width});
  x = 0;
  y = next_y;
  return true;
}

// Doubles the shorter side (the height first), keeping every picture where it is.
bool TImagePage::Grow() {
  int32_t width = page_->width, height = page_->height;
  if (height <= width && height < kMaxSide)
    height *= 2;
  else if (width < kMaxSide)
    width *= 2;
  else if (height < kMaxSide)
    height *= 2;
  else
    return false;
  Ref<TPixmap> larger = ClearPixmap(width, height);
  larger->Paste(page_->Lock(0, 1, 0), 0, 0);
  page_->width = width;
  page_->height = height;
  page_->SetPixmap(0, larger);
  return true;
}

}  // namespace vtl
