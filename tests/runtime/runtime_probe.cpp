// A small program written only against the public runtime surface; the
// program tests run it and check what a parent process sees.
#include <unistd.h>
#include <csignal>
#include <cstdint>
#include <cstring>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

void FirstHandler() { WriteStdout("first handler\n"); }
void SecondHandler() { WriteStdout("second handler\n"); }

String Mode() { return ProgramArguments->Length() > 1 ? (*ProgramArguments)[1] : String(); }

void Main() {
  AtExit(FirstHandler);
  AtExit(SecondHandler);
  String mode = Mode();
  if (mode == String("end")) {
    WriteStdout("ending\n");
    EndProgram();
  } else if (mode == String("error")) {
    RuntimeError("List index out of range");
  } else if (mode == String("signal")) {
    std::raise(SIGTERM);
  } else if (mode == String("fault")) {
    // A real fault at an address the compiler cannot see, so it neither warns
    // nor turns the store into something else.
    static volatile uintptr_t address = 64;
    volatile int* nowhere = reinterpret_cast<volatile int*>(address);
    *nowhere = 1;
  } else if (mode == String("paths")) {
    char cwd[4096];
    WriteStdout(LaunchDirectory + "\n" + ProgramDirectory + "\n" + String::FromLatin1(getcwd(cwd, sizeof cwd)) + "\n" +
                ApplicationTitle + "\n" + StringFromInt(ProgramArguments->Length()) + "\n");
    for (int32_t i = 2; i < ProgramArguments->Length(); ++i) WriteStdout((*ProgramArguments)[i] + "\n");
  } else if (mode == String("catch")) {
    try {
      try {
        RuntimeError("inner");
      } catch (const ThrownObject& t) {
        if (DowncastObject<TNullObjectException>(t.object))
          WriteStdout("wrong catch\n");
        else
          throw;
      }
    } catch (const ThrownObject& t) {
      if (auto e = DowncastObject<TRuntimeException>(t.object)) WriteStdout("caught " + e->error + "\n");
    }
    Ref<TList> none;
    none->Count();
  } else if (mode == String("lists")) {
    SeedRandom(1);
    auto list = CreateList();
    for (int i = 0; i < 5; ++i) list->AddLast(StringFromInt(RandomRange(1, 6)));
    String joined;
    for (Ref<Object> v : *list) joined = joined + AsString(v).value_or("?");
    auto grid = NewArray<int32_t>({2, 3});
    grid->At(1, 2) = 9;
    WriteStdout(joined + " " + StringFromInt((*grid)[5]) + "\n");
  }
}

}  // namespace

int main(int argc, char** argv) { return vtl::RunProgram(argc, argv, Main); }
