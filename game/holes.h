// The three holes, at fixed places in every level, where carried diamonds of
// their colour are delivered.
#pragma once

#include <array>

#include "game/state.h"

class Holes {
 public:
  Holes();  // loads the three hole pictures

  // Draws the holes, then delivers the carried diamonds of each colour whose hole
  // the player touches.
  void DrawNTouch();

  ImageRef HBlue, HGreen, HRed;
};

// World positions (top-left) of the blue, green and red hole.
struct HolePlace {
  int x, y;
};
inline constexpr std::array<HolePlace, 3> kHolePlaces = {HolePlace{120, 640}, HolePlace{40, 40},
                                                         HolePlace{1100, 750}};
