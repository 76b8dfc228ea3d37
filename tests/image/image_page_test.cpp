// Pages of pictures: the frames of an animated image and a font's glyphs
// share one texture. The image hooks are replaced by frames that remember
// the pixmap they were made from and the parts drawn, and the pages are read
// back. (tests/graphics/display_image_page_test.cpp draws them.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/internal/image_page.h"

namespace vtl {
namespace {

struct Part {
  int32_t left, top, width, height;
};

// A driver frame that remembers the pixmap it was made from and the parts drawn.
class PageFrame : public TImageFrame {
 public:
  explicit PageFrame(const Ref<TPixmap>& pixels) : pixels(pixels) {}
  int32_t Draw(float, float, float, float, float, float) override { return 0; }
  int32_t DrawPart(float, float, float, float, float, float, int32_t left, int32_t top, int32_t width,
                   int32_t height) override {
    parts.push_back({left, top, width, height});
    return 0;  // drawn
  }
  Ref<TPixmap> pixels;
  std::vector<Part> parts;
};

std::vector<Ref<PageFrame>> made;
int32_t generation = 1;

class ImagePages : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_maker_ = CreateImageFrameHook;
    saved_generation_ = ImageGenerationHook;
    CreateImageFrameHook = [](const Ref<TPixmap>& pixmap, int32_t) -> Ref<TImageFrame> {
      made.push_back(New<PageFrame>(pixmap->Copy()));
      return made.back();
    };
    ImageGenerationHook = [] { return generation; };
    made.clear();
    generation = 1;
  }
  void TearDown() override {
    CreateImageFrameHook = saved_maker_;
    ImageGenerationHook = saved_generation_;
    made.clear();
  }
  ImageFrameMaker saved_maker_;
  GenerationReader saved_generation_;
};

Ref<TPixmap> RandomPixmap(std::mt19937& random, int32_t width, int32_t height) {
  Ref<TPixmap> p = NewPixmap(width, height, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) p->WritePixel(x, y, static_cast<uint32_t>(random()));
  return p;
}

// The part of the page the frame drew last.
Part LastPart(const Ref<TImageFrame>& frame) {
  frame->Draw(0, 0, 1, 1, 0, 0);
  EXPECT_FALSE(made.empty());
  if (made.empty() || made.back()->parts.empty()) return {};
  return made.back()->parts.back();
}

// The picture is on the page at the part, with its edges repeated once around it.
void ExpectOnPage(const Ref<TPixmap>& page, const Part& part, const Ref<TPixmap>& picture) {
  ASSERT_EQ(part.width, picture->width);
  ASSERT_EQ(part.height, picture->height);
  for (int32_t y = -1; y <= part.height; ++y)
    for (int32_t x = -1; x <= part.width; ++x) {
      const int32_t sx = std::clamp(x, 0, part.width - 1), sy = std::clamp(y, 0, part.height - 1);
      ASSERT_EQ(page->ReadPixel(part.left + x, part.top + y), picture->ReadPixel(sx, sy))
          << "picture pixel " << x << "," << y << " at " << part.left << "," << part.top;
    }
}

TEST_F(ImagePages, PicturesKeepTheirPlaceAsThePageGrowsUntilItIsFull) {
  std::mt19937 random(2812);
  auto page = New<TImagePage>(0);
  std::vector<std::pair<Ref<TImageFrame>, Ref<TPixmap>>> placed;
  for (;;) {
    const int32_t w = 1 + static_cast<int32_t>(random() % 90), h = 1 + static_cast<int32_t>(random() % 60);
    Ref<TPixmap> picture = RandomPixmap(random, w, h);
    Ref<TImageFrame> part = page->Add(picture);
    if (!part) break;
    placed.emplace_back(part, picture);
  }
  EXPECT_GT(placed.size(), 250u);  // about 80 % of a 1024 x 1024 page
  EXPECT_EQ(page->Image()->width, TImagePage::kMaxSide);
  EXPECT_EQ(page->Image()->height, TImagePage::kMaxSide);
  // Small pictures may still fit where a large one did not; none too large.
  EXPECT_EQ(page->Add(RandomPixmap(random, TImagePage::kMaxSide - 1, 1)), nullptr);
  EXPECT_EQ(page->Add(NewPixmap(0, 4, FMT_RGBA8888, 4)), nullptr);

  LastPart(placed[0].first);  // makes the page's frame
  ASSERT_EQ(made.size(), 1u);
  for (const auto& [part, picture] : placed) ExpectOnPage(made[0]->pixels, LastPart(part), picture);
  EXPECT_EQ(made.size(), 1u);  // one texture for every picture
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(made[0]->pixels->ReadPixel(x, y), 0xFFFFFFFFu);  // white corner
}

TEST_F(ImagePages, AnimatedFramesShareOnePageUntilOneIsWritten) {
  std::mt19937 random(7);
  Ref<TPixmap> sheet = RandomPixmap(random, 13 * 4, 11 * 3);
  Ref<TImage> image = LoadAnimatedImage(sheet, 13, 11, 0, 12, ImageFlagMask | ImageFlagFilter);
  ASSERT_NE(image, nullptr);
  std::vector<Ref<TImageFrame>> frames;
  for (int32_t i = 0; i < 12; ++i) frames.push_back(image->Frame(i));
  EXPECT_TRUE(made.empty());  // made when first drawn
  LastPart(frames[0]);
  ASSERT_EQ(made.size(), 1u);
  for (int32_t i = 0; i < 12; ++i) ExpectOnPage(made[0]->pixels, LastPart(frames[i]), image->Lock(i, 1, 0));

  // A new graphics generation makes the page's texture again, once.
  generation = 2;
  for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(image->Frame(i), frames[i]);
  LastPart(frames[0]);
  LastPart(frames[5]);
  EXPECT_EQ(made.size(), 2u);

  // A written frame gets a texture of its own; the others stay on the page.
  image->Lock(3, 1, 1)->WritePixel(0, 0, 0xFF123456u);
  Ref<TImageFrame> own = image->Frame(3);
  EXPECT_NE(own, frames[3]);
  EXPECT_EQ(made.size(), 3u);
  EXPECT_EQ(made.back()->pixels->ReadPixel(0, 0), 0xFF123456u);
  EXPECT_EQ(image->Frame(4), frames[4]);
}

TEST_F(ImagePages, OnlyAnimatedImagesThatFitAndAreNeitherMipmappedNorDynamicArePaged) {
  std::mt19937 random(11);
  const auto frames_made = [](const Ref<TImage>& image) {
    made.clear();
    for (int32_t i = 0; i < image->frames->Length(); ++i) image->Frame(i)->Draw(0, 0, 1, 1, 0, 0);
    return made.size();
  };
  Ref<TPixmap> sheet = RandomPixmap(random, 32, 16);
  EXPECT_EQ(frames_made(LoadAnimatedImage(sheet, 16, 16, 0, 2, 0)), 1u);
  EXPECT_EQ(frames_made(LoadAnimatedImage(sheet, 16, 16, 0, 2, ImageFlagMipmap)), 2u);
  EXPECT_EQ(frames_made(LoadAnimatedImage(sheet, 16, 16, 0, 1, 0)), 1u);
  EXPECT_EQ(frames_made(NewBlankImage(16, 16, 2, 0)), 2u);
  // Two frames a page too wide for: each keeps a texture of its own.
  EXPECT_EQ(frames_made(LoadAnimatedImage(RandomPixmap(random, 2046, 2), 1023, 2, 0, 2, 0)), 2u);
}

TEST_F(ImagePages, TheBuiltInFontDrawsEveryGlyphFromOnePage) {
  Ref<TImageFont> font = TImageFont::CreateDefault();
  font->Draw("Vantorel 0123 ~!", 0, 0, 1, 0, 0, 1);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0]->parts.size(), 16u);
  // A glyph changed through its image is drawn from its own texture.
  Ref<TImage> a = font->LoadGlyph(font->CharToGlyph('A'))->Pixels();
  a->Lock(0, 1, 1)->WritePixel(0, 0, 0xFFFF0000u);
  font->Draw("AB", 0, 0, 1, 0, 0, 1);
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[1]->pixels->ReadPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(made[0]->parts.size(), 17u);  // B
}

}  // namespace
}  // namespace vtl
