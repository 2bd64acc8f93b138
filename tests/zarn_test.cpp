// The player's walking, checked on the state trace: one test point per key, the
// fixed key order, the walking speed, and where walls stop the figure.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "game/blobbs.h"
#include "game/diamonds.h"
#include "game/holes.h"
#include "game/powerups.h"
#include "game/zarn.h"
#include "media/media.h"
#include "support/game_run.h"
#include "support/game_world.h"

namespace {

using game_test::Json;

// The player's world position in a game frame of the trace.
int PlayerX(const Json& f) { return 200 + f["scroll"][0].get<int>(); }
int PlayerY(const Json& f) { return 200 + f["scroll"][1].get<int>(); }

// Checks the game frames from "f" `first` to `last`, during which one key was
// held: each either takes one step of (dx, dy) and shows the key's block at the
// animation step the frame started with, or stays and keeps its cell; once it
// stays it never moves again. Returns the last frame.
Json CheckWalk(const game_test::Run& run, int first, int last, int block, int dx, int dy) {
  Json prev = run.Frame(first - 1);
  bool stopped = false;
  for (int f = first; f <= last; ++f) {
    const Json& cur = run.Frame(f);
    const int mx = cur["scroll"][0].get<int>() - prev["scroll"][0].get<int>();
    const int my = cur["scroll"][1].get<int>() - prev["scroll"][1].get<int>();
    if (mx == 0 && my == 0) {
      EXPECT_EQ(cur["frame"], prev["frame"]) << "a blocked key changes nothing, frame " << f;
      stopped = true;
    } else {
      EXPECT_FALSE(stopped) << "moved again after stopping, frame " << f;
      EXPECT_EQ(mx, dx) << "frame " << f;
      EXPECT_EQ(my, dy) << "frame " << f;
      EXPECT_EQ(cur["frame"].get<int>(), prev["anim"].get<int>() + block) << "frame " << f;
    }
    prev = cur;
  }
  EXPECT_TRUE(stopped) << "the walk from frame " << first << " never reached a wall";
  return prev;
}

TEST(ZarnScripted, WalksToTheWallOnEachSideAtSpeedOne) {
  const auto run = game_test::RunScriptFile("walk_to_walls.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  // Standing still before the first key: the figure keeps cell 0 and does not animate.
  EXPECT_EQ(run.Frame(6)["frame"], 0);
  EXPECT_EQ(run.Frame(7)["frame"], 0);
  EXPECT_NE(run.Frame(6)["anim"], run.Frame(7)["anim"]);

  // Left along row 6 to the border wall (column 0 ends at x 31): the test point is
  // the figure's left edge, so it stops one pixel inside the wall.
  Json end = CheckWalk(run, 8, 200, 0, -1, 0);
  EXPECT_EQ(PlayerX(end), 31);
  // Right to the wall at x 384: the test point lies one pixel beyond the figure,
  // whose right edge (x + 23) ends touching the wall.
  end = CheckWalk(run, 202, 560, 30, 1, 0);
  EXPECT_EQ(PlayerX(end), 360);
  // Up to the border wall (row 0 ends at y 31): the test point is one row below
  // the top edge, so the figure stops two pixels inside.
  end = CheckWalk(run, 562, 760, 10, 0, -1);
  EXPECT_EQ(PlayerY(end), 30);
  // Down to the wall at y 256 (row 8): the bottom edge (y + 24) ends touching it.
  end = CheckWalk(run, 762, 1000, 20, 0, 1);
  EXPECT_EQ(PlayerY(end), 231);
  EXPECT_EQ(PlayerX(end), 360);
}

TEST(ZarnScripted, TwoKeysInOneFrameTakeTheirTurnsInTheFixedOrder) {
  const auto run = game_test::RunScriptFile("two_keys.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  for (int f = 11; f <= 60; ++f) {
    const Json& prev = run.Frame(f - 1);
    const Json& cur = run.Frame(f);
    const int anim = prev["anim"].get<int>();  // the step Move saw
    if (f <= 20) {
      // A then D: left and back, the right-facing block wins.
      EXPECT_EQ(cur["scroll"], Json::parse("[0,0]")) << f;
      EXPECT_EQ(cur["frame"].get<int>(), anim + 30) << f;
    } else if (f <= 30) {
      // No key: the last pose stays while the animation step runs on.
      EXPECT_EQ(cur["frame"], prev["frame"]) << f;
    } else if (f <= 40) {
      // W then S: up and back down, the down-facing block wins.
      EXPECT_EQ(cur["scroll"], Json::parse("[0,0]")) << f;
      EXPECT_EQ(cur["frame"].get<int>(), anim + 20) << f;
    } else if (f <= 50) {
      EXPECT_EQ(cur["frame"], prev["frame"]) << f;
    } else {
      // D then S: one step right and one down in the same frame, facing down.
      EXPECT_EQ(cur["scroll"][0].get<int>(), prev["scroll"][0].get<int>() + 1) << f;
      EXPECT_EQ(cur["scroll"][1].get<int>(), prev["scroll"][1].get<int>() + 1) << f;
      EXPECT_EQ(cur["frame"].get<int>(), anim + 20) << f;
    }
  }
  EXPECT_EQ(run.Frame(65)["scroll"], Json::parse("[10,10]"));
}

// The arrow keys walk exactly as A, D, W and S do, alone, together with
// other keys, and held along with the letter of their own direction.
TEST(ZarnScripted, ArrowKeysWalkAsTheLettersDo) {
  const auto arrows = [](std::string script) {
    for (const auto& [letter, arrow] : {std::pair{" A\n", " LEFT\n"}, {" D\n", " RIGHT\n"}, {" W\n", " UP\n"},
                                        {" S\n", " DOWN\n"}}) {
      for (size_t at; (at = script.find(letter)) != std::string::npos;) script.replace(at, 3, arrow);
    }
    return script;
  };
  for (const char* name : {"walk_to_walls.txt", "two_keys.txt"}) {
    SCOPED_TRACE(name);
    const std::string letters = game_test::ScriptText(name);
    ASSERT_EQ(arrows(letters).find(" A\n"), std::string::npos);
    const auto by_letters = game_test::RunScript(letters);
    const auto by_arrows = game_test::RunScript(arrows(letters));
    EXPECT_EQ(by_arrows.status, 0) << by_arrows.err;
    ASSERT_FALSE(by_letters.OnScreen("game").empty());
    EXPECT_EQ(by_arrows.trace, by_letters.trace);
  }
  // Left held by A, then by both, then by the arrow alone: one walk.
  const auto one = game_test::RunScript("3 press SPACE\n5 press ENTER\n7 down A\n100 up A\n110 quit\n");
  const auto both = game_test::RunScript(
      "3 press SPACE\n5 press ENTER\n7 down A\n30 down LEFT\n60 up A\n100 up LEFT\n110 quit\n");
  ASSERT_EQ(both.status, 0) << both.err;
  EXPECT_NE(one.Frame(100)["scroll"], one.Frame(7)["scroll"]);
  EXPECT_EQ(both.trace, one.trace);
}

TEST(ZarnScripted, AnOpeningInTheMazeBorderLeadsToClosedGroundOutsideTheGrid) {
  // Row 6 of the first level's cell file opened at column 0: the figure walks
  // on until its test point leaves the 37 x 25 grid, which counts as a wall.
  game_test::GameDir dir;
  std::string cells = dir.Read("data/level_01.2.txt");
  size_t row6 = 0;
  for (int line = 0; line < 6; ++line) row6 = cells.find('\n', row6) + 1;
  ASSERT_EQ(cells[row6], '0');
  cells[row6] = '8';
  dir.Write("data/level_01.2.txt", cells);
  const auto run = game_test::RunScript("3 press SPACE\n5 press ENTER\n7 down A\n300 quit\n",
                                        game_test::RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 0) << run.err;
  // Pixels -31 to 31 lie in column 0 (division truncating toward zero); at -32 the
  // test point is in column -1, outside the grid.
  const Json end = CheckWalk(run, 8, 300, 0, -1, 0);
  EXPECT_EQ(PlayerX(end), -32);
}

class ZarnWorld : public game_test::WorldTest {
 protected:
  // Holds the key until the figure stands still; the figure's world position.
  std::pair<int, int> WalkToWall(int key) {
    game_test::Hold(key);
    Json prev = game_test::RunGameFrame();
    for (int i = 0; i < 400; ++i) {
      const Json cur = game_test::RunGameFrame();
      if (cur["scroll"] == prev["scroll"]) break;
      prev = cur;
    }
    game_test::Release(key);
    const Json last = game_test::RunGameFrame();
    return {PlayerX(last), PlayerY(last)};
  }
};

TEST_F(ZarnWorld, StopsAtWallsOnEachSideAtSpeedTwo) {
  game_test::FillSlot(1, 2);  // faster walking
  EXPECT_EQ(game_test::RunGameFrame()["fx"][1], 2);
  // From an even start every wall is met on the step grid; from an odd start the
  // two-pixel steps overshoot: left and up end one pixel deeper, right and down
  // overlap the wall by one pixel.
  struct Case {
    int start, key, x, y;
  };
  const Case cases[] = {
      {200, 'A', 30, 200},  {200, 'D', 360, 200}, {200, 'W', 200, 30},  {200, 'S', 200, 328},
      {201, 'A', 31, 201},  {201, 'D', 361, 201}, {201, 'W', 201, 29},  {201, 'S', 201, 327},
  };
  for (const Case& c : cases) {
    game_test::PutPlayerAt(c.start, c.start);
    EXPECT_EQ(WalkToWall(c.key), std::make_pair(c.x, c.y)) << "start " << c.start << " key " << char(c.key);
  }
}

TEST_F(ZarnWorld, EachKeyTestsItsOwnPointAfterTheMovesBeforeIt) {
  // At (360, 200) the right test point (384, 216) is in a wall but the left one is
  // open: A moves left first, which brings D's point back into the open.
  game_test::PutPlayerAt(360, 200);
  game_test::Hold('D');
  Json f = game_test::RunGameFrame();
  EXPECT_EQ(PlayerX(f), 360) << "D alone is blocked";
  game_test::Hold('A');
  f = game_test::RunGameFrame();
  EXPECT_EQ(PlayerX(f), 360) << "A moves left, then D moves back right";
  EXPECT_GE(f["frame"].get<int>(), 30);
  EXPECT_LE(f["frame"].get<int>(), 38);
  game_test::Release('A');
  game_test::Release('D');
}

// The contact shortcut (rectangles apart, no contact) against the pixel test
// itself, for every shape that meets the player: each placed one pixel apart
// from, touching and one pixel over each side of the player's cell, at every
// position along that side. The player is the walking figure (one cell of each
// direction) and a solid block in its place, whose edges are solid all round.
TEST_F(ZarnWorld, ContactShortcutAgreesWithThePixelTestAtEveryEdge) {
  const ImageRef block = LoadImageFile(TPixmap::Create(30, 30, PF_RGB888), 0);
  const ImageRef figure = LoadImageFile(TPixmap::Create(24, 25, PF_RGB888), 0);
  struct Shape {
    const char* name;
    ImageRef image;
    int frames;
  };
  const Shape shapes[] = {
      {"blue hole", G.HolesObj->HBlue, 1},         {"green hole", G.HolesObj->HGreen, 1},
      {"red hole", G.HolesObj->HRed, 1},           {"blue diamond", G.DiamondsObj->Dblue, 1},
      {"green diamond", G.DiamondsObj->Dgreen, 1}, {"red diamond", G.DiamondsObj->Dred, 1},
      {"power-up item", G.PowerUpsObj->pu01, 1},   {"Blobb", G.BlobbsObj->blobbsi, 9},
      {"frozen Blobb", G.BlobbsObj->blobbsif, 1},  {"solid block", block, 1},
  };
  struct Player {
    ImageRef image;
    int frame;
  };
  const ImageRef strip = G.PlayerObj->zarni;
  const Player players[] = {{strip, 0}, {strip, 10}, {strip, 20}, {strip, 30}, {figure, 0}};
  Zarn& player = *G.PlayerObj;
  ASSERT_EQ(player.XPl, 200);
  ASSERT_EQ(player.YPl, 200);
  int cases = 0, mismatches = 0, solid_contacts = 0;
  for (const Player& p : players) {
    player.zarni = p.image;
    player.Frame = p.frame;
    for (const Shape& shape : shapes) {
      const int w = shape.image->width, h = shape.image->height;
      for (int f = 0; f < shape.frames; ++f) {
        // over = -1 apart, 0 touching, 1 one pixel over; the player's cell is
        // [200, 224) x [200, 225).
        for (int over = -1; over <= 1; ++over) {
          std::vector<std::pair<int, int>> places;
          for (int y = 201 - h; y <= 224; ++y) {
            places.emplace_back(200 + over - w, y);  // left
            places.emplace_back(224 - over, y);      // right
          }
          for (int x = 201 - w; x <= 223; ++x) {
            places.emplace_back(x, 200 + over - h);  // above
            places.emplace_back(x, 225 - over);      // below
          }
          for (const auto& [x, y] : places) {
            const bool pixels = ImagesOverlap(p.image, 200, 200, p.frame, shape.image, x, y, f) != 0;
            ++cases;
            if (TouchesPlayer(shape.image, x, y, f) != pixels && ++mismatches <= 5) {
              ADD_FAILURE() << shape.name << " cell " << f << " at (" << x << ", " << y << ") against player cell "
                            << p.frame << (p.image == figure ? " (solid)" : "") << ": the pixel test says " << pixels;
            }
            // Two solid blocks meet exactly when they overlap by a pixel.
            if (p.image == figure && shape.image == block) {
              EXPECT_EQ(pixels, over == 1) << x << ", " << y;
              solid_contacts += pixels;
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << cases;
  // Over each side: 54 places on the left and right, 53 above and below.
  EXPECT_EQ(solid_contacts, 2 * 54 + 2 * 53);
}

}  // namespace
