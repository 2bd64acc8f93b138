#include "game/powerups.h"

#include "game/assets.h"
#include "game/maze.h"
#include "game/zarn.h"

PowerUps::PowerUps()
    : PUim01(GameImage(files::kEmptySlot)),
      PUim02(GameImage(files::kEmptySlot)),
      empty(GameImage(files::kEmptySlot)),
      pu01(GameImage(files::kPowerUps[0])),
      pu02(GameImage(files::kPowerUps[1])),
      pu03(GameImage(files::kPowerUps[2])),
      pu04(GameImage(files::kPowerUps[3])),
      pu05(GameImage(files::kPowerUps[4])),
      pu06(GameImage(files::kPowerUps[5])),
      pu07(GameImage(files::kPowerUps[6])),
      slotim(GameImage(files::kSlot)) {}

const ImageRef& PowerUps::KindImage(int kind) const {
  const std::array<const ImageRef*, 7> images = {&pu01, &pu02, &pu03, &pu04, &pu05, &pu06, &pu07};
  return *images.at(size_t(kind - 1));
}

void PowerUps::DrawPu() {
  for (n = 0; n < kPuItems; ++n) {
    HandleItem();
    DrawSlots();
  }
}

void PowerUps::HandleItem() {
  auto& item = G.PuItemTab;
  auto& slot = G.PuSlotTab;
  const int sx = kCellSize * item(n, 1) - G.ScrollX, sy = kCellSize * item(n, 2) - G.ScrollY;
  if (item(n, 0) != 0) {
    DrawImageAt(KindImage(item(n, 3)), float(sx), float(sy), 0);
  } else {
    item(n, 1) = RandomInt(1, 36);
    item(n, 2) = RandomInt(1, 24);
    item(n, 3) = RandomInt(1, 7);
    if (CellOpen(item(n, 1), item(n, 2), kOpenAbove)) item(n, 0) = 1;
  }
  // Tested whether the item lies in the maze or not; the first item's picture is
  // the contact shape of every kind.
  if (!TouchesPlayer(pu01, kCellSize * item(n, 1) - G.ScrollX, kCellSize * item(n, 2) - G.ScrollY, 0)) return;
  const int s = slot(1, 0) == 0 ? 1 : slot(2, 0) == 0 ? 2 : 0;
  if (s == 0) return;  // both slots taken: the item stays
  slot(s, 1) = item(n, 3);
  item(n, 0) = 0;
  slot(s, 2) = 0;
  slot(s, 3) = ElapsedMillis();
  slot(s, 0) = 1;
  slot(s, 4) = 1;
  PlaySound(G.PuSnd);
}

namespace {

// Seconds left of a power-up picked up at `start`. A start later than the clock
// counts as run out: a new game sets the pick-up times to 0 so that a power-up
// left from an earlier game ends at once, and once the clock has passed 2^31 ms
// that 0 lies ahead of it.
int SecondsLeft(int start) {
  const int elapsed = MillisBetween(start, ElapsedMillis());
  return elapsed < 0 ? 0 : kPowerUpSeconds - elapsed / 1000;
}

}  // namespace

void PowerUps::DrawSlots() {
  auto& slot = G.PuSlotTab;
  ImageRef* shown[2] = {&PUim01, &PUim02};
  for (int s = 1; s <= 2; ++s)
    if (slot(s, 1) >= 1 && slot(s, 1) <= 7) *shown[s - 1] = KindImage(slot(s, 1));
  for (const layout::SlotPlace& place : layout::kSlotPlaces) DrawImageAt(slotim, float(place.x), float(place.y), 0);
  for (int s = 1; s <= 2; ++s)
    DrawImageAt(*shown[s - 1], float(layout::kSlotPlaces[s - 1].x), float(layout::kSlotPlaces[s - 1].y), 0);
  for (int s = 1; s <= 2; ++s) {
    if (slot(s, 0) == 0) continue;
    const layout::SlotPlace& place = layout::kSlotPlaces[s - 1];
    String countdown(layout::kCountdownLead);
    countdown += IntText(SecondsLeft(slot(s, 3)));
    DrawTextAt(countdown, float(place.count_x), float(place.count_y));
    // A fresh reading of the clock decides whether the power-up has run out.
    if (SecondsLeft(slot(s, 3)) > 0) continue;
    *shown[s - 1] = empty;
    slot(s, 1) = 0;
    slot(s, 3) = 0;
    slot(s, 0) = 0;
    slot(s, 4) = 0;
  }
}
