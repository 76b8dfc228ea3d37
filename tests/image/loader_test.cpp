// The four loaders on files the tests make themselves, checked pixel by
// pixel, their refusals, and the writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "image/image.h"
#include "one_way_stream.h"
#include "runtime/runtime.h"
#include "stream/stream.h"
#include "test_files.h"

namespace vtl {
namespace {

using test::Bytes;

class LoaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImage(); }
};

void ExpectPixels(const Ref<TPixmap>& p, int32_t format, int32_t width, int32_t height,
                  const std::vector<uint32_t>& argb) {
  ASSERT_TRUE(p);
  ASSERT_EQ(p->format, format);
  ASSERT_EQ(p->width, width);
  ASSERT_EQ(p->height, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      EXPECT_EQ(p->ReadPixel(x, y), argb[size_t(y * width + x)]) << std::hex << "pixel " << x << "," << y;
    }
  }
}

// A loader whose own constructor gives up after the base's has run.
class HalfMadeLoader : public TPixmapLoader {
 public:
  HalfMadeLoader() { RuntimeError("refused to be made"); }
  Ref<TPixmap> LoadPixmap(const Ref<TStream>&) override { return nullptr; }
};

TEST_F(LoaderTest, ALoaderWhoseConstructorThrowsNeverJoinsTheChain) {
  const Ref<TPixmapLoader> head = TPixmapLoader::First();
  EXPECT_THROW(New<HalfMadeLoader>(), ThrownObject);
  // A BMP is asked of every loader: a half-made one left in the chain is
  // freed memory.
  EXPECT_NE(test::LoadFromBytes(test::Bmp(24)), nullptr);
  EXPECT_EQ(TPixmapLoader::First(), head);
  // Registering a loader already in the chain moves nothing.
  EXPECT_EQ(RegisterPixmapLoader(Ref<TPixmapLoader>(&test::Loader<TPixmapLoaderBMP>())), 0);
  EXPECT_EQ(RegisterPixmapLoader(nullptr), 0);
  EXPECT_EQ(TPixmapLoader::First(), head);
}

TEST_F(LoaderTest, ChainIsTriedTgaPngJpegBmp) {
  Ref<TPixmapLoader> l = TPixmapLoader::First();
  EXPECT_TRUE(DowncastObject<TPixmapLoaderTGA>(l));
  EXPECT_TRUE(DowncastObject<TPixmapLoaderPNG>(l = l->_succ));
  EXPECT_TRUE(DowncastObject<TPixmapLoaderJPG>(l = l->_succ));
  EXPECT_TRUE(DowncastObject<TPixmapLoaderBMP>(l = l->_succ));
  EXPECT_FALSE(l->_succ);
}

TEST_F(LoaderTest, PngColourTypes) {
  ExpectPixels(test::LoadFromBytes(test::PalettePngWithTransparency()), FMT_RGBA8888, 3, 1,
               {0xFFFF0000, 0x0000FF00, 0x800000FF});
  ExpectPixels(test::LoadFromBytes(test::Rgb16Png()), FMT_RGB888, 2, 1, {0xFF12ABFF, 0xFF00807F});
  ExpectPixels(test::LoadFromBytes(test::Grey2Png()), FMT_GREY8, 5, 2,
               {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF, 0xFF000000,  //
                0xFFFFFFFF, 0xFFAAAAAA, 0xFF555555, 0xFF000000, 0xFFFFFFFF});
  ExpectPixels(test::LoadFromBytes(test::GreyAlphaPng()), FMT_RGBA8888, 2, 1, {0x32C8C8C8, 0xFF0A0A0A});
  ExpectPixels(test::LoadFromBytes(test::GreyTransparentPng()), FMT_RGBA8888, 3, 1,
               {0x00070707, 0xFF080808, 0xFFC8C8C8});
  // A palette without transparency comes out as RGB.
  ExpectPixels(test::LoadFromBytes(test::MakePng(2, 1, 8, 3, {{1, 0}}, {1, 2, 3, 4, 5, 6})), FMT_RGB888, 2, 1,
               {0xFF040506, 0xFF010203});
}

TEST_F(LoaderTest, PngWriterRoundTripsEveryKind) {
  for (int32_t format : {FMT_GREY8, FMT_RGB888, FMT_RGBA8888, FMT_BGR888, FMT_BGRA8888, FMT_ALPHA8}) {
    Ref<TPixmap> source = test::QuadrantPixmap(format);
    source->WritePixel(3, 3, 0x40102030);
    Ref<TPixmap> back = test::LoadFromBytes(test::SavePng(source, 9));
    ASSERT_TRUE(back) << format;
    const int32_t want = format == FMT_GREY8 ? FMT_GREY8 : (AlphaBitsPerPixel[format] ? FMT_RGBA8888 : FMT_RGB888);
    EXPECT_EQ(back->format, want);
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 32; ++x) ASSERT_EQ(back->ReadPixel(x, y), source->ReadPixel(x, y)) << format;
    }
  }
}

TEST_F(LoaderTest, JpegGreyAndColourLoadCloseToTheSource) {
  for (int32_t format : {FMT_GREY8, FMT_RGB888}) {
    Ref<TPixmap> source = test::QuadrantPixmap(format);
    Ref<TPixmap> back = test::LoadFromBytes(test::SaveJpeg(source, 100));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->format, format);
    ASSERT_EQ(back->width, 32);
    // Away from the quarter edges, where chroma is blended, colours survive closely.
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 32; ++x) {
        if ((x >= 13 && x <= 18) || (y >= 13 && y <= 18)) continue;
        const uint32_t a = back->ReadPixel(x, y), b = source->ReadPixel(x, y);
        for (int shift = 0; shift < 24; shift += 8) {
          ASSERT_NEAR(int(a >> shift & 0xFF), int(b >> shift & 0xFF), 6) << x << "," << y;
        }
      }
    }
  }
}

TEST_F(LoaderTest, JpegRefusesCmykAndJunk) {
  auto& jpg = test::Loader<TPixmapLoaderJPG>();
  EXPECT_FALSE(test::LoadWith(jpg, test::MakeCmykJpeg(8, 8)));
  EXPECT_FALSE(test::LoadFromBytes(test::MakeCmykJpeg(8, 8)));
  EXPECT_FALSE(test::LoadWith(jpg, {}));
  EXPECT_FALSE(test::LoadWith(jpg, {0xFF, 0xD8, 0xFF, 0xC0, 0x00}));
}

TEST_F(LoaderTest, JpegThatEndsEarlyStillLoads) {
  // Noise, so that the scan data and not the tables make up most of the file.
  Ref<TPixmap> noise = NewPixmap(128, 128, FMT_RGB888, 4);
  uint32_t state = 1;
  for (int32_t i = 0; i < 128 * noise->pitch; ++i)
    noise->pixels[i] = uint8_t((state = state * 1103515245 + 12345) >> 16);
  Bytes jpeg = test::SaveJpeg(noise, 90);
  jpeg.resize(jpeg.size() * 2 / 3);
  Ref<TPixmap> p = test::LoadFromBytes(jpeg);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->width, 128);
  EXPECT_EQ(p->format, FMT_RGB888);
}

TEST_F(LoaderTest, TgaPlainAndRunLength) {
  for (int32_t bits : {15, 16, 24, 32}) {
    for (bool rle : {false, true}) {
      std::vector<uint32_t> want;
      for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 4; ++x) want.push_back(test::TgaExpected(bits, x, y));
      }
      const int32_t format = bits == 16 || bits == 32 ? FMT_RGBA8888 : FMT_RGB888;
      SCOPED_TRACE(testing::Message() << bits << " bits, run-length " << rle);
      ExpectPixels(test::LoadFromBytes(test::Tga(bits, rle)), format, 4, 2, want);
    }
  }
}

TEST_F(LoaderTest, TgaSixteenBitAlphaBit) {
  Bytes body;
  test::Put16(body, 0x8000 | (31 << 10));
  test::Put16(body, 31 << 10);
  ExpectPixels(test::LoadFromBytes(test::MakeTga(2, 2, 1, 16, body)), FMT_RGBA8888, 2, 1, {0x00F80000, 0xFFF80000});
}

TEST_F(LoaderTest, TgaRunPacketsRepeatAndCopy) {
  // 0x83: one pixel four times; 0x03: four literal pixels.
  Bytes body = {0x83, 1, 2, 3, 0x03, 10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
  ExpectPixels(test::LoadFromBytes(test::MakeTga(10, 4, 2, 24, body)), FMT_RGB888, 4, 2,
               {0xFF0C0B0A, 0xFF161514, 0xFF201F1E, 0xFF2A2928, 0xFF030201, 0xFF030201, 0xFF030201, 0xFF030201});
}

TEST_F(LoaderTest, TgaRefusals) {
  auto& tga = test::Loader<TPixmapLoaderTGA>();
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(2, 4097, 1, 24, Bytes(4097 * 3))));
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(2, 1, 1, 24, {1, 2, 3}, 0, 1)));  // colour map
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(2, 0, 1, 24, {})));
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(2, 1, 1, 8, {1})));
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(1, 1, 1, 24, {1, 2, 3})));  // colour-mapped without a map
  // A run that would pass the end of its 2-pixel row.
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(10, 2, 2, 24, {0x82, 1, 2, 3, 0x82, 1, 2, 3})));
  EXPECT_FALSE(test::LoadWith(tga, test::MakeTga(10, 2, 1, 24, {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9})));
}

TEST_F(LoaderTest, BmpBitDepths) {
  for (int32_t bits : {1, 4, 8, 24, 32}) {
    std::vector<uint32_t> want;
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < 9; ++x) want.push_back(test::BmpExpected(bits, x, y));
    }
    SCOPED_TRACE(testing::Message() << bits << " bits");
    ExpectPixels(test::LoadFromBytes(test::Bmp(bits)), bits == 32 ? FMT_BGRA8888 : FMT_BGR888, 9, 2, want);
  }
}

TEST_F(LoaderTest, BmpRowSizes) {
  // 1 bit, width 9: 4 bytes a row. The second row (the top one) is all set bits.
  Bytes rows = {0, 0, 0, 0, 0xFF, 0x80, 0, 0};
  Ref<TPixmap> p = test::LoadFromBytes(test::MakeBmp(9, 2, 1, {0, 0, 0, 0, 1, 2, 3, 0}, rows));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(8, 0), 0xFF030201u);
  EXPECT_EQ(p->ReadPixel(8, 1), 0xFF000000u);
  // 24 bits, width 3: 12 bytes a row.
  Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  p = test::LoadFromBytes(test::MakeBmp(3, 2, 24, {}, rgb));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xFF0C0B0Au);
  EXPECT_EQ(p->ReadPixel(2, 1), 0xFF090807u);
}

TEST_F(LoaderTest, BmpThirtyTwoBitsKeepsZeroAlpha) {
  Ref<TPixmap> p = test::LoadFromBytes(test::MakeBmp(2, 1, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  ExpectPixels(p, FMT_BGRA8888, 2, 1, {0x00030201, 0x00060504});
}

TEST_F(LoaderTest, BmpLongerHeadersAndGapsBeforeTheRows) {
  // 124-byte header, 8-bit with a two-entry palette, rows after a 12-byte gap.
  Bytes palette = {10, 20, 30, 0, 40, 50, 60, 0};
  Bytes rows = {1, 0, 0, 0, 0, 1, 0, 0};  // bottom row first, padded to 4
  Ref<TPixmap> p = test::LoadFromBytes(test::MakeBmp(2, 2, 8, palette, rows, 2, 124, 12));
  ExpectPixels(p, FMT_BGR888, 2, 2, {0xFF1E140A, 0xFF3C3228, 0xFF3C3228, 0xFF1E140A});
  // 32 bits with bit fields: the three masks sit between header and rows.
  p = test::LoadFromBytes(test::MakeBmp(1, 1, 32, {}, {1, 2, 3, 4}, 0, 40, 12, 3));
  ExpectPixels(p, FMT_BGRA8888, 1, 1, {0x04030201});
  // Run-length data is refused rather than shown as noise.
  EXPECT_FALSE(test::LoadWith(test::Loader<TPixmapLoaderBMP>(), test::MakeBmp(2, 2, 8, palette, rows, 2, 40, 0, 1)));
}

TEST_F(LoaderTest, BmpRefusals) {
  auto& bmp = test::Loader<TPixmapLoaderBMP>();
  EXPECT_FALSE(test::LoadFromBytes({'B', 'M'}));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(2, -2, 24, {}, Bytes(16))));  // top-down
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(-2, 2, 24, {}, Bytes(16))));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(0, 2, 24, {}, Bytes(16))));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(16385, 1, 24, {}, Bytes(16))));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(2, 2, 16, {}, Bytes(16))));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(2, 2, 4, Bytes(17 * 4), Bytes(16), 17)));
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(2, 2, 8, Bytes(16), Bytes(16), -1)));
  // 10000 x 10000 pixels from a 60-byte file is not a picture.
  EXPECT_FALSE(test::LoadWith(bmp, test::MakeBmp(10000, 10000, 24, {}, {})));
}

TEST_F(LoaderTest, BmpAndTgaThatEndEarlyLoadWithWhatArrived) {
  Bytes bmp = test::Bmp(24);
  bmp.resize(bmp.size() - 28);  // the top row is missing: it keeps the bottom row's bytes
  Ref<TPixmap> p = test::LoadFromBytes(bmp);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(4, 0), p->ReadPixel(4, 1));
  Bytes tga = test::Tga(24, false);
  tga.resize(tga.size() - 12);
  p = test::LoadFromBytes(tga);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(0, 1), test::TgaExpected(24, 0, 1));
}

TEST_F(LoaderTest, WritersReportFailure) {
  Ref<TPixmap> p = test::QuadrantPixmap(FMT_RGB888);
  EXPECT_EQ(SavePixmapPNG(p, String("/nonexistent-dir/x.png"), 5), 0);
  EXPECT_EQ(SavePixmapJPEG(p, String("/nonexistent-dir/x.jpg"), 80), 0);
  EXPECT_EQ(SavePixmapPNG(nullptr, String::FromLatin1(test::TempPath("null.png")), 5), 0);
  // A stream too small for the file: the write error ends in 0, not a crash.
  uint8_t small[64];
  EXPECT_EQ(SavePixmapPNG(p, Ref<Object>(TRamStream::Create(small, 64, 0, 1)), 0), 0);
  EXPECT_EQ(SavePixmapJPEG(p, Ref<Object>(TRamStream::Create(small, 64, 0, 1)), 80), 0);
  // A full disk: the small file waits in the C library's buffer until the
  // close, whose failure is the save's.
  EXPECT_EQ(SavePixmapPNG(p, String("/dev/full"), 5), 0);
  EXPECT_EQ(SavePixmapJPEG(p, String("/dev/full"), 80), 0);
  const std::string path = test::TempPath("saved.png");
  EXPECT_EQ(SavePixmapPNG(p, String::FromLatin1(path), 5), 1);
  Ref<TPixmap> back = LoadPixmapUrl(String::FromLatin1(path));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ReadPixel(20, 20), p->ReadPixel(20, 20));
  std::remove(path.c_str());
  EXPECT_EQ(LoadPixmapUrl("/nonexistent-dir/x.png"), nullptr);  // a plain literal names a file too
}

// The bytes of a file up to failAt; reading further is a stream error.
class BreakingStream : public TStream {
 public:
  BreakingStream(Bytes bytes, int32_t failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}
  int32_t Pos() override { return pos_; }
  int32_t Size() override { return static_cast<int32_t>(bytes_.size()); }
  int32_t Seek(int32_t pos) override { return pos_ = pos; }
  int32_t Read(void* buf, int32_t count) override {
    if (pos_ >= failAt_) ThrowStreamRead();
    count = std::min(count, failAt_ - pos_);
    std::copy_n(bytes_.begin() + pos_, count, static_cast<uint8_t*>(buf));
    pos_ += count;
    return count;
  }

 private:
  Bytes bytes_;
  int32_t failAt_;
  int32_t pos_ = 0;
};

TEST_F(LoaderTest, StreamErrorsInsideLibpngAndLibjpegEndInNull) {
  // The error is raised while the C library is reading: it must come back
  // through the library's own error path, as a plain refusal.
  const Bytes png = test::SavePng(test::QuadrantPixmap(FMT_RGB888));
  const Bytes jpeg = test::SaveJpeg(test::QuadrantPixmap(FMT_RGB888));
  const int32_t pngSize = static_cast<int32_t>(png.size()), jpegSize = static_cast<int32_t>(jpeg.size());
  for (int32_t failAt : {8, 20, pngSize / 2, pngSize - 1}) {
    auto stream = New<BreakingStream>(png, failAt);
    EXPECT_FALSE(test::Loader<TPixmapLoaderPNG>().LoadPixmap(stream)) << failAt;
  }
  for (int32_t failAt : {0, 100, jpegSize / 2, jpegSize - 1}) {
    auto stream = New<BreakingStream>(jpeg, failAt);
    EXPECT_FALSE(test::Loader<TPixmapLoaderJPG>().LoadPixmap(stream)) << failAt;
  }
  // The same files whole still load, so the refusals came from the errors.
  EXPECT_TRUE(test::Loader<TPixmapLoaderPNG>().LoadPixmap(New<BreakingStream>(png, pngSize)));
  EXPECT_TRUE(test::Loader<TPixmapLoaderJPG>().LoadPixmap(New<BreakingStream>(jpeg, jpegSize)));
}

Ref<TPixmap> LoadOneWay(const Bytes& bytes, size_t failAt = SIZE_MAX) {
  return LoadPixmapUrl(Ref<Object>(New<test::OneWayStream>(bytes, failAt)));
}

TEST_F(LoaderTest, StreamsWithoutPositionsLoadAsFilesDo) {
  // Every sample file, of every loader, gives the same answer through a
  // stream that cannot seek back as through one that can.
  for (const auto& [name, bytes] : test::SampleFiles()) {
    Ref<TPixmap> seekable = test::LoadFromBytes(bytes);
    Ref<TPixmap> oneWay = LoadOneWay(bytes);
    ASSERT_EQ(oneWay == nullptr, seekable == nullptr) << name;
    if (!seekable) continue;
    ASSERT_EQ(oneWay->format, seekable->format) << name;
    ASSERT_EQ(oneWay->width, seekable->width) << name;
    ASSERT_EQ(oneWay->height, seekable->height) << name;
    for (int32_t y = 0; y < seekable->height; ++y)
      for (int32_t x = 0; x < seekable->width; ++x)
        ASSERT_EQ(oneWay->ReadPixel(x, y), seekable->ReadPixel(x, y)) << name << " " << x << "," << y;
  }
  // The last loader asked (BMP) is found too, after three have read and refused.
  ExpectPixels(LoadOneWay(test::Bmp(24)), FMT_BGR888, 9, 2, [] {
    std::vector<uint32_t> argb;
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 9; ++x) argb.push_back(test::BmpExpected(24, x, y));
    return argb;
  }());
}

TEST_F(LoaderTest, ARefusalSaysWhyAndASuccessLeavesTheReasonAlone) {
  const Bytes png = test::SavePng(test::QuadrantPixmap(FMT_RGB888));
  const std::string truncated = test::TempPath("title.png");
  test::WriteFile(truncated, Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
  ClearLastErrorText();
  EXPECT_EQ(LoadPixmapUrl(String(truncated.c_str())), nullptr);
  // Every loader's reason, in the order they were asked, after the name.
  const std::string why = LastErrorText().ToUtf8();
  size_t at = 0;
  for (const char* part : {"title.png: ", "not a TGA file; ", "PNG: the file ends inside the image data (truncated); ",
                           "not a JPEG file; ", "not a BMP file"}) {
    const size_t found = why.find(part, at);
    EXPECT_NE(found, std::string::npos) << part << " in: " << why;
    if (found != std::string::npos) at = found;
  }
  std::remove(truncated.c_str());

  // When nothing opens, the opening says why.
  EXPECT_EQ(LoadPixmapUrl("no/such/dir/x.png"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open 'no/such/dir/x.png' for reading: No such file or directory"));
  EXPECT_EQ(LoadPixmapUrl("gopher::x"), nullptr);
  EXPECT_EQ(LastErrorText(), String("No stream factory for protocol 'gopher' in 'gopher::x'"));
  // A stream that fails while it is read into memory.
  EXPECT_EQ(LoadOneWay(png, 8), nullptr);
  EXPECT_NE(LastErrorText().ToUtf8().find("failed while it was read into memory"), std::string::npos)
      << LastErrorText();

  // A load that succeeds, after loaders that refused, leaves the last reason.
  const String before = LastErrorText();
  EXPECT_NE(LoadOneWay(test::Bmp(24)), nullptr);
  EXPECT_NE(test::LoadFromBytes(png), nullptr);
  EXPECT_EQ(LastErrorText(), before);
}

TEST_F(LoaderTest, StreamsWithoutPositionsThatFailOrHoldNoPictureGiveNull) {
  const Bytes png = test::SavePng(test::QuadrantPixmap(FMT_RGB888));
  ASSERT_TRUE(LoadOneWay(png));
  for (size_t failAt : {size_t{0}, size_t{8}, png.size() / 2, png.size() - 1}) {
    EXPECT_EQ(LoadOneWay(png, failAt), nullptr) << failAt;  // a refusal, not an exception
  }
  EXPECT_EQ(LoadOneWay(Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2))), nullptr);
  EXPECT_EQ(LoadOneWay(Bytes()), nullptr);
  EXPECT_EQ(LoadOneWay(Bytes(5000, 0x42)), nullptr);
}

}  // namespace
}  // namespace vtl
