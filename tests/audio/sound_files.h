// Sound files the tests make themselves: WAV byte by byte, Ogg Vorbis with
// libvorbisenc. Shared by the loader tests, the corpus maker and the fuzzers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "audio/audio.h"
#include "test_file_helpers.h"

namespace vtl::test {

// The parts of a WAV file; the defaults make a valid 16-bit mono file.
struct WavLayout {
  std::string riffType = "WAVE";
  int32_t formatTag = 1;
  int32_t channels = 1;
  int32_t hertz = 44100;
  int32_t bits = 16;
  int32_t formatLength = 16;  // above 16: zero bytes follow the fields
  Bytes chunksBeforeData;     // whole chunks (tag, size, body) put before "data"
  int64_t dataSize = -1;      // the size written in the "data" header; -1: the data's size
};

// The default layout with another channel count, rate and sample size.
WavLayout PcmLayout(int32_t channels, int32_t hertz, int32_t bits);

// front followed by back.
Bytes Joined(Bytes front, const Bytes& back);

// A WAV file of the layout around data.
Bytes MakeWav(const WavLayout& layout, const Bytes& data);
// A chunk: 4-character tag, size, body, and a zero pad byte when padded
// and the body is odd.
Bytes MakeChunk(const char* tag, const Bytes& body, bool padded = true);

// frames of a sine, 16-bit little-endian, one frequency per channel.
Bytes SineFrames16(int32_t frames, int32_t hertz, const std::vector<double>& frequencies, double amplitude = 0.5);

// An Ogg Vorbis file of frames of a sine, one frequency per channel.
// extraGranules raises the last page's granule position, so that the file
// announces more frames than it holds. Links of a chained file need serial
// numbers of their own.
Bytes MakeOggSine(int32_t frames, int32_t hertz, const std::vector<double>& frequencies, float quality = 0.3f,
                  int64_t extraGranules = 0, int32_t serial = 0x5EED);

// Writes a stereo 44100 Hz Ogg Vorbis file of seconds of a cheap signal
// (two slow tones, one per channel, from a table) at the lowest quality to
// path, unless a file of exactly that many frames is there already (its
// size is kept beside it in path + ".frames"). Made once per build folder.
void WriteLongOgg(const std::string& path, int32_t seconds);

// Every sample file: name and bytes (for the damage tests and the seed corpus).
std::vector<std::pair<std::string, Bytes>> SoundFiles();
// Files that look like sound files but must be refused (seed corpus only).
std::vector<std::pair<std::string, Bytes>> RefusedSoundFiles();

// Files damaged past their start, which a streamed sound meets only while it
// plays: cut short, overwritten in the middle, a "data" chunk claiming 2 GB
// (seed corpus only).
std::vector<std::pair<std::string, Bytes>> DamagedMidwaySoundFiles();

// LoadSampleUrl over a memory stream holding bytes.
Ref<TAudioSample> LoadSampleFromBytes(const Bytes& bytes);
// One loader alone over a memory stream; stream exceptions become Null.
Ref<TAudioSample> LoadSampleWith(TAudioSampleLoader& loader, const Bytes& bytes);

// The registered loader of class T (a new loader would join the chain).
template <class T>
T& SampleLoader() {
  for (Ref<TAudioSampleLoader> l = TAudioSampleLoader::First(); l; l = l->_succ) {
    if (auto found = DowncastObject<T>(l)) return *found;
  }
  ThrowNullObject();
}

// The frequency of a channel of a 16-bit sample, from its zero crossings,
// over count frames from first (-1: to the end).
double ZeroCrossingFrequency(const TAudioSample& sample, int32_t channel, int32_t first = 0, int32_t count = -1);

}  // namespace vtl::test
