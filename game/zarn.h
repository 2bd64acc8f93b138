// The player: a walking figure that always stands at screen (200, 200) while the
// maze scrolls under it.
#pragma once

#include "game/state.h"

class Zarn {
 public:
  Zarn();  // loads the walking strip, stands at (200, 200) in cell 0

  // Draws the figure in its current cell.
  void Draw();
  // Walks by the held keys A, D, W, S, in that order: for each, one test point of
  // the maze decides whether the view scrolls by G.WalkSpeed.
  void Move();

  ImageRef zarni;  // 40 cells of 24 x 25: left 0-9, up 10-19, down 20-29, right 30-39
  int XPl = 200;
  int YPl = 200;
  int Frame = 0;
};

// Whether the player overlaps frame `frame` of `image` drawn at screen (x, y).
bool TouchesPlayer(const ImageRef& image, int x, int y, int frame);
