// The driver list, the current driver, the silent driver and the sample
// loader chain.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio/audio.h"
#include "stream/stream.h"

using namespace vtl;

namespace {

// Takes streams that begin with "TSTSAMPL" and makes a one-frame sample.
class MagicLoader : public TAudioSampleLoader {
 public:
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>& stream) override {
    char magic[8] = {};
    if (stream->ReadBytes(magic, 8) != 8 || std::memcmp(magic, "TSTSAMPL", 8) != 0) return nullptr;
    Ref<TAudioSample> sample = NewAudioSample(1, 11025, AUDIO_MONO8);
    sample->samples[0] = stream->ReadByte();
    return sample;
  }
};

// Reads the same magic and then meets a read error, as a decoder misreading
// a foreign file would; asked before MagicLoader.
class OverreadingLoader : public TAudioSampleLoader {
 public:
  Ref<TAudioSample> LoadAudioSample(const Ref<TStream>& stream) override {
    char magic[8] = {};
    if (stream->ReadBytes(magic, 8) != 8 || std::memcmp(magic, "TSTSAMPL", 8) != 0) return nullptr;
    ThrowStreamRead();
  }
};

// A stream that cannot tell its position, as a socket cannot.
class UnseekableStream : public TStream {
 public:
  int32_t Pos() override { return -1; }
  int32_t Read(void*, int32_t) override { return 0; }
};

class TestDriver : public TAudioDriver {
 public:
  TestDriver(String name, bool starts) : name_(std::move(name)), starts_(starts) {}
  String Name() override { return name_; }
  int32_t Startup() override {
    ++startups;
    return starts_ ? 1 : 0;
  }
  void Shutdown() override { ++shutdowns; }
  int startups = 0;
  int shutdowns = 0;

 private:
  String name_;
  bool starts_;
};

class DriverChoice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitAudio();
    static bool made = false;
    if (made) return;
    made = true;
    New<MagicLoader>();
    New<OverreadingLoader>();
    working = New<TestDriver>("Test Working", true);
    failing = New<TestDriver>("Test Failing", false);
  }
  static Ref<TestDriver> working;
  static Ref<TestDriver> failing;
};

Ref<TestDriver> DriverChoice::working;
Ref<TestDriver> DriverChoice::failing;

Ref<TStream> MagicStream(std::string& bytes) {
  return TRamStream::Create(bytes.data(), static_cast<int32_t>(bytes.size()), 1, 0);
}

TEST_F(DriverChoice, SelectingByNameIgnoresLetterCaseAndShutsThePreviousDown) {
  ASSERT_EQ(SelectAudioDriver("test WORKING"), 1);
  EXPECT_EQ(CurrentAudioDriver(), Ref<TAudioDriver>(working));
  const int before = working->shutdowns;
  ASSERT_EQ(SelectAudioDriver("null"), 1);
  EXPECT_EQ(working->shutdowns, before + 1);
  EXPECT_EQ(CurrentAudioDriver()->Name(), String("Null"));
}

TEST_F(DriverChoice, ADriverThatDoesNotStartLeavesTheSilentOneCurrent) {
  ASSERT_EQ(SelectAudioDriver("Test Working"), 1);
  EXPECT_EQ(SelectAudioDriver("Test Failing"), 0);
  EXPECT_EQ(CurrentAudioDriver(), NullAudioDriver);
  EXPECT_EQ(SelectAudioDriver("No Such Driver"), 0);
  EXPECT_EQ(CurrentAudioDriver(), NullAudioDriver);
}

TEST_F(DriverChoice, TheListIsNewestFirstWithTheSilentDriverLast) {
  Ref<Array<String>> names = ListAudioDrivers();
  ASSERT_GE(names->Length(), 3);
  EXPECT_EQ((*names)[0], String("Test Failing"));
  EXPECT_EQ((*names)[1], String("Test Working"));
  EXPECT_EQ((*names)[names->Length() - 1], String("Null"));
  EXPECT_EQ(HasAudioDriver("TEST failing"), 1);
  EXPECT_EQ(HasAudioDriver("Test"), 0);
}

TEST_F(DriverChoice, TheSilentDriverTakesEveryCallQuietly) {
  ASSERT_EQ(SelectAudioDriver("Null"), 1);
  std::string bytes = "TSTSAMPL\x7f";
  Ref<TSound> sound = LoadSoundUrl(MagicStream(bytes), SOUND_LOOP);
  ASSERT_NE(sound, nullptr);
  Ref<TChannel> channel = StartSound(sound);
  ASSERT_NE(channel, nullptr);
  AdjustChannelVolume(channel, 0.5f);
  AdjustChannelPan(channel, -1);
  AdjustChannelDepth(channel, -1);
  AdjustChannelRate(channel, 2);
  FreezeChannel(channel);
  ThawChannel(channel);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  HaltChannel(channel);
  EXPECT_NE(PrepareSound(sound, NewChannel()), nullptr);
  // A ready sample is used as it is.
  EXPECT_NE(TSound::Load(NewAudioSample(4, 8000, AUDIO_MONO8), 0), nullptr);
  // Nothing loads from bytes no loader knows.
  std::string foreign = "not a sound file";
  EXPECT_EQ(LoadSoundUrl(MagicStream(foreign)), nullptr);
}

TEST_F(DriverChoice, EveryLoaderStartsWhereTheStreamWasAndAStreamErrorIsARefusal) {
  std::string bytes = "junkTSTSAMPL\x2a";
  Ref<TStream> stream = MagicStream(bytes);
  stream->Seek(4);
  Ref<TAudioSample> sample = LoadSampleUrl(stream);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->samples[0], 0x2a);
  EXPECT_EQ(sample->hertz, 11025);
}

TEST_F(DriverChoice, AStreamThatCannotTellItsPositionIsReadIntoMemoryFirst) {
  // This one fails at its first read: a refusal, not an exception.
  EXPECT_EQ(LoadSampleUrl(New<UnseekableStream>()), nullptr);
  EXPECT_EQ(LoadSampleUrl("no-such-file.wav"), nullptr);
}

}  // namespace
