// The game set up inside the test process, for situations a script can only reach
// by chance (a Blobb placed on the player, both slots full, every power-up kind):
// the state record is arranged by hand, then game frames run and each presented
// frame's line of the state trace is read back, so the tests assert on the trace
// as the scripted runs do.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/state.h"
#include "support/game_run.h"

namespace game_test {

struct WorldSetup {
  uint32_t clock_start = 100000;  // the virtual clock when the world opens, ms
  bool draw = false;              // draw on the software renderer (for reading pixels back)
  int level_files = 1;            // level files to load: 1 first level, 2 second level
};

// Opens headless graphics, loads the shared files as the first pass does (font,
// sounds, clock, frame timer), creates the six game objects, loads the level and
// starts a game at the current clock. The tables stay as made (all zero) until a
// test fills them. Every test's state record starts afresh.
void OpenWorld(const WorldSetup& setup = {});
// Releases the state record and closes the graphics.
void CloseWorld();

// Seeds the generator so that a diamond's or an item's placement lands on cell
// (column, row): the draws column 1..36, row 1..24, then a third from `lo` to
// `hi` (colour or kind), which is returned.
int SeedPlacementOn(int column, int row, int lo, int hi);

// Sets the first columns of a table row (DiamTab, BlobbTab, PuItemTab, PuSlotTab).
template <typename Table>
void SetRow(Table& table, int row, std::initializer_list<int> values) {
  int column = 0;
  for (int v : values) table(row, column++) = v;
}

// Whether the loaded level's cell is open to diamonds, items and Blobbs (its
// code above "5"), read from the cell layer.
bool OpenToObjects(int column, int row);

// Puts all diamonds and both items active on cell (column, row), every Blobb
// roaming at that cell's corner, both slots empty: nothing touches the player and
// nothing draws a random number in the next frames but the roaming Blobbs.
void ParkEverything(int column, int row);
// Moves the camera so that the player's top-left corner is at world (x, y).
void PutPlayerAt(int x, int y);
// Puts a power-up of `kind` into slot 1 or 2 as a pick-up does now.
void FillSlot(int slot, int kind);

// One frame of the game loop; its trace line.
Json RunGameFrame();
// Presents the frame drawn so far as a game frame; its trace line (for running a
// single object's operation).
Json PresentGameFrame();

// The sounds a trace line notes.
std::vector<std::string> Sfx(const Json& frame);

// A key goes down / up, as the window system would report it.
void Hold(int key);
void Release(int key);

// The first seed from 1 on for which `draws` (run right after seeding) returns
// true; the generator is left seeded with it. Fails the test when none of the
// first million seeds does.
int SeedWhere(const std::function<bool()>& draws);

// A test on the first level with the player at world (200, 200), in its open
// top-left room, and everything else parked on cell (35, 1).
class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { Reopen({}); }
  void TearDown() override { CloseWorld(); }
  static void Reopen(const WorldSetup& setup);
};

}  // namespace game_test
