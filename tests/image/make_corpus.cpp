// Writes the sample files into a folder, as the seed corpus of the fuzz
// targets: image_make_corpus <folder>
#include <cstdio>
#include <string>

#include "image/image.h"
#include "test_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  vtl::InitImage();
  for (const auto& [name, bytes] : vtl::test::SampleFiles()) {
    vtl::test::WriteFile(std::string(argv[1]) + "/" + name, bytes);
  }
  return 0;
}
