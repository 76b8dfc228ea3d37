// Writes the sample sound files, the ones that must be refused and the ones
// damaged midway into a folder as the seed corpus of the fuzz targets and of
// the streaming replay: audio_make_corpus <folder>
#include <cstdio>
#include <string>

#include "audio/audio.h"
#include "sound_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  vtl::InitAudio();
  for (const auto& files :
       {vtl::test::SoundFiles(), vtl::test::RefusedSoundFiles(), vtl::test::DamagedMidwaySoundFiles()}) {
    for (const auto& [name, bytes] : files) vtl::test::WriteFile(std::string(argv[1]) + "/" + name, bytes);
  }
  return 0;
}
