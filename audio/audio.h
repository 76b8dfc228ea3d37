/// \file
/// Audio: samples in six formats and their loaders, sounds, channels and the
/// audio drivers, with the software mixer as the default driver.
#pragma once

#include "audio/driver.h"
#include "audio/mixer_driver.h"
#include "audio/sample.h"
#include "audio/sample_loaders.h"

namespace vtl {

/// Initialises the runtime, streams and system, registers the audio classes,
/// registers the silent driver and then the mixer's drivers, and creates the
/// sample loaders (WAV asked first, then Ogg Vorbis). The current driver is
/// chosen on first use (the driver registered last) and shut down at program
/// end. Runs once.
void InitAudio();

}  // namespace vtl
