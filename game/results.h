// The results screen after a game: the score, the name entry, and the highscore
// table kept in data/score.txt.
#pragma once

#include <array>

// Score of the counters: carried diamonds count once, delivered ones twice.
int ScoreOf(const std::array<int, 6>& counters);

// The results page of one frame (drawn after the maze and the end picture):
// the six counter rows, the score line and the name entry.
void DrawResultsPage();
// One frame of name entry: takes one typed character, draws the name and the
// blinking cursor, and copies the name to G.PlayerName.
void NameEntry();
// Mode 1 merges (G.PlayerName, G.Score) into the highscore file; mode 2 draws the
// table.
void Highscore(int mode);
// The highscore view of one frame (after the maze and the end picture).
void DrawHighscorePage();
