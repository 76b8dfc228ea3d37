// The sample loader chain as a whole: who is in it, reading streams that
// cannot seek, and the reasons it gives when every loader refuses.
#include <gtest/gtest.h>

#include "audio/audio.h"
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

}  // namespace
}  // namespace vtl
