#include "audio/internal/audio_parts.h"

namespace vtl {

void RegisterMixerDrivers() {}

}  // namespace vtl
