// Damaged files: every sample truncated and corrupted goes through
// LoadPixmapUrl from disk and must end in a pixmap or the Null object with
// no file left open; the committed fuzzing corpus is replayed.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "image/image.h"
#include "stream/stream.h"
#include "test_files.h"

namespace vtl {
namespace {

using test::Bytes;

class RobustnessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImage(); }
};

// Loads from a file; the pixmap, if any, must be well formed.
void LoadFileAndCheck(const std::string& path) {
  Ref<TPixmap> p = LoadPixmapUrl(String::FromLatin1(path));
  if (!p) return;
  ASSERT_GT(p->width, 0);
  ASSERT_GT(p->height, 0);
  ASSERT_TRUE(IsPixelFormat(p->format));
  ASSERT_GE(p->capacity, p->pitch * p->height);
  // Touch every pixel so that a short allocation shows under the sanitizers.
  for (int32_t y = 0; y < p->height; ++y) {
    for (int32_t x = 0; x < p->width; ++x) p->ReadPixel(x, y);
  }
}

TEST_F(RobustnessTest, TruncatedAndCorruptedSamplesLeaveNoFileOpen) {
  std::mt19937 random(1234);
  const std::string path = test::TempPath("damaged");
  const int32_t before = test::OpenFileCount();
  int32_t loads = 0;
  for (const auto& [name, bytes] : test::SampleFiles()) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(bytes.empty());
    // A spread of prefixes from disk, which is where a forgotten close shows.
    const size_t step = bytes.size() < 40 ? 1 : bytes.size() / 37;
    for (size_t length = 0; length < bytes.size(); length += step) {
      test::WriteFile(path, Bytes(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)));
      LoadFileAndCheck(path);
      ++loads;
    }
    // Corrupted copies from memory, many more of them.
    for (int trial = 0; trial < 200; ++trial) {
      Bytes damaged = bytes;
      const int flips = 1 + trial % 4;
      for (int i = 0; i < flips; ++i) {
        const size_t at = random() % damaged.size();
        damaged[at] = trial % 3 == 0 ? uint8_t(random()) : uint8_t(damaged[at] ^ (1u << (random() % 8)));
      }
      Ref<TPixmap> p = test::LoadFromBytes(damaged);
      if (p) {
        for (int32_t y = 0; y < p->height; ++y) {
          for (int32_t x = 0; x < p->width; ++x) p->ReadPixel(x, y);
        }
      }
      ++loads;
    }
    ASSERT_EQ(test::OpenFileCount(), before) << "a stream was left open";
  }
  std::remove(path.c_str());
  EXPECT_GT(loads, 5000);
}

TEST_F(RobustnessTest, UnknownDataIsRefusedAndTheCallersStreamStaysOpen) {
  const std::string path = test::TempPath("unknown.bin");
  test::WriteFile(path, Bytes(100, 0x5A));
  const int32_t before = test::OpenFileCount();
  EXPECT_FALSE(LoadPixmapUrl(String::FromLatin1(path)));
  EXPECT_FALSE(LoadPixmapUrl(String("no-such-file.png")));
  EXPECT_EQ(test::OpenFileCount(), before);

  // A stream handed in is wrapped: it stays open, and a later load from it still works.
  Bytes png = test::SavePng(test::QuadrantPixmap(FMT_RGB888));
  test::WriteFile(path, png);
  Ref<TStream> stream = OpenReadStream(String::FromLatin1(path));
  ASSERT_TRUE(stream);
  ASSERT_TRUE(LoadPixmapUrl(Ref<Object>(stream)));
  stream->Seek(0);
  EXPECT_EQ(stream->ReadByte(), 0x89);
  stream->Close();
  std::remove(path.c_str());
}

// A stream that cannot tell its position is refused before any loader runs.
class NoPositionStream : public TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
};

TEST_F(RobustnessTest, StreamWithoutPositionIsRefused) {
  EXPECT_FALSE(LoadPixmapUrl(Ref<Object>(New<NoPositionStream>())));
}

// A positioned stream whose every Read fails with the given error.
class FailingStream : public TStream {
 public:
  explicit FailingStream(bool streamError) : streamError_(streamError) {}
  int32_t Pos() override { return 0; }
  int32_t Size() override { return 1000; }
  int32_t Seek(int32_t) override { return 0; }
  int32_t Read(void*, int32_t) override {
    ++reads;
    if (streamError_) ThrowStreamRead();
    RuntimeError("disk on fire");
  }
  int32_t reads = 0;

 private:
  bool streamError_;
};

TEST_F(RobustnessTest, StreamErrorsAreRefusalsButOtherErrorsReachTheCaller) {
  // Every loader reads, fails and counts as refusing; none of them ends the walk.
  auto failing = New<FailingStream>(true);
  EXPECT_FALSE(LoadPixmapUrl(Ref<Object>(failing)));
  EXPECT_EQ(failing->reads, 4);

  // Any other error is a real fault: the first loader's ends the load.
  auto broken = New<FailingStream>(false);
  EXPECT_THROW(LoadPixmapUrl(Ref<Object>(broken)), ThrownObject);
  EXPECT_EQ(broken->reads, 1);
}

TEST_F(RobustnessTest, CorpusReplay) {
  const std::vector<std::string> paths = test::FilesIn(VTL_IMAGE_CORPUS_DIR);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    LoadFileAndCheck(path);
    // Each loader alone as well, as the fuzz targets run them.
    const Bytes bytes = test::ReadFile(path);
    for (Ref<TPixmapLoader> loader = TPixmapLoader::First(); loader; loader = loader->_succ) {
      test::LoadWith(*loader, bytes);
    }
  }
  EXPECT_GT(paths.size(), 10u);
}

}  // namespace
}  // namespace vtl
