// The sample loader chain as a whole: who is in it, reading streams that
// cannot seek, and the reasons it gives when every loader refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "audio/audio.h"
#include "one_way_stream.h"
#include "runtime/runtime.h"
#include "sound_files.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using test::Bytes;

class SampleChain : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitAudio(); }
};

// A loader whose own constructor gives up after the base's has run.
class HalfMadeSampleLoader : public TAudioSampleLoader {
 public:
  HalfMadeSampleLoader() { RuntimeError("refused to be made"); }
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>&) override { return nullptr; }
};

TEST_F(SampleChain, ALoaderWhoseConstructorThrowsNeverJoinsTheChain) {
  const Ref<TAudioSampleLoader> head = TAudioSampleLoader::First();
  EXPECT_THROW(New<HalfMadeSampleLoader>(), ThrownObject);
  // An Ogg file is asked of the WAV loader first, then of the Ogg loader: a
  // half-made loader left at the head would be freed memory.
  EXPECT_NE(test::LoadSampleFromBytes(test::MakeOggSine(2000, 22050, {440})), nullptr);
  EXPECT_EQ(TAudioSampleLoader::First(), head);
  EXPECT_EQ(RegisterAudioSampleLoader(Ref<TAudioSampleLoader>(&test::SampleLoader<TAudioSampleLoaderOGG>())), 0);
  EXPECT_EQ(RegisterAudioSampleLoader(nullptr), 0);
  EXPECT_EQ(TAudioSampleLoader::First(), head);
}

Ref<TAudioSample> LoadOneWay(const Bytes& bytes, size_t failAt = SIZE_MAX) {
  return LoadSampleUrl(Ref<Object>(New<test::OneWayStream>(bytes, failAt)));
}

// Zero bytes without end, from a stream that cannot tell its position.
class EndlessStream : public TStream {
 public:
  int32_t Pos() override { return -1; }
  int32_t Eof() override { return 0; }
  int32_t Read(void* buf, int32_t count) override {
    std::memset(buf, 0, static_cast<size_t>(count));
    return count;
  }
};

TEST_F(SampleChain, SoundsFromStreamsThatCannotSeekLoadAsFromMemory) {
  for (const auto& [name, bytes] : test::SoundFiles()) {
    Ref<TAudioSample> seekable = test::LoadSampleFromBytes(bytes);
    Ref<TAudioSample> oneWay = LoadOneWay(bytes);
    ASSERT_EQ(oneWay == nullptr, seekable == nullptr) << name;
    if (!seekable) continue;
    ASSERT_EQ(oneWay->format, seekable->format) << name;
    ASSERT_EQ(oneWay->hertz, seekable->hertz) << name;
    ASSERT_EQ(oneWay->length, seekable->length) << name;
    EXPECT_EQ(std::memcmp(oneWay->samples, seekable->samples,
                          static_cast<size_t>(seekable->length) * BytesPerSampleFrame(seekable->format)),
              0)
        << name;
  }
  // Reading into memory is bounded, and a stream error meanwhile is a refusal.
  EXPECT_EQ(LoadSampleUrl(Ref<Object>(New<EndlessStream>())), nullptr);
  EXPECT_NE(LastErrorText().ToUtf8().find("holds more than 67108864 bytes"), std::string::npos) << LastErrorText();
  const Bytes wav = test::MakeWav(test::PcmLayout(1, 8000, 8), Bytes(100, 128));
  EXPECT_EQ(LoadOneWay(wav, 30), nullptr);
  EXPECT_NE(LastErrorText().ToUtf8().find("failed while it was read into memory"), std::string::npos)
      << LastErrorText();
}

// Refuses everything and says nothing.
class QuietLoader : public TAudioSampleLoader {
 public:
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>&) override { return nullptr; }
};

// The parts in order, each after the one before.
void ExpectInOrder(const String& text, std::initializer_list<const char*> parts) {
  const std::string why = text.ToUtf8();
  size_t at = 0;
  for (const char* part : parts) {
    const size_t found = why.find(part, at);
    EXPECT_NE(found, std::string::npos) << part << " in: " << why;
    if (found != std::string::npos) at = found;
  }
}

TEST_F(SampleChain, ARefusalSaysWhyAndASuccessLeavesTheReasonAlone) {
  static const bool joined = RegisterAudioSampleLoader(New<QuietLoader>()) == 0;  // New linked it already
  EXPECT_TRUE(joined);
  const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 's', 'o', 'u', 'n', 'd'};
  EXPECT_EQ(test::LoadSampleFromBytes(text), nullptr);
  ExpectInOrder(LastErrorText(), {"QuietLoader loader refused it; ", "not a WAV file; ", "not an Ogg Vorbis file"});

  test::WavLayout floating = test::PcmLayout(1, 8000, 16);
  floating.formatTag = 3;
  EXPECT_EQ(test::LoadSampleFromBytes(test::MakeWav(floating, Bytes(8, 0))), nullptr);
  ExpectInOrder(LastErrorText(), {"WAV: format 3 is not PCM; ", "not an Ogg Vorbis file"});

  const Bytes wav = test::MakeWav(test::PcmLayout(2, 44100, 16), Bytes(400, 0));
  const std::string cut = test::TempPath("boom.wav");
  test::WriteFile(cut, Bytes(wav.begin(), wav.begin() + 38));
  EXPECT_EQ(LoadSampleUrl(String(cut.c_str())), nullptr);
  ExpectInOrder(LastErrorText(), {"boom.wav: ", "WAV: the file ends before its \"data\" chunk (truncated)"});
  std::remove(cut.c_str());

  const String before = LastErrorText();
  EXPECT_NE(test::LoadSampleFromBytes(wav), nullptr);
  EXPECT_NE(LoadOneWay(test::MakeOggSine(2000, 22050, {440})), nullptr);
  EXPECT_EQ(LastErrorText(), before);
  EXPECT_EQ(LoadSampleUrl("no-such-file.wav"), nullptr);
  EXPECT_EQ(LastErrorText(), String("Cannot open 'no-such-file.wav' for reading: No such file or directory"));
}

}  // namespace
}  // namespace vtl
