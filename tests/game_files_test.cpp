// The game's files: a missing or unreadable picture, sound, font or level file
// stops the program at start-up with a message naming the file.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/game_run.h"

namespace {

using game_test::GameDir;
using game_test::RunOptions;
using game_test::RunScript;

struct Broken {
  const char* file;
  const char* contents;  // null: the file is removed
};

class GameFiles : public ::testing::TestWithParam<Broken> {};

TEST_P(GameFiles, ABrokenFileStopsTheStartWithItsName) {
  GameDir dir;
  const Broken broken = GetParam();
  if (broken.contents)
    dir.Write(broken.file, broken.contents);
  else
    dir.Remove(broken.file);
  const auto run = RunScript("10 press ESCAPE\n", RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(broken.file), std::string::npos) << run.err;
  EXPECT_TRUE(run.frames.empty()) << "it stopped before showing anything";
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, GameFiles,
    ::testing::Values(Broken{"gfx/clock.bmp", nullptr}, Broken{"gfx/tiles 01.bmp", "BM junk"},
                      Broken{"gfx/startscreen.jpg", "\xff\xd8\xff junk"}, Broken{"gfx/enemy.bmp", nullptr},
                      Broken{"sound/get.wav", nullptr}, Broken{"sound/loop.wav", "RIFF\x10\0\0\0WAVEjunk"},
                      Broken{"data/Font2.ttf", "not a font"}, Broken{"data/level_02.2.txt", nullptr},
                      Broken{"data/level_00.1.txt", nullptr}));

TEST(GameFilesRun, AStripTooSmallForItsCellsStopsTheStart) {
  GameDir dir;
  // A 24 x 25 picture holds one cell of the player's strip, not forty.
  dir.Write("gfx/zarn.bmp", dir.Read("gfx/diamonds.bmp"));
  const auto run = RunScript("10 press ESCAPE\n", RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("gfx/zarn.bmp"), std::string::npos) << run.err;
}

TEST(GameFilesRun, AMissingScoreFileIsNoReasonToStop) {
  GameDir dir;
  dir.Remove("data/score.txt");
  // The table is read and written only when a result is saved: a game whose clock
  // runs out at once, a name, Space on the results screen, the highscore view.
  const auto run = RunScript("4 press SPACE\n6 press ENTER\n9 stall 300000\n12 type Ann\n16 press SPACE\n19 press ESCAPE\n",
                             RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // The missing file reads as ten empty entries of score 0; the new result goes
  // first when it scored, else it stays eleventh (only a greater score moves up).
  const auto& view = run.First("highscore");
  ASSERT_TRUE(view.contains("table"));
  const int score = view.value("score", -1);
  std::vector<std::pair<std::string, std::string>> entries(10, {"", "0"});
  entries.insert(score > 0 ? entries.begin() : entries.end(), {"Ann", std::to_string(score)});
  for (size_t i = 0; i < 10; ++i)
    EXPECT_EQ(view["table"][i], game_test::Json({entries[i].first, entries[i].second})) << "entry " << i;
  std::string saved;
  for (const auto& [name, points] : entries) saved += name + "\r\n" + points + "\r\n";
  EXPECT_EQ(dir.Read("data/score.txt"), saved);
}

TEST(GameFilesRun, LevelFilesWithShortLinesLoadAndPlay) {
  GameDir dir;
  // Every level file cut to a few short lines: empty codes are closed cells
  // and show no tile; the game goes on.
  for (const char* f : {"data/level_00.1.txt", "data/level_01.1.txt", "data/level_01.2.txt"})
    dir.Write(f, "00 01\n05\n\n8 8 8");
  const auto run = RunScript("5 press SPACE\n7 press ENTER\n8 down D\n8 down S\n30 press ESCAPE\n",
                             RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 0) << run.err;
  const auto game = run.OnScreen("game");
  ASSERT_FALSE(game.empty());
  // Nothing is open: the player cannot move, and no diamond or Blobb stays placed.
  EXPECT_EQ(game.back()["scroll"], game_test::Json::parse("[0,0]"));
  for (const auto& row : game.back()["blobbs"]) EXPECT_EQ(row[0], 0);
}

}  // namespace
