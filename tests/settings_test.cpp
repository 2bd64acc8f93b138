// The player's settings file: defaults for whatever is missing or wrong, with
// the first problem named by file and line; a rewrite that changes only the
// game's own lines; the player's changes reaching the file of the run; and which
// runs read which file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "media/platform/player_settings.h"
#include "media/settings/settings_file.h"
#include "support/game_run.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::PlayerSettings;

namespace {

void WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The settings in force go back to the defaults, with no file, after each test.
class Settings : public ::testing::Test {
 protected:
  void TearDown() override { settings::UseSettingsFile(""); }
  test_support::TempDir dir_;
};

}  // namespace

TEST_F(Settings, WhatIsMissingOrWrongHasItsDefaultAndTheFirstProblemIsNamedWithItsLine) {
  struct Case {
    std::string text;
    PlayerSettings want;
    std::string problem;  // after the file's name
  };
  const std::string number = " is a whole number from ";
  const Case cases[] = {
      // Every key, names in any case, around comments, unknown keys and a section.
      {"\xEF\xBB\xBF# notes\r\n; more\n\nFullScreen = Yes\nscale=3 ; big\n  music_volume   =  40  \r\n"
       "effects_volume: 70\ncolour = green\nlimit_menu_rate = off\n[elsewhere]\nscale = 8\n",
       {true, 3, 40, 70, false}, ""},
      {"scale = 12\nfullscreen = yes\n", {true, 1, 100, 100, true},
       ":1: scale" + number + "1 to 8, not \"12\"; the default (1) is used"},
      // The last line of a key counts, even a wrong one.
      {"music_volume = 20\nmusic_volume = loud\n", {},
       ":2: music_volume" + number + "0 to 100, not \"loud\"; the default (100) is used"},
      {"effects_volume = 50.5\n", {}, ":1: effects_volume" + number + "0 to 100, not \"50.5\"; the default (100) is used"},
      {"limit_menu_rate = maybe\n", {}, ":1: limit_menu_rate is yes or no, not \"maybe\"; the default (yes) is used"},
      {"just words\n[unclosed\nscale = 4\n", {false, 4, 100, 100, true}, ":1: not a \"key = value\" line; ignored"},
      {std::string("scale = 5\n\x01\0\xff\nmusic_volume = 30\n", 32), {false, 5, 30, 100, true},
       ":2: holds a NUL byte; ignored"},
      {"music_volume = 20\nnotes = " + std::string(300, 'x') + "\nscale = 2", {false, 2, 20, 100, true},
       ":2: longer than 198 characters; ignored"},
      // The first problem by line, whoever found it.
      {"junk\nscale = 9\n", {}, ":1: not a \"key = value\" line; ignored"},
  };
  const std::string path = dir_.File("settings.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30));
    WriteText(path, c.text);
    const settings::ReadResult read = settings::ReadSettingsFile(path);
    EXPECT_EQ(read.settings, c.want);
    EXPECT_EQ(read.problem, c.problem.empty() ? "" : path + c.problem);
  }
  // A missing file is no problem; one that cannot be read at all is named.
  EXPECT_EQ(settings::ReadSettingsFile(dir_.File("none.ini")).problem, "");
  const std::string folder = dir_.Make("folder.ini").string();
  EXPECT_EQ(settings::ReadSettingsFile(folder).problem, folder + ": it is a folder; the defaults are used");
  WriteText(path, "scale = 2\n" + std::string(settings::kMaxFileBytes, '#'));
  const settings::ReadResult huge = settings::ReadSettingsFile(path);
  EXPECT_EQ(huge.settings, PlayerSettings{});
  EXPECT_EQ(huge.problem, path + ": it is larger than 64 KiB; the defaults are used");
}

TEST_F(Settings, RewritingChangesOnlyTheGamesLinesAndLeavesWhatItCannotReplace) {
  const std::string path = (dir_ / "config/zarn/settings.ini").string();
  const PlayerSettings now{true, 5, 60, 100, true};
  const std::string_view keys[] = {settings::kMusicVolume, settings::kFullscreen};
  std::string error;
  // Missing with its folders: made, with a comment naming the keys.
  ASSERT_TRUE(settings::WriteSettings(path, now, keys, error)) << error;
  EXPECT_NE(ReadText(path).find("# fullscreen (yes/no), scale (1-8)"), std::string::npos);
  EXPECT_EQ(settings::ReadSettingsFile(path).settings, (PlayerSettings{true, 1, 60, 100, true}));

  // Every line of a key is rewritten, keeping a comment after the value and a
  // CR LF line end; a missing key goes before the first section; the rest stays.
  WriteText(path,
            "# mine\nmusic_volume = 40 ; quiet at night\r\ncolour = green\n  MUSIC_VOLUME=45\njunk\nscale = 2\n"
            "[other]\nfullscreen = maybe");
  ASSERT_TRUE(settings::WriteSettings(path, now, keys, error)) << error;
  EXPECT_EQ(ReadText(path),
            "# mine\nmusic_volume = 60 ; quiet at night\r\ncolour = green\nmusic_volume = 60\njunk\nscale = 2\n"
            "fullscreen = yes\n[other]\nfullscreen = maybe\n");

  // A file marked read-only, or too large to have been read whole, stays as it is.
  const std::string before = ReadText(path);
  fs::permissions(path, fs::perms(0444));
  EXPECT_FALSE(settings::WriteSettings(path, PlayerSettings{}, keys, error));
  EXPECT_EQ(ReadText(path), before);
  fs::permissions(path, fs::perms(0644));
  const std::string big = std::string(settings::kMaxFileBytes, ';') + "\nmusic_volume = 5\n";
  WriteText(path, big);
  EXPECT_FALSE(settings::WriteSettings(path, now, keys, error));
  EXPECT_EQ(error, "it is larger than 64 KiB; it is left as it is");
  EXPECT_EQ(ReadText(path), big);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "config/zarn"), fs::directory_iterator()), 1)
      << "nothing left beside the file";
}

TEST_F(Settings, ThePlayersChangesReachTheFileOfTheRunAndTheNextStartFindsThem) {
  const std::string path = dir_.File("settings.ini");
  WriteText(path, "scale = 2\nmusic_volume = 70\n# keep me\n");
  settings::UseSettingsFile(path);
  EXPECT_EQ(platform::CurrentSettings(), (PlayerSettings{false, 2, 70, 100, true}));
  // The program's own changes are not saved; the player's are, only what changed.
  PlayerSettings s = platform::CurrentSettings();
  s.effects_volume = 10;
  platform::ChangeSettings(s, platform::SettingsChange::Program);
  s.music_volume = 60;
  s.fullscreen = true;
  platform::ChangeSettings(s, platform::SettingsChange::Player);
  EXPECT_EQ(ReadText(path), "scale = 2\nmusic_volume = 60\n# keep me\nfullscreen = yes\n");
  settings::UseSettingsFile("");
  EXPECT_EQ(platform::CurrentSettings(), PlayerSettings{});
  settings::UseSettingsFile(path);
  EXPECT_EQ(platform::CurrentSettings(), (PlayerSettings{true, 2, 60, 100, true}));
}

// Whole runs: a headless run reads no settings unless given --settings, a
// damaged file is named with its line and the game plays all the same, and
// --scale is for the one run.
TEST_F(Settings, HeadlessRunsReadOnlyTheFileTheyAreGiven) {
  const std::string own = (dir_.Make("config/zarn") / "settings.ini").string();
  WriteText(own, "scale = 20\n");
  game_test::RunOptions options;
  options.env = {"XDG_CONFIG_HOME=" + (dir_ / "config").string()};
  const std::string script = "5 press F6\n6 press ENTER\n8 quit\n";
  const game_test::Run plain = game_test::RunScript(script, options);
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "") << "the user's own file is not read";
  EXPECT_EQ(ReadText(own), "scale = 20\n") << "nor written";

  const std::string given = dir_.File("given.ini");
  WriteText(given, "music_volume = 50\nscale = 3\nvolume is loud\n");
  options.extra_args = {"--settings", given, "--scale", "2"};
  const game_test::Run with = game_test::RunScript(script, options);
  EXPECT_EQ(with.status, 0);
  EXPECT_EQ(with.err, given + ":3: not a \"key = value\" line; ignored\n");
  EXPECT_EQ(with.trace, plain.trace);
  EXPECT_EQ(ReadText(given), "music_volume = 60\nscale = 3\nvolume is loud\n");
}
