// Holes and diamonds, checked on the state trace: placement by trial, pick-up on
// contact, delivery at the hole of the colour, and the counters and sounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/diamonds.h"
#include "game/maze.h"
#include "game/state.h"
#include "media/media.h"
#include "support/game_run.h"
#include "support/game_world.h"
#include "support/headless.h"

namespace {

using game_test::Json;

using game_test::Sfx;
using Sounds = std::vector<std::string>;

Json Counters(std::initializer_list<int> six) { return Json(std::vector<int>(six)); }

// The typical event: walk left to a green diamond, pick it up, walk on to the
// green hole in the top-left corner and deliver it.
TEST(DiamondsScripted, AGreenDiamondIsPickedUpCarriedAndDelivered) {
  const auto run = game_test::RunScriptFile("pick_up_and_deliver.txt", game_test::RunOptions::Clock(5600));
  EXPECT_EQ(run.status, 0) << run.err;
  const auto game = run.OnScreen("game");
  ASSERT_GT(game.size(), 300u);

  // On the first game frame all twenty diamonds have been placed.
  for (const Json& row : game[0]["diam"]) EXPECT_EQ(row[0], 1);

  // The pick-up: one frame with the get sound, in which a green diamond under
  // the figure goes inactive and the carried green counter becomes 1.
  size_t got = 0;
  for (size_t i = 1; i < game.size() && got == 0; ++i)
    if (Sfx(game[i]) == Sounds{"get"}) got = i;
  ASSERT_NE(got, 0u) << "no diamond was picked up";
  const Json& before = game[got - 1];
  const Json& at = game[got];
  EXPECT_EQ(at["counters"], Counters({0, 1, 0, 0, 0, 0}));
  int taken = -1;
  for (int i = 0; i < kDiamonds; ++i)
    if (before["diam"][i][0] == 1 && at["diam"][i][0] == 0) taken = i;
  ASSERT_GE(taken, 0);
  const Json& row = at["diam"][taken];
  EXPECT_EQ(row[3], kGreen);
  // The figure (24 x 25 at the position the frame started with) covers part of
  // the diamond's cell.
  const int px = 200 + before["scroll"][0].get<int>(), py = 200 + before["scroll"][1].get<int>();
  const int cx = 32 * row[1].get<int>(), cy = 32 * row[2].get<int>();
  EXPECT_TRUE(px < cx + 32 && cx < px + 24 && py < cy + 32 && cy < py + 25)
      << "figure at " << px << ", " << py << "; diamond cell at " << cx << ", " << cy;
  // The next frame places it anew.
  EXPECT_EQ(game[got + 1]["diam"][taken][0], 1);

  // Carried until the hole: no theft on the way, then one frame delivers it with
  // the hole sound, with the figure at the green hole (40, 40).
  size_t delivered = 0;
  for (size_t i = got + 1; i < game.size() && delivered == 0; ++i) {
    if (game[i]["counters"][4] == 1) delivered = i;
    else EXPECT_EQ(game[i]["counters"], Counters({0, 1, 0, 0, 0, 0})) << "frame " << game[i]["f"];
  }
  ASSERT_NE(delivered, 0u) << "the diamond was never delivered";
  EXPECT_EQ(game[delivered]["counters"], Counters({0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(Sfx(game[delivered]), Sounds{"hole"});
  const int hx = 200 + game[delivered - 1]["scroll"][0].get<int>();
  const int hy = 200 + game[delivered - 1]["scroll"][1].get<int>();
  EXPECT_TRUE(hx < 40 + 26 && 40 < hx + 24 && hy < 40 + 21 && 40 < hy + 25) << hx << ", " << hy;
  // Standing on the hole with nothing more to deliver makes no further sound.
  for (size_t i = delivered + 1; i < game.size(); ++i) EXPECT_EQ(Sfx(game[i]), Sounds{}) << game[i]["f"];
}

class DiamondsWorld : public game_test::WorldTest {
 protected:
  static void SetDiamond(int i, int active, int column, int row, int colour) {
    game_test::SetRow(G.DiamTab, i, {active, column, row, colour});
  }
};

TEST_F(DiamondsWorld, PlacedOnTheFirstFrameAndDrawnFromTheSecond) {
  Reopen({.draw = true});
  SetClsColor(0, 0, 0);
  for (int i = 0; i < kDiamonds; ++i) G.DiamTab(i, 0) = 0;
  // The diamonds alone, twice: the first call places all twenty and draws none.
  Cls();
  G.DiamondsObj->DrawNCollect();
  std::vector<uint8_t> pixels = test_support::ReadFramebuffer();
  ASSERT_FALSE(pixels.empty());
  for (size_t i = 0; i < pixels.size(); i += 4)
    ASSERT_TRUE(pixels[i] == 0 && pixels[i + 1] == 0 && pixels[i + 2] == 0) << "something drawn at pixel " << i / 4;
  const Json first = game_test::PresentGameFrame();
  for (const Json& row : first["diam"]) {
    EXPECT_EQ(row[0], 1);
    EXPECT_GE(row[1], 1);
    EXPECT_LE(row[1], 36);
    EXPECT_GE(row[2], 1);
    EXPECT_LE(row[2], 24);
    EXPECT_GE(row[3], 0);
    EXPECT_LE(row[3], 2);
  }
  // The second call draws every diamond that stayed (those on open cells), each
  // at its cell's top-left corner, and nothing else.
  Cls();
  G.DiamondsObj->DrawNCollect();
  pixels = test_support::ReadFramebuffer();
  const Json second = game_test::PresentGameFrame();
  std::vector<bool> covered(size_t(700 * 540), false);
  int drawn = 0;
  for (int i = 0; i < kDiamonds; ++i) {
    const Json& row = second["diam"][i];
    if (row[0] != 1 || row != first["diam"][i]) continue;
    const int x0 = 32 * row[1].get<int>() - G.ScrollX, y0 = 32 * row[2].get<int>() - G.ScrollY;
    if (x0 >= 700 || y0 >= 540) continue;
    bool seen = false;
    for (int y = y0; y < y0 + 30 && y < 540; ++y)
      for (int x = x0; x < x0 + 30 && x < 700; ++x) {
        covered[size_t(y * 700 + x)] = true;
        const auto p = test_support::PixelAt(pixels, x, y);
        seen = seen || p.r || p.g || p.b;
      }
    EXPECT_TRUE(seen) << "diamond " << i << " not drawn";
    drawn += seen;
  }
  EXPECT_GT(drawn, 0);
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 700; ++x)
      if (!covered[size_t(y * 700 + x)]) {
        const auto p = test_support::PixelAt(pixels, x, y);
        ASSERT_TRUE(!p.r && !p.g && !p.b) << "drawn outside every diamond at " << x << ", " << y;
      }
}

TEST_F(DiamondsWorld, ADiamondOnAClosedCellIsDroppedThenPlacedAnewInDrawOrder) {
  // Row 0 on a "5" cell, which stays closed to diamonds while the player may walk
  // through walls; row 1 on a cell the second level closes.
  game_test::FillSlot(1, 4);
  SetDiamond(0, 1, 13, 3, kRed);
  SetDiamond(1, 1, 1, 3, kBlue);
  G.LevelFiles = 2;
  LoadLevel();
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["fx"][3], 4);
  EXPECT_EQ(f["diam"][0], Json::parse("[0,13,3,2]"));
  EXPECT_EQ(f["diam"][1], Json::parse("[0,1,3,0]"));
  EXPECT_EQ(f["diam"][2], Json::parse("[1,35,1,2]")) << "a diamond on an open cell stays";
  EXPECT_EQ(f["counters"], Counters({0, 0, 0, 0, 0, 0}));
  // The next frame places both, row 0 first: column, row, colour for each.
  SeedRandom(4242);
  std::vector<int> draws;
  for (int i = 0; i < 2; ++i)
    for (auto [lo, hi] : {std::pair{1, 36}, {1, 24}, {0, 2}}) draws.push_back(RandomInt(lo, hi));
  SeedRandom(4242);
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["diam"][0], Json({1, draws[0], draws[1], draws[2]}));
  EXPECT_EQ(f["diam"][1], Json({1, draws[3], draws[4], draws[5]}));
}

TEST_F(DiamondsWorld, APlacedDiamondStaysOnlyOnACellAboveFive) {
  // Hand-picked cells of the first level: open, a "5" and a wall. Placed active
  // on any of them; the next frame drops it from a closed cell.
  struct Case {
    int column, row;
    bool open;
  };
  for (const Case c : {Case{20, 2, true}, Case{12, 1, false}, Case{23, 1, false}}) {
    SetDiamond(0, 0, 0, 0, 0);
    const int colour = game_test::SeedPlacementOn(c.column, c.row, 0, 2);
    EXPECT_EQ(game_test::RunGameFrame()["diam"][0], Json({1, c.column, c.row, colour}));
    EXPECT_EQ(game_test::RunGameFrame()["diam"][0], Json({c.open ? 1 : 0, c.column, c.row, colour}))
        << c.column << ", " << c.row;
  }
}

TEST_F(DiamondsWorld, ADiamondPlacedUnderThePlayerIsCollectedInTheSamePass) {
  // Player at (200, 200): cell (6, 6) lies under it.
  SetDiamond(4, 0, 0, 0, 0);
  const int colour = game_test::SeedPlacementOn(6, 6, 0, 2);
  const Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["diam"][4], Json({0, 6, 6, colour}));
  Json counters = Counters({0, 0, 0, 0, 0, 0});
  counters[colour] = 1;
  EXPECT_EQ(f["counters"], counters);
  EXPECT_EQ(Sfx(f), Sounds{"get"});
}

TEST_F(DiamondsWorld, TwoDiamondsTouchedInOneFrameAreBothCollected) {
  SetDiamond(3, 1, 6, 6, kGreen);
  SetDiamond(7, 1, 6, 6, kRed);
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["counters"], Counters({0, 1, 1, 0, 0, 0}));
  EXPECT_EQ(Sfx(f), (Sounds{"get", "get"}));
  EXPECT_EQ(f["diam"][3][0], 0);
  EXPECT_EQ(f["diam"][7][0], 0);
  // While the doubling power-up is held each pick-up counts 2.
  game_test::FillSlot(2, 7);
  SetDiamond(3, 1, 6, 6, kGreen);
  SetDiamond(7, 1, 6, 6, kBlue);
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["fx"][4], 2);
  EXPECT_EQ(f["counters"], Counters({2, 3, 1, 0, 0, 0}));
}

TEST_F(DiamondsWorld, EachHoleTakesOnlyItsOwnColourWithOneSound) {
  struct Hole {
    int x, y, colour;
  };
  for (const Hole hole : {Hole{120, 640, kBlue}, Hole{40, 40, kGreen}, Hole{1100, 750, kRed}}) {
    // Carrying none of its colour: nothing happens.
    game_test::PutPlayerAt(hole.x, hole.y);
    G.Counters = {3, 4, 5, 1, 1, 1};
    G.Counters[size_t(hole.colour)] = 0;
    Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["counters"], Counters({hole.colour == 0 ? 0 : 3, hole.colour == 1 ? 0 : 4, hole.colour == 2 ? 0 : 5,
                                       1, 1, 1}));
    EXPECT_EQ(Sfx(f), Sounds{}) << "hole " << hole.colour;
    // Carrying 3, 4, 5: all of its colour go over at once with one sound.
    G.Counters = {3, 4, 5, 1, 1, 1};
    f = game_test::RunGameFrame();
    Json counters = Counters({3, 4, 5, 1, 1, 1});
    counters[hole.colour] = 0;
    counters[hole.colour + 3] = 1 + 3 + hole.colour;
    EXPECT_EQ(f["counters"], counters) << "hole " << hole.colour;
    EXPECT_EQ(Sfx(f), Sounds{"hole"});
  }
}

TEST_F(DiamondsWorld, ADiamondPickedUpOnItsHoleIsDeliveredOnTheNextFrame) {
  // On the green hole; a green diamond in the hole's cell.
  game_test::PutPlayerAt(40, 40);
  SetDiamond(9, 1, 1, 1, kGreen);
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["counters"], Counters({0, 1, 0, 0, 0, 0})) << "the holes come before the diamonds";
  EXPECT_EQ(Sfx(f), Sounds{"get"});
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["counters"], Counters({0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(Sfx(f), Sounds{"hole"});
}

}  // namespace
