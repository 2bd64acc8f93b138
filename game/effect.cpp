#include "game/effect.h"

void PuEffect::Effect() {
  G.Protect = 0;
  G.WalkSpeed = 1;
  G.Freeze = 0;
  G.WallCode = 5;
  G.DiamFactor = 1;
  auto& slot = G.PuSlotTab;
  for (int s = 1; s <= 2; ++s) {
    switch (slot(s, 1)) {
      case kProtect: G.Protect = 1; break;
      case kFaster: G.WalkSpeed = 2; break;
      case kFreeze: G.Freeze = 1; break;
      case kThroughWalls: G.WallCode = 4; break;
      case kDoubleDiams: G.DiamFactor = 2; break;
      default: break;
    }
  }
  for (int s = 1; s <= 2; ++s) {
    if (slot(s, 1) != kExtraTime || slot(s, 4) != 1) continue;
    G.StartTime = AddMillis(G.StartTime, 30000);
    slot(s, 4) = 0;
  }
  for (int s = 1; s <= 2; ++s) {
    if (slot(s, 1) != kExtraDiams || slot(s, 4) != 1) continue;
    for (int c = kBlue; c <= kRed; ++c) G.Counters[c] += 10;
    slot(s, 4) = 0;
  }
}
