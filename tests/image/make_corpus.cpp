// Writes the sample files into a folder, as the seed corpus of the fuzz
// targets: image_make_corpus <folder>; with --fonts, the bitmap fonts that
// seed the font fuzz target: image_make_corpus --fonts <folder>
#include <cstdio>
#include <string>

#include "font_files.h"
#include "image/image.h"
#include "test_files.h"

int main(int argc, char** argv) {
  const bool fonts = argc == 3 && std::string(argv[1]) == "--fonts";
  if (argc != 2 && !fonts) {
    std::fprintf(stderr, "usage: %s [--fonts] <folder>\n", argv[0]);
    return 2;
  }
  vtl::InitImage();
  if (fonts) {
    const std::string folder = argv[2];
    for (int32_t bits : {1, 2, 4, 8})
      vtl::test::WriteFile(folder + "/bitmap" + std::to_string(bits) + ".bdf", vtl::test::SampleBdf(12, bits));
    return 0;
  }
  for (const auto& [name, bytes] : vtl::test::SampleFiles()) {
    vtl::test::WriteFile(std::string(argv[1]) + "/" + name, bytes);
  }
  return 0;
}
