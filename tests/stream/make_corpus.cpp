// Writes the sample object streams, and the hostile ones that claim more than
// they hold, into a folder, as the seed corpus of the object-stream fuzz
// target: stream_make_corpus <folder>
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
  for (const auto& samples : {vtl::test::SampleDataStreams(), vtl::test::HostileDataStreams()})
    for (const auto& [name, bytes] : samples) vtl::test::WriteFile(std::string(argv[1]) + "/" + name, bytes);
  return 0;
}
