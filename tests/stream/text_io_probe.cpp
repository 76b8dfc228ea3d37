// A program that talks through PrintLine and InputLine, run by the standard
// input and output tests with pipes for its standard streams.
//   text_io_probe ask N   N times: prompt "? ", read a line, print "length:line"
//   text_io_probe lines   every line up to the end of input as "length:line", then "end"
#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"
#include "stream/stream.h"

namespace {

void Report(const vtl::String& line) { vtl::PrintLine(vtl::StringFromInt(line.Length()) + ":" + line); }

}  // namespace

int main(int argc, char** argv) {
  vtl::InitStream();
  if (argc == 3 && std::strcmp(argv[1], "ask") == 0) {
    for (int i = std::atoi(argv[2]); i > 0; --i) Report(vtl::InputLine("? "));
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "lines") == 0) {
    while (!vtl::StandardIOStream->Eof()) Report(vtl::StandardIOStream->ReadLine());
    vtl::PrintLine("end");
    return 0;
  }
  return 2;
}
