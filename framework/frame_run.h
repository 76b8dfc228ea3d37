/// \file
/// Automated runs of a windowed program: a test or a script starts it with
/// `--frames N` to end after N frames and `--shot FILE.png` to keep the last
/// frame as a picture, and the program's frame loop asks TFrameRun when to
/// stop.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// The command line of an automated run and the frames shown so far.
///
///     Ref<TFrameRun> run = TFrameRun::Create();   // reads --frames, --shot
///     do {
///       ... draw the frame ...
///     } while (run->ShowFrame());                 // Escape, close, or N frames
///
/// A loop that flips by itself calls EndFrame before FlipBuffers instead.
/// Main thread only, like the graphics it draws with.
class TFrameRun : public Object {
 public:
  /// Reads the options from ProgramArguments:
  ///   `--frames N`     end after N frames (N a whole number above 0);
  ///   `--shot FILE`    save the last frame as PNG; a relative name is taken
  ///                    from LaunchDirectory, where the command was given.
  /// Without options the run has no end of its own. Any other argument, or an
  /// option without its value, throws TRuntimeException with a usage line.
  static Ref<TFrameRun> Create();

  /// Counts the frame now in the back buffer. When it is the run's last (the
  /// frame count reached, or `quitting` true) the picture asked for is saved
  /// first. Call it after drawing and before FlipBuffers. Returns 1 when the
  /// program should stop after this frame, else 0. A picture that cannot be
  /// saved throws TRuntimeException.
  int32_t EndFrame(bool quitting = false);

  /// The whole end of a frame: reads Escape and the window's close request
  /// (either ends the run), EndFrame, then FlipBuffers(-1). False once the
  /// program should stop.
  bool ShowFrame();

  /// The frames counted so far.
  int32_t FramesShown() const { return _shown; }

  int32_t _frames = -1;  ///< The frames to show; -1 for no limit.
  String _shot;          ///< Where the last frame goes, or "" for nowhere.
  int32_t _shown = 0;    ///< Frames counted so far.
};

}  // namespace vtl
