// The WAV loader on files made byte by byte: every PCM layout, the chunk
// walk, what is refused, and the sizes a file cannot be trusted with.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "audio/audio.h"
#include "sound_files.h"
#include "stream/stream.h"

namespace vtl {
namespace {

using test::Bytes;
using test::MakeChunk;
using test::MakeWav;
using test::PcmLayout;
using test::WavLayout;

class WavLoader : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitAudio(); }
  static Ref<TAudioSample> Load(const Bytes& bytes) {
    return test::LoadSampleWith(test::SampleLoader<TAudioSampleLoaderWAV>(), bytes);
  }
};

Bytes Ramp(size_t count) {
  Bytes data(count);
  for (size_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
  return data;
}

TEST_F(WavLoader, EveryPcmLayoutLoadsItsFramesUnchanged) {
  struct Case {
    int32_t channels, bits, format;
  };
  for (const Case c : {Case{1, 8, AUDIO_MONO8}, Case{2, 8, AUDIO_STEREO8}, Case{1, 16, AUDIO_MONO16LE},
                       Case{2, 16, AUDIO_STEREO16LE}}) {
    SCOPED_TRACE(c.format);
    const Bytes data = Ramp(240);
    Ref<TAudioSample> sample = Load(MakeWav(PcmLayout(c.channels, 22050, c.bits), data));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->format, c.format);
    EXPECT_EQ(sample->hertz, 22050);
    EXPECT_EQ(sample->length, 240 / (c.channels * c.bits / 8));
    ASSERT_EQ(sample->capacity, 240);
    EXPECT_EQ(std::memcmp(sample->samples, data.data(), data.size()), 0);
  }
}

TEST_F(WavLoader, ChunksBeforeDataAndLongFormatChunksAreSkipped) {
  // Another chunk between the format chunk and "data".
  WavLayout listed = PcmLayout(2, 44100, 16);
  listed.chunksBeforeData = MakeChunk("LIST", Bytes(20, 'x'));
  const Bytes data = Ramp(400);
  Ref<TAudioSample> sample = Load(MakeWav(listed, data));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->format, AUDIO_STEREO16LE);
  EXPECT_EQ(sample->hertz, 44100);
  EXPECT_EQ(sample->length, 100);
  EXPECT_EQ(std::memcmp(sample->samples, data.data(), data.size()), 0);

  // An 18-byte format chunk: the extension size field is skipped.
  WavLayout extended;
  extended.formatLength = 18;
  sample = Load(MakeWav(extended, data));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->length, 200);
  EXPECT_EQ(std::memcmp(sample->samples, data.data(), data.size()), 0);
}

TEST_F(WavLoader, OddChunksLoadWithOrWithoutTheirPadByte) {
  for (bool padded : {true, false}) {
    SCOPED_TRACE(padded);
    WavLayout layout;
    layout.chunksBeforeData = MakeChunk("note", Bytes(5, 'n'), padded);
    Ref<TAudioSample> sample = Load(MakeWav(layout, Ramp(8)));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 4);
    EXPECT_EQ(sample->samples[0], 3);
  }
  WavLayout oddFormat;
  oddFormat.formatLength = 17;
  oddFormat.chunksBeforeData = {0};  // the format chunk's pad byte
  EXPECT_TRUE(Load(MakeWav(oddFormat, Ramp(8))));
}

TEST_F(WavLoader, WhatIsNotEightOrSixteenBitPcmIsRefused) {
  WavLayout floating;
  floating.formatTag = 3;
  floating.bits = 32;
  EXPECT_FALSE(Load(MakeWav(floating, Ramp(64))));
  EXPECT_FALSE(Load(MakeWav(PcmLayout(2, 44100, 24), Ramp(60))));
  EXPECT_FALSE(Load(MakeWav(PcmLayout(3, 44100, 16), Ramp(60))));
  EXPECT_FALSE(Load(MakeWav(PcmLayout(0, 44100, 16), Ramp(60))));
  EXPECT_FALSE(Load(MakeWav(PcmLayout(1, 0, 16), Ramp(60))));
  EXPECT_FALSE(Load(MakeWav(PcmLayout(1, -8000, 16), Ramp(60))));
  WavLayout shortFormat;
  shortFormat.formatLength = 14;
  EXPECT_FALSE(Load(MakeWav(shortFormat, Ramp(60))));
  WavLayout movie;
  movie.riffType = "AVI ";
  EXPECT_FALSE(Load(MakeWav(movie, Ramp(60))));
  // The format chunk must come first.
  Bytes junkFirst = MakeWav({}, Ramp(60));
  const Bytes junk = MakeChunk("JUNK", Bytes(4, 0));
  junkFirst.insert(junkFirst.begin() + 12, junk.begin(), junk.end());
  EXPECT_FALSE(Load(junkFirst));
}

TEST_F(WavLoader, FilesCutShortBeforeTheirDataAreRefused) {
  const Bytes whole = MakeWav({}, Ramp(60));
  const size_t dataStart = whole.size() - 60;
  for (size_t length = 0; length < dataStart; ++length) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(Load(Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length))));
  }
  // No "data" chunk at all.
  Bytes noData = MakeWav({}, {});
  noData.resize(noData.size() - 8);
  EXPECT_FALSE(Load(noData));
}

TEST_F(WavLoader, DataCutShortKeepsSilenceForTheMissingFrames) {
  // 8-bit silence is 128, 16-bit silence 0.
  for (int32_t bits : {8, 16}) {
    SCOPED_TRACE(bits);
    Bytes wav = MakeWav(PcmLayout(2, 8000, bits), Bytes(400, 7));
    wav.resize(wav.size() - 300);
    Ref<TAudioSample> sample = Load(wav);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 400 / (bits / 4));
    EXPECT_EQ(sample->samples[99], 7);
    EXPECT_EQ(sample->samples[100], bits == 8 ? 128 : 0);
    EXPECT_EQ(sample->samples[399], bits == 8 ? 128 : 0);
  }
}

TEST_F(WavLoader, DataOfPartFramesLoadsTheWholeFramesOnly) {
  Ref<TAudioSample> sample = Load(MakeWav(PcmLayout(2, 8000, 16), Ramp(11)));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->length, 2);
  EXPECT_EQ(sample->capacity, 8);
}

TEST_F(WavLoader, AnnouncedSizesBeyondTheFileDecideNoAllocation) {
  // A file cut short keeps silence for up to 1 MB of announced data; a
  // 2 GB "data" chunk in a small file gets no more than that.
  WavLayout huge;
  huge.dataSize = 0x7FFFFFFE;
  Ref<TAudioSample> sample = Load(MakeWav(huge, Ramp(64)));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->capacity, 1 << 20);
  EXPECT_EQ(sample->samples[0], 3);
  // Beyond 1 MB the file itself is the limit.
  huge.dataSize = 64 << 20;
  sample = Load(MakeWav(huge, Bytes(3 << 20, 1)));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->capacity, 3 << 20);
  // Sizes of 2 GB and more, in "data" or in a skipped chunk, are refused.
  huge.dataSize = 0xFFFFFFF0;
  EXPECT_FALSE(Load(MakeWav(huge, Ramp(64))));
  Bytes hugeSkip = MakeChunk("LIST", {});
  for (uint32_t size : {0x7FFFFFF0u, 0xFFFFFFF8u}) {
    SCOPED_TRACE(size);
    hugeSkip[4] = static_cast<uint8_t>(size);
    hugeSkip[5] = static_cast<uint8_t>(size >> 8);
    hugeSkip[6] = static_cast<uint8_t>(size >> 16);
    hugeSkip[7] = static_cast<uint8_t>(size >> 24);
    WavLayout layout;
    layout.chunksBeforeData = hugeSkip;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Load(MakeWav(layout, Ramp(64))));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

TEST_F(WavLoader, ReadChunkTagGivesFourCharactersOrNothing) {
  Bytes bytes = {'d', 'a', 't', 'a', 'f', 'm', 't'};
  Ref<TRamStream> stream = TRamStream::Create(bytes.data(), 7, 1, 0);
  EXPECT_EQ(ReadChunkTag(stream), String("data"));
  EXPECT_TRUE(ReadChunkTag(stream).IsEmpty());
  Bytes high = {0xFF, 0x00, 'a', 0x80};
  stream = TRamStream::Create(high.data(), 4, 1, 0);
  const String tag = ReadChunkTag(stream);
  ASSERT_EQ(tag.Length(), 4);
  EXPECT_EQ(tag[0], u'\xFF');
  EXPECT_EQ(tag[3], u'\x80');
}

TEST_F(WavLoader, WavIsAskedFirstAndOtherRiffFilesReachTheOggLoader) {
  // Other tests may put loaders of their own in front; of the two built-in
  // ones, WAV comes first and Ogg right behind it.
  Ref<TAudioSampleLoader> wav(&test::SampleLoader<TAudioSampleLoaderWAV>());
  EXPECT_TRUE(DowncastObject<TAudioSampleLoaderOGG>(wav->_succ));

  // A RIFF header of another type in front of an Ogg Vorbis stream: the WAV
  // loader refuses it and the Ogg loader, asked from the same start, finds
  // the Ogg pages behind the header.
  Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'O', 'G', 'G', 'V'};
  const Bytes ogg = test::MakeOggSine(4000, 8000, {400});
  riff.insert(riff.end(), ogg.begin(), ogg.end());
  EXPECT_FALSE(Load(riff));
  Ref<TAudioSample> sample = test::LoadSampleFromBytes(riff);
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->format, AUDIO_MONO16LE);
  EXPECT_EQ(sample->length, 4000);
}

}  // namespace
}  // namespace vtl
