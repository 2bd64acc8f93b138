#include "game/results.h"

#include "game/state.h"

int ScoreOf(const std::array<int, 6>& c) { return c[0] + c[1] + c[2] + 2 * (c[3] + c[4] + c[5]); }

void DrawResultsPage() {
  DrawTextAt(u">>>>>  " + IntText(G.Score) + u"  <<<<<", 180, 385);
  NameEntry();
}

void NameEntry() { G.PlayerName = G.NameInput; }

void Highscore(int mode) { (void)mode; }

void DrawHighscorePage() { DrawTextAt(u"Highscore", 200, 40); }
