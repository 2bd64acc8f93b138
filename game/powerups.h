// The two power-up items lying in the maze (rows of G.PuItemTab) and the two
// slots that hold a taken power-up for 30 seconds (rows 1 and 2 of G.PuSlotTab).
#pragma once

#include <array>

#include "game/layout.h"
#include "game/state.h"

class PowerUps {
 public:
  PowerUps();  // loads the item, slot and empty-slot pictures

  // Two passes, item 0 then item 1: draw or place the item, hand it to a free
  // slot when the player touches it, then draw the slots and run their countdowns.
  void DrawPu();

  // The picture of a kind, 1 to 7.
  const ImageRef& KindImage(int kind) const;

  int n = 0;
  ImageRef PUim01, PUim02;  // what slot 1 and slot 2 show
  ImageRef empty;
  ImageRef pu01, pu02, pu03, pu04, pu05, pu06, pu07;
  ImageRef slotim;

 private:
  void HandleItem();
  void DrawSlots();
};

// Seconds a power-up stays in its slot.
constexpr int kPowerUpSeconds = 30;
