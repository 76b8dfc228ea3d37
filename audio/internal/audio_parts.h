// The parts InitAudio starts, in order, and the end-of-program shutdown.
#pragma once

namespace vtl {

/// Registers the software mixer's drivers ("ZuveRerer Multimedia", "ZuveRerer").
void RegisterMixerDrivers();
/// Creates the sample loaders: Ogg first, then WAV, so WAV is asked first.
void CreateSampleLoaders();
/// Shuts the current driver down and drops it (at program end).
void ShutdownAudioDriver();

}  // namespace vtl
