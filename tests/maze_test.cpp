// Levels and the maze: reading the two level files, the open-cell rule, and the
// tile each cell shows under the camera.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "game/maze.h"
#include "game/state.h"
#include "support/game_run.h"
#include "support/headless.h"

namespace {

// Runs a test inside another working directory (the game's files resolve there).
class InDir {
 public:
  explicit InDir(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) old_ = buf;
    EXPECT_EQ(chdir(dir.c_str()), 0);
  }
  ~InDir() { EXPECT_EQ(chdir(old_.c_str()), 0); }

 private:
  std::string old_;
};

// A tile line of 37 codes "c0" .. "c36" written as two-digit numbers mod 100.
std::string TileLine(int first) {
  std::string line;
  for (int c = 0; c < 37; ++c) {
    const int v = (first + c) % 100;
    line += char('0' + v / 10);
    line += char('0' + v % 10);
    line += c < 36 ? " " : "";
  }
  return line;
}

std::string CellLine(char code) {
  std::string line;
  for (int c = 0; c < 37; ++c) line += std::string(1, code) + (c < 36 ? " " : "");
  return line;
}

class Maze : public ::testing::Test {
 protected:
  void SetUp() override { G = GameState(); }
  void TearDown() override { G = GameState(); }
  game_test::GameDir dir_;
};

TEST_F(Maze, FullLinesFillEveryCell) {
  std::string tiles, cells;
  for (int r = 0; r < 25; ++r) tiles += TileLine(r) + "\n", cells += CellLine(char('a' + r)) + "\n";
  ASSERT_EQ(TileLine(0).size(), 110u);
  ASSERT_EQ(CellLine('x').size(), 73u);
  dir_.Write("data/level_02.1.txt", tiles + "99 99 99\n");  // a 26th line is ignored
  dir_.Write("data/level_02.2.txt", cells);
  InDir in(dir_.Path());
  G.LevelFiles = 2;
  LoadLevel();
  EXPECT_EQ(G.TileMap(0, 0), u"00");
  EXPECT_EQ(G.TileMap(36, 0), u"36");
  EXPECT_EQ(G.TileMap(36, 24), u"60");
  EXPECT_EQ(G.TileMap(5, 10), u"15");
  EXPECT_EQ(G.ObjMap(0, 0), u"a");
  EXPECT_EQ(G.ObjMap(36, 24), u"y");
}

TEST_F(Maze, ShortAndMissingLinesGiveShortAndEmptyCodes) {
  // Row 0: 50 characters fill columns 0 to 16, column 16 from positions 48 and 49.
  // Row 1: a line ending in the middle of a code. Rows 2 on: missing.
  const std::string row0 = TileLine(0).substr(0, 50);
  const std::string row1 = TileLine(0).substr(0, 7);  // "00 01 0"
  dir_.Write("data/level_01.1.txt", row0 + "\r\n" + row1 + "\r\n");
  dir_.Write("data/level_01.2.txt", CellLine('7').substr(0, 9) + "\n\n" + CellLine('8') + "\n");
  InDir in(dir_.Path());
  G.TileMap.Fill(u"99");
  G.ObjMap.Fill(u"9");
  G.LevelFiles = 1;
  LoadLevel();
  EXPECT_EQ(G.TileMap(16, 0), u"16");
  EXPECT_EQ(G.TileMap(17, 0), u"");
  EXPECT_EQ(G.TileMap(1, 1), u"01");
  EXPECT_EQ(G.TileMap(2, 1), u"0");  // shorter where the line is shorter
  EXPECT_EQ(G.TileMap(3, 1), u"");
  EXPECT_EQ(G.TileMap(0, 2), u"");
  EXPECT_EQ(G.TileMap(36, 24), u"");
  // Cells: "7 7 7 7 7" gives columns 0 to 4; the empty line and the missing ones
  // give empty codes; row 2 is full.
  EXPECT_EQ(G.ObjMap(4, 0), u"7");
  EXPECT_EQ(G.ObjMap(5, 0), u"");
  EXPECT_EQ(G.ObjMap(0, 1), u"");
  EXPECT_EQ(G.ObjMap(36, 2), u"8");
  EXPECT_EQ(G.ObjMap(0, 3), u"");
}

TEST_F(Maze, TheMenuMapSharesTheFirstLevelsCellFile) {
  dir_.Write("data/level_00.1.txt", TileLine(7) + "\n");
  dir_.Write("data/level_01.2.txt", CellLine('z') + "\n");
  InDir in(dir_.Path());
  G.LevelFiles = 0;
  LoadLevel();
  EXPECT_EQ(G.TileMap(0, 0), u"07");
  EXPECT_EQ(G.ObjMap(0, 0), u"z");
}

TEST_F(Maze, TileCodesSelectFramesAndOtherCodesShowNone) {
  const char16_t* codes[] = {u"00", u"01", u"02", u"03", u"04", u"05", u"08", u"10",
                             u"11", u"12", u"13", u"14", u"15", u"06", u"07"};
  for (int f = 0; f < 15; ++f) EXPECT_EQ(TileFrame(codes[f]), f) << f;
  for (const char16_t* none : {u"09", u"16", u"0 ", u"0", u"", u" 0", u"AA", u"000"})
    EXPECT_EQ(TileFrame(none), -1);
}

TEST_F(Maze, CellsAreOpenAboveTheThresholdAndClosedOutsideTheMaze) {
  G.ObjMap(3, 3) = u"5";
  G.ObjMap(4, 3) = u"6";
  G.ObjMap(5, 3) = u"a";
  G.ObjMap(6, 3) = u" ";
  G.ObjMap(7, 3) = u"";
  G.ObjMap(8, 3) = u"!";
  EXPECT_FALSE(CellOpen(3, 3, kOpenAbove));
  EXPECT_TRUE(CellOpen(4, 3, kOpenAbove));
  EXPECT_TRUE(CellOpen(5, 3, kOpenAbove));
  EXPECT_FALSE(CellOpen(6, 3, kOpenAbove));
  EXPECT_FALSE(CellOpen(7, 3, kOpenAbove));
  EXPECT_FALSE(CellOpen(8, 3, kOpenAbove));
  EXPECT_TRUE(CellOpen(3, 3, u"4"));  // the through-walls threshold
  // Outside the grid everything is closed, whatever the threshold.
  G.ObjMap.Fill(u"9");
  for (auto [c, r] : {std::pair{-1, 0}, {0, -1}, {37, 0}, {0, 25}, {-40, -40}, {1000, 3}})
    EXPECT_FALSE(CellOpen(c, r, u"")) << c << ", " << r;
  // Pixels -31 to 31 lie in cell 0 (division truncating toward zero); -32 is outside.
  EXPECT_TRUE(PointOpen(-31, 5, kOpenAbove));
  EXPECT_TRUE(PointOpen(31, 31, kOpenAbove));
  EXPECT_FALSE(PointOpen(-32, 5, kOpenAbove));
  EXPECT_FALSE(PointOpen(5, 800, kOpenAbove));
}

// Draws the maze for one tile set and compares it with the tile frames drawn by
// hand at the cells' screen positions.
class MazeDrawing : public Maze {
 protected:
  void SetUp() override {
    Maze::SetUp();
    ASSERT_TRUE(test_support::OpenHeadlessGraphics());
    SetLoadMask(255, 0, 255);
  }
  void TearDown() override {
    Maze::TearDown();
    CloseGraphics();
  }
};

TEST_F(MazeDrawing, EachTileSetDrawsItsFramesUnderTheCamera) {
  const char16_t* codes[] = {u"00", u"05", u"08", u"15", u"06", u"07"};
  const int frames[] = {0, 5, 6, 12, 13, 14};
  for (int offset : {0, 15, 30}) {
    G.TileMap.Fill(u"09");  // no tile: the background shows
    for (int i = 0; i < 6; ++i) G.TileMap(3 + i, 4) = codes[i];
    G.TileOffset = offset;
    G.BgFrame = offset / 15;
    G.ScrollX = 7;
    G.ScrollY = -5;
    Cls();
    DrawMaze();
    const auto maze = test_support::ReadFramebuffer();
    Cls();
    FillTiled(G.BgIm, 0, 0, G.BgFrame);
    for (int i = 0; i < 6; ++i)
      DrawImageScaled(G.TilesIm, float((3 + i) * 32 - 7), float(4 * 32 + 5), 32, 32, frames[i] + offset);
    const auto expected = test_support::ReadFramebuffer();
    ASSERT_EQ(maze.size(), expected.size());
    EXPECT_TRUE(maze == expected) << "tile set " << offset / 15;
  }
  // And the tile sets differ from each other, so the comparison could fail.
  G.TileOffset = 0;
  Cls();
  DrawMaze();
  const auto first = test_support::ReadFramebuffer();
  G.TileOffset = 15;
  Cls();
  DrawMaze();
  EXPECT_FALSE(first == test_support::ReadFramebuffer());
}

}  // namespace
