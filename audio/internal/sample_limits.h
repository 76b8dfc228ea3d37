// How much of a sound file the loader chain reads into memory.
#pragma once

#include <cstdint>

namespace vtl {

// The most bytes LoadSampleUrl reads into memory from a stream that cannot
// seek back (a socket, a pipe), since every loader starts from the same
// position: some six minutes of 44100 Hz 16-bit stereo WAV, or an hour of
// Ogg Vorbis, whose decoded samples the Ogg loader bounds anyway.
constexpr int32_t kMaxBufferedSoundBytes = 64 << 20;

}  // namespace vtl
