#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "media/input/keyboard.h"
#include "media/platform/lifetime.h"
#include "media/platform/os_files.h"
#include "media/platform/platform.h"
#include "media/program/program.h"
#include "media/program/program_dir.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

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

namespace {

using TempTree = test_support::TempDir;

constexpr ProgramLayout kLayout{.name = "zarn", .marker = "gfx"};

// Sets an environment variable for the scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace

// A program beside its files uses them; one in <prefix>/bin without them uses
// <prefix>/share/<name>, wherever the prefix is; anything else stays with the
// program's own folder (where the missing files are then reported).
TEST(ProgramDirectory, InstalledTreeIsFoundFromTheProgramsFolder) {
  TempTree tree;
  const fs::path portable = tree.Make("portable");
  tree.Make("portable/gfx");
  EXPECT_EQ(RuntimeDirectoryFor(portable.string(), kLayout), portable.string());

  const fs::path bin = tree.Make("usr/bin");
  EXPECT_EQ(RuntimeDirectoryFor(bin.string(), kLayout), bin.string()) << "no share folder yet";
  tree.Make("usr/share/zarn/data");
  EXPECT_EQ(RuntimeDirectoryFor(bin.string(), kLayout), bin.string()) << "share folder without gfx";
  tree.Make("usr/share/zarn/gfx");
  EXPECT_EQ(RuntimeDirectoryFor(bin.string(), kLayout), (tree / "usr/share/zarn").string());
  EXPECT_EQ(RuntimeDirectoryFor(bin.string() + "/", kLayout), (tree / "usr/share/zarn").string());

  // A copy of the files beside the program wins over the installed tree.
  tree.Make("usr/bin/gfx");
  EXPECT_EQ(RuntimeDirectoryFor(bin.string(), kLayout), bin.string());

  // Only a folder called bin leads to share/.
  const fs::path games = tree.Make("opt/games");
  tree.Make("opt/share/zarn/gfx");
  EXPECT_EQ(RuntimeDirectoryFor(games.string(), kLayout), games.string());
  // Another program's name finds another share folder, and a layout naming no
  // marker never looks beyond the program's folder.
  tree.Make("opt/bin");
  EXPECT_EQ(RuntimeDirectoryFor((tree / "opt/bin").string(), {.name = "other", .marker = "gfx"}),
            (tree / "opt/bin").string());
  EXPECT_EQ(RuntimeDirectoryFor((tree / "opt/bin").string(), kLayout), (tree / "opt/share/zarn").string());
  EXPECT_EQ(RuntimeDirectoryFor((tree / "opt/bin").string(), {}), (tree / "opt/bin").string());
  EXPECT_EQ(RuntimeDirectoryFor("/bin", kLayout), "/bin");
  EXPECT_EQ(RuntimeDirectoryFor("/", kLayout), "/");
}

// The user's data folder: XDG_DATA_HOME when absolute, else ~/.local/share.
TEST(KeptFiles, UserDataFolderFollowsTheEnvironment) {
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/somewhere/data");
    EXPECT_EQ(platform::UserDataHome(), "/somewhere/data");
  }
  ScopedEnv home("HOME", "/home/player/");
  {
    ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(platform::UserDataHome(), "/home/player/.local/share") << "a relative path is not used";
  }
  ScopedEnv xdg("XDG_DATA_HOME", "");
  EXPECT_EQ(platform::UserDataHome(), "/home/player/.local/share");
}

// Where the highscore table is kept: beside the game while its folder may be
// written; in the user's folder (made on the way, the game's copy as the seed)
// for an installed tree, even for a user who could write there.
TEST(KeptFiles, InstalledOrUnwritableGoesToTheUsersFolder) {
  TempTree tree;
  const fs::path launch = fs::current_path();
  const fs::path game = tree.Make("game");
  tree.Make("game/data");
  const fs::path xdg = tree / "xdg/deeper";
  ScopedEnv env("XDG_DATA_HOME", xdg.string());
  fs::current_path(game);

  KeptFile place = PlaceForKeptFile("data/score.txt", "zarn", false);
  EXPECT_EQ(place.path, "data/score.txt");
  EXPECT_EQ(place.seed, "");
  EXPECT_FALSE(fs::exists(xdg)) << "nothing is made for a file kept beside the game";

  place = PlaceForKeptFile("data/score.txt", "zarn", true);
  EXPECT_EQ(place.path, (xdg / "zarn/score.txt").string());
  EXPECT_EQ(place.seed, "data/score.txt");
  EXPECT_TRUE(fs::is_directory(xdg / "zarn"));
  EXPECT_EQ(fs::status(xdg / "zarn").permissions() & fs::perms::all, fs::perms::owner_all);

  // A folder this user may not write: run as an ordinary user, since the
  // superuser may write anywhere.
  fs::permissions(game / "data", fs::perms(0555));
  for (const char* open : {"", "xdg", "xdg/deeper", "xdg/deeper/zarn"}) fs::permissions(tree / open, fs::perms(0777));
  const int status = test_support::RunInChild(
      [&] {
        const KeptFile p = PlaceForKeptFile("data/score.txt", "zarn", false);
        const KeptFile writable_name = PlaceForKeptFile("score.txt", "zarn", false);
        if (p.seed != "data/score.txt") return 1;
        if (p.path != (xdg / "zarn/score.txt").string()) return 2;
        // The game folder itself (the current one) may not be written either.
        if (writable_name.seed != "score.txt" || writable_name.path != p.path) return 3;
        return 0;
      },
      true);
  EXPECT_EQ(status, 0);

  fs::current_path(launch);
}

TEST(KeptFiles, MakeFoldersMakesTheWholePathOrSaysWhy) {
  TempTree tree;
  std::string error;
  EXPECT_TRUE(platform::MakeFolders((tree / "a/b/c").string(), error)) << error;
  EXPECT_TRUE(fs::is_directory(tree / "a/b/c"));
  EXPECT_TRUE(platform::MakeFolders((tree / "a/b/c").string(), error)) << "an existing folder is fine";
  std::ofstream(tree / "a/file") << "x";
  EXPECT_FALSE(platform::MakeFolders((tree / "a/file/d").string(), error));
  EXPECT_NE(error.find("a/file"), std::string::npos) << error;
  EXPECT_FALSE(platform::MakeFolders((tree / "a/file").string(), error));
  EXPECT_FALSE(platform::MakeFolders("", error));
}
