// The command line every windowed example shares, and the end of each frame:
//   --frames N       end with exit code 0 after N frames (default: run until
//                    Escape is hit or the window is closed)
//   --shot FILE.png  save the last frame shown as a PNG picture; a relative
//                    name is taken from the directory the program started in
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace examples {

class FrameRun {
 public:
  // Reads the options from vtl::ProgramArguments; anything else ends the
  // program with a usage message.
  FrameRun();

  // Shows the frame drawn into the back buffer, after saving it when it is the
  // last one. False once the program should stop: Escape hit, window closed
  // or the frame count reached.
  bool ShowFrame();

  int32_t FramesShown() const { return shown_; }

 private:
  int32_t frames_ = -1;  // -1: no limit
  vtl::String shot_;
  int32_t shown_ = 0;
};

}  // namespace examples
