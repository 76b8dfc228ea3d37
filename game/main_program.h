// The main program: start-up, the frame loop and the two end screens.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace game {

// What a frame found: go on playing, or how the game ends.
enum class FrameResult { Playing, Lost, Won, Quit };

// The whole game. Never returns: every way out ends the program.
void Main();

// Start-up after the title screen: the tile sheet, the spawn clock, the map,
// the mage and its three skeletons.
void SetUpDungeon(int32_t nowMillis);

// One frame at clock time nowMillis: the end tests, the input line, map,
// units and status lines, the flip, and Escape or the close request.
FrameResult PlayFrame(int32_t nowMillis);

// The picture each ending shows ("L.png" lost, "W.png" won), else "".
const char* EndScreenPicture(FrameResult result);

// Lost: the picture with the kill count over it. Won: the picture alone.
// Then a pause, a fresh key, and the end of the program.
[[noreturn]] void ShowEndScreen(FrameResult result);

}  // namespace game
