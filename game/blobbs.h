// The eleven Blobbs (rows of G.BlobbTab): they roam the maze one pixel per frame,
// turn at random or when blocked, and take every carried diamond on contact.
#pragma once

#include "game/state.h"

class Blobbs {
 public:
  Blobbs();  // loads the walking strip and the frozen picture

  // For each Blobb in turn: freeze, draw and move or place it, then test theft.
  void DrawNTouch();

  int n = 0;
  ImageRef blobbsi;   // 9 cells of 30 x 30
  ImageRef blobbsif;  // a frozen Blobb
};

// Blobb states and directions.
enum BlobbState : int { kNotPlaced = 0, kRoaming = 1, kFrozen = 2 };
enum BlobbDirection : int { kRight = 1, kLeft = 2, kDown = 3, kUp = 4 };
