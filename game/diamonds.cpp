#include "game/diamonds.h"

#include "game/assets.h"
#include "game/maze.h"
#include "game/zarn.h"

Diamonds::Diamonds()
    : Dblue(GameImage(files::kDiamonds[0])), Dgreen(GameImage(files::kDiamonds[1])), Dred(GameImage(files::kDiamonds[2])) {}

void Diamonds::DrawNCollect() {
  auto& t = G.DiamTab;
  for (n = 0; n < kDiamonds; ++n) {
    const bool active_on_entry = t(n, 0) != 0;
    if (active_on_entry) {
      if (CellOpen(t(n, 1), t(n, 2), kOpenAbove)) {
        const ImageRef& image = t(n, 3) == kBlue ? Dblue : t(n, 3) == kGreen ? Dgreen : Dred;
        DrawImageAt(image, float(kCellSize * t(n, 1) - G.ScrollX), float(kCellSize * t(n, 2) - G.ScrollY), 0);
      } else {
        t(n, 0) = 0;  // dropped; placed anew on the next frame
      }
    } else {
      t(n, 1) = RandomInt(1, 36);
      t(n, 2) = RandomInt(1, 24);
      t(n, 3) = RandomInt(0, 2);
      t(n, 0) = 1;
    }
    if (t(n, 0) == 0) continue;
    // The blue picture is the contact shape of every colour.
    if (TouchesPlayer(Dblue, kCellSize * t(n, 1) - G.ScrollX, kCellSize * t(n, 2) - G.ScrollY, 0)) {
      G.Counters.at(size_t(t(n, 3))) += G.DiamFactor;
      t(n, 0) = 0;
      PlaySound(G.GetSnd);
    }
  }
}
