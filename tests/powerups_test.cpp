// Power-up items, the two slots and the effects, checked on the state trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/flow.h"
#include "game/state.h"
#include "game/zarn.h"
#include "media/media.h"
#include "support/game_world.h"

namespace {

using game_test::Json;
using game_test::Sfx;
using Sounds = std::vector<std::string>;

// The player stands at (200, 200), on cell (6, 6) of the first level.
class PowerUpsWorld : public game_test::WorldTest {
 protected:
  static void SetItem(int i, int active, int column, int row, int kind) {
    game_test::SetRow(G.PuItemTab, i, {active, column, row, kind});
  }
  static void EmptySlots() {
    for (int s = 1; s <= 2; ++s) game_test::SetRow(G.PuSlotTab, s, {0, 0, 0, 0, 0, 0});
  }
  static bool Open(int column, int row) { return game_test::OpenToObjects(column, row); }
};

TEST_F(PowerUpsWorld, ItemsArePlacedByTrialInDrawOrder) {
  SetItem(0, 0, 0, 0, 0);
  SetItem(1, 0, 0, 0, 0);
  // Seeds for which item 0 lands on a closed cell and item 1 on an open one, both
  // away from the player.
  std::vector<int> d;
  auto away = [](int c, int r) { return c < 5 || c > 7 || r < 5 || r > 7; };
  game_test::SeedWhere([&] {
    d.clear();
    for (int i = 0; i < 2; ++i)
      for (auto [lo, hi] : {std::pair{1, 36}, {1, 24}, {1, 7}}) d.push_back(RandomInt(lo, hi));
    return !Open(d[0], d[1]) && Open(d[3], d[4]) && away(d[0], d[1]) && away(d[3], d[4]);
  });
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["items"][0], Json({0, d[0], d[1], d[2]})) << "a closed cell leaves the item waiting";
  EXPECT_EQ(f["items"][1], Json({1, d[3], d[4], d[5]}));
  // Next frame: only the waiting item draws new numbers; the placed one stays.
  const int kind = game_test::SeedPlacementOn(20, 2, 1, 7);
  f = game_test::RunGameFrame();
  EXPECT_EQ(f["items"][0], Json({1, 20, 2, kind}));
  EXPECT_EQ(f["items"][1], Json({1, d[3], d[4], d[5]}));
  EXPECT_EQ(Sfx(f), Sounds{});
}

TEST_F(PowerUpsWorld, AnItemStaysOnlyOnACellAboveFiveWhateverThePlayerWalksThrough) {
  // Hand-picked cells of the first level, with the walk-through-walls power-up
  // held: two open cells, a "5", a wall and the grid's last corner.
  game_test::FillSlot(1, 4);
  struct Case {
    int column, row;
    bool open;
  };
  const Case cases[] = {{1, 1, true}, {20, 2, true}, {12, 1, false}, {23, 1, false}, {36, 24, false}};
  for (const Case& c : cases) {
    SetItem(0, 0, 0, 0, 0);
    const int kind = game_test::SeedPlacementOn(c.column, c.row, 1, 7);
    const Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["fx"][3], 4);
    EXPECT_EQ(f["items"][0], Json({c.open ? 1 : 0, c.column, c.row, kind})) << c.column << ", " << c.row;
  }
}

TEST_F(PowerUpsWorld, TheFirstKindsPictureIsTheContactShapeOfEveryItem) {
  // A solid block in the player's place: the item's own pixels decide. The
  // picture is a disc whose rows 13 to 16 span all 30 columns and whose rows 25
  // to 29 stay within columns 5 to 24 (the slot's frame, also 30 x 30, is a
  // rounded square that reaches column 28 on row 25).
  G.PlayerObj->zarni = LoadImageFile(TPixmap::Create(24, 25, PF_RGB888), 0);
  G.PlayerObj->Frame = 0;
  struct Case {
    int x, y;  // the item's screen position; the player covers [200, 224) x [200, 225)
    bool taken;
  };
  const Case cases[] = {
      {171, 200, true},   // column 29 over the player's column 0
      {170, 200, false},  // one pixel apart
      {175, 175, false},  // columns and rows 25 to 29 over the player's corner
      {200, 175, true},   // row 25 over the player's row 0
  };
  for (const Case& c : cases) {
    EmptySlots();
    // The item on cell (6, 6), the view moved to put it at (x, y) on the screen.
    game_test::PutPlayerAt(200 + 192 - c.x, 200 + 192 - c.y);
    SetItem(0, 1, 6, 6, 3);
    const Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["slots"][0][1], c.taken ? 3 : 0) << c.x << ", " << c.y;
    EXPECT_EQ(f["items"][0][0], c.taken ? 0 : 1) << c.x << ", " << c.y;
  }
}

TEST_F(PowerUpsWorld, AnItemRolledOntoAClosedCellUnderThePlayerIsTakenAtOnce) {
  // The player stands on the "5" cell (12, 1), closed to items.
  game_test::PutPlayerAt(12 * 32, 32);
  SetItem(0, 0, 0, 0, 0);
  const int kind = game_test::SeedPlacementOn(12, 1, 1, 7);
  const Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["items"][0], Json({0, 12, 1, kind}));
  EXPECT_EQ(f["slots"][0][0], 1);
  EXPECT_EQ(f["slots"][0][1], kind);
  EXPECT_EQ(Sfx(f), Sounds{"PUsound"});
}

TEST_F(PowerUpsWorld, TwoItemsTouchedInOneFrameFillSlotOneThenSlotTwo) {
  SetItem(0, 1, 6, 6, 2);
  SetItem(1, 1, 6, 6, 7);
  const int now = ElapsedMillis();
  const Json f = game_test::RunGameFrame();
  EXPECT_EQ(f["slots"], Json::parse("[[1,2,0," + std::to_string(now) + ",1],[1,7,0," + std::to_string(now) + ",1]]"));
  EXPECT_EQ(f["items"][0][0], 0);
  EXPECT_EQ(f["items"][1][0], 0);
  EXPECT_EQ(Sfx(f), (Sounds{"PUsound", "PUsound"}));
  EXPECT_EQ(f["fx"], Json::parse("[0,2,0,5,2]"));
}

TEST_F(PowerUpsWorld, WithBothSlotsFullAnItemWaitsUntilASlotRunsOut) {
  // Item 0 is handled before the slots' countdown of the same frame, item 1
  // after it: a slot freed in a frame takes item 1 in that frame, item 0 in the next.
  for (int item = 0; item < 2; ++item) {
    SCOPED_TRACE("item " + std::to_string(item));
    EmptySlots();
    game_test::ParkEverything(35, 1);
    game_test::FillSlot(1, 1);
    game_test::FillSlot(2, 3);
    G.PuSlotTab(1, 3) -= 29950;  // slot 1 runs out within a few frames
    SetItem(item, 1, 6, 6, 2);
    Json f;
    int frames = 0;
    do {
      f = game_test::RunGameFrame();
      ASSERT_LT(++frames, 10);
      if (f["slots"][0][1] == 1) {
        EXPECT_EQ(f["items"][item][0], 1) << "the item stays while both slots are full";
        EXPECT_EQ(Sfx(f), Sounds{});
      }
    } while (f["slots"][0][0] == 1 && f["slots"][0][1] == 1);
    if (item == 0) {
      EXPECT_EQ(f["slots"][0], Json::parse("[0,0,0,0,0]"));
      EXPECT_EQ(f["items"][0][0], 1);
      f = game_test::RunGameFrame();
    }
    EXPECT_EQ(f["slots"][0][0], 1);
    EXPECT_EQ(f["slots"][0][1], 2);
    EXPECT_EQ(f["slots"][1][1], 3) << "slot 2 keeps its power-up";
    EXPECT_EQ(f["items"][item][0], 0);
    EXPECT_EQ(Sfx(f), Sounds{"PUsound"});
  }
}

TEST_F(PowerUpsWorld, EachKindActsFromThePickUpFrame) {
  struct Case {
    int kind;
    const char* fx;
  };
  const Case cases[] = {{1, "[1,1,0,5,1]"}, {2, "[0,2,0,5,1]"}, {3, "[0,1,1,5,1]"}, {4, "[0,1,0,4,1]"},
                        {5, "[0,1,0,5,1]"}, {6, "[0,1,0,5,1]"}, {7, "[0,1,0,5,2]"}};
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    EmptySlots();
    game_test::ParkEverything(35, 1);
    SetItem(0, 1, 6, 6, c.kind);
    G.Counters = {1, 0, 4, 2, 2, 2};
    G.StartTime = ElapsedMillis() - 288000;  // 12 seconds left
    const int start = G.StartTime;
    Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["fx"], Json::parse(c.fx));
    EXPECT_EQ(f["slots"][0][1], c.kind);
    // The one-shot kinds act in the pick-up frame, before the HUD reads the clock.
    const bool once = c.kind == 5 || c.kind == 6;
    EXPECT_EQ(f["slots"][0][4], once ? 0 : 1);
    EXPECT_EQ(f["startTime"], c.kind == 5 ? start + 30000 : start);
    EXPECT_EQ(f["timeLeft"], c.kind == 5 ? 42 : 12);
    EXPECT_EQ(f["counters"], c.kind == 6 ? Json::parse("[11,10,14,2,2,2]") : Json::parse("[1,0,4,2,2,2]"));
    // Freezing reaches the Blobbs in the same frame.
    for (const Json& b : f["blobbs"]) EXPECT_EQ(b[0], c.kind == 3 ? 2 : 1);
    // The next frame: lasting kinds hold, one-shot kinds do not act again.
    SetItem(0, 1, 35, 1, c.kind);
    f = game_test::RunGameFrame();
    EXPECT_EQ(f["fx"], Json::parse(c.fx));
    EXPECT_EQ(f["startTime"], c.kind == 5 ? start + 30000 : start);
    EXPECT_EQ(f["counters"], c.kind == 6 ? Json::parse("[11,10,14,2,2,2]") : Json::parse("[1,0,4,2,2,2]"));
    EXPECT_EQ(f["slots"][0][0], 1) << "a used one-shot kind keeps its slot for its 30 seconds";
  }
}

TEST_F(PowerUpsWorld, APowerUpLastsThirtySecondsFromItsPickUp) {
  game_test::FillSlot(2, 2);
  const int start = G.PuSlotTab(2, 3) -= 29900;
  Json prev = game_test::RunGameFrame();
  ASSERT_EQ(prev["slots"][1][0], 1);
  for (int i = 0; i < 20; ++i) {
    const Json f = game_test::RunGameFrame();
    // The countdown reads the clock the previous frame was presented at.
    const int elapsed = prev["t"].get<int>() - start;
    if (elapsed < 30000) {
      EXPECT_EQ(f["slots"][1][1], 2);
      EXPECT_EQ(f["fx"][1], 2);
    } else {
      // The frame that empties the slot already walks at the plain speed.
      EXPECT_EQ(f["slots"][1], Json::parse("[0,0,0,0,0]"));
      EXPECT_EQ(f["fx"][1], 1);
      return;
    }
    prev = f;
  }
  ADD_FAILURE() << "the power-up never ran out";
}

TEST_F(PowerUpsWorld, WallsClosingAroundThePlayerWhenWalkingThroughWallsEnds) {
  // The "5" cells (15, 8) and (16, 8) of the first level: walkable with kind 4.
  game_test::PutPlayerAt(510, 258);
  game_test::FillSlot(1, 4);
  G.PuSlotTab(1, 3) -= 29950;
  game_test::Hold('A');
  Json prev = game_test::RunGameFrame();
  EXPECT_EQ(prev["fx"][3], 4);
  EXPECT_EQ(prev["scroll"][0], 509 - 200);
  Json f;
  for (;;) {
    f = game_test::RunGameFrame();
    if (f["fx"][3] == 5) break;
    EXPECT_EQ(f["scroll"][0], prev["scroll"][0].get<int>() - 1);
    prev = f;
  }
  // The frame on which the slot empties tests A against "5" again: it stays.
  EXPECT_EQ(f["slots"][0], Json::parse("[0,0,0,0,0]"));
  EXPECT_EQ(f["scroll"], prev["scroll"]);
  game_test::Release('A');
  // Every test point now lies in a "5" cell: no key moves the figure.
  for (int key : {'A', 'D', 'W', 'S'}) {
    game_test::Hold(key);
    EXPECT_EQ(game_test::RunGameFrame()["scroll"], prev["scroll"]) << char(key);
    game_test::Release(key);
  }
}

TEST_F(PowerUpsWorld, APowerUpLeftFromAnEarlierGameRunsOutOnTheFirstFrame) {
  // Also once the clock has passed 2^31 ms, where the reset pick-up time lies
  // ahead of the clock.
  for (uint32_t clock : {100000u, 3000000000u}) {
    SCOPED_TRACE("clock " + std::to_string(clock));
    Reopen({.clock_start = clock});
    game_test::FillSlot(1, 3);
    Json f = game_test::RunGameFrame();
    EXPECT_EQ(f["fx"][2], 1);
    for (int i = 0; i < 3; ++i) f = game_test::RunGameFrame();
    StartGame();
    f = game_test::RunGameFrame();
    EXPECT_EQ(f["slots"][0], Json::parse("[0,0,0,0,0]"));
    EXPECT_EQ(f["fx"][2], 0);
    EXPECT_EQ(f["timeLeft"], 300);
  }
}

}  // namespace
