// Streamed sounds over a step device: they mix exactly what the same file
// loaded whole mixes, whatever the channel does meanwhile; they end, loop
// and fail as they should; and they leave no file or thread behind.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "one_way_stream.h"
#include "runtime/last_error.h"
#include "stream_test_support.h"

using namespace vtl;
using namespace stream_test;
using test::Bytes;

namespace {

class StreamedSound : public StreamFixture {};

struct Played {
  std::vector<int16_t> out;
  std::vector<int32_t> positions;
  std::vector<int32_t> playing;
  int32_t underruns = 0;
};

// Plays the sound for blocks blocks while the channel's settings change:
// volume, a faster and a slower rate, a pause, silence (the skip path), pan.
Played PlayWithChanges(const Ref<TSound>& sound, bool streamed, int32_t blocks) {
  Played played;
  Ref<TChannel> channel = StreamFixture::Start(sound);
  auto own = DowncastObject<TZuveRererChannel>(channel);
  for (int32_t block = 0; block < blocks; ++block) {
    switch (block % 100) {
      case 10: AdjustChannelVolume(channel, 0.5f); break;
      case 20: AdjustChannelRate(channel, 1.37f); break;
      case 30: FreezeChannel(channel); break;
      case 34: ThawChannel(channel); break;
      case 40: AdjustChannelVolume(channel, 0); break;
      case 50: AdjustChannelVolume(channel, 1), AdjustChannelPan(channel, -0.5f); break;
      case 60: AdjustChannelRate(channel, 0.61f); break;
      case 80: AdjustChannelRate(channel, 1), AdjustChannelPan(channel, 0); break;
      default: break;
    }
    StreamFixture::Step(played.out, streamed ? sound : nullptr);
    played.positions.push_back(own->Position());
    played.playing.push_back(IsChannelPlaying(channel));
  }
  played.underruns = channel->Underruns();
  HaltChannel(channel);
  std::vector<int16_t> rest;
  StreamFixture::Step(rest);
  return played;
}

TEST_F(StreamedSound, MixesExactlyWhatTheWholeSoundMixes) {
  struct Case {
    const char* name;
    Bytes bytes;
    int32_t flags;
  };
  const std::vector<Case> cases = {
      {"loop.ogg", test::MakeOggSine(30000, 44100, {440, 660}, 0.0f), SOUND_LOOP},
      {"once.ogg", test::MakeOggSine(40000, 8000, {700}, 0.0f), 0},
      {"loop16.wav", test::MakeWav(test::PcmLayout(1, 22050, 16), test::SineFrames16(9000, 22050, {300})), SOUND_LOOP},
      {"once8.wav", test::MakeWav(test::PcmLayout(2, 11025, 8), Bytes(30000, 200)), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = test::TempPath(c.name);
    test::WriteFile(path, c.bytes);
    Ref<TSound> whole = LoadSoundUrl(String(path.c_str()), c.flags);
    Ref<TSound> streamed = LoadSoundUrl(String(path.c_str()), c.flags | SOUND_STREAM);
    ASSERT_TRUE(whole);
    ASSERT_TRUE(streamed);
    const Played a = PlayWithChanges(whole, false, 300);
    const Played b = PlayWithChanges(streamed, true, 300);
    EXPECT_EQ(b.underruns, 0);
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.playing, b.playing);
    ASSERT_EQ(a.out.size(), b.out.size());
    for (size_t i = 0; i < a.out.size(); ++i) ASSERT_EQ(a.out[i], b.out[i]) << "sample " << i;
    std::remove(path.c_str());
  }
}

// Plays a streamed sound until it stops (at most blocks blocks): the frames
// it played, or -1 when it did not stop.
int32_t PlayToTheEnd(const Ref<TSound>& sound, int32_t blocks = 2000) {
  Ref<TChannel> channel = StreamFixture::Start(sound);
  if (!channel) return -1;
  std::vector<int16_t> out;
  for (int32_t i = 0; i < blocks; ++i) {
    StreamFixture::Step(out, sound);
    if (!IsChannelPlaying(channel)) return DowncastObject<TZuveRererChannel>(channel)->Position();
  }
  return -1;
}

TEST_F(StreamedSound, DamagedTruncatedAndOverclaimingFilesEndQuietly) {
  const Bytes ogg = test::MakeOggSine(88200, 44100, {440}, 0.0f);
  const std::string path = test::TempPath("hostile.snd");

  // Cut short: it plays what is there and ends without complaint.
  test::WriteFile(path, Bytes(ogg.begin(), ogg.begin() + static_cast<ptrdiff_t>(ogg.size() / 2)));
  Ref<TSound> cut = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
  ASSERT_TRUE(cut);
  const int32_t cutFrames = PlayToTheEnd(cut);
  Ref<TAudioSample> cutWhole = LoadSampleUrl(String(path.c_str()));
  ASSERT_TRUE(cutWhole);
  EXPECT_EQ(cutFrames, cutWhole->length) << "as many frames as loading it whole gives";
  EXPECT_GT(cutFrames, 5000);
  EXPECT_LT(cutFrames, 88200);

  // Damaged in the middle: it ends there, and says why.
  Bytes damaged = ogg;
  for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 3000; ++i) damaged[i] = static_cast<uint8_t>(i * 7);
  test::WriteFile(path, damaged);
  Ref<TSound> broken = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
  ASSERT_TRUE(broken);
  ClearLastErrorText();
  const int32_t brokenFrames = PlayToTheEnd(broken);
  EXPECT_GT(brokenFrames, 0);
  if (brokenFrames < 88200) {
    EXPECT_NE(LastErrorText().ToUtf8().find("damaged"), std::string::npos) << LastErrorText();
  }

  // A "data" chunk that claims 2 GB over 1000 frames: 1000 frames play.
  test::WavLayout huge;
  huge.dataSize = 0x7FFFFFF0;
  test::WriteFile(path, test::MakeWav(huge, test::SineFrames16(1000, 44100, {500})));
  Ref<TSound> claims = LoadSoundUrl(String(path.c_str()), SOUND_STREAM | SOUND_LOOP);
  ASSERT_TRUE(claims);
  Ref<TChannel> looping = Start(claims);
  std::vector<int16_t> out;
  for (int i = 0; i < 20; ++i) Step(out, claims, 100);
  EXPECT_EQ(IsChannelPlaying(looping), 1) << "it loops over its 1000 frames";
  HaltChannel(looping);
  test::WriteFile(path, test::MakeWav(huge, test::SineFrames16(1000, 44100, {500})));
  EXPECT_EQ(PlayToTheEnd(LoadSoundUrl(String(path.c_str()), SOUND_STREAM)), 1000);

  // Neither format: refused with the reason.
  test::WriteFile(path, Bytes(5000, 0x33));
  EXPECT_FALSE(LoadSoundUrl(String(path.c_str()), SOUND_STREAM));
  EXPECT_NE(LastErrorText().ToUtf8().find("neither a WAV nor an Ogg Vorbis file"), std::string::npos)
      << LastErrorText();
  std::remove(path.c_str());
}

TEST_F(StreamedSound, AStreamThatCannotSeekPlaysOnceAndCannotLoop) {
  const Bytes ogg = test::MakeOggSine(60000, 22050, {440, 880}, 0.0f);
  const Bytes wav = test::MakeWav(test::PcmLayout(2, 22050, 16), test::SineFrames16(5000, 22050, {300, 400}));
  for (const auto& [bytes, frames] : {std::pair{ogg, 60000}, std::pair{wav, 5000}}) {
    Ref<TSound> sound = LoadSoundUrl(Ref<Object>(New<test::OneWayStream>(bytes)), SOUND_STREAM);
    ASSERT_TRUE(sound);
    EXPECT_EQ(PlayToTheEnd(sound), frames);
    EXPECT_FALSE(StartSound(sound)) << "there is nothing to play again";
    EXPECT_NE(LastErrorText().ToUtf8().find("plays only once"), std::string::npos) << LastErrorText();
    // A stream that fails midway ends the sound there, and says why.
    Ref<TSound> failing = LoadSoundUrl(Ref<Object>(New<test::OneWayStream>(bytes, bytes.size() * 4 / 5)), SOUND_STREAM);
    ASSERT_TRUE(failing);
    ClearLastErrorText();
    const int32_t played = PlayToTheEnd(failing);
    EXPECT_GT(played, 0);
    EXPECT_LT(played, frames);
    EXPECT_FALSE(LastErrorText().IsEmpty());
    try {
      LoadSoundUrl(Ref<Object>(New<test::OneWayStream>(bytes)), SOUND_STREAM | SOUND_LOOP);
      ADD_FAILURE() << "looping a stream that cannot seek raises";
    } catch (const ThrownObject& thrown) {
      EXPECT_NE(std::string(thrown.what()).find("cannot seek cannot loop"), std::string::npos) << thrown.what();
    }
  }
}

TEST_F(StreamedSound, CorpusReplaysThroughStreaming) {
  int32_t files = 0;
  for (const std::string& path : test::FilesIn(VTL_AUDIO_CORPUS_DIR)) {
    SCOPED_TRACE(path);
    for (int32_t flags : {SOUND_STREAM, SOUND_STREAM | SOUND_LOOP}) {
      Ref<TSound> sound = LoadSoundUrl(String::FromLatin1(path), flags);
      if (!sound) continue;
      Ref<TChannel> channel = Start(sound);
      std::vector<int16_t> out;
      for (int32_t i = 0; i < 200 && IsChannelPlaying(channel); ++i) Step(out, sound, 1000);
      HaltChannel(channel);
    }
    ++files;
  }
  EXPECT_GE(files, 14);
}

// A file whose bytes past `open` come only once the test lets them through:
// the decoding thread waits inside Read meanwhile, as over a slow network.
class GatedStream : public TStream {
 public:
  GatedStream(Bytes bytes, size_t open) : bytes_(std::move(bytes)), open_(open) {}
  int32_t Eof() override { return at_ == bytes_.size(); }
  int32_t Pos() override { return static_cast<int32_t>(at_); }
  int32_t Size() override { return static_cast<int32_t>(bytes_.size()); }
  int32_t Seek(int32_t pos) override {
    at_ = std::min(static_cast<size_t>(pos), bytes_.size());
    return static_cast<int32_t>(at_);
  }
  int32_t Read(void* buf, int32_t count) override {
    while (at_ >= open_.load() && at_ < bytes_.size()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const size_t n = std::min({static_cast<size_t>(count), open_.load() - at_, bytes_.size() - at_});
    std::memcpy(buf, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<int32_t>(n);
  }
  void OpenAll() { open_ = bytes_.size(); }

 private:
  Bytes bytes_;
  std::atomic<size_t> open_;
  size_t at_ = 0;
};

TEST_F(StreamedSound, ARingRunDryPlaysSilenceCountsUnderrunsAndLosesNoFrame) {
  const Bytes wav = test::MakeWav({}, test::SineFrames16(100000, 44100, {441}, 0.5));
  const size_t header = wav.size() - 200000;
  auto gated = New<GatedStream>(wav, header + 2 * 20000);
  Ref<TSound> sound = LoadSoundUrl(Ref<Object>(gated), SOUND_STREAM);
  ASSERT_TRUE(sound);
  Ref<TChannel> channel = Start(sound);
  auto own = DowncastObject<TZuveRererChannel>(channel);
  ASSERT_TRUE(AwaitFrames(DataOf(sound), 20000)) << "the decoding thread took all it could";
  std::vector<int16_t> out;
  for (int i = 0; i < 60; ++i) Step(out);  // 30720 frames asked, 20000 there
  EXPECT_GE(channel->Underruns(), 19);
  EXPECT_EQ(IsChannelPlaying(channel), 1) << "a dry ring does not end the sound";
  EXPECT_EQ(own->Position(), 19999) << "it stops before the last frame that has no partner yet";
  const std::vector<int16_t> lastBlock(out.end() - MIXER_BLOCK, out.end());
  EXPECT_EQ(lastBlock, std::vector<int16_t>(MIXER_BLOCK, 0)) << "silence while dry";
  const int32_t dry = channel->Underruns();
  gated->OpenAll();
  for (int i = 0; i < 400 && IsChannelPlaying(channel); ++i) Step(out, sound);
  EXPECT_EQ(IsChannelPlaying(channel), 0);
  EXPECT_EQ(own->Position(), 100000) << "every frame played once the data came";
  EXPECT_EQ(channel->Underruns(), dry);
}

TEST_F(StreamedSound, PlayingAgainRestartsOnOneVoice) {
  const std::string path = test::TempPath("again.ogg");
  test::WriteFile(path, test::MakeOggSine(44100, 44100, {440}, 0.0f));
  Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
  Ref<TChannel> first = Start(sound);
  std::vector<int16_t> out;
  for (int i = 0; i < 20; ++i) Step(out, sound);
  EXPECT_EQ(DowncastObject<TZuveRererChannel>(first)->Position(), 20 * 512);
  Ref<TChannel> second = Start(sound);
  Step(out, sound);
  EXPECT_EQ(IsChannelPlaying(first), 0) << "the first voice was cut off";
  EXPECT_EQ(IsChannelPlaying(second), 1);
  EXPECT_EQ(DowncastObject<TZuveRererChannel>(second)->Position(), 512) << "from the first frame";
  std::remove(path.c_str());
}

TEST_F(StreamedSound, ASamplePassedInAndTheSilentDriverLoadWhole) {
  const std::string path = test::TempPath("whole.wav");
  test::WriteFile(path, test::MakeWav({}, test::SineFrames16(3000, 44100, {500})));
  Ref<TAudioSample> sample = LoadSampleUrl(String(path.c_str()));
  ASSERT_TRUE(sample);
  Ref<TSound> fromSample = LoadSoundUrl(Ref<Object>(sample), SOUND_STREAM);
  ASSERT_TRUE(fromSample);
  EXPECT_FALSE(DataOf(fromSample)->stream) << "the flag is ignored for a sample";
  EXPECT_EQ(DataOf(fromSample)->length, 3000);

  ASSERT_EQ(SelectAudioDriver("Null"), 1);
  const int32_t files = test::OpenFileCount();
  Ref<TSound> silent = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
  EXPECT_TRUE(silent) << "a driver that cannot stream loads the whole sound";
  EXPECT_EQ(test::OpenFileCount(), files);
  EXPECT_EQ(IsChannelPlaying(StartSound(silent)), 0);
  std::remove(path.c_str());
}

TEST_F(StreamedSound, DroppingTheSoundAndItsChannelClosesTheFileAndEndsTheThread) {
  const std::string path = test::TempPath("lifetime.ogg");
  test::WriteFile(path, test::MakeOggSine(100000, 44100, {440, 550}, 0.0f));
  const int32_t files = test::OpenFileCount();
  const int32_t threads = ThreadCount();
  std::vector<int16_t> out;
  for (bool soundFirst : {true, false}) {
    Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), SOUND_STREAM | SOUND_LOOP);
    EXPECT_EQ(test::OpenFileCount(), files + 1);
    Ref<TChannel> channel = Start(sound);
    for (int i = 0; i < 5; ++i) Step(out, sound);
    EXPECT_EQ(ThreadCount(), threads + 1) << "the decoding thread";
    if (soundFirst) {
      sound = nullptr;  // the channel still plays it
      for (int i = 0; i < 5; ++i) Step(out);
      EXPECT_EQ(IsChannelPlaying(channel), 1);
      EXPECT_EQ(test::OpenFileCount(), files + 1);
      channel = nullptr;
    } else {
      channel = nullptr;  // the sound could still stop or restart it
      EXPECT_EQ(test::OpenFileCount(), files + 1);
      sound = nullptr;
    }
    EXPECT_EQ(test::OpenFileCount(), files) << "closed at once";
    EXPECT_TRUE(Eventually([&] { return ThreadCount() == threads; })) << "the decoding thread ended";
    Step(out);
    Step(out);
  }

  for (int i = 0; i < 100; ++i) {
    Ref<TSound> sound = LoadSoundUrl(String(path.c_str()), SOUND_STREAM);
    ASSERT_TRUE(sound);
    Ref<TChannel> channel = Start(sound);
    Step(out, sound);
    HaltChannel(channel);
    Step(out);
  }
  EXPECT_EQ(test::OpenFileCount(), files);
  EXPECT_TRUE(Eventually([&] { return ThreadCount() == threads; }));
  EXPECT_FALSE(StreamDecodingRuns());
  std::remove(path.c_str());
}

}  // namespace
