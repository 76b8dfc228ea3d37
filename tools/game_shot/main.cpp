// Saves the client area of the window with the given name as a PNG file:
//   cryptventure_shot <window name> <file.png>
#include <cstdio>

#include "x11_grab.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <window name> <file.png>\n", argv[0]);
    return 2;
  }
  vtl::InitImage();
  const unsigned long window = shot::FindWindowByName(argv[1]);
  if (!window) {
    std::fprintf(stderr, "no window named \"%s\" on the display\n", argv[1]);
    return 1;
  }
  vtl::Ref<vtl::TPixmap> pixmap = shot::GrabWindow(window);
  if (!pixmap || !vtl::SavePixmapPNG(pixmap, vtl::String::FromLatin1(argv[2]), 9)) {
    std::fprintf(stderr, "cannot grab the window or write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
