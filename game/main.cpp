// Zarn: the program starts the media layer and runs the game.
#include "media/media.h"

void GameMain();  // game/flow.h

int main(int argc, char** argv) { return RunProgram(argc, argv, GameMain); }
