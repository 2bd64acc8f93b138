// The results screen after a game: the score, the name entry and the highscore
// view. The table and its file are in game/highscore.h.
#pragma once

#include <array>

// Score of the counters: carried diamonds count once, delivered ones twice.
int ScoreOf(const std::array<int, 6>& counters);

// The results page of one frame (drawn after the maze and the end picture): the
// six counter rows, the score line, the name entry and the keys.
void DrawResultsPage();
// One frame of name entry: takes at most one typed character (a name character
// is added up to ten, Backspace removes the last, Enter ends the frame's entry
// at once), draws the name and the blinking cursor, and copies the name to
// G.PlayerName.
void NameEntry();
// Mode 1 merges (G.PlayerName, G.Score) into the highscore file data/score.txt;
// mode 2 draws the table, the rows holding the current score in red. Other modes
// do nothing.
void Highscore(int mode);
// The highscore view of one frame (after the maze and the end picture).
void DrawHighscorePage();
