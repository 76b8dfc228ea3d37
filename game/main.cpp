#include "game/game.h"

int main(int argc, char** argv) { return vtl::RunProgram(argc, argv, game::Main); }
