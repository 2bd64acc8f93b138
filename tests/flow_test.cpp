// The program's flow through its screens, checked on the state trace of
// scripted headless runs (scripts in tests/scripts/).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "support/audio_support.h"
#include "support/game_run.h"

namespace {

using game_test::GameDir;
using game_test::Json;
using game_test::RunOptions;
using game_test::RunScript;
using game_test::RunScriptFile;

std::vector<std::string> Screens(const game_test::Run& run) {
  std::vector<std::string> out;
  for (const Json& f : run.frames) out.push_back(f["screen"].get<std::string>());
  return out;
}

std::vector<std::string> Repeat(const std::string& s, int n) { return std::vector<std::string>(size_t(n), s); }

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Flow, FirstFrameIsTheStartScreenWithTheMusicStartedAndEscapeEndsIt) {
  const auto run = RunScript("3 press ESCAPE\n", RunOptions::Clock(1000));
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.frames.size(), 1u);
  // The two clearing frames count and take their 16 ms each but have no line.
  EXPECT_EQ(run.frames[0], Json::parse(R"({"f":3,"t":1048,"screen":"start","sfx":["loop"]})"));
}

TEST(Flow, MenuPageKeysLevelKeysAndMusicKeys) {
  const auto run = RunScriptFile("menu_keys.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.frames.size(), 18u);  // frames 3 to 20
  EXPECT_EQ(Screens(run), Join({Repeat("start", 3), Repeat("menu", 15)}));
  const Json first_menu = Json::parse(R"({"f":6,"t":96,"screen":"menu","page":0,"choice":0,"files":1,
                                          "level":0,"bg":0,"tiles":0})");
  EXPECT_EQ(run.Frame(6), first_menu);
  // 3 and 1 hit in one frame: 3 wins, two clicks.
  EXPECT_EQ(run.Frame(7)["page"], 0);
  EXPECT_EQ(run.Frame(8)["page"], 3);
  EXPECT_EQ(run.Frame(8)["sfx"], Json::parse(R"(["menu","menu"])"));
  // The 8 hit on page 3 waits for the level page, which applies it on its first frame.
  EXPECT_EQ(run.Frame(11)["page"], 3);
  const Json level_page = run.Frame(12);
  EXPECT_EQ(level_page["page"], 4);
  EXPECT_EQ(level_page["choice"], 1);
  EXPECT_EQ(level_page["files"], 2);
  EXPECT_EQ(level_page["level"], 1);
  EXPECT_EQ(level_page["bg"], 1);
  EXPECT_EQ(level_page["tiles"], 0);  // the tile set follows the level when a game starts
  // M and N click too.
  EXPECT_EQ(run.Frame(15)["sfx"], Json::parse(R"(["menu"])"));
  EXPECT_EQ(run.Frame(17)["sfx"], Json::parse(R"(["menu"])"));
  // 4 and Space in one frame: Space is tested last and wins.
  EXPECT_EQ(run.Frame(19)["page"], 0);
  EXPECT_EQ(run.Frame(19)["sfx"], Json::parse(R"(["menu","menu"])"));
  // Leaving the level page keeps what it applied.
  EXPECT_EQ(run.Frame(19)["level"], 1);
  // No other frame made a sound: 3 and 1, then 4, M, N, and 4 with Space.
  EXPECT_EQ(run.Sounds(4).size(), 2u + 1 + 1 + 1 + 2);
}

TEST(Flow, StartScreenIgnoresMenuKeysAndItsHitsAreDropped) {
  const auto run = RunScriptFile("start_screen_keys.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Screens(run), Join({Repeat("start", 4), Repeat("menu", 5)}));
  // Enter hit on the start screen did not start a game after it, 9 did not
  // choose a level, and nothing clicked there.
  EXPECT_EQ(run.Sounds(4), std::vector<std::string>{"menu"});  // the 4 on the menu
  EXPECT_EQ(run.Frame(9)["page"], 4);
  EXPECT_EQ(run.Frame(9)["choice"], 0);
  EXPECT_EQ(run.Frame(9)["files"], 1);
}

TEST(Flow, CloseRequestLeavesTheStartScreenStartsAGameAndEndsTheGame) {
  const auto run = RunScriptFile("close_requests.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Screens(run), Join({Repeat("start", 3), Repeat("menu", 3), Repeat("game", 4)}));
}

TEST(Flow, GameStartsWithTheFullClockAtTheWorldOrigin) {
  const auto run = RunScriptFile("game_clock.txt");
  const Json& first = run.First("game");
  EXPECT_EQ(first["f"], 8);
  EXPECT_EQ(first["timeLeft"], 300);
  EXPECT_EQ(first["startTime"], 7 * 16);  // the clock when Enter was taken, after frame 7
  EXPECT_EQ(first["scroll"], Json::parse("[0,0]"));
  EXPECT_EQ(first["anim"], 1);
  EXPECT_EQ(first["fx"], Json::parse("[0,1,0,5,1]"));
  EXPECT_EQ(first["counters"], Json::parse("[0,0,0,0,0,0]"));
  EXPECT_EQ(first["slots"], Json::parse("[[0,0,0,0,0],[0,0,0,0,0]]"));
}

TEST(Flow, GameEndsAfterTheFrameOnWhichTheClockReachesZero) {
  const auto run = RunScriptFile("game_clock.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  const auto game = run.OnScreen("game");
  ASSERT_GE(game.size(), 2u);
  // After the stall the clock shows 1 until 300 s have passed since the start.
  const Json& last = game.back();
  const Json& before = game[game.size() - 2];
  EXPECT_EQ(before["timeLeft"], 1);
  EXPECT_EQ(last["timeLeft"], 0);
  const int start = last["startTime"];
  EXPECT_LT(before["t"].get<int>() - 16 - start, 300000);
  EXPECT_GE(last["t"].get<int>() - 16 - start, 300000);
  // The next frame is the results screen.
  const Json& next = run.Frame(last["f"].get<int>() + 1);
  EXPECT_EQ(next["screen"], "results");
}

TEST(Flow, ALateLastFrameShowsANegativeClock) {
  const auto run = RunScriptFile("late_last_frame.txt");
  const auto game = run.OnScreen("game");
  ASSERT_EQ(game.size(), 4u);  // frames 8, 9, 10, and 11 after the stall
  EXPECT_EQ(game.back()["timeLeft"], -2);
  EXPECT_EQ(run.Frame(12)["screen"], "results");
}

TEST(Flow, ASecondPassSkipsTheStartScreenAndForgetsTheAppliedLevel) {
  GameDir dir;  // the results screen saves the score
  const auto run = RunScriptFile("second_pass.txt", RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Screens(run), Join({Repeat("start", 3), Repeat("menu", 8), Repeat("game", 4), Repeat("results", 4),
                                Repeat("highscore", 2), Repeat("menu", 5)}));
  // The game was started from page 2 with the third level applied before.
  EXPECT_EQ(run.Frame(13)["page"], 2);
  EXPECT_EQ(run.Frame(13)["level"], 2);
  // The next pass opens on page 2 again, the first level set, choice 9 kept.
  const Json& reopened = run.Frame(24);
  EXPECT_EQ(reopened["screen"], "menu");
  EXPECT_EQ(reopened["page"], 2);
  EXPECT_EQ(reopened["choice"], 2);
  EXPECT_EQ(reopened["files"], 1);
  EXPECT_EQ(reopened["level"], 0);
  EXPECT_EQ(reopened["bg"], 0);
  EXPECT_EQ(reopened["tiles"], 0);
  // The music was started once, on the first pass.
  int loops = 0;
  for (const std::string& s : run.Sounds()) loops += s == "loop";
  EXPECT_EQ(loops, 1);
  // The level page applies the kept choice again at once.
  EXPECT_EQ(run.Frame(27)["page"], 4);
  EXPECT_EQ(run.Frame(27)["level"], 2);
  EXPECT_EQ(run.Frame(27)["files"], 2);
  EXPECT_EQ(run.Frame(27)["bg"], 2);
}

// Escape and a close request end the program on the results screen, before
// anything is saved, and in the highscore view.
TEST(Flow, EscapeOrCloseEndsTheResultsScreenAndTheHighscoreView) {
  struct Case {
    const char* script;
    std::string_view screen;
    int last_frame;
  };
  const Case cases[] = {{"results_escape.txt", "results", 14},
                        {"results_close.txt", "results", 14},
                        {"highscore_escape.txt", "highscore", 17},
                        {"highscore_close.txt", "highscore", 17}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    GameDir dir;
    const std::string table = dir.Read("data/score.txt");
    const auto run = RunScriptFile(c.script, RunOptions::In(dir.Path()));
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(run.frames.empty());
    EXPECT_EQ(run.frames.back()["screen"], c.screen);
    EXPECT_EQ(run.frames.back()["f"], c.last_frame);
    if (c.screen == "results") {
      EXPECT_EQ(dir.Read("data/score.txt"), table) << "saved";
    }
  }
}

// The loudest sample of the output between two clock values (ms).
int Peak(const audio_test::Wav16& wav, int from_ms, int to_ms) {
  int peak = 0;
  const size_t first = size_t(int64_t(from_ms) * wav.rate / 1000) * size_t(wav.channels);
  const size_t last = std::min(wav.values.size(), size_t(int64_t(to_ms) * wav.rate / 1000) * size_t(wav.channels));
  for (size_t i = first; i < last; ++i) peak = std::max(peak, std::abs(int(wav.values[i])));
  return peak;
}

// The music plays at loudness 0.4 from the first frame: -875 hundredths of a
// decibel, a gain of 10^(-875 / 2000) = 0.3652. M pauses it and N resumes it,
// with the click in the menu and without it in the game (where Escape ends the
// run).
TEST(Flow, MusicAtLoudnessPointFourPausedByMAndResumedByN) {
  struct Case {
    const char* script;
    std::string_view screen;
    int m_frame, n_frame;  // the frames after which M and N are taken
    int last_frame;        // after which the script quits, or Escape is taken
    std::vector<std::string> sounds;
    int paused_ms[2], again_ms[2];  // the clicks last under 0.1 s
  };
  const Case cases[] = {
      {"music_pause.txt", "menu", 30, 90, 120, {"menu", "menu"}, {700, 1400}, {1700, 1900}},
      {"game_escape.txt", "game", 20, 60, 80, {}, {400, 900}, {1050, 1250}},
  };
  const audio_test::Wav16 music = audio_test::ReadWav16("sound/loop.wav");
  ASSERT_TRUE(music.error.empty()) << music.error;
  const int loudest = Peak(music, 0, 300);
  ASSERT_GT(loudest, 10000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const std::string wav_file = audio_test::TempDir("flow-music") + "/out.wav";
    RunOptions options;
    options.extra_args = {"--audio-out", wav_file};
    const auto run = RunScriptFile(c.script, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Frame(c.m_frame + 1)["screen"], c.screen);
    EXPECT_EQ(run.Frame(c.n_frame + 1)["screen"], c.screen);
    EXPECT_EQ(run.frames.back()["f"], c.last_frame);
    EXPECT_EQ(run.frames.back()["screen"], c.screen);
    EXPECT_EQ(run.Sounds(4), c.sounds);  // after the music's start
    const audio_test::Wav16 wav = audio_test::ReadWav16(wav_file);
    ASSERT_TRUE(wav.error.empty()) << wav.error;
    // The first 300 ms, start screen and menu: the music alone, from its start.
    EXPECT_NEAR(double(Peak(wav, 0, 300)) / loudest, 0.3652, 0.002);
    EXPECT_EQ(Peak(wav, c.paused_ms[0], c.paused_ms[1]), 0) << "paused";
    EXPECT_GT(Peak(wav, c.again_ms[0], c.again_ms[1]), 1000) << "playing again";
  }
}

TEST(Flow, TheSameScriptAndClockGiveTheSameTraceAndAnotherClockAnother) {
  const std::string script = game_test::ScriptText("game_clock.txt");
  const auto a = RunScript(script, RunOptions::Clock(5000));
  const auto b = RunScript(script, RunOptions::Clock(5000));
  const auto c = RunScript(script, RunOptions::Clock(5001));
  ASSERT_FALSE(a.trace.empty());
  EXPECT_EQ(a.trace, b.trace);
  // The seed is the clock at the start of the pass: the diamonds lie elsewhere.
  EXPECT_NE(a.First("game")["diam"], c.First("game")["diam"]);
}

}  // namespace
