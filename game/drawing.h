// Every drawing call the game makes goes through here. Without a Ren2D
// context (headless tests) the framework ignores them.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

namespace game {

// Colour, alpha and rotation in one call.
void SetDrawState(int32_t r, int32_t g, int32_t b, float alpha, int32_t rotation);
// Text centred on (x, y) in the current colour over a box of the inverse
// colour; the current colour is left as it was.
void DrawBoxedText(const vtl::String& text, float x, float y);
// One cell of TileSheet with its top-left corner at (x, y).
void DrawSheetFrame(float x, float y, int32_t frame);

}  // namespace game
