#include "framework/frame_run.h"

#include "graphics/graphics.h"
#include "runtime/runtime.h"
#include "system/system.h"

namespace vtl {
namespace {

[[noreturn]] void Usage(const String& problem) {
  const String program = ProgramArguments->Length() > 0 ? (*ProgramArguments)[0] : String("program");
  RuntimeError(problem + "\nusage: " + program + " [--frames N] [--shot file.png]\n");
}

String FromLaunchDirectory(const String& path) {
  if (path.Length() > 0 && path[0] == u'/') return path;
  return LaunchDirectory + "/" + path;
}

}  // namespace

Ref<TFrameRun> TFrameRun::Create() {
  Ref<TFrameRun> run = New<TFrameRun>();
  const Ref<Array<String>>& args = ProgramArguments;
  for (int32_t i = 1; i < args->Length(); i += 2) {
    const String option = (*args)[i];
    if (option != "--frames" && option != "--shot") Usage("unknown option " + option);
    if (i + 1 >= args->Length()) Usage(option + " needs a value");
    const String value = (*args)[i + 1];
    if (option == "--frames") {
      run->_frames = StringToInt(value);
      if (run->_frames < 1 || StringFromInt(run->_frames) != TrimString(value)) {
        Usage("--frames needs a whole number above 0, not " + value);
      }
    } else {
      run->_shot = FromLaunchDirectory(value);
    }
  }
  return run;
}

int32_t TFrameRun::EndFrame(bool quitting) {
  ++_shown;
  const bool last = quitting || _shown == _frames;
  if (last && _shot.Length() > 0 && SaveScreenshot(_shot) == 0) RuntimeError(LastErrorText());
  return last ? 1 : 0;
}

bool TFrameRun::ShowFrame() {
  // Input is read before the flip so that the frame still in the back buffer
  // is the one saved.
  const bool quit = TakeKeyHits(KEY_ESCAPE) != 0 || TakeTerminateRequest() != 0;
  const int32_t last = EndFrame(quit);
  FlipBuffers(-1);
  return last == 0;
}

}  // namespace vtl
