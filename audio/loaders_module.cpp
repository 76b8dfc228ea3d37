#include "audio/internal/audio_parts.h"
#include "audio/sample_loaders.h"
#include "runtime/class_record.h"

namespace vtl {

void CreateSampleLoaders() {
  ClassBuilder<TAudioSampleLoaderOGG, TAudioSampleLoader>("TAudioSampleLoaderOGG").Register();
  ClassBuilder<TAudioSampleLoaderWAV, TAudioSampleLoader>("TAudioSampleLoaderWAV").Register();
  // Made last, asked first: WAV files never reach the Ogg decoder.
  RegisterAudioSampleLoader(New<TAudioSampleLoaderOGG>());
  RegisterAudioSampleLoader(New<TAudioSampleLoaderWAV>());
}

}  // namespace vtl
