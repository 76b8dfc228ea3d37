// libFuzzer entry for the sample loaders. Built once per target with
// VTL_FUZZ_LOADER naming the loader class, or without it for LoadSampleUrl
// (the whole chain).
#include <cstdint>
#include <vector>

#include "audio/audio.h"
#include "stream/stream.h"

namespace {

vtl::Ref<vtl::TAudioSample> Load(const vtl::Ref<vtl::TStream>& stream) {
#ifdef VTL_FUZZ_LOADER
  for (vtl::Ref<vtl::TAudioSampleLoader> l = vtl::TAudioSampleLoader::First(); l; l = l->_succ) {
    if (vtl::DowncastObject<vtl::VTL_FUZZ_LOADER>(l)) {
      return vtl::RefuseOnStreamError([&] { return l->LoadAudioSample(stream); });
    }
  }
  return nullptr;
#else
  return vtl::LoadSampleUrl(vtl::Ref<vtl::Object>(stream));
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (vtl::InitAudio(), true);
  (void)ready;
  if (size > (1u << 24)) return 0;
  std::vector<uint8_t> copy(data, data + size);
  auto stream = vtl::TRamStream::Create(copy.data(), static_cast<int32_t>(size), 1, 0);
  vtl::Ref<vtl::TAudioSample> sample = Load(stream);
  if (sample) {
    // Every frame must be inside the allocation, and the sizes must agree.
    if (sample->capacity != sample->length * vtl::BytesPerSampleFrame(sample->format)) __builtin_trap();
    if (sample->hertz < 1 || vtl::ChannelsOfSampleFormat(sample->format) == 0) __builtin_trap();
    // The first and last byte are enough for the sanitizer to see a short
    // allocation; reading every byte would make large samples slow.
    if (sample->capacity > 0) {
      volatile uint8_t ends = sample->samples[0];
      ends = ends + sample->samples[sample->capacity - 1];
    }
  }
  return 0;
}
