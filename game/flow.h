// The program's life: the window, the shared files, then an endless loop of
// passes through the start screen (first pass only), the main menu, one game,
// the results screen and the highscore view.
#pragma once

// Never returns: the program ends through Quit.
void GameMain();
