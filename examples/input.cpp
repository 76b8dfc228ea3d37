// Polled input: which keys are down, arrow keys moving a square, typed
// characters with Backspace, the pointer, its buttons and the wheel. Nothing
// listens for events: each frame asks for the current state.
//   example_input [--frames N] [--shot file.png]     Escape ends it.
#include <algorithm>

#include "framework/framework.h"

namespace {

using namespace vtl;

// Typed characters are character codes, not key codes: these two are what
// Backspace and Enter type.
constexpr int32_t kCharBackspace = 8, kCharEnter = 13;

struct State {
  float x = 300, y = 200;  // the square
  String typed;
  int32_t hits[4] = {};  // per mouse button, MOUSE_LEFT to MOUSE_MIDDLE
};

String KeysDown() {
  String text;
  for (int32_t key = 1; key < 256; ++key) {
    if (KeyIsDown(key) == 0) continue;
    const bool printable = (key >= KEY_0 && key <= KEY_9) || (key >= KEY_A && key <= KEY_Z);
    text = text + (printable ? StringFromChar(key) : StringFromInt(key)) + " ";
  }
  return text;
}

void ReadInput(State& s) {
  s.x = std::clamp(s.x + 4.0f * ((KeyIsDown(KEY_RIGHT) != 0) - (KeyIsDown(KEY_LEFT) != 0)), 0.0f, 600.0f);
  s.y = std::clamp(s.y + 4.0f * ((KeyIsDown(KEY_DOWN) != 0) - (KeyIsDown(KEY_UP) != 0)), 130.0f, 370.0f);
  // Typed characters queue up until taken; 0 means none is left.
  for (int32_t c = TakeTypedChar(); c != 0; c = TakeTypedChar()) {
    if (c == kCharBackspace) s.typed = LeftChars(s.typed, s.typed.Length() - 1);
    if (c == kCharEnter) s.typed = "";
    if (c >= 32) s.typed = RightChars(s.typed + StringFromChar(c), 60);
  }
  for (int32_t button = MOUSE_LEFT; button <= MOUSE_MIDDLE; ++button) s.hits[button] += TakeButtonHits(button);
}

void DrawScene(const State& s, int32_t frame) {
  SetClearColor(20, 24, 30);
  ClearBackBuffer();
  SetDrawColor(90, 200, 255);
  DrawFilledRect(s.x, s.y, 40, 40);

  const float px = static_cast<float>(PointerX()), py = static_cast<float>(PointerY());
  SetDrawColor(255, 200, 80);
  DrawSegment(px - 12, py, px + 12, py);
  DrawSegment(px, py - 12, px, py + 12);
  if (ButtonIsDown(MOUSE_LEFT) != 0) FillEllipse(px - 8, py - 8, 16, 16);

  SetDrawColor(255, 255, 255);
  DrawString("Key codes down: " + KeysDown(), 20, 20);
  DrawString("Typed (Backspace deletes, Enter clears):", 20, 50);
  DrawString(s.typed + ((frame / 30) % 2 ? "_" : ""), 20, 70);
  DrawString("Pointer " + StringFromInt(PointerX()) + ", " + StringFromInt(PointerY()) + "   wheel " +
                 StringFromInt(WheelPosition()),
             20, 420);
  String buttons = "Buttons:";
  for (int32_t b = MOUSE_LEFT; b <= MOUSE_MIDDLE; ++b) {
    buttons =
        buttons + "   " + StringFromInt(b) + (ButtonIsDown(b) ? " down" : " up") + ", hits " + StringFromInt(s.hits[b]);
  }
  DrawString(buttons, 20, 440);
  DrawString("Arrow keys move the square.", 20, 100);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Vantorel example: input";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("cannot open a 640 x 480 window");
  State state;
  do {
    ReadInput(state);
    DrawScene(state, run->FramesShown());
  } while (run->ShowFrame());
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
