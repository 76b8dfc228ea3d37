/// \file
/// Key codes: the virtual-key numbers 1 to 255 the program sees for SDL keys,
/// with shift, control and alt per side (160 to 165).
#pragma once

#include <cstdint>

namespace vtl {

/// The key code for an SDL scancode and key symbol (letters follow the
/// keyboard layout, everything else the key's position); numLock chooses
/// between the numeric keypad's digits and its navigation keys. 0 when the
/// key has no code.
int32_t KeyCodeFromSDL(int32_t scancode, int32_t keysym, bool numLock);

/// Modifier bits (1 shift, 2 control, 4 alt, 8 system key) from SDL's
/// modifier mask.
int32_t ModifierBitsFromSDL(int32_t sdlMods);

}  // namespace vtl
