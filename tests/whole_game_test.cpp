// A whole game played from a script: its trace is a pure function of the script
// and the clock the run starts at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_run.h"

namespace {

using game_test::Json;

struct WholeGame {
  int status = -1;
  std::string err, trace;
  std::vector<std::string> lines;
};

// Runs the whole-game script with the trace written to a file read back as text:
// a whole game is some 19000 lines, of which the checks parse only a sample.
WholeGame Play(uint32_t clock) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("zarn-whole-game-" + std::to_string(clock) + ".jsonl")).string();
  auto options = game_test::RunOptions::Clock(clock);
  options.trace = false;
  options.extra_args = {"--trace", path};
  const auto run = game_test::RunScriptFile("whole_game.txt", options);
  WholeGame game{run.status, run.err, {}, {}};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  game.trace = text.str();
  std::filesystem::remove(path);
  std::istringstream lines(game.trace);
  for (std::string line; std::getline(lines, line);) game.lines.push_back(line);
  return game;
}

std::string ScreenOf(const std::string& line) {
  const std::string key = "\"screen\":\"";
  const size_t at = line.find(key);
  if (at == std::string::npos) return "";
  const size_t from = at + key.size();
  return line.substr(from, line.find('"', from) - from);
}

// Start screen, the level page, 300 seconds of walking, the results screen.
// Returns the first game frame.
Json CheckWholeGame(const WholeGame& run) {
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> screens;
  std::vector<size_t> game;
  size_t last_menu = 0;
  for (size_t i = 0; i < run.lines.size(); ++i) {
    const std::string screen = ScreenOf(run.lines[i]);
    if (screens.empty() || screens.back() != screen) screens.push_back(screen);
    if (screen == "game") game.push_back(i);
    if (screen == "menu") last_menu = i;
  }
  EXPECT_EQ(screens, (std::vector<std::string>{"start", "menu", "game", "results"}));
  // The level page with the third choice applied: second level files, level 2.
  const Json menu = Json::parse(run.lines[last_menu]);
  EXPECT_EQ(menu["page"], 4);
  EXPECT_EQ(menu["choice"], 2);
  EXPECT_EQ(menu["files"], 2);
  EXPECT_EQ(menu["level"], 2);
  // 300 s of the clock at 16 ms a frame, plus 30 s per extra-time pick-up.
  EXPECT_GE(game.size(), 18750u);
  if (game.empty()) return Json::object();
  const Json first = Json::parse(run.lines[game.front()]);
  EXPECT_EQ(first["timeLeft"], 300);
  EXPECT_LE(Json::parse(run.lines[game.back()])["timeLeft"], 0);
  // Everything moved: the view and the Blobbs, in a sample of the frames.
  std::set<Json> views, blobbs;
  for (size_t i = 0; i < game.size(); i += 50) {
    const Json f = Json::parse(run.lines[game[i]]);
    views.insert(f["scroll"]);
    blobbs.insert(f["blobbs"]);
  }
  EXPECT_GT(views.size(), 200u);
  EXPECT_GT(blobbs.size(), 300u);
  return first;
}

TEST(WholeGame, SameScriptAndClockGiveTheSameTraceAnotherClockAnotherGame) {
  const WholeGame first = Play(0);
  const Json first_frame = CheckWholeGame(first);
  const WholeGame again = Play(0);
  EXPECT_TRUE(first.trace == again.trace) << "two runs of the same script and clock differ";
  const WholeGame other = Play(777);
  const Json other_frame = CheckWholeGame(other);
  EXPECT_NE(first_frame["diam"], other_frame["diam"]);
  EXPECT_FALSE(first.trace == other.trace);
}

}  // namespace
