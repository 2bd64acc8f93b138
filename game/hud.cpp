#include "game/hud.h"

#include "game/screens.h"

void DrawHud() {
  G.TimeLeft = kGameSeconds - MillisBetween(G.StartTime, ElapsedMillis()) / 1000;
  DrawItems(layout::kHud);
  if (G.TimeLeft <= 0) DrawItem(layout::kGameOver);
}
