// CryptVenture: the dungeon defence game built on the framework.
#pragma once

#include "game/drawing.h"
#include "game/globals.h"
#include "game/incantations.h"
#include "game/main_program.h"
#include "game/map.h"
#include "game/unit.h"
