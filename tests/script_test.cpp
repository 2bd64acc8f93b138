#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/media.h"
#include "media/program/command_line.h"
#include "media/platform/script.h"
#include "support/headless.h"

namespace {

using platform::ParseScript;
using platform::Script;
using platform::ScriptCommand;

Script Parse(const std::string& text) {
  Script s;
  std::string error;
  EXPECT_TRUE(ParseScript(text, "t.txt", s, error)) << error;
  return s;
}

std::string ParseError(const std::string& text) {
  Script s;
  std::string error;
  EXPECT_FALSE(ParseScript(text, "t.txt", s, error)) << "accepted: " << text;
  return error;
}

TEST(ScriptParser, ReadsEveryCommand) {
  const Script s = Parse(
      "# a comment line\n"
      "0 down A\n"
      "\n"
      "3 up a   # keys are case-blind\r\n"
      "3 press ESCAPE\n"
      "4 type Hello wörld  \n"
      "5 char 8\n"
      "6 close\n"
      "7 blur\n"
      "8 focus\n"
      "9 shot out/frame 9.png\n"
      "10 QUIT\n");
  ASSERT_EQ(s.lines.size(), 10u);
  EXPECT_EQ(s.lines[0].command, ScriptCommand::Down);
  EXPECT_EQ(s.lines[0].key, 'A');
  EXPECT_EQ(s.lines[0].line_number, 2);
  EXPECT_EQ(s.lines[1].command, ScriptCommand::Up);
  EXPECT_EQ(s.lines[1].key, 'A');
  EXPECT_EQ(s.lines[1].frame, 3u);
  EXPECT_EQ(s.lines[2].key, 27);
  EXPECT_EQ(s.lines[3].command, ScriptCommand::Type);
  EXPECT_EQ(s.lines[3].text, u"Hello wörld");
  EXPECT_EQ(s.lines[4].command, ScriptCommand::Char);
  EXPECT_EQ(s.lines[4].text, u"\b");
  EXPECT_EQ(s.lines[5].command, ScriptCommand::Close);
  EXPECT_EQ(s.lines[6].command, ScriptCommand::Blur);
  EXPECT_EQ(s.lines[7].command, ScriptCommand::Focus);
  EXPECT_EQ(s.lines[8].command, ScriptCommand::Shot);
  EXPECT_EQ(s.lines[8].path, "out/frame 9.png");
  EXPECT_EQ(s.lines[9].command, ScriptCommand::Quit);
  EXPECT_TRUE(s.HasShots());
  EXPECT_FALSE(Parse("0 press A\n").HasShots());
}

TEST(ScriptParser, KeyNamesAndNumbers) {
  using platform::ScriptKeyCode;
  EXPECT_EQ(ScriptKeyCode("SPACE"), 32);
  EXPECT_EQ(ScriptKeyCode("enter"), 13);
  EXPECT_EQ(ScriptKeyCode("BACKSPACE"), 8);
  EXPECT_EQ(ScriptKeyCode("LEFT"), 37);
  EXPECT_EQ(ScriptKeyCode("UP"), 38);
  EXPECT_EQ(ScriptKeyCode("RIGHT"), 39);
  EXPECT_EQ(ScriptKeyCode("DOWN"), 40);
  EXPECT_EQ(ScriptKeyCode("7"), '7');   // one digit: the digit key
  EXPECT_EQ(ScriptKeyCode("08"), 8);    // two or more: a key code
  EXPECT_EQ(ScriptKeyCode("161"), 161);
  EXPECT_EQ(ScriptKeyCode("256"), 0);
  EXPECT_EQ(ScriptKeyCode("00"), 0);
  EXPECT_EQ(ScriptKeyCode("F1"), 112);  // function keys by name
  EXPECT_EQ(ScriptKeyCode("f5"), 116);
  EXPECT_EQ(ScriptKeyCode("F12"), 123);
  EXPECT_EQ(ScriptKeyCode("F13"), 0);
  EXPECT_EQ(ScriptKeyCode("F0"), 0);
  EXPECT_EQ(ScriptKeyCode("F05"), 0);
  EXPECT_EQ(ScriptKeyCode("a"), 'A');
}

TEST(ScriptParser, BadLinesNameTheFileAndLine) {
  EXPECT_EQ(ParseError("0 press A\nx press A\n"), "t.txt:2: bad frame number \"x\"");
  EXPECT_EQ(ParseError("-1 press A\n"), "t.txt:1: bad frame number \"-1\"");
  EXPECT_EQ(ParseError("99999999999999999999999 quit\n"),
            "t.txt:1: bad frame number \"99999999999999999999999\"");
  EXPECT_EQ(ParseError("1\n"), "t.txt:1: missing command");
  EXPECT_EQ(ParseError("1 jump\n"), "t.txt:1: unknown command \"jump\"");
  EXPECT_EQ(ParseError("\n\n1 press\n"), "t.txt:3: press needs a key");
  EXPECT_EQ(ParseError("1 down SHIFTY\n"), "t.txt:1: unknown key \"SHIFTY\"");
  EXPECT_EQ(ParseError("1 press A B\n"), "t.txt:1: unexpected \"B\" after press");
  EXPECT_EQ(ParseError("1 char 70000\n"), "t.txt:1: char needs a code from 0 to 65535");
  EXPECT_EQ(ParseError("1 char\n"), "t.txt:1: char needs a code from 0 to 65535");
  EXPECT_EQ(ParseError("1 type   # nothing\n"), "t.txt:1: type needs text");
  EXPECT_EQ(ParseError("1 shot\n"), "t.txt:1: shot needs a file name");
  EXPECT_EQ(ParseError("1 quit now\n"), "t.txt:1: unexpected \"now\" after quit");
  EXPECT_EQ(ParseError("1 stall\n"), "t.txt:1: stall needs milliseconds from 0 to 86400000");
  EXPECT_EQ(ParseError("1 stall 86400001\n"), "t.txt:1: stall needs milliseconds from 0 to 86400000");
  EXPECT_EQ(ParseError("1 stall -5\n"), "t.txt:1: stall needs milliseconds from 0 to 86400000");
}

TEST(ScriptParser, MissingFileIsAnErrorNamingIt) {
  Script s;
  std::string error;
  EXPECT_FALSE(platform::LoadScript("/nonexistent/zarn-script.txt", s, error));
  EXPECT_NE(error.find("/nonexistent/zarn-script.txt"), std::string::npos);
}

test_support::HeadlessSetup Scripted(const std::string& text, bool draw = false) {
  test_support::HeadlessSetup s;
  s.script = text;
  s.draw = draw;
  return s;
}

TEST(ScriptedRun, LinesArriveAtTheFirstPollAfterTheirFrame) {
  // Opening the graphics presents 2 frames (both buffers cleared).
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(Scripted(
      "0 press A\n"
      "3 down D\n"
      "3 type hi\n"
      "5 up D\n"
      "5 close\n")));
  EXPECT_EQ(KeyPresses('A'), 1);
  EXPECT_EQ(IsKeyDown('D'), 0);
  Flip(-1);  // 3 frames now
  EXPECT_EQ(IsKeyDown('D'), 1);
  EXPECT_EQ(NextTypedChar(), 'h');
  EXPECT_EQ(NextTypedChar(), 'i');
  EXPECT_EQ(NextTypedChar(), 0);
  Flip(-1);
  EXPECT_EQ(IsKeyDown('D'), 1);
  EXPECT_EQ(CloseRequested(), 0);
  Flip(-1);
  EXPECT_EQ(IsKeyDown('D'), 0);
  EXPECT_EQ(CloseRequested(), 1);
  EXPECT_TRUE(test_support::Headless().ScriptDelivered());
}

TEST(ScriptedRun, StallMovesTheClockAndMakesTheTicksOfThatTimeDue) {
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(Scripted("3 stall 1000\n")));
  auto timer = CreateTickTimer(60);
  ASSERT_TRUE(timer);
  const int before = ElapsedMillis();
  EXPECT_EQ(before, 32);  // the two clearing frames
  Flip(-1);
  EXPECT_EQ(ElapsedMillis(), before + 16);
  // The stall arrives with the next poll: 1000 ms pass at once, and the 62 ticks
  // due by then (16 ms each from the timer's start) are all counted.
  EXPECT_EQ(WaitTicks(timer), (16 + 1000) / 16);
  EXPECT_EQ(ElapsedMillis(), before + 16 + 1000);
  timer->Stop();
}

TEST(ScriptedRun, BlurAndFocusFlushHeldKeys) {
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(Scripted("0 down W\n3 blur\n4 focus\n")));
  EXPECT_EQ(IsKeyDown('W'), 1);
  Flip(-1);
  EXPECT_EQ(IsKeyDown('W'), 0);
  EXPECT_EQ(AppSuspended(), 1);
  Flip(-1);
  EXPECT_EQ(IsKeyDown('W'), 0);
  EXPECT_EQ(AppSuspended(), 0);
}

TEST(ScriptedRun, VirtualClockStartsWhereAskedAndMovesSixteenPerFrame) {
  test_support::HeadlessSetup s = Scripted("");
  s.clock_start = 5000;
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(s));
  EXPECT_EQ(ElapsedMillis(), 5000 + 2 * 16);  // the two frames of opening
  for (int i = 0; i < 100; ++i) Flip(-1);
  EXPECT_EQ(ElapsedMillis(), 5000 + 102 * 16);
  EXPECT_EQ(test_support::Headless().FramesPresented(), 102u);
}

TEST(ScriptedRun, ShotWritesTheNextPresentedFrameAsPng) {
  const auto dir = std::filesystem::temp_directory_path() / ("zarn-shot-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const auto path = (dir / "shot.png").string();
  std::filesystem::remove(path);
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(Scripted("2 shot " + path + "\n", true)));
  SetClsColor(0, 0, 255);
  IsKeyDown('A');  // the poll that delivers the line
  Cls();
  EXPECT_FALSE(std::filesystem::exists(path));
  Flip(-1);
  ASSERT_TRUE(std::filesystem::exists(path));
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> head(33);
  in.read(reinterpret_cast<char*>(head.data()), 33);
  ASSERT_TRUE(in);
  EXPECT_EQ(std::string(head.begin() + 1, head.begin() + 4), "PNG");
  const auto be32 = [&](int at) { return head[at] << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3]; };
  EXPECT_EQ(be32(16), 700);
  EXPECT_EQ(be32(20), 540);
  EXPECT_EQ(head[24], 8);  // bit depth
  EXPECT_EQ(head[25], 6);  // RGBA
  std::filesystem::remove_all(dir);
}

TEST(ScriptedRun, ShotIntoAMissingFolderIsReportedAndTheRunGoesOn) {
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(Scripted("2 shot /nonexistent/dir/x.png\n", true)));
  IsKeyDown('A');
  ::testing::internal::CaptureStderr();
  Flip(-1);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("/nonexistent/dir/x.png"), std::string::npos) << err;
  EXPECT_EQ(test_support::Headless().FramesPresented(), 3u);
}

TEST(ScriptedRun, EndsWithStatusZeroAfterTheFrameOfTheLastLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Opening presents frames 1 and 2; the line is delivered after frame 3 and the
  // run ends when frame 4 is presented.
  EXPECT_EXIT(
      {
        test_support::OpenHeadlessGraphics(Scripted("3 press A\n"));
        test_support::Headless().SetScriptEndAction([] { Quit(); });
        for (int i = 0; i < 2; ++i) {
          IsKeyDown('A');
          Flip(-1);
          std::fprintf(stderr, "frame %d\n", static_cast<int>(test_support::Headless().FramesPresented()));
        }
        std::exit(7);
      },
      ::testing::ExitedWithCode(0), "frame 3");
}

TEST(ScriptedRun, AScriptOfCommentsOnlyEndsAtTheNextFrame) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test_support::OpenHeadlessGraphics(Scripted("# nothing to do\n"));
        test_support::Headless().SetScriptEndAction([] { Quit(); });
        IsKeyDown('A');
        Flip(-1);
        std::exit(7);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ScriptedRun, QuitLineEndsTheRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test_support::OpenHeadlessGraphics(Scripted("2 quit\n"));
        IsKeyDown('A');
        std::exit(7);
      },
      ::testing::ExitedWithCode(0), "");
}

int RunSetup(std::vector<std::string> args) {
  args.insert(args.begin(), "zarn");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return program::SetupFromCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, BadOptionsEndWithStatusTwo) {
  CloseGraphics();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunSetup({"--bogus"}), 2);
  EXPECT_EQ(RunSetup({"--headless", "--script"}), 2);
  EXPECT_EQ(RunSetup({"--script", "x.txt"}), 2);  // needs --headless
  EXPECT_EQ(RunSetup({"--headless", "--clock-start", "-5"}), 2);
  EXPECT_EQ(RunSetup({"--headless", "--clock-start", "4294967296"}), 2);
  EXPECT_EQ(RunSetup({"--headless", "--clock-start", "12ms"}), 2);
  EXPECT_EQ(RunSetup({"--headless", "--script", "/nonexistent/zarn.txt"}), 2);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("unknown option \"--bogus\""), std::string::npos) << err;
  EXPECT_NE(err.find("/nonexistent/zarn.txt"), std::string::npos) << err;
}

// Files the run will write are checked before it starts, as the script is: a
// path that cannot be written is a usage error, and nothing is left behind.
TEST(CommandLine, OutputFilesThatCannotBeWrittenEndWithStatusTwo) {
  CloseGraphics();
  const auto dir = std::filesystem::temp_directory_path() / "zarn-cl-out";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "folder");
  const std::string missing_folder = (dir / "no-such-folder" / "out.wav").string();
  const std::string folder = (dir / "folder").string();
  for (const char* option : {"--audio-out", "--trace"}) {
    for (const std::string& path : {missing_folder, folder}) {
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(RunSetup({"--headless", option, path}), 2) << option << " " << path;
      const std::string err = ::testing::internal::GetCapturedStderr();
      EXPECT_NE(err.find(path), std::string::npos) << err;
      EXPECT_NE(err.find("usage:"), std::string::npos) << err;
    }
  }
  // A writable path is accepted and neither created nor changed by the check.
  const std::string fresh = (dir / "fresh.wav").string();
  const std::string kept = (dir / "kept.txt").string();
  std::ofstream(kept) << "old contents";
  EXPECT_EQ(RunSetup({"--headless", "--audio-out", fresh, "--trace", kept}), -1);
  EXPECT_FALSE(std::filesystem::exists(fresh));
  std::ifstream in(kept);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "old contents");
  std::filesystem::remove_all(dir);
}

TEST(CommandLine, HeadlessOptionsInstallTheHeadlessBackend) {
  CloseGraphics();
  const auto dir = std::filesystem::temp_directory_path() / "zarn-cl-test";
  std::filesystem::create_directories(dir);
  const auto script = (dir / "s.txt").string();
  std::ofstream(script) << "0 shot pic.png\n";
  EXPECT_EQ(RunSetup({"--headless", "--script", script, "--clock-start", "4294967295"}), -1);
  EXPECT_STREQ(platform::Current().Name(), "headless");
  EXPECT_EQ(static_cast<uint32_t>(ElapsedMillis()), 4294967295u);
  // A script with a shot draws for real.
  ASSERT_TRUE(OpenGraphics(64, 48));
  EXPECT_TRUE(platform::Current().HasGL());
  CloseGraphics();
  EXPECT_EQ(RunSetup({"--headless"}), -1);
  ASSERT_TRUE(OpenGraphics(64, 48));
  EXPECT_FALSE(platform::Current().HasGL());
  CloseGraphics();
  std::filesystem::remove_all(dir);
}

}  // namespace
