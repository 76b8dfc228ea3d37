#include "frame_run.h"

#include "graphics/graphics.h"
#include "image/image.h"
#include "system/system.h"

namespace examples {
namespace {

constexpr int32_t kKeyEscape = 27;

[[noreturn]] void Usage(const vtl::String& problem) {
  vtl::RuntimeError(problem + "\nusage: " + (*vtl::ProgramArguments)[0] + " [--frames N] [--shot file.png]\n");
}

vtl::String FromLaunchDirectory(const vtl::String& path) {
  if (path.Length() > 0 && path[0] == u'/') return path;
  return vtl::LaunchDirectory + "/" + path;
}

// The back buffer as an opaque picture: the grab is RGBA, but the window has
// no alpha worth keeping.
void SaveBackBuffer(const vtl::String& path) {
  vtl::Ref<vtl::TPixmap> grab = vtl::GrabScreenPixmap(0, 0, vtl::CurrentGraphicsWidth(), vtl::CurrentGraphicsHeight());
  if (grab == nullptr || vtl::SavePixmapPNG(vtl::ConvertPixmapTo(grab, vtl::FMT_RGB888), path, 9) == 0) {
    vtl::RuntimeError("cannot save the frame as " + path);
  }
}

}  // namespace

FrameRun::FrameRun() {
  const vtl::Ref<vtl::Array<vtl::String>>& args = vtl::ProgramArguments;
  for (int32_t i = 1; i < args->Length(); i += 2) {
    const vtl::String option = (*args)[i];
    if (option != "--frames" && option != "--shot") Usage("unknown option " + option);
    if (i + 1 >= args->Length()) Usage(option + " needs a value");
    const vtl::String value = (*args)[i + 1];
    if (option == "--frames") {
      frames_ = vtl::StringToInt(value);
      if (frames_ < 1 || vtl::StringFromInt(frames_) != vtl::TrimString(value)) {
        Usage("--frames needs a whole number above 0, not " + value);
      }
    } else {
      shot_ = FromLaunchDirectory(value);
    }
  }
}

bool FrameRun::ShowFrame() {
  ++shown_;
  // Input is read before the flip so that the frame still in the back buffer
  // is the one saved.
  const bool quit = vtl::TakeKeyHits(kKeyEscape) != 0 || vtl::TakeTerminateRequest() != 0;
  const bool last = quit || shown_ == frames_;
  if (last && shot_.Length() > 0) SaveBackBuffer(shot_);
  vtl::FlipBuffers(-1);
  return !last;
}

}  // namespace examples
