#include "game/zarn.h"

#include "game/assets.h"
#include "game/maze.h"

Zarn::Zarn() : zarni(GameStrip(files::kZarn)) {}

void Zarn::Draw() { DrawImageAt(zarni, float(XPl), float(YPl), Frame); }

void Zarn::Move() {
  // One walking direction: its letter key and the arrow key that does the same
  // (for keyboards whose letters lie elsewhere), the test point relative to the
  // figure's world top-left corner, the first cell of its block and the scroll
  // step.
  struct Walk {
    int key, arrow, test_x, test_y, block, step_x, step_y;
  };
  static constexpr Walk kWalks[] = {
      {'A', KEY_LEFT, 0, 16, 0, -1, 0},
      {'D', KEY_RIGHT, 24, 16, 30, 1, 0},
      {'W', KEY_UP, 12, 1, 10, 0, -1},
      {'S', KEY_DOWN, 12, 25, 20, 0, 1},
  };
  for (const Walk& walk : kWalks) {
    if (!IsKeyDown(walk.key) && !IsKeyDown(walk.arrow)) continue;
    // Afresh for every key: a step made for an earlier key moves the later test points.
    const int px = XPl + G.ScrollX, py = YPl + G.ScrollY;
    if (!PointOpen(px + walk.test_x, py + walk.test_y, IntText(G.WallCode))) continue;
    Frame = G.AnimStep + walk.block;
    G.ScrollX += walk.step_x * G.WalkSpeed;
    G.ScrollY += walk.step_y * G.WalkSpeed;
  }
}

bool TouchesPlayer(const ImageRef& image, int x, int y, int frame) {
  const Zarn& player = *G.PlayerObj;
  // Pixels can only meet where the two frames' rectangles do (the game draws
  // without handles, rotation or scale): most things lie far from the player,
  // and their test ends here.
  const TImage& a = *player.zarni;
  const TImage& b = *image;
  if (a.handle_x == 0 && a.handle_y == 0 && b.handle_x == 0 && b.handle_y == 0 && GetDrawRotation() == 0) {
    float sx = 1, sy = 1;
    GetDrawScale(sx, sy);
    const bool apart = int64_t(x) >= int64_t(player.XPl) + a.width || int64_t(x) + b.width <= player.XPl ||
                       int64_t(y) >= int64_t(player.YPl) + a.height || int64_t(y) + b.height <= player.YPl;
    if (sx == 1 && sy == 1 && apart) return false;
  }
  return ImagesOverlap(player.zarni, player.XPl, player.YPl, player.Frame, image, x, y, frame) != 0;
}
