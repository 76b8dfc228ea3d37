// The RIFF/WAVE header, read by the WAV sample loader and by streamed sounds.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

class TStream;

// What a WAV header announces about its "data" chunk.
struct WavData {
  int32_t format = 0;     // AUDIO_MONO8 ... AUDIO_STEREO16LE
  int32_t hertz = 0;      // at least 1
  int32_t announced = 0;  // bytes the "data" chunk claims, 0 or more
};

// Reads a WAV header from a little-endian view up to the first byte of the
// "data" chunk, where the stream then stands. riffRead: the four bytes
// "RIFF" were already taken. False, with the reason recorded (RefuseLoad),
// for anything that is not an 8- or 16-bit PCM WAV file of one or two
// channels; a stream error reaches the caller.
bool ReadWavHeader(const Ref<TStream>& littleEndian, WavData& out, bool riffRead);

}  // namespace vtl
