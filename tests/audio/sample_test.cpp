// Sample formats and the conversions between them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/audio.h"

using namespace vtl;

namespace {

class Samples : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitAudio(); }
};

int16_t Le16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }
int16_t Be16(const uint8_t* p) { return static_cast<int16_t>(p[0] << 8 | p[1]); }

Ref<TAudioSample> SampleOf(std::vector<uint8_t> bytes, int32_t format) {
  const int32_t frames = static_cast<int32_t>(bytes.size()) / BytesPerSampleFrame(format);
  Ref<TAudioSample> sample = NewAudioSample(frames, 22050, format);
  std::memcpy(sample->samples, bytes.data(), bytes.size());
  return sample;
}

TEST_F(Samples, FormatTablesGiveBytesAndChannels) {
  EXPECT_EQ(SampleFrameBytes[AUDIO_MONO8], 1);
  EXPECT_EQ(SampleFrameBytes[AUDIO_STEREO16LE], 4);
  EXPECT_EQ(SampleChannelCount[AUDIO_STEREO8], 2);
  EXPECT_EQ(SampleChannelCount[0], 0);
  EXPECT_EQ(BytesPerSampleFrame(7), 0);
  EXPECT_EQ(ChannelsOfSampleFormat(-1), 0);
}

TEST_F(Samples, EightBitValuesWidenByTimes257) {
  Ref<TAudioSample> wide = SampleOf({0, 128, 255}, AUDIO_MONO8)->Convert(AUDIO_MONO16LE);
  ASSERT_EQ(wide->length, 3);
  EXPECT_EQ(wide->hertz, 22050);
  EXPECT_EQ(wide->format, AUDIO_MONO16LE);
  EXPECT_EQ(Le16(wide->samples), -32768);
  EXPECT_EQ(Le16(wide->samples + 2), 128);
  EXPECT_EQ(Le16(wide->samples + 4), 32767);
}

TEST_F(Samples, StereoToMonoAveragesTowardsZero) {
  // left 1000, right -3: (1000 - 3) / 2 = 498, (498 + 32768) / 257 = 129.
  Ref<TAudioSample> mono8 = SampleOf({0xE8, 0x03, 0xFD, 0xFF}, AUDIO_STEREO16LE)->Convert(AUDIO_MONO8);
  EXPECT_EQ(mono8->samples[0], 129);
  // left -1, right 0: -1 / 2 truncates to 0, not -1.
  Ref<TAudioSample> mono16 = SampleOf({0xFF, 0xFF, 0x00, 0x00}, AUDIO_STEREO16LE)->Convert(AUDIO_MONO16BE);
  EXPECT_EQ(Be16(mono16->samples), 0);
  // -3 and -4 give -3, not -4.
  Ref<TAudioSample> odd = SampleOf({0xFD, 0xFF, 0xFC, 0xFF}, AUDIO_STEREO16LE)->Convert(AUDIO_MONO16LE);
  EXPECT_EQ(Le16(odd->samples), -3);
}

TEST_F(Samples, EveryFormatRoundTripsThroughTheHub) {
  // Frames whose values survive every conversion: equal channels, 8-bit
  // representable values (multiples of 257 offset by -32768).
  const int32_t values[] = {-32768, -32768 + 257 * 100, 32767};
  std::vector<uint8_t> hub;
  for (int32_t v : values) {
    for (int side = 0; side < 2; ++side) {
      hub.push_back(static_cast<uint8_t>(v >> 8));
      hub.push_back(static_cast<uint8_t>(v));
    }
  }
  Ref<TAudioSample> source = SampleOf(hub, AUDIO_STEREO16BE);
  for (int32_t format = AUDIO_MONO8; format <= AUDIO_STEREO16BE; ++format) {
    for (int32_t other = AUDIO_MONO8; other <= AUDIO_STEREO16BE; ++other) {
      Ref<TAudioSample> back = source->Convert(format)->Convert(other)->Convert(AUDIO_STEREO16BE);
      ASSERT_EQ(back->length, 3);
      EXPECT_EQ(std::memcmp(back->samples, hub.data(), hub.size()), 0) << format << " -> " << other;
    }
  }
}

TEST_F(Samples, EndianSwapsAndMonoSpread) {
  Ref<TAudioSample> hub = SampleOf({0x34, 0x12}, AUDIO_MONO16LE)->Convert(AUDIO_STEREO16BE);
  const uint8_t expected[] = {0x12, 0x34, 0x12, 0x34};
  EXPECT_EQ(std::memcmp(hub->samples, expected, 4), 0);
  Ref<TAudioSample> le = SampleOf({0x12, 0x34, 0xAB, 0xCD}, AUDIO_STEREO16BE)->Convert(AUDIO_STEREO16LE);
  const uint8_t swapped[] = {0x34, 0x12, 0xCD, 0xAB};
  EXPECT_EQ(std::memcmp(le->samples, swapped, 4), 0);
}

TEST_F(Samples, UnknownFormatsAreRefused) {
  Ref<TAudioSample> sample = SampleOf({1, 2}, AUDIO_MONO16LE);
  for (int32_t bad : {0, 7, -1}) {
    try {
      sample->Convert(bad);
      FAIL() << bad;
    } catch (const ThrownObject& thrown) {
      EXPECT_STREQ(thrown.what(), "Unimplemented sample format conversion");
    }
  }
  uint8_t out[8] = {};
  EXPECT_THROW(TranscodeSamples(out, 9, out, 1, 1), ThrownObject);
}

TEST_F(Samples, CopyOwnsItsFramesAndStaticSamplesDoNot) {
  uint8_t frames[4] = {1, 2, 3, 4};
  Ref<TAudioSample> wrapped = WrapAudioSamples(frames, 2, 8000, AUDIO_MONO16LE);
  EXPECT_EQ(wrapped->capacity, -1);
  EXPECT_EQ(wrapped->samples, frames);
  Ref<TAudioSample> copy = wrapped->Copy();
  EXPECT_EQ(copy->capacity, 4);
  EXPECT_NE(copy->samples, frames);
  EXPECT_EQ(std::memcmp(copy->samples, frames, 4), 0);
  EXPECT_EQ(copy->hertz, 8000);
}

TEST_F(Samples, CreateRefusesImpossibleSizes) {
  EXPECT_THROW(NewAudioSample(-1, 44100, AUDIO_MONO8), ThrownObject);
  EXPECT_THROW(NewAudioSample(0x7FFFFFFF, 44100, AUDIO_STEREO16LE), ThrownObject);
  Ref<TAudioSample> empty = NewAudioSample(0, 44100, AUDIO_MONO8);
  EXPECT_EQ(empty->length, 0);
  EXPECT_EQ(empty->Copy()->length, 0);
}

}  // namespace
