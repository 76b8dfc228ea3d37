#include "audio/internal/audio_parts.h"

namespace vtl {

void CreateSampleLoaders() {}

}  // namespace vtl
