#include "game/holes.h"

#include "game/assets.h"
#include "game/zarn.h"

Holes::Holes()
    : HBlue(GameStrip(files::kHoles[0])), HGreen(GameStrip(files::kHoles[1])), HRed(GameStrip(files::kHoles[2])) {}

void Holes::DrawNTouch() {
  const std::array<const ImageRef*, 3> images = {&HBlue, &HGreen, &HRed};
  for (int c = kBlue; c <= kRed; ++c)
    DrawImageAt(*images[c], float(kHolePlaces[c].x - G.ScrollX), float(kHolePlaces[c].y - G.ScrollY), 0);
  for (int c = kBlue; c <= kRed; ++c) {
    if (!TouchesPlayer(*images[c], kHolePlaces[c].x - G.ScrollX, kHolePlaces[c].y - G.ScrollY, 0)) continue;
    if (G.Counters[c] <= 0) continue;
    G.Counters[c + 3] += G.Counters[c];
    G.Counters[c] = 0;
    PlaySound(G.HoleSnd);
  }
}
