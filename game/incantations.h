// The typed input line, the spell table and the mana rule.
#pragma once

#include <cstdint>

namespace game {

// Once per frame: Enter casts the line, one typed character is taken, the
// cursor blinks, and the line is drawn under the map.
void UpdateInputLine();
// Casts InputText as an incantation (the caller empties it afterwards).
void CastIncantation();
// A positive amount adds mana up to MaxMana. A negative amount spends its
// size and returns 1 when the mana covers it, else changes nothing and
// returns 0.
int32_t ChangeMana(int32_t amount);

}  // namespace game
