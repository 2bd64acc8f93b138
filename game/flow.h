// The program's life: the window, the shared files, then an endless loop of
// passes through the start screen (first pass only), the main menu, one game,
// the results screen and the highscore view.
#pragma once

// Never returns: the program ends through Quit.
void GameMain();

// The six game objects, in the order the first pass creates them.
void CreateGameObjects();
// Starts a game: the clock, the slots' pick-up times, the tile set of the chosen
// level, and the level's files.
void StartGame();
// One frame of the game loop: the maze, the objects in their order, the HUD, the
// music keys, the animation step, the wait for the frame timer's tick, presenting
// and clearing; Escape or a close request ends the program.
void GameFrame();
