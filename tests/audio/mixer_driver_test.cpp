// The mixer's driver classes over a step device: sounds, channels and their
// handles as a program sees them.
#include <cstring>
#include <vector>

#include "audio/audio.h"
#include "mixer_test_support.h"

using namespace vtl;
using namespace mixer_test;

namespace {

std::unique_ptr<AudioDevice> MakeStepDevice() { return std::make_unique<StepDevice>(); }

class MixerDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAudio();
    now = 1000;
    SetMixerClock(&Now);
    SetOutputDeviceMaker(&MakeStepDevice);
    ASSERT_EQ(SelectAudioDriver("zuvererer"), 1);
  }
  void TearDown() override {
    SelectAudioDriver("Null");
    SetOutputDeviceMaker(nullptr);
    SetMixerClock(nullptr);
  }
  static const std::vector<int16_t>& Step() {
    now += MIXER_START_DELAY_MS;
    return static_cast<StepDevice*>(MixerDevice())->Step();
  }
  static Ref<TAudioSample> Mono16(std::vector<int16_t> values, int32_t format = AUDIO_MONO16LE) {
    Ref<TAudioSample> sample = NewAudioSample(static_cast<int32_t>(values.size()), 44100, format);
    for (size_t i = 0; i < values.size(); ++i) {
      const auto v = static_cast<uint16_t>(values[i]);
      const bool big = format == AUDIO_MONO16BE;
      sample->samples[2 * i] = static_cast<uint8_t>(big ? v >> 8 : v);
      sample->samples[2 * i + 1] = static_cast<uint8_t>(big ? v : v >> 8);
    }
    return sample;
  }
};

TEST_F(MixerDriver, BothNamesAreRegisteredAndNoneForAnOutputThisDesktopLacks) {
  EXPECT_EQ(CurrentAudioDriver()->Name(), String("ZuveRerer"));
  EXPECT_EQ(HasAudioDriver("ZuveRerer Multimedia"), 1);
  EXPECT_EQ(HasAudioDriver("ZuveRerer DirectSound"), 0);
  Ref<Array<String>> names = ListAudioDrivers();
  int32_t plain = -1, multimedia = -1;
  for (int32_t i = 0; i < names->Length(); ++i) {
    if ((*names)[i] == String("ZuveRerer")) plain = i;
    if ((*names)[i] == String("ZuveRerer Multimedia")) multimedia = i;
  }
  EXPECT_GE(plain, 0);
  EXPECT_EQ(multimedia, plain + 1);
  EXPECT_EQ(SelectAudioDriver("ZuveRerer Multimedia"), 1);
}

TEST_F(MixerDriver, BigEndianSamplesPlayAsTheirValues) {
  Ref<TSound> sound = CurrentAudioDriver()->CreateSound(Mono16({1000, -2000, 3000}, AUDIO_MONO16BE), 0);
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(StartSound(sound), nullptr);
  const auto& block = Step();
  EXPECT_EQ(block[0], 1000);
  EXPECT_EQ(block[2], -2000);
  EXPECT_EQ(block[5], 3000);
  EXPECT_EQ(CurrentAudioDriver()->CreateSound(NewAudioSample(4, 44100, 0), 0), nullptr);
}

TEST_F(MixerDriver, AChannelReportsPlayingUntilItsSoundEndsAndKeepsItsHandleUntilStopped) {
  Ref<TSound> sound = LoadSoundUrl(Mono16(std::vector<int16_t>(100, 500)));
  ASSERT_NE(sound, nullptr);
  Ref<TChannel> channel = NewChannel();
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  EXPECT_EQ(StartSound(sound, channel), channel);  // the same object
  EXPECT_EQ(IsChannelPlaying(channel), 1);
  Step();
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  auto* own = static_cast<TZuveRererChannel*>(channel.Get());
  EXPECT_EQ(own->Position(), 100);
  EXPECT_EQ(MixerVoiceStatus(own->fa_channel), VOICE_FINISHED);
  HaltChannel(channel);
  EXPECT_EQ(own->fa_channel, 0);
  // Played again on the stopped channel, the sound takes a new one.
  Ref<TChannel> again = StartSound(sound, channel);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, channel);
}

TEST_F(MixerDriver, ACuedSoundWaitsForThawing) {
  Ref<TSound> sound = LoadSoundUrl(Mono16(std::vector<int16_t>(64, 500)), SOUND_LOOP);
  Ref<TChannel> channel = PrepareSound(sound);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  AdjustChannelVolume(channel, 2.0f);
  ThawChannel(channel);
  EXPECT_EQ(IsChannelPlaying(channel), 1);
  EXPECT_EQ(Step()[0], 1000);
  FreezeChannel(channel);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  EXPECT_EQ(Step()[0], 0);
}

TEST_F(MixerDriver, ForeignChannelsAreRefusedAndDroppedChannelsGiveTheirHandlesBack) {
  Ref<TSound> sound = LoadSoundUrl(Mono16({1}));
  EXPECT_EQ(StartSound(sound, New<TChannel>()), nullptr);
  std::vector<Ref<TChannel>> channels;
  for (int32_t i = 0; i < 4095; ++i) channels.push_back(NewChannel());
  EXPECT_NE(channels.back(), nullptr);
  EXPECT_EQ(NewChannel(), nullptr);
  EXPECT_EQ(StartSound(sound), nullptr) << "no handle left: it plays, but without a channel";
  EXPECT_EQ(Step()[0], 1);
  channels.pop_back();
  EXPECT_NE(NewChannel(), nullptr);
}

TEST_F(MixerDriver, ShuttingDownLeavesSoundsAndChannelsHarmless) {
  Ref<TSound> sound = LoadSoundUrl(Mono16(std::vector<int16_t>(64, 500)), SOUND_LOOP);
  Ref<TChannel> channel = StartSound(sound);
  ASSERT_EQ(SelectAudioDriver("Null"), 1);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  AdjustChannelVolume(channel, 0.5f);
  EXPECT_EQ(StartSound(sound, channel), nullptr);
  ASSERT_EQ(SelectAudioDriver("ZuveRerer"), 1);
  EXPECT_EQ(IsChannelPlaying(channel), 0) << "an old handle never reaches the new voice table";
  Ref<TChannel> fresh = StartSound(sound);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(Step()[0], 500);
}

}  // namespace
