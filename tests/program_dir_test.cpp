#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "media/input/keyboard.h"
#include "media/platform/platform.h"
#include "media/text/program_dir.h"

namespace fs = std::filesystem;

TEST(ProgramDirectory, CutBeforeLastSlash) {
  EXPECT_EQ(ProgramDirectoryOf("/opt/zarn/zarn"), "/opt/zarn");
  EXPECT_EQ(ProgramDirectoryOf("C:\\Games\\Zarn\\zarn.exe"), "C:/Games/Zarn");
  EXPECT_EQ(ProgramDirectoryOf("C:\\zarn.exe"), "C:/");
  EXPECT_EQ(ProgramDirectoryOf("/zarn"), "/");
  EXPECT_EQ(ProgramDirectoryOf("zarn"), "");
  EXPECT_EQ(ProgramDirectoryOf(""), "");
  EXPECT_EQ(ProgramDirectoryOf("rel/dir/zarn"), "rel/dir");
}

TEST(ProgramDirectory, EntersTheProgramsFolderAndRemembersTheLaunchFolder) {
  const fs::path launch = fs::current_path();
  const std::string exe = platform::ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_TRUE(fs::equivalent(exe, "/proc/self/exe"));

  // Start somewhere else, as a player launching the game from another folder would.
  const fs::path elsewhere = fs::temp_directory_path();
  ASSERT_TRUE(platform::ChangeDirectory(elsewhere.string()));
  ASSERT_TRUE(EnterProgramDirectory());
  EXPECT_TRUE(fs::equivalent(fs::current_path(), fs::path(exe).parent_path()));
  EXPECT_TRUE(fs::equivalent(LaunchDirectory(), elsewhere));
  EXPECT_TRUE(fs::equivalent(platform::CurrentDirectory(), fs::current_path()));

  // The launch folder is the one seen first, not overwritten by a later call.
  ASSERT_TRUE(EnterProgramDirectory());
  EXPECT_TRUE(fs::equivalent(LaunchDirectory(), elsewhere));

  EXPECT_FALSE(platform::ChangeDirectory(""));
  EXPECT_FALSE(platform::ChangeDirectory("/no/such/folder/anywhere"));
  fs::current_path(launch);
}

namespace {

int RunWith(std::vector<std::string> args, void (*body)()) {
  args.insert(args.begin(), "zarn");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunProgram(static_cast<int>(args.size()), argv.data(), body);
}

void HookSaysBye() {
  platform::AddExitHook([] { std::fprintf(stderr, "exit action ran\n"); });
}

}  // namespace

// No error leaves the program unreported: its text goes to standard error, the
// exit actions run and the status is -1 (255), wherever it was raised.
TEST(RunProgram, AnErrorFromTheBodyEndsWithStatus255AfterTheExitActions) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunWith({"--headless"},
                  [] {
                    HookSaysBye();
                    throw std::runtime_error("Stream is not seekable");
                  }),
              ::testing::ExitedWithCode(255), "Stream is not seekable(.|\n)*exit action ran");
}

TEST(RunProgram, AnErrorFromAnExitActionIsReportedAndTheOthersStillRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunWith({"--headless"},
                  [] {
                    HookSaysBye();
                    platform::AddExitHook([] { throw std::runtime_error("cannot close the window"); });
                  }),
              ::testing::ExitedWithCode(255), "cannot close the window(.|\n)*exit action ran");
  // The same when the program ends through Quit from inside the body.
  EXPECT_EXIT(RunWith({"--headless"},
                  [] {
                    HookSaysBye();
                    platform::AddExitHook([] { throw 42; });
                    Quit();
                  }),
              ::testing::ExitedWithCode(255), "unknown error(.|\n)*exit action ran");
}

TEST(RunProgram, AnUnwritableAudioFileIsAUsageErrorBeforeTheBodyRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunWith({"--headless", "--audio-out", "/no/such/folder/out.wav"},
                            [] { std::fprintf(stderr, "body ran\n"); })),
              ::testing::ExitedWithCode(2), "^[^\n]*/no/such/folder/out.wav(.|\n)*usage:");
}
