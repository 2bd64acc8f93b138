// Turns the contents of the two power-up slots into the five effect values each
// frame, and applies the one-shot kinds once.
#pragma once

#include "game/state.h"

// Power-up kinds.
enum PowerUpKind : int {
  kProtect = 1,      // Blobbs cannot steal
  kFaster = 2,       // walking speed 2
  kFreeze = 3,       // Blobbs frozen
  kThroughWalls = 4, // the player passes cells holding "5"
  kExtraTime = 5,    // once: 30 seconds more
  kExtraDiams = 6,   // once: ten more carried diamonds of each colour
  kDoubleDiams = 7,  // each diamond picked up counts 2
};

class PuEffect {
 public:
  // Resets the effect values, applies the lasting kinds of slot 1 and slot 2, then
  // their pending one-shot kinds.
  void Effect();
};
