// The twenty diamonds: placed at random open cells, picked up by touching them,
// and placed anew once picked up. Their rows live in G.DiamTab.
#pragma once

#include "game/state.h"

class Diamonds {
 public:
  Diamonds();  // loads the three diamond pictures

  // For each row in turn: draws an active diamond (dropping one whose cell is
  // closed), places an inactive one, and collects the diamond the player touches.
  void DrawNCollect();

  int n = 0;
  ImageRef Dblue, Dgreen, Dred;
};
