// Writes the sample object streams into a folder, as the seed corpus of the
// object-stream fuzz target: stream_make_corpus <folder>
#include <cstdio>
#include <string>

#include "data_samples.h"
#include "test_file_helpers.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  vtl::InitImage();
  for (const auto& [name, bytes] : vtl::test::SampleDataStreams())
    vtl::test::WriteFile(std::string(argv[1]) + "/" + name, bytes);
  return 0;
}
