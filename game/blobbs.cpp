#include "game/blobbs.h"

#include "game/assets.h"
#include "game/maze.h"
#include "game/zarn.h"

namespace {

// The two test points of a step (relative to the Blobb's top-left corner) and the step.
struct Step {
  int x1, y1, x2, y2, dx, dy;
};

bool StepFor(int direction, Step& step) {
  switch (direction) {
    case kRight: step = {31, 4, 31, 26, 1, 0}; return true;
    case kLeft: step = {-1, 4, -1, 26, -1, 0}; return true;
    case kDown: step = {4, 31, 26, 31, 0, 1}; return true;
    case kUp: step = {4, -1, 26, -1, 0, -1}; return true;
    default: return false;
  }
}

}  // namespace

Blobbs::Blobbs() : blobbsi(GameStrip(files::kBlobb)), blobbsif(GameImage(files::kFrozenBlobb)) {}

void Blobbs::DrawNTouch() {
  auto& b = G.BlobbTab;
  for (n = 0; n < kBlobbs; ++n) {
    if (G.Freeze == 1) b(n, 0) = kFrozen;
    if (b(n, 0) == kFrozen) {
      DrawImageAt(blobbsif, float(b(n, 1) - G.ScrollX), float(b(n, 2) - G.ScrollY), 0);
      if (G.Freeze == 0) b(n, 0) = kRoaming;
    } else if (b(n, 0) == kRoaming) {
      DrawImageAt(blobbsi, float(b(n, 1) - G.ScrollX), float(b(n, 2) - G.ScrollY), G.AnimStep);
      if (b(n, 4) == 0) {
        b(n, 3) = RandomInt(1, 4);
        b(n, 4) = 1;
      }
      Step step;
      const int x = b(n, 1), y = b(n, 2);
      if (StepFor(b(n, 3), step) && PointOpen(x + step.x1, y + step.y1, kOpenAbove) &&
          PointOpen(x + step.x2, y + step.y2, kOpenAbove)) {
        b(n, 1) = x + step.dx;
        b(n, 2) = y + step.dy;
      } else {
        b(n, 4) = 0;
      }
      b(n, 5) = RandomInt(1, 100);
      if (b(n, 5) > 99) b(n, 4) = 0;
    } else {
      b(n, 1) = RandomInt(1, 1152);
      b(n, 2) = RandomInt(1, 768);
      if (PointOpen(b(n, 1), b(n, 2), kOpenAbove) && PointOpen(b(n, 1) + 30, b(n, 2) + 30, kOpenAbove))
        b(n, 0) = kRoaming;
    }
    if (b(n, 0) != kRoaming && b(n, 0) != kFrozen) continue;
    if (!TouchesPlayer(blobbsi, b(n, 1) - G.ScrollX, b(n, 2) - G.ScrollY, G.AnimStep)) continue;
    if (G.Protect != 0) continue;
    if (G.Counters[kBlue] <= 0 && G.Counters[kGreen] <= 0 && G.Counters[kRed] <= 0) continue;
    G.Counters[kBlue] = G.Counters[kGreen] = G.Counters[kRed] = 0;
    PlaySound(G.BiteSnd);
  }
}
