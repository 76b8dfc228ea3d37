// The four pictures of the game, drawn from code.
#pragma once

#include "canvas.h"

namespace art {

// 800 x 600: the title with the name and a prompt to press a key.
Canvas TitlePicture();
// 128 x 128: sixteen 32 x 32 cells, row by row: wall, entrance, floor, the
// mage, then two frames each for the attackers (kinds 0-2) and the allies
// (kinds 3-5).
Canvas TileSheetPicture();
// 800 x 600: lost. The middle around (400, 290) stays plain for the kill count.
Canvas LostPicture();
// 800 x 600: won.
Canvas WonPicture();

}  // namespace art
