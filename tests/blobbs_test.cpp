// The Blobbs, checked on the state trace: placement by trial, roaming with two
// test points per step, the change roll, freezing, and theft.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "game/state.h"
#include "media/media.h"
#include "support/game_world.h"

namespace {

using game_test::Json;
using game_test::Sfx;
using Sounds = std::vector<std::string>;

class BlobbsWorld : public game_test::WorldTest {
 protected:
  static void SetBlobb(int i, int state, int x, int y, int direction = 0, int chosen = 0) {
    game_test::SetRow(G.BlobbTab, i, {state, x, y, direction, chosen, 0});
  }
  // Whether the cell holding a world pixel is open to Blobbs.
  static bool OpenAt(int x, int y) { return game_test::OpenToObjects(x / 32, y / 32); }
  // Seeds the generator so that the next placement draws, x then y, are wanted;
  // returns them.
  static std::pair<int, int> SeedPlacement(const std::function<bool(int, int)>& wanted) {
    int x = 0, y = 0;
    game_test::SeedWhere([&] {
      x = RandomInt(1, 1152);
      y = RandomInt(1, 768);
      return wanted(x, y);
    });
    return {x, y};
  }
};

TEST_F(BlobbsWorld, ABlobbPlacedOnThePlayerStealsInThePlacingPass) {
  SetBlobb(0, 0, 0, 0);
  // In the open room around the player both tested corners are open.
  const auto [x, y] = SeedPlacement([](int x, int y) { return x >= 190 && x <= 210 && y >= 190 && y <= 210; });
  G.Counters = {3, 0, 2, 1, 1, 1};
  const Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["blobbs"][0], Json({1, x, y, 0, 0, 0}));
  EXPECT_EQ(f["counters"], Json::parse("[0,0,0,1,1,1]"));
  EXPECT_EQ(Sfx(f), Sounds{"bite"});
}

TEST_F(BlobbsWorld, PlacementTestsTheTopLeftCornerAndThePointThirtyPixelsBelowRight) {
  // Seeds whose draws land exactly on the boundaries of the two tested points.
  struct Case {
    const char* what;
    std::function<bool(int, int)> draws;
    bool placed;
  };
  const Case cases[] = {
      {"(x + 29, y + 29) open, (x + 30, y + 30) closed",
       [](int x, int y) { return OpenAt(x, y) && OpenAt(x + 29, y + 29) && !OpenAt(x + 30, y + 30); }, false},
      {"(x + 30, y + 30) open, (x + 31, y + 31) closed",
       [](int x, int y) { return OpenAt(x, y) && OpenAt(x + 30, y + 30) && !OpenAt(x + 31, y + 31); }, true},
      {"(x, y) closed, (x + 1, y + 1) open",
       [](int x, int y) { return !OpenAt(x, y) && OpenAt(x + 1, y + 1) && OpenAt(x + 30, y + 30); }, false},
      {"(x, y) open, (x - 1, y - 1) closed",
       [](int x, int y) { return OpenAt(x, y) && !OpenAt(x - 1, y - 1) && OpenAt(x + 30, y + 30); }, true},
      {"(x + 30, y) closed, not tested",
       [](int x, int y) { return OpenAt(x, y) && OpenAt(x + 30, y + 30) && !OpenAt(x + 30, y); }, true},
      {"(x, y + 30) closed, not tested",
       [](int x, int y) { return OpenAt(x, y) && OpenAt(x + 30, y + 30) && !OpenAt(x, y + 30); }, true},
  };
  for (const Case& c : cases) {
    SetBlobb(0, 0, 0, 0);
    const auto [x, y] = SeedPlacement(c.draws);
    const Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["blobbs"][0], Json({c.placed ? 1 : 0, x, y, 0, 0, 0})) << c.what << "; x then y, kept in the row";
  }
  // A row not placed tries again on the next frame with new numbers.
  SetBlobb(0, 0, 0, 0);
  SeedPlacement([](int x, int y) { return !OpenAt(x, y); });
  game_test::RunGameFrame();
  const auto [x, y] = SeedPlacement([](int x, int y) { return OpenAt(x, y) && OpenAt(x + 30, y + 30); });
  EXPECT_EQ(game_test::RunGameFrame()["blobbs"][0], Json({1, x, y, 0, 0, 0}));
}

TEST_F(BlobbsWorld, ARoamingBlobbDrawsItsDirectionThenStepsThenRolls) {
  // At (192, 160) every direction is open.
  SetBlobb(0, 1, 192, 160);
  SeedRandom(12345);
  const int direction = RandomInt(1, 4), roll = RandomInt(1, 100);
  SeedRandom(12345);
  Json f = game_test::RunGameFrame();
  const int dx[] = {0, 1, -1, 0, 0}, dy[] = {0, 0, 0, 1, -1};
  EXPECT_EQ(f["blobbs"][0],
            Json({1, 192 + dx[direction], 160 + dy[direction], direction, roll == 100 ? 0 : 1, roll}));
  // A roll of 99 keeps the direction; 100 drops it after the step, and the next
  // frame draws a new one.
  for (int roll : {99, 100}) {
    SetBlobb(0, 1, 192, 160, 1, 1);
    game_test::SeedWhere([&] { return RandomInt(1, 100) == roll; });
    f = game_test::RunGameFrame();
    EXPECT_EQ(f["blobbs"][0], Json({1, 193, 160, 1, roll == 100 ? 0 : 1, roll}));
  }
  SeedRandom(777);
  const int next = RandomInt(1, 4);
  SeedRandom(777);
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["blobbs"][0][3], next);
}

TEST_F(BlobbsWorld, StepsStopFlushOnTheLeftAndTopAndOnePixelShortOnTheRightAndBottom) {
  struct Case {
    const char* what;
    int x, y, direction, to_x, to_y;
  };
  const Case cases[] = {
      // Border wall on the left (x 0..31) and at the top (y 0..31).
      {"left", 33, 192, 2, 32, 192},
      {"left, flush", 32, 192, 2, 32, 192},
      {"up", 192, 33, 4, 192, 32},
      {"up, flush", 192, 32, 4, 192, 32},
      // Wall at x 384 on the right and at y 352 below: the test points lie one
      // pixel beyond the 30-pixel square's last column and row.
      {"right", 352, 192, 1, 353, 192},
      {"right, short", 353, 192, 1, 353, 192},
      {"down", 192, 320, 3, 192, 321},
      {"down, short", 192, 321, 3, 192, 321},
      // Only the lower test point (y + 26) meets the wall of row 8.
      {"right, lower point", 224, 232, 1, 225, 232},
      {"right, lower point blocked", 225, 232, 1, 225, 232},
  };
  for (const Case& c : cases) {
    SetBlobb(0, 1, c.x, c.y, c.direction, 1);
    const Json b = game_test::RunGameFrame()["blobbs"][0];
    EXPECT_EQ(b[1], c.to_x) << c.what;
    EXPECT_EQ(b[2], c.to_y) << c.what;
    EXPECT_EQ(b[3], c.direction) << c.what;
    if (c.to_x == c.x && c.to_y == c.y) {
      EXPECT_EQ(b[4], 0) << c.what << ": a blocked step drops the direction";
    }
  }
  // Cells holding "5" stay walls to Blobbs while the player walks through walls.
  game_test::FillSlot(1, 4);
  SetBlobb(0, 1, 480, 225, 3, 1);
  const Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["fx"][3], 4);
  EXPECT_EQ(f["blobbs"][0][2], 225);
  EXPECT_EQ(f["blobbs"][0][4], 0);
}

TEST_F(BlobbsWorld, TheFirstBlobbTakesEveryCarriedDiamondOnce) {
  SetBlobb(2, 1, 197, 198);
  SetBlobb(5, 1, 203, 201);
  G.Counters = {3, 0, 2, 4, 5, 6};
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["counters"], Json::parse("[0,0,0,4,5,6]"));
  EXPECT_EQ(Sfx(f), Sounds{"bite"});
  // Still touching with nothing carried: no sound.
  f = game_test::RunGameFrame();
  EXPECT_EQ(Sfx(f), Sounds{});
  // A diamond picked up while touching is lost in the same frame.
  G.DiamTab(0, 1) = 6;
  G.DiamTab(0, 2) = 6;
  G.DiamTab(0, 3) = kRed;
  f = game_test::RunGameFrame();
  EXPECT_EQ(Sfx(f), (Sounds{"get", "bite"}));
  EXPECT_EQ(f["counters"], Json::parse("[0,0,0,4,5,6]"));
}

TEST_F(BlobbsWorld, ProtectionAndFreezing) {
  SetBlobb(3, 1, 200, 200);
  G.Counters = {1, 1, 1, 0, 0, 0};
  // Protected: contact steals nothing, roaming or frozen.
  game_test::FillSlot(1, 1);
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["blobbs"][3][0], 1);
  EXPECT_EQ(f["counters"], Json::parse("[1,1,1,0,0,0]"));
  game_test::FillSlot(2, 3);
  SetBlobb(10, 0, 0, 0);  // not placed yet
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["fx"], Json::parse("[1,1,1,5,1]"));
  EXPECT_EQ(f["counters"], Json::parse("[1,1,1,0,0,0]"));
  EXPECT_EQ(Sfx(f), Sounds{});
  // Frozen: every row, placed or not, stands still in state 2.
  const Json frozen = f["blobbs"];
  for (const Json& b : frozen) EXPECT_EQ(b[0], 2);
  EXPECT_EQ(frozen[10], Json::parse("[2,0,0,0,0,0]"));
  // Frozen but no longer protected: contact steals.
  G.PuSlotTab(1, 0) = G.PuSlotTab(1, 1) = 0;
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["fx"], Json::parse("[0,1,1,5,1]"));
  EXPECT_EQ(f["counters"], Json::parse("[0,0,0,0,0,0]"));
  EXPECT_EQ(Sfx(f), Sounds{"bite"});
  EXPECT_EQ(f["blobbs"], frozen);
  // The freeze ends: that frame turns every row to roaming without moving it.
  G.PuSlotTab(2, 0) = G.PuSlotTab(2, 1) = 0;
  f = game_test::RunGameFrame();
  for (int i = 0; i < kBlobbs; ++i) {
    Json expected = frozen[i];
    expected[0] = 1;
    EXPECT_EQ(f["blobbs"][i], expected) << "row " << i;
  }
  // The row that was never placed roams from (0, 0), inside the border wall, and
  // is never placed again.
  for (int i = 0; i < 20; ++i) {
    f = game_test::RunGameFrame();
    EXPECT_EQ(f["blobbs"][10][0], 1);
    EXPECT_EQ(f["blobbs"][10][1], 0);
    EXPECT_EQ(f["blobbs"][10][2], 0);
  }
}

}  // namespace
