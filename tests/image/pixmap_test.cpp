// Pixmaps: layout, the hub conversions for every pair of formats, single
// pixels, clearing, windows, and the operations that make new pixmaps.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "image/image.h"
#include "stream/stream.h"

namespace vtl {
namespace {

class PixmapTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImage(); }
};

using Rgba = std::array<int, 4>;

// The conversion rules written out once more, pixel by pixel, to check the
// row converters against.
Rgba ReferenceToHub(int32_t format, const uint8_t* s) {
  switch (format) {
    case FMT_GREY8: return {s[0], s[0], s[0], 255};
    case FMT_ALPHA8: return {255, 255, 255, s[0]};
    case FMT_BGR888: return {s[2], s[1], s[0], 255};
    case FMT_RGB888: return {s[0], s[1], s[2], 255};
    case FMT_BGRA8888: return {s[2], s[1], s[0], s[3]};
    case FMT_RGBA8888: return {s[0], s[1], s[2], s[3]};
    case FMT_RED8: return {s[0], 0, 0, 1};
    case FMT_GREEN8: return {0, s[0], 0, 1};
    case FMT_BLUE8: return {0, 0, s[0], 1};
    case FMT_DARKALPHA8: return {0, 0, 0, s[0]};
    case FMT_INTENSITY8: return {s[0], s[0], s[0], s[0]};
    case FMT_LUMINANCE8: return {s[0], s[0], s[0], 1};
  }
  return {0, 0, 0, 0};
}

std::vector<uint8_t> ReferenceFromHub(int32_t format, const Rgba& c) {
  const int r = c[0], g = c[1], b = c[2], a = c[3];
  auto u = [](int v) { return static_cast<uint8_t>(v); };
  switch (format) {
    case FMT_GREY8: return {u((r + g + b) / 3)};
    case FMT_ALPHA8: return {u(a)};
    case FMT_BGR888: return {u(b), u(g), u(r)};
    case FMT_RGB888: return {u(r), u(g), u(b)};
    case FMT_BGRA8888: return {u(b), u(g), u(r), u(a)};
    case FMT_RGBA8888: return {u(r), u(g), u(b), u(a)};
    case FMT_RED8: return {u(r)};
    case FMT_GREEN8: return {u(g)};
    case FMT_BLUE8: return {u(b)};
    case FMT_DARKALPHA8: return {u(a)};
    case FMT_INTENSITY8: return {u((r + g + b + a) / 4)};
    case FMT_LUMINANCE8: return {u((r + g + b) / 3)};
  }
  return {};
}

TEST_F(PixmapTest, TablesAndCreateLayout) {
  const int32_t bytes[13] = {0, 1, 1, 3, 3, 4, 4, 1, 1, 1, 1, 1, 1};
  const int32_t alpha[13] = {0, 0, 8, 0, 0, 8, 8, 0, 0, 0, 8, 0, 0};
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(BytesPerPixel[i], bytes[i]) << i;
    EXPECT_EQ(AlphaBitsPerPixel[i], alpha[i]) << i;
  }
  Ref<TPixmap> p = NewPixmap(3, 2, FMT_RGB888, 4);
  EXPECT_EQ(p->pitch, 12);
  EXPECT_EQ(p->capacity, 24);
  EXPECT_EQ(NewPixmap(5, 1, FMT_GREY8, 4)->pitch, 8);
  EXPECT_EQ(NewPixmap(5, 1, FMT_GREY8, 1)->pitch, 5);
  EXPECT_EQ(p->PixelPtr(2, 1), p->pixels + 12 + 6);
}

TEST_F(PixmapTest, CreateRefusesImpossibleSizes) {
  EXPECT_THROW(NewPixmap(-1, 4, FMT_RGB888, 4), ThrownObject);
  EXPECT_THROW(NewPixmap(4, 4, FMT_RGB888, 0), ThrownObject);
  EXPECT_THROW(NewPixmap(65536, 65536, FMT_RGBA8888, 4), ThrownObject);  // 16 GB
  EXPECT_EQ(NewPixmap(0, 0, FMT_RGBA8888, 4)->capacity, 0);
}

TEST_F(PixmapTest, EveryPairOfFormatsConvertsThroughTheHub) {
  std::mt19937 random(7);
  // 300 pixels also crosses the slice size used between two non-hub formats.
  for (int32_t count : {1, 7, 300}) {
    for (int32_t from = 1; from <= 12; ++from) {
      for (int32_t to = 1; to <= 12; ++to) {
        Ref<TPixmap> source = NewPixmap(count, 2, from, 4);
        for (int32_t y = 0; y < 2; ++y) {
          for (int32_t i = 0; i < count * BytesPerPixel[from]; ++i) source->PixelPtr(0, y)[i] = uint8_t(random());
        }
        Ref<TPixmap> result = source->Convert(to);
        ASSERT_EQ(result->format, to);
        ASSERT_EQ(result->width, count);
        for (int32_t y = 0; y < 2; ++y) {
          for (int32_t x = 0; x < count; ++x) {
            const uint8_t* s = source->PixelPtr(x, y);
            std::vector<uint8_t> want = from == to ? std::vector<uint8_t>(s, s + BytesPerPixel[from])
                                                   : ReferenceFromHub(to, ReferenceToHub(from, s));
            std::vector<uint8_t> got(result->PixelPtr(x, y), result->PixelPtr(x, y) + BytesPerPixel[to]);
            ASSERT_EQ(got, want) << "from " << from << " to " << to << " pixel " << x;
          }
        }
      }
    }
  }
}

TEST_F(PixmapTest, NamedConversionCases) {
  uint8_t bgr[3] = {10, 20, 30};
  Ref<TPixmap> source = WrapPixels(bgr, 1, 1, 3, FMT_BGR888);
  Ref<TPixmap> hub = ConvertPixmapTo(source, FMT_RGBA8888);
  EXPECT_EQ(std::vector<uint8_t>(hub->pixels, hub->pixels + 4), (std::vector<uint8_t>{30, 20, 10, 255}));
  EXPECT_EQ(ReadPixel(source, 0, 0), 0xFF1E140Au);
  uint8_t red = 77;
  EXPECT_EQ(WrapPixels(&red, 1, 1, 1, FMT_RED8)->Convert(FMT_RGBA8888)->pixels[3], 1);
}

TEST_F(PixmapTest, ReadAndWritePixelRules) {
  const uint32_t colour = 0x80FF0000;  // alpha 128, red 255
  Ref<TPixmap> grey = NewPixmap(1, 1, FMT_GREY8, 4);
  grey->WritePixel(0, 0, colour);
  EXPECT_EQ(grey->pixels[0], 85);
  EXPECT_EQ(grey->ReadPixel(0, 0), 0xFF555555u);

  Ref<TPixmap> alpha = NewPixmap(1, 1, FMT_ALPHA8, 4);
  alpha->WritePixel(0, 0, colour);
  EXPECT_EQ(alpha->ReadPixel(0, 0), 0x80FFFFFFu);

  for (int32_t format : {FMT_BGR888, FMT_RGB888}) {
    Ref<TPixmap> p = NewPixmap(1, 1, format, 4);
    p->WritePixel(0, 0, 0x12345678);
    EXPECT_EQ(p->ReadPixel(0, 0), 0xFF345678u) << format;
  }
  for (int32_t format : {FMT_BGRA8888, FMT_RGBA8888}) {
    Ref<TPixmap> p = NewPixmap(1, 1, format, 4);
    p->WritePixel(0, 0, 0x12345678);
    EXPECT_EQ(p->ReadPixel(0, 0), 0x12345678u) << format;
  }
  EXPECT_EQ(NewPixmap(1, 1, FMT_BGRA8888, 4)->pixels != nullptr, true);
  uint8_t rgba[4] = {1, 2, 3, 4};
  EXPECT_EQ(WrapPixels(rgba, 1, 1, 4, FMT_RGBA8888)->ReadPixel(0, 0), 0x04010203u);
  uint8_t bgra[4] = {1, 2, 3, 4};
  EXPECT_EQ(WrapPixels(bgra, 1, 1, 4, FMT_BGRA8888)->ReadPixel(0, 0), 0x04030201u);

  for (int32_t format = FMT_RED8; format <= FMT_LUMINANCE8; ++format) {
    uint8_t byte = 99;
    Ref<TPixmap> p = WrapPixels(&byte, 1, 1, 1, format);
    EXPECT_EQ(p->ReadPixel(0, 0), 0u);
    p->WritePixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(byte, 99);
  }
}

TEST_F(PixmapTest, ClearPixelsKeepsRowPaddingAndSkipsFormatsWithoutRules) {
  std::vector<uint8_t> memory(2 * 8, 0xAB);
  Ref<TPixmap> padded = WrapPixels(memory.data(), 2, 2, 8, FMT_RGB888);
  padded->ClearPixels(0);
  for (int y = 0; y < 2; ++y) {
    for (int i = 0; i < 8; ++i) EXPECT_EQ(memory[size_t(y * 8 + i)], i < 6 ? 0 : 0xAB) << y << "," << i;
  }
  padded->ClearPixels(0xFF102030);
  EXPECT_EQ(memory[3], 0x10);
  EXPECT_EQ(memory[5], 0x30);
  EXPECT_EQ(memory[6], 0xAB);
  EXPECT_EQ(padded->ReadPixel(1, 1), 0xFF102030u);

  Ref<TPixmap> unpadded = NewPixmap(4, 3, FMT_RGBA8888, 4);
  unpadded->ClearPixels(0x01020304);
  unpadded->ClearPixels(0);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(unpadded->pixels[i], 0);

  uint8_t red[2] = {5, 6};
  WrapPixels(red, 2, 1, 2, FMT_RED8)->ClearPixels(0xFFFFFFFF);
  EXPECT_EQ(red[0], 5);
  EXPECT_EQ(red[1], 6);
}

TEST_F(PixmapTest, WindowsShareMemoryAndKeepTheirParentsAlive) {
  Ref<TPixmap> parent = NewPixmap(8, 8, FMT_RGBA8888, 4);
  parent->ClearPixels(0);
  Ref<TPixmap> inner;
  {
    Ref<TPixmap> window = parent->Window(2, 2, 4, 4);
    EXPECT_EQ(window->capacity, -1);
    EXPECT_EQ(window->pitch, parent->pitch);
    inner = window->Window(1, 1, 2, 2);
  }
  TPixmap* raw = parent.Get();
  parent = nullptr;  // only the chain of windows holds it now
  inner->WritePixel(1, 1, 0xFF00FF00);
  EXPECT_EQ(raw->ReadPixel(4, 4), 0xFF00FF00u);
  EXPECT_EQ(inner->PixelPtr(0, 0), raw->PixelPtr(3, 3));
}

TEST_F(PixmapTest, CopyAndPasteConvert) {
  Ref<TPixmap> source = NewPixmap(6, 6, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 6; ++x) source->WritePixel(x, y, 0x80000000u | uint32_t(x * 40) << 16 | uint32_t(y * 30));
  }
  Ref<TPixmap> copy = source->Copy();
  EXPECT_NE(copy->pixels, source->pixels);
  EXPECT_EQ(copy->ReadPixel(5, 5), source->ReadPixel(5, 5));

  Ref<TPixmap> target = NewPixmap(10, 10, FMT_BGR888, 4);
  target->ClearPixels(0);
  target->Paste(source, 3, 4);
  EXPECT_EQ(target->ReadPixel(3, 4), source->ReadPixel(0, 0) | 0xFF000000u);
  EXPECT_EQ(target->ReadPixel(3 + 5, 4 + 5), source->ReadPixel(5, 5) | 0xFF000000u);
  EXPECT_EQ(target->ReadPixel(2, 4), 0xFF000000u);
}

TEST_F(PixmapTest, MaskColourAveragesOpaqueNeighbours) {
  Ref<TPixmap> single = NewPixmap(1, 1, FMT_RGB888, 4);
  single->WritePixel(0, 0, 0xFFFF00FF);
  EXPECT_EQ(MaskPixmapColour(single, 255, 0, 255)->ReadPixel(0, 0), 0u);

  // A row: magenta, (10, 20, 30) with alpha 7, magenta, (50, 60, 70).
  Ref<TPixmap> row = NewPixmap(4, 1, FMT_RGBA8888, 4);
  row->WritePixel(0, 0, 0xFFFF00FF);
  row->WritePixel(1, 0, 0x070A141E);
  row->WritePixel(2, 0, 0x00FF00FF);
  row->WritePixel(3, 0, 0xFF323C46);
  Ref<TPixmap> masked = MaskPixmapColour(row, 255, 0, 255);
  EXPECT_EQ(masked->format, FMT_RGBA8888);
  EXPECT_EQ(masked->ReadPixel(0, 0), 0x000A141Eu);  // its one opaque neighbour's colour
  EXPECT_EQ(masked->ReadPixel(1, 0), 0xFF0A141Eu);  // non-matching pixels become opaque
  EXPECT_EQ(masked->ReadPixel(2, 0), 0x001E2832u);  // average of both neighbours
  EXPECT_EQ(row->ReadPixel(1, 0), 0x070A141Eu);     // the source is unchanged
}

TEST_F(PixmapTest, FlipsReverseColumnsAndRows) {
  Ref<TPixmap> p = NewPixmap(3, 2, FMT_RGB888, 4);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) p->WritePixel(x, y, 0xFF000000u | uint32_t(y * 16 + x));
  }
  Ref<TPixmap> h = FlipPixmapHorizontal(p), v = FlipPixmapVertical(p);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) {
      EXPECT_EQ(h->ReadPixel(x, y), p->ReadPixel(2 - x, y));
      EXPECT_EQ(v->ReadPixel(x, y), p->ReadPixel(x, 1 - y));
    }
  }
  EXPECT_EQ(h->format, FMT_RGB888);
}

TEST_F(PixmapTest, ScaleSamplesBilinearly) {
  Ref<TPixmap> one = NewPixmap(1, 1, FMT_BGRA8888, 4);
  one->WritePixel(0, 0, 0x80112233);
  Ref<TPixmap> big = ScalePixmap(one, 4, 4);
  EXPECT_EQ(big->format, FMT_BGRA8888);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(big->ReadPixel(x, y), 0x80112233u);
  }

  // 2 x 1 grey 0 and 200 to 4 x 1: samples at -0.25 (clamps), 0.25, 0.75, 1.25 (clamps).
  Ref<TPixmap> pair = NewPixmap(2, 1, FMT_GREY8, 4);
  pair->pixels[0] = 0;
  pair->pixels[1] = 200;
  Ref<TPixmap> wide = ScalePixmap(pair, 4, 1);
  EXPECT_EQ(wide->pixels[0], 0);
  EXPECT_EQ(wide->pixels[1], 50);
  EXPECT_EQ(wide->pixels[2], 150);
  EXPECT_EQ(wide->pixels[3], 200);

  // Halving averages each 2 x 2 block's middle.
  Ref<TPixmap> four = NewPixmap(4, 4, FMT_RGBA8888, 4);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) four->WritePixel(x, y, 0xFF000000u | uint32_t((x + y * 4) * 10));
  }
  Ref<TPixmap> half = ScalePixmap(four, 2, 2);
  EXPECT_EQ(half->ReadPixel(0, 0) & 0xFF, 25u);  // (0 + 10 + 40 + 50) / 4
  EXPECT_EQ(half->ReadPixel(1, 1) & 0xFF, 125u);

  // An empty source has nothing to sample: the result is cleared.
  Ref<TPixmap> empty = ScalePixmap(NewPixmap(0, 0, FMT_RGB888, 4), 2, 2);
  EXPECT_EQ(empty->ReadPixel(1, 1), 0xFF000000u);
}

TEST_F(PixmapTest, DataTypeRoundTripsThroughAStream) {
  Ref<TPixmap> p = NewPixmap(3, 2, FMT_RGB888, 4);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) p->WritePixel(x, y, 0xFF000000u | uint32_t(x * 50 + y * 7));
  }
  EXPECT_EQ(p->DataType()->Tag(), String("VTL.Pixmap.TPixmap"));
  std::vector<uint8_t> buffer(64, 0);
  Ref<TRamStream> out = TRamStream::Create(buffer.data(), 64, 1, 1);
  PixmapDataType->WriteObject(p, out);
  EXPECT_EQ(out->Pos(), 12 + 2 * 9);  // header, then rows without padding
  out->Seek(0);
  Ref<TPixmap> back = DowncastObject<TPixmap>(PixmapDataType->ReadObject(out));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->pitch, 12);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(back->ReadPixel(x, y), p->ReadPixel(x, y));
  }
  // A record claiming more pixels than the stream holds is refused.
  buffer[0] = 0xFF, buffer[1] = 0xFF, buffer[2] = 0, buffer[3] = 0;
  out->Seek(0);
  EXPECT_FALSE(PixmapDataType->ReadObject(out));
}

}  // namespace
}  // namespace vtl
