// Child processes: a command runs on pipes while the window keeps drawing;
// each line it writes appears as soon as it is complete, standard error in
// orange, and a turning hand shows that reading never holds the frame up.
// Ending the program ends the command too.
//   example_run_command [--frames N] [--shot file.png]     Escape ends it.
#include <cmath>
#include <deque>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr size_t kLinesShown = 22;

// A shell is one program like any other: the command line itself is split
// without one ("-c" and the script are two arguments).
constexpr const char* kCommand =
    "/bin/sh -c 'echo \"counting to 30, a line every 200 ms\"; echo \"this one goes to standard error\" >&2; "
    "for i in $(seq 1 30); do echo \"line $i\"; sleep 0.2; done; echo finished'";

struct Line {
  String text;
  bool error;
};

// Takes every complete line each pipe holds now; never waits. ReadLine gives
// "" both for an empty line and when no line is complete yet, so empty lines
// are not shown (and the rest waits for the next frame).
void TakeLines(const Ref<TPipeStream>& stream, bool error, std::deque<Line>& lines) {
  for (;;) {
    String text;
    try {
      text = stream->ReadLine();
    } catch (const ThrownObject&) {
      // A line longer than the line buffer: drop what waits and say so.
      stream->ReadPipe();
      stream->bufferpos = 0;
      text = "(a line too long to show)";
    }
    if (text.IsEmpty()) return;
    lines.push_back({text, error});
    if (lines.size() > kLinesShown) lines.pop_front();
  }
}

void DrawScene(const std::deque<Line>& lines, bool running, int32_t frames) {
  SetClearColor(14, 18, 24);
  ClearBackBuffer();
  SetDrawColor(150, 160, 180);
  DrawString(running ? "running: /bin/sh -c '...'" : "the command has ended", 20, 16);

  // The hand turns every frame, whether the command writes or not.
  const double a = frames * 6 * 3.14159265358979 / 180;
  SetDrawColor(60, 70, 90);
  FillEllipse(580, 10, 40, 40);
  SetDrawColor(255, 220, 120);
  DrawSegment(600, 30, 600 + 18 * static_cast<float>(std::sin(a)), 30 - 18 * static_cast<float>(std::cos(a)));

  float y = 64;
  for (const Line& line : lines) {
    if (line.error)
      SetDrawColor(255, 160, 80);
    else
      SetDrawColor(230, 235, 240);
    DrawString(line.text, 20, y);
    y += 18;
  }
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: run_command";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  Ref<TProcess> command = CreateProcess(kCommand);
  if (command == nullptr) RuntimeError("cannot start /bin/sh");
  std::deque<Line> lines;
  do {
    // Status first: lines written before the end are still read below.
    const bool running = command->Status() == 1;
    TakeLines(command->pipe, false, lines);
    TakeLines(command->err, true, lines);
    DrawScene(lines, running, run->FramesShown());
  } while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
