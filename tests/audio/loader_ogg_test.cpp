// The Ogg Vorbis loader on files encoded at test time with libvorbisenc:
// format, rate and length, a sine that survives the encoding, files that
// start inside their stream, chained files, files that end early, and
// streams that fail under the decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "audio/audio.h"
#include "runtime/exceptions.h"
#include "sound_files.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using test::Bytes;

class OggLoader : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitAudio(); }
  static Ref<TAudioSample> Load(const Bytes& bytes) {
    return test::LoadSampleWith(test::SampleLoader<TAudioSampleLoaderOGG>(), bytes);
  }
  static void ExpectLayout(const Ref<TAudioSample>& sample, int32_t format, int32_t hertz, int32_t frames) {
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->format, format);
    EXPECT_EQ(sample->hertz, hertz);
    ASSERT_EQ(sample->length, frames);
  }
};

TEST_F(OggLoader, MonoLoadsWithItsRateLengthAndTone) {
  const Bytes ogg = test::MakeOggSine(44100, 44100, {1000});
  ASSERT_FALSE(ogg.empty());
  Ref<TAudioSample> sample = test::LoadSampleFromBytes(ogg);
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(sample, AUDIO_MONO16LE, 44100, 44100));
  EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 0), 1000, 10);
}

TEST_F(OggLoader, StereoKeepsEachChannelsTone) {
  Ref<TAudioSample> sample = test::LoadSampleFromBytes(test::MakeOggSine(22050, 22050, {440, 1320}));
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(sample, AUDIO_STEREO16LE, 22050, 22050));
  EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 0), 440, 5);
  EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 1), 1320, 13);
}

// Loads the file's bytes from `start` on: the file is opened and moved there
// first, as when a sound is stored inside a larger file.
Ref<TAudioSample> LoadFromFileAt(const Bytes& bytes, size_t start) {
  const std::string path = test::TempPath("placed.ogg");
  test::WriteFile(path, bytes);
  Ref<TStream> stream = OpenReadStream(String::FromLatin1(path));
  if (!stream) return nullptr;
  stream->Seek(static_cast<int32_t>(start));
  Ref<TAudioSample> sample = LoadSampleUrl(Ref<Object>(stream));
  stream->Close();
  std::remove(path.c_str());
  return sample;
}

TEST_F(OggLoader, AFileThatStartsInsideItsStreamLoadsFromThere) {
  const Bytes ogg = test::MakeOggSine(22050, 22050, {1000});
  // In front: a few bytes, more than the decoder searches for a first page,
  // and another file of the same serial number that must not be read.
  const std::pair<const char*, Bytes> fronts[] = {
      {"5 bytes", Bytes(5, 0xA5)},
      {"70000 bytes", Bytes(70000, 0xA5)},
      {"another Ogg file", test::MakeOggSine(11025, 22050, {300})},
  };
  for (const auto& [what, front] : fronts) {
    SCOPED_TRACE(what);
    Ref<TAudioSample> sample = LoadFromFileAt(test::Joined(front, ogg), front.size());
    ASSERT_NO_FATAL_FAILURE(ExpectLayout(sample, AUDIO_MONO16LE, 22050, 22050));
    EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 0), 1000, 10);
  }
}

TEST_F(OggLoader, EveryLinkOfAChainedFileIsDecodedInOrder) {
  // After opening, a decoder over a chain whose first link is short stands
  // at the second link; the first must be decoded all the same.
  const Bytes junk(5, 0x3C);
  for (int32_t firstFrames : {1000, 8000}) {
    const Bytes chain = test::Joined(test::MakeOggSine(firstFrames, 22050, {1000}, 0.3f, 0, 1),
                                     test::MakeOggSine(6000, 22050, {3000}, 0.3f, 0, 2));
    for (size_t start : {size_t{0}, junk.size()}) {
      SCOPED_TRACE(std::to_string(firstFrames) + " frames first, from byte " + std::to_string(start));
      Ref<TAudioSample> sample = start == 0 ? Load(chain) : LoadFromFileAt(test::Joined(junk, chain), start);
      ASSERT_NO_FATAL_FAILURE(ExpectLayout(sample, AUDIO_MONO16LE, 22050, firstFrames + 6000));
      // Away from the joint, each link keeps its own tone.
      EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 0, 100, firstFrames - 300), 1000, 40);
      EXPECT_NEAR(test::ZeroCrossingFrequency(*sample, 0, firstFrames + 200, 5600), 3000, 20);
    }
  }
}

TEST_F(OggLoader, AChainWhoseLinksChangeChannelsOrRateIsRefused) {
  for (int32_t firstFrames : {1000, 8000}) {
    SCOPED_TRACE(firstFrames);
    const Bytes first = test::MakeOggSine(firstFrames, 22050, {500}, 0.3f, 0, 1);
    EXPECT_FALSE(Load(test::Joined(first, test::MakeOggSine(6000, 22050, {500, 700}, 0.3f, 0, 2))));
    EXPECT_FALSE(Load(test::Joined(first, test::MakeOggSine(6000, 11025, {500}, 0.3f, 0, 2))));
  }
}

TEST_F(OggLoader, AStreamShorterThanItsAnnouncedLengthGivesTheDecodedFrames) {
  // The last page claims 100000 frames more than were encoded. Without a
  // true end position the last block is not trimmed, so up to one block
  // more than was encoded comes out, but nothing near the claim.
  Ref<TAudioSample> sample = Load(test::MakeOggSine(8000, 8000, {500}, 0.3f, 100000));
  ASSERT_TRUE(sample);
  EXPECT_GE(sample->length, 8000);
  EXPECT_LE(sample->length, 8000 + 2048);
  EXPECT_EQ(sample->capacity, sample->length * 2);
}

TEST_F(OggLoader, FilesCutShortLoadWhatTheyHoldOrNothing) {
  const Bytes ogg = test::MakeOggSine(16000, 8000, {500});
  for (size_t length : {size_t{0}, size_t{20}, ogg.size() / 2, ogg.size() - 1}) {
    SCOPED_TRACE(length);
    Ref<TAudioSample> sample = Load(Bytes(ogg.begin(), ogg.begin() + static_cast<ptrdiff_t>(length)));
    if (sample) {
      EXPECT_LT(sample->length, 16000);
    }
  }
}

TEST_F(OggLoader, OtherDataIsRefused) {
  EXPECT_FALSE(Load({}));
  EXPECT_FALSE(Load(Bytes(5000, 0)));
  EXPECT_FALSE(Load(test::MakeWav({}, Bytes(400, 1))));
  Bytes pagesOnly = {'O', 'g', 'g', 'S'};
  pagesOnly.resize(300, 0);
  EXPECT_FALSE(Load(pagesOnly));
}

// A memory stream whose reads fail with the given error after `limit` bytes.
class BreakingStream : public TRamStream {
 public:
  BreakingStream(Bytes bytes, int32_t limit, bool streamError)
      : bytes_(std::move(bytes)), limit_(limit), streamError_(streamError) {
    _buf = bytes_.data();
    _size = static_cast<int32_t>(bytes_.size());
    _read = 1;
  }
  int32_t Read(void* buf, int32_t count) override {
    if (Pos() >= limit_) {
      if (streamError_) ThrowStreamRead();
      RuntimeError("disk on fire");
    }
    return TRamStream::Read(buf, count < limit_ - Pos() ? count : limit_ - Pos());
  }

 private:
  Bytes bytes_;
  int32_t limit_;
  bool streamError_;
};

TEST_F(OggLoader, StreamErrorsUnderTheDecoderEndInTheNullObject) {
  // Whatever the stream throws stays on this side of libvorbis: the decoder
  // sees a failed read and the loader refuses.
  const Bytes ogg = test::MakeOggSine(16000, 8000, {500});
  auto& loader = test::SampleLoader<TAudioSampleLoaderOGG>();
  for (bool streamError : {true, false}) {
    for (int32_t limit : {10, 3000, static_cast<int32_t>(ogg.size()) - 100}) {
      SCOPED_TRACE(limit);
      auto stream = New<BreakingStream>(ogg, limit, streamError);
      Ref<TAudioSample> sample;
      EXPECT_NO_THROW(sample = loader.LoadAudioSample(stream));
      if (sample) {
        EXPECT_LT(sample->length, 16000);
      }
    }
  }
}

}  // namespace
}  // namespace vtl
