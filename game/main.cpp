// Zarn: the program starts the media layer and runs the game.
#include "media/media.h"

void GameMain();  // game/flow.h

int main(int argc, char** argv) {
  // Installed as <prefix>/bin/zarn, the game's files are in <prefix>/share/zarn.
  return RunProgram(argc, argv, GameMain, ProgramLayout{.name = "zarn", .marker = "gfx"});
}
