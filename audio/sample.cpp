// TAudioSample, the sample loader chain and loading a sample from a URL.
#include "audio/sample.h"

#include <cstdlib>
#include <limits>

#include "audio/internal/sample_limits.h"
#include "runtime/exceptions.h"
#include "runtime/registry.h"
#include "stream/stream.h"

namespace vtl {

namespace {

Registry<TAudioSampleLoader>& Loaders() {
  static auto* chain = new Registry<TAudioSampleLoader>();  // lives until the process ends
  return *chain;
}

}  // namespace

TAudioSample::~TAudioSample() {
  if (capacity >= 0) std::free(samples);
}

Ref<TAudioSample> TAudioSample::Create(int32_t length, int32_t hertz, int32_t format) {
  if (length < 0) RuntimeError("Negative audio sample length");
  const int64_t bytes = int64_t{length} * BytesPerSampleFrame(format);
  if (bytes > std::numeric_limits<int32_t>::max()) RuntimeError("Audio sample too large");
  // Cleared so that a loader that fills less than it announced leaves
  // zero bytes rather than whatever the heap held.
  auto* memory = static_cast<uint8_t*>(std::calloc(bytes > 0 ? static_cast<size_t>(bytes) : 1, 1));
  if (!memory) RuntimeError("Out of memory for audio sample");
  Ref<TAudioSample> sample = New<TAudioSample>();
  sample->samples = memory;
  sample->length = length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = static_cast<int32_t>(bytes);
  return sample;
}

Ref<TAudioSample> TAudioSample::CreateStatic(uint8_t* samples, int32_t length, int32_t hertz, int32_t format) {
  Ref<TAudioSample> sample = New<TAudioSample>();
  sample->samples = samples;
  sample->length = length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = -1;
  return sample;
}

Ref<TAudioSample> TAudioSample::Copy() {
  Ref<TAudioSample> copy = Create(length, hertz, format);
  if (BytesPerSampleFrame(format) > 0) DuplicateSamples(samples, copy->samples, format, length);
  return copy;
}

Ref<TAudioSample> TAudioSample::Convert(int32_t to) {
  if (to < 1 || to > 6 || format < 1 || format > 6) RuntimeError("Unimplemented sample format conversion");
  Ref<TAudioSample> converted = Create(length, hertz, to);
  TranscodeSamples(samples, format, converted->samples, to, length);
  return converted;
}

Ref<TAudioSample> NewAudioSample(int32_t length, int32_t hertz, int32_t format) {
  return TAudioSample::Create(length, hertz, format);
}

Ref<TAudioSample> WrapAudioSamples(uint8_t* samples, int32_t length, int32_t hertz, int32_t format) {
  return TAudioSample::CreateStatic(samples, length, hertz, format);
}

void TAudioSampleLoader::AfterNew(const Ref<TAudioSampleLoader>& made) { RegisterAudioSampleLoader(made); }

int32_t RegisterAudioSampleLoader(const Ref<TAudioSampleLoader>& loader) { return Loaders().Add(loader) ? 1 : 0; }

Ref<TAudioSample> TAudioSampleLoader::LoadAudioSample(const Ref<TStream>&) { ThrowNullMethod(); }

Ref<TAudioSampleLoader> TAudioSampleLoader::First() { return Loaders().Head(); }

Ref<TAudioSample> LoadSampleUrl(const Ref<Object>& url) {
  return LoadFromUrl(Loaders(), url, kMaxBufferedSoundBytes,
                     [](const Ref<TAudioSampleLoader>& loader, const Ref<TStream>& stream) {
                       return loader->LoadAudioSample(stream);
                     });
}

Ref<TAudioSample> LoadSampleUrl(const String& url) { return LoadSampleUrl(Ref<Object>(url)); }

}  // namespace vtl
