// Damaged sound files: every sample file truncated and corrupted goes through
// LoadSampleUrl and each loader alone, and must end in a well-formed sample
// or the Null object with no stream left open; the committed fuzzing corpus
// is replayed.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "audio/audio.h"
#include "sound_files.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using test::Bytes;

class SampleLoaderRobustness : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitAudio(); }
};

// The sample, if any, must be well formed and every byte readable.
void CheckSample(const Ref<TAudioSample>& sample) {
  if (!sample) return;
  ASSERT_GE(sample->length, 0);
  ASSERT_GT(sample->hertz, 0);
  ASSERT_GT(ChannelsOfSampleFormat(sample->format), 0);
  ASSERT_EQ(sample->capacity, sample->length * BytesPerSampleFrame(sample->format));
  volatile uint32_t sum = 0;
  for (int32_t i = 0; i < sample->capacity; ++i) sum = sum + sample->samples[i];
}

// A memory stream that counts how often it is closed.
class CloseCountingStream : public TRamStream {
 public:
  explicit CloseCountingStream(Bytes bytes) : bytes_(std::move(bytes)) {
    _buf = bytes_.data();
    _size = static_cast<int32_t>(bytes_.size());
    _read = 1;
  }
  void Close() override { ++closes; }
  int32_t closes = 0;

 private:
  Bytes bytes_;
};

// "counted::": hands out a CloseCountingStream over the bytes set for it,
// so that the loader chain opens (and must close) the stream itself.
class CountedFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>&, const String& protocol, const String&, int32_t, int32_t) override {
    if (protocol != String("counted")) return nullptr;
    last = New<CloseCountingStream>(bytes);
    return last;
  }
  Bytes bytes;
  Ref<CloseCountingStream> last;
};

TEST_F(SampleLoaderRobustness, TruncatedAndCorruptedFilesLeaveNoStreamOpen) {
  static CountedFactory* factory = nullptr;
  if (!factory) factory = New<CountedFactory>().Get();  // factories live in their chain
  std::mt19937 random(99);
  const std::string path = test::TempPath("damaged.snd");
  const int32_t before = test::OpenFileCount();
  int32_t loads = 0;
  for (const auto& [name, bytes] : test::SoundFiles()) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(bytes.empty());
    const Ref<TAudioSample> whole = test::LoadSampleFromBytes(bytes);
    ASSERT_TRUE(whole) << "the undamaged file loads";
    // Prefixes from disk, where a forgotten close shows as an open descriptor.
    const size_t step = bytes.size() < 200 ? 1 : bytes.size() / 97;
    for (size_t length = 0; length < bytes.size(); length += step) {
      const Bytes cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
      test::WriteFile(path, cut);
      CheckSample(LoadSampleUrl(String::FromLatin1(path)));
      for (Ref<TAudioSampleLoader> l = TAudioSampleLoader::First(); l; l = l->_succ) {
        CheckSample(test::LoadSampleWith(*l, cut));
      }
      ++loads;
    }
    // Corrupted copies through a stream that records its Close.
    for (int trial = 0; trial < 150; ++trial) {
      Bytes damaged = bytes;
      const int flips = 1 + trial % 4;
      for (int i = 0; i < flips; ++i) {
        const size_t at = random() % damaged.size();
        damaged[at] = trial % 3 == 0 ? uint8_t(random()) : uint8_t(damaged[at] ^ (1u << (random() % 8)));
      }
      factory->bytes = damaged;
      CheckSample(LoadSampleUrl(String("counted::x")));
      ASSERT_TRUE(factory->last);
      ASSERT_EQ(factory->last->closes, 1);
      ++loads;
    }
    ASSERT_EQ(test::OpenFileCount(), before) << "a stream was left open";
  }
  std::remove(path.c_str());
  EXPECT_GT(loads, 1500);
}

TEST_F(SampleLoaderRobustness, UnknownDataIsRefusedAndTheCallersStreamStaysOpen) {
  EXPECT_FALSE(test::LoadSampleFromBytes(Bytes(3000, 0x5A)));
  EXPECT_FALSE(LoadSampleUrl(String("no-such-file.wav")));

  // A stream handed in is wrapped: it stays open and can be read again.
  auto stream = New<CloseCountingStream>(test::MakeWav({}, Bytes(40, 9)));
  ASSERT_TRUE(LoadSampleUrl(Ref<Object>(stream)));
  EXPECT_EQ(stream->closes, 0);
  stream->Seek(0);
  EXPECT_EQ(stream->ReadByte(), 'R');
}

TEST_F(SampleLoaderRobustness, CorpusReplay) {
  int32_t files = 0;
  for (const std::string& path : test::FilesIn(VTL_AUDIO_CORPUS_DIR)) {
    SCOPED_TRACE(path);
    CheckSample(LoadSampleUrl(String::FromLatin1(path)));
    // Each loader alone as well, as the fuzz targets run them.
    const Bytes bytes = test::ReadFile(path);
    for (Ref<TAudioSampleLoader> l = TAudioSampleLoader::First(); l; l = l->_succ) {
      CheckSample(test::LoadSampleWith(*l, bytes));
    }
    ++files;
  }
  EXPECT_GE(files, 11);
}

}  // namespace
}  // namespace vtl
