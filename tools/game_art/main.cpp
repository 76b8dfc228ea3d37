// Draws the game's pictures and writes them as PNG files into the folder
// given as the only argument (the folder of the executable at build time).
#include <cstdio>
#include <string>

#include "image/image.h"
#include "pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  vtl::InitImage();
  const std::string folder = argv[1];
  struct Output {
    const char* name;
    art::Canvas (*draw)();
  } outputs[] = {{"T.png", art::TitlePicture},
                 {"gfx.png", art::TileSheetPicture},
                 {"L.png", art::LostPicture},
                 {"W.png", art::WonPicture}};
  for (const Output& out : outputs) {
    const std::string path = folder + "/" + out.name;
    if (!out.draw().SavePng(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
