// The state trace's format: one JSON object per presented frame, its fields by
// screen, and the texts in it.
#include <gtest/gtest.h>

#include "game/state.h"
#include "game/trace.h"
#include "game/zarn.h"
#include "support/game_run.h"

namespace {

using game_test::Json;

class Trace : public ::testing::Test {
 protected:
  void SetUp() override { G = GameState(); }
  void TearDown() override { G = GameState(); }
};

TEST_F(Trace, TextsAreEscapedForJson) {
  EXPECT_EQ(JsonText(u""), "\"\"");
  EXPECT_EQ(JsonText(u"Tabea"), "\"Tabea\"");
  EXPECT_EQ(JsonText(u"a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonText(u"\n\x01\x7f"), "\"\\u000a\\u0001\\u007f\"");
  EXPECT_EQ(JsonText(u"\u00e9\u20ac\xd800"), "\"\\u00e9\\u20ac\\ud800\"");
  // Whatever a name holds, the line stays valid JSON and reads back the same.
  const std::u16string odd = u"{\"}\\\t\u00ff\U0001F600";
  const Json back = Json::parse(JsonText(odd));
  EXPECT_EQ(back.get<std::string>(), "{\"}\\\t\u00ff\U0001F600");
}

TEST_F(Trace, MenuAndStartLines) {
  EXPECT_EQ(TraceLine(Screen::Start, 3, 48), R"({"f":3,"t":48,"screen":"start"})");
  G.MenuPage = 4, G.LevelChoice = 2, G.LevelFiles = 2, G.LevelNo = 2, G.BgFrame = 2, G.TileOffset = 30;
  EXPECT_EQ(TraceLine(Screen::Menu, 10, 4294967295u),
            R"({"f":10,"t":4294967295,"screen":"menu","page":4,"choice":2,"files":2,"level":2,"bg":2,"tiles":30})");
}

TEST_F(Trace, GameLineCarriesTheGameStateInItsOrder) {
  G.PlayerObj = std::make_unique<Zarn>();
  G.PlayerObj->Frame = 23;
  G.ScrollX = -3, G.ScrollY = 40, G.AnimStep = 8;
  G.Counters = {1, 2, 3, 4, 5, 6};
  G.TimeLeft = 299, G.StartTime = -5;
  G.Protect = 1, G.WalkSpeed = 2, G.Freeze = 1, G.WallCode = 4, G.DiamFactor = 2;
  G.DiamTab(19, 3) = 2;
  G.BlobbTab(10, 5) = 100;
  G.PuItemTab(1, 3) = 7;
  G.PuItemTab(1, 4) = 99;  // columns 4 to 7 are not traced
  G.PuSlotTab(0, 0) = 99;  // row 0 is not traced
  G.PuSlotTab(2, 4) = 1;
  G.PuSlotTab(2, 5) = 99;  // nor column 5
  const Json line = Json::parse(TraceLine(Screen::Game, 100, 1600));
  std::vector<std::string> keys;
  for (auto it = line.begin(); it != line.end(); ++it) keys.push_back(it.key());
  // nlohmann's object keeps keys sorted; the order in the text is checked below.
  EXPECT_EQ(keys.size(), 14u);
  const std::string text = TraceLine(Screen::Game, 100, 1600);
  size_t at = 0;
  for (const char* key : {"\"f\"", "\"t\"", "\"screen\"", "\"scroll\"", "\"frame\"", "\"anim\"", "\"counters\"",
                          "\"timeLeft\"", "\"startTime\"", "\"fx\"", "\"diam\"", "\"blobbs\"", "\"items\"",
                          "\"slots\""}) {
    const size_t found = text.find(key, at);
    ASSERT_NE(found, std::string::npos) << key << " in order in " << text;
    at = found;
  }
  EXPECT_EQ(line["scroll"], Json::parse("[-3,40]"));
  EXPECT_EQ(line["frame"], 23);
  EXPECT_EQ(line["anim"], 8);
  EXPECT_EQ(line["counters"], Json::parse("[1,2,3,4,5,6]"));
  EXPECT_EQ(line["timeLeft"], 299);
  EXPECT_EQ(line["startTime"], -5);
  EXPECT_EQ(line["fx"], Json::parse("[1,2,1,4,2]"));
  ASSERT_EQ(line["diam"].size(), 20u);
  EXPECT_EQ(line["diam"][19], Json::parse("[0,0,0,2]"));
  ASSERT_EQ(line["blobbs"].size(), 11u);
  EXPECT_EQ(line["blobbs"][10], Json::parse("[0,0,0,0,0,100]"));
  EXPECT_EQ(line["items"], Json::parse("[[0,0,0,0],[0,0,0,7]]"));
  EXPECT_EQ(line["slots"], Json::parse("[[0,0,0,0,0],[0,0,0,0,1]]"));
}

TEST_F(Trace, ResultsAndHighscoreLines) {
  G.Score = 18;
  G.NameInput = u"Ada \u00e9";
  G.CursorOn = 1;
  EXPECT_EQ(TraceLine(Screen::Results, 5, 80),
            R"({"f":5,"t":80,"screen":"results","score":18,"name":"Ada \u00e9","cursor":1})");
  G.HiTable[0] = u"Tabea";
  G.HiTable[1] = u"120";
  G.HiTable[18] = u"last";
  G.HiTable[20] = u"not shown";
  const Json line = Json::parse(TraceLine(Screen::Highscore, 6, 96));
  EXPECT_EQ(line["score"], 18);
  ASSERT_EQ(line["table"].size(), 10u);
  EXPECT_EQ(line["table"][0], Json::parse(R"(["Tabea","120"])"));
  EXPECT_EQ(line["table"][9], Json::parse(R"(["last",""])"));
}

TEST(TraceRun, OneLinePerPresentedFrameEvenWhenTheScriptEndsTheRun) {
  // Without a quit the run ends once the frame after the last line is presented:
  // that frame still has its line.
  const auto run = game_test::RunScript("4 press SPACE\n");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.frames.size(), 3u);
  EXPECT_EQ(run.frames.back()["f"], 5);
  EXPECT_EQ(run.frames.back()["screen"], "menu");
  // Every line is one JSON object ending in a line end.
  EXPECT_EQ(std::count(run.trace.begin(), run.trace.end(), '\n'), 3);
}

TEST(TraceRun, WithoutTraceOptionNothingIsWrittenAndTheRunIsTheSame) {
  // The walk that picks up a green diamond and delivers it (with this clock),
  // then the clock runs out and the score is saved: with and without the trace
  // the same sound comes out and the same table is saved.
  const std::string script =
      "3 press SPACE\n5 press ENTER\n7 down A\n177 up A\n178 down W\n350 up W\n355 stall 300000\n"
      "360 press SPACE\n363 press ESCAPE\n";
  struct Played {
    game_test::Run run;
    std::string sound, table;
  };
  auto play = [&](bool trace) {
    game_test::GameDir dir;
    auto options = game_test::RunOptions::In(dir.Path());
    options.clock_start = 5600;
    options.trace = trace;
    options.extra_args = {"--audio-out", dir.File("out.wav")};
    Played played{game_test::RunScript(script, options), dir.Read("out.wav"), dir.Read("data/score.txt")};
    EXPECT_EQ(played.run.status, 0) << played.run.err;
    return played;
  };
  const Played traced = play(true), plain = play(false);
  EXPECT_TRUE(plain.run.trace.empty());
  // One green diamond delivered: 2 points, saved.
  EXPECT_EQ(traced.run.First("highscore").value("score", -1), 2);
  EXPECT_NE(traced.table.find("\r\n2\r\n"), std::string::npos);
  EXPECT_TRUE(plain.table == traced.table) << "the saved tables differ";
  EXPECT_GT(plain.sound.size(), 44u);
  EXPECT_TRUE(plain.sound == traced.sound) << "the sound differs";
}

}  // namespace
