#include <gtest/gtest.h>

#include "graphics/graphics.h"
#include "tests/graphics/collision_images.h"

namespace vtl {
namespace {

// Sheet whose pixel (x, y) encodes its cell: red = column, green = row.
Ref<TPixmap> Sheet(int32_t width, int32_t height, int32_t cell, int32_t format = FMT_RGBA8888) {
  Ref<TPixmap> p = NewPixmap(width, height, format, 4);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      p->WritePixel(x, y, 0xFF000000u | uint32_t(x / cell + 1) << 16 | uint32_t(y / cell + 1) << 8);
  return p;
}

class CountingFrame : public TImageFrame {
 public:
  int32_t Draw(float, float, float, float, float, float) override { return 0; }
};

int made = 0;
int32_t generation = 1;

// Replaces the graphics library's hooks for one test.
class ImageHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGraphics();
    saved_maker_ = CreateImageFrameHook;
    saved_generation_ = ImageGenerationHook;
    CreateImageFrameHook = [](const Ref<TPixmap>& pixmap, int32_t) -> Ref<TImageFrame> {
      if (!pixmap) return nullptr;
      ++made;
      return New<CountingFrame>();
    };
    ImageGenerationHook = [] { return generation; };
    made = 0;
    generation = 1;
  }
  void TearDown() override {
    CreateImageFrameHook = saved_maker_;
    ImageGenerationHook = saved_generation_;
  }
  ImageFrameMaker saved_maker_;
  GenerationReader saved_generation_;
};

TEST_F(ImageHooks, AnimatedSheetIsCutRowByRowAndPartialCellsAreIgnored) {
  Ref<TPixmap> sheet = Sheet(100, 70, 32);
  Ref<TImage> six = LoadAnimatedImage(sheet, 32, 32, 0, 6, 0);
  ASSERT_NE(six, nullptr);
  EXPECT_EQ(six->frames->Length(), 6);
  EXPECT_EQ(LoadAnimatedImage(sheet, 32, 32, 0, 7, 0), nullptr);

  Ref<TImage> two = LoadAnimatedImage(sheet, 32, 32, 2, 2, 0);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->Lock(0, 1, 0)->ReadPixel(0, 0), 0xFF030100u);    // column 2, row 0
  EXPECT_EQ(two->Lock(1, 1, 0)->ReadPixel(31, 31), 0xFF010200u);  // column 0, row 1
}

TEST_F(ImageHooks, BadCellRequestsAreRefused) {
  Ref<TPixmap> sheet = Sheet(64, 64, 32);
  EXPECT_EQ(LoadAnimatedImage(sheet, 0, 32, 0, 1, 0), nullptr);
  EXPECT_EQ(LoadAnimatedImage(sheet, 32, -1, 0, 1, 0), nullptr);
  EXPECT_EQ(LoadAnimatedImage(sheet, 32, 32, -1, 1, 0), nullptr);
  EXPECT_EQ(LoadAnimatedImage(sheet, 32, 32, 0x7FFFFFFF, 2, 0), nullptr);
  EXPECT_EQ(LoadImageUrl("no-such-file.png"), nullptr);
}

TEST_F(ImageHooks, MaskColourAppliesOnlyToPixmapsWithoutAlpha) {
  Ref<TPixmap> rgb = NewPixmap(2, 1, FMT_RGB888, 4);
  rgb->WritePixel(0, 0, 0xFF000000u);
  rgb->WritePixel(1, 0, 0xFF102030u);
  Ref<TImage> masked = LoadImageUrl(rgb, ImageFlagMask);
  EXPECT_EQ(masked->Lock(0, 1, 0)->ReadPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(masked->Lock(0, 1, 0)->ReadPixel(1, 0), 0xFF102030u);

  Ref<TPixmap> rgba = NewPixmap(1, 1, FMT_RGBA8888, 4);
  rgba->WritePixel(0, 0, 0x80000000u);
  Ref<TImage> kept = LoadImageUrl(rgba, ImageFlagMask);
  EXPECT_EQ(kept->Lock(0, 1, 0), rgba);  // stored as given, alpha untouched
  EXPECT_EQ(kept->Lock(0, 1, 0)->ReadPixel(0, 0), 0x80000000u);
}

TEST_F(ImageHooks, FramesAreMadeLazilyAndRemadeWhenStaleOrWritten) {
  Ref<TImage> image = LoadImageUrl(Sheet(8, 8, 8), 0);
  EXPECT_EQ(made, 0);
  Ref<TImageFrame> first = image->Frame(0);
  EXPECT_EQ(image->Frame(0), first);
  EXPECT_EQ(made, 1);
  image->Lock(0, 1, 0);
  EXPECT_EQ(image->Frame(0), first);
  image->Lock(0, 1, 1);
  EXPECT_NE(image->Frame(0), first);
  EXPECT_EQ(made, 2);
  generation = 4;
  image->Frame(0);
  EXPECT_EQ(made, 3);
  EXPECT_EQ((*image->seqs)[0], 4);
}

TEST_F(ImageHooks, DefaultsAndHandles) {
  EXPECT_EQ(DefaultImageFlags, 3);
  SetDefaultImageFlags(-1);
  EXPECT_EQ(DefaultImageFlags, 3);
  SetAutoCentreHandle(1);
  Ref<TImage> centred = LoadImageUrl(Sheet(10, 6, 10));
  SetAutoCentreHandle(0);
  EXPECT_EQ(centred->flags, 3);
  EXPECT_FLOAT_EQ(centred->handle_x, 5);
  EXPECT_FLOAT_EQ(centred->handle_y, 3);
  Ref<TImage> blank = NewBlankImage(4, 4, 2, 0);
  EXPECT_EQ(blank->flags, ImageFlagDynamic);
  EXPECT_EQ(blank->Lock(1, 1, 1)->format, FMT_RGBA8888);
  // Frame indices outside the image throw instead of reading past the arrays.
  EXPECT_THROW(blank->Frame(2), ThrownObject);
}

TEST_F(ImageHooks, FramesWithoutPixelsStartTransparentBlackWhetherLockedOrDrawn) {
  static Ref<TPixmap> handed;
  CreateImageFrameHook = [](const Ref<TPixmap>& pixmap, int32_t) -> Ref<TImageFrame> {
    handed = pixmap;
    return New<CountingFrame>();
  };
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    collision_test::DirtyTheHeap(12 * 5 * 4);
    Ref<TImage> blank = NewBlankImage(12, 5, 2, 0);
    ASSERT_TRUE(blank->Frame(1));
    for (const Ref<TPixmap>& pixmap : {blank->Lock(0, 1, 1), handed}) {
      ASSERT_TRUE(pixmap);
      for (int32_t y = 0; y < pixmap->height; ++y)
        for (int32_t x = 0; x < pixmap->width; ++x) ASSERT_EQ(pixmap->ReadPixel(x, y), 0u) << x << "," << y;
    }
  }
  handed = nullptr;
}

}  // namespace
}  // namespace vtl
