// The program's flow through its screens, checked on the state trace of
// scripted headless runs.
#include <gtest/gtest.h>

#include "support/game_run.h"

namespace {

using game_test::Json;
using game_test::RunScript;
using game_test::RunScriptFile;

TEST(Flow, FirstFrameIsTheStartScreenWithTheMusicStarted) {
  const auto run = RunScript("3 press ESCAPE\n", game_test::RunOptions::Clock(1000));
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.frames.size(), 1u);
  EXPECT_EQ(run.frames[0], Json::parse(R"({"f":3,"t":1048,"screen":"start","sfx":["loop"]})"));
}

TEST(Flow, SpaceLeavesTheStartScreenAndEscapeEndsTheMenu) {
  const auto run = RunScriptFile("start_menu_escape.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_FALSE(run.frames.empty());
  EXPECT_EQ(run.frames.back()["screen"], "menu");
  EXPECT_EQ(run.frames.back()["f"], 10);
}

}  // namespace
