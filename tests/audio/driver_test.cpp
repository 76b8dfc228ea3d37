// The driver list, the current driver, the silent driver and the sample
// loader chain.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/audio.h"
#include "audio/internal/audio_parts.h"
#include "runtime/exceptions.h"
#include "runtime/last_error.h"
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

// Fails while it is being made, after the driver base is already built.
class ThrowingDriver : public TAudioDriver {
 public:
  ThrowingDriver() { RuntimeError("no such output"); }
  String Name() override { return "Test Throwing"; }
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

TEST_F(DriverChoice, ARefusedChoiceSaysWhichDriverAndWhy) {
  EXPECT_EQ(SelectAudioDriver("No Such Driver"), 0);
  EXPECT_EQ(LastErrorText(), String("No audio driver named 'No Such Driver'"));
  EXPECT_EQ(SelectAudioDriver("test failing"), 0);
  EXPECT_EQ(LastErrorText(), String("Audio driver 'Test Failing' did not start"));
  EXPECT_EQ(SelectAudioDriver("Test Working"), 1);
  EXPECT_EQ(LastErrorText(), String("Audio driver 'Test Failing' did not start")) << "a success clears nothing";
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
  EXPECT_EQ(RegisterAudioDriver(working), 0) << "New registered it already";
  EXPECT_EQ(RegisterAudioDriver(nullptr), 0);
  Ref<Array<String>> names = ListAudioDrivers();
  ASSERT_GE(names->Length(), 3);
  EXPECT_EQ((*names)[0], String("Test Failing"));
  EXPECT_EQ((*names)[1], String("Test Working"));
  EXPECT_EQ((*names)[names->Length() - 1], String("Null"));
  EXPECT_EQ(HasAudioDriver("TEST failing"), 1);
  EXPECT_EQ(HasAudioDriver("Test"), 0);
}

TEST_F(DriverChoice, ADriverWhoseConstructorThrowsLeavesNothingInTheList) {
  const int32_t before = ListAudioDrivers()->Length();
  EXPECT_THROW(New<ThrowingDriver>(), ThrownObject);
  Ref<Array<String>> names = ListAudioDrivers();
  EXPECT_EQ(names->Length(), before);
  EXPECT_EQ(HasAudioDriver("Test Throwing"), 0);
  EXPECT_EQ((*names)[0], String("Test Failing"));
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

// The default choice, in a process of its own, so that the driver list holds
// only what the framework's modules registered until the test adds more.
void CheckDefaultChoice() {
  std::string failures;
  auto check = [&](bool ok, const std::string& what) {
    if (!ok) failures += what + "; last error: " + LastErrorText().ToUtf8() + "\n";
  };
  // No output: the mixer does not start, sound is silent, and SDL says why.
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  InitAudio();
  check(CurrentAudioDriver() == NullAudioDriver, "without an output the silent driver is current");
  const String fallback = LastErrorText();
  check(SDL_InitSubSystem(SDL_INIT_AUDIO) != 0, "SDL has no such audio driver");
  const String sdl = SDL_GetError();
  check(sdl.Length() > 0 && fallback ==
                                "Sound is silent: Audio driver 'ZuveRerer' did not start: "
                                "Audio device did not open: " +
                                    sdl,
        "the fallback gives SDL's reason, got '" + fallback.ToUtf8() + "'");

  // With an output the framework's default starts: the mixer, registered last.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ShutdownAudioDriver();
  check(CurrentAudioDriver()->Name() == String("ZuveRerer"), "the framework's default is ZuveRerer");
  check(LastErrorText() == fallback, "starting clears no reason");
  Ref<Array<String>> names = ListAudioDrivers();
  check(names->Length() == 3 && (*names)[0] == String("ZuveRerer") && (*names)[1] == String("ZuveRerer Multimedia") &&
            (*names)[2] == String("Null"),
        "the list keeps its order");

  // A driver registered later is the default from the next choice on.
  Ref<TestDriver> later(new TestDriver("Test Later", true));  // made without New: not listed yet
  check(RegisterAudioDriver(later) == 1 && RegisterAudioDriver(later) == 0, "registers once");
  check(CurrentAudioDriver()->Name() == String("ZuveRerer"), "the current driver stays until chosen again");
  ShutdownAudioDriver();
  check(CurrentAudioDriver() == Ref<TAudioDriver>(later), "the driver registered last is the default");
  New<TestDriver>("Test Broken", false);
  ShutdownAudioDriver();
  check(CurrentAudioDriver() == NullAudioDriver, "a default that does not start leaves sound silent");
  check(LastErrorText() == String("Sound is silent: Audio driver 'Test Broken' did not start"), "and says so");
  ShutdownAudioDriver();
  std::fputs(failures.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(failures.empty() ? 0 : 1);
}

TEST(AudioDefaultDriverDeathTest, IsTheDriverRegisteredLastAndFallingBackSaysWhy) {
  // A new process that runs only this test, not a copy of this one.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CheckDefaultChoice(), ::testing::ExitedWithCode(0), "^$");
  GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace
