// A program that talks through PrintLine and InputLine, run by the standard
// input and output tests with pipes for its standard streams.
//   text_io_probe ask N   N times: prompt "? ", read a line, print "length:line"
//   text_io_probe lines   every line up to the end of input as "length:line", then "end"
//   text_io_probe open URL  the same for the lines of the stream URL names
//   text_io_probe bank URL  "size:N" for the bytes TBank::Load takes from URL
#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"
#include "stream/stream.h"

namespace {

void Report(const vtl::String& line) { vtl::PrintLine(vtl::StringFromInt(line.Length()) + ":" + line); }

}  // namespace

void ReportLines(const vtl::Ref<vtl::TStream>& stream) {
  while (!stream->Eof()) Report(stream->ReadLine());
  vtl::PrintLine("end");
}

int main(int argc, char** argv) {
  vtl::InitStream();
  if (argc == 3 && std::strcmp(argv[1], "ask") == 0) {
    for (int i = std::atoi(argv[2]); i > 0; --i) Report(vtl::InputLine("? "));
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "lines") == 0) {
    ReportLines(vtl::StandardIOStream);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "open") == 0) {
    vtl::Ref<vtl::TStream> stream = vtl::OpenReadStream(vtl::String(argv[2]));
    if (!stream) return 1;
    ReportLines(stream);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "bank") == 0) {
    vtl::Ref<vtl::TBank> bank = vtl::TBank::Load(vtl::String(argv[2]));
    if (!bank) return 1;
    vtl::PrintLine("size:" + vtl::StringFromInt(bank->Size()));
    return 0;
  }
  return 2;
}
