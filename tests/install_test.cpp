// The installed game: cmake --install into a temporary DESTDIR puts the program
// in bin/ and its files in share/zarn/; the tree still works after being moved;
// the installed program, started from another folder, keeps its highscore table
// in the player's data folder, starting from the installed table, and never
// writes into the installed tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/game_run.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Installed : public ::testing::Test {
 protected:
  // cmake --install of the build folder with prefix /usr into root_/stage.
  void Install() {
    const fs::path log = root_ / "install.log";
    const std::string command = "DESTDIR='" + (root_ / "stage").string() + "' '" ZARN_CMAKE "' --install '" +
                                ZARN_BUILD_DIR + "' --prefix /usr > '" + log.string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadWhole(log);
  }

  test_support::TempDir temp_;
  const fs::path root_{temp_.path()};
};

const char* const kSaveAScore = R"(
3  press SPACE     # start screen -> main menu
5  press ENTER     # a game
10 stall 300000    # its time runs out
20 type Installed
40 press SPACE     # save, show the table
45 press ESCAPE
)";

}  // namespace

TEST_F(Installed, MovedTreeRunsFromAnotherFolderAndKeepsScoresInTheUsersFolder) {
  ASSERT_NO_FATAL_FAILURE(Install());
  const fs::path usr = root_ / "stage/usr";
  for (const char* file : {"bin/zarn", "share/zarn/gfx/zarn.bmp", "share/zarn/gfx/startscreen.jpg",
                           "share/zarn/sound/loop.wav", "share/zarn/data/Font2.ttf", "share/zarn/data/level_01.1.txt",
                           "share/zarn/data/score.txt", "share/applications/zarn.desktop",
                           "share/metainfo/org.example.zarn.metainfo.xml", "share/icons/hicolor/48x48/apps/zarn.png",
                           "share/icons/hicolor/64x64/apps/zarn.png", "share/icons/hicolor/128x128/apps/zarn.png",
                           "share/icons/hicolor/256x256/apps/zarn.png", "share/man/man6/zarn.6.gz"})
    EXPECT_TRUE(fs::is_regular_file(usr / file)) << file;
  EXPECT_FALSE(fs::exists(usr / "bin/gfx")) << "runtime files belong under share/";
  EXPECT_EQ(fs::status(usr / "bin/zarn").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);

  // The tree is found from the program's own place, wherever it is moved.
  const fs::path moved = root_ / "elsewhere/prefix";
  fs::create_directories(moved.parent_path());
  fs::rename(usr, moved);
  const fs::path installed_table = moved / "share/zarn/data/score.txt";
  const std::string table_before = ReadWhole(installed_table);
  ASSERT_FALSE(table_before.empty());

  const fs::path launch = root_ / "launch", xdg = root_ / "xdg";
  fs::create_directories(launch);
  game_test::RunOptions options;
  options.program_dir = (moved / "bin").string();
  options.launch_dir = launch.string();
  options.env = {"XDG_DATA_HOME=" + xdg.string()};
  game_test::Run run = game_test::RunScript(kSaveAScore, options);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  // Saved in the player's folder: the installed table with the new result.
  const fs::path own_table = xdg / "zarn/score.txt";
  ASSERT_TRUE(fs::is_regular_file(own_table)) << "no table under XDG_DATA_HOME";
  const std::string saved = ReadWhole(own_table);
  const std::string first_entry = table_before.substr(0, table_before.find('\n') + 1);
  EXPECT_EQ(saved.rfind(first_entry, 0), 0u) << "the installed table is not the start of the player's:\n" << saved;
  EXPECT_NE(saved.find("Installed\r\n0\r\n"), std::string::npos) << saved;
  EXPECT_EQ(ReadWhole(installed_table), table_before) << "the installed table was written";
  for (const auto& entry : fs::recursive_directory_iterator(moved))
    EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
  const game_test::Json& view = run.First("highscore");
  ASSERT_TRUE(view.contains("table"));
  EXPECT_EQ(view["table"][0][0], first_entry.substr(0, first_entry.find_first_of("\r\n")));

  // Later runs read the player's table, not the installed one.
  std::ofstream(own_table, std::ios::binary | std::ios::trunc) << "Mine\r\n999\r\n";
  run = game_test::RunScript(kSaveAScore, options);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.First("highscore")["table"][0], game_test::Json::parse(R"(["Mine", "999"])"));
  EXPECT_EQ(ReadWhole(own_table).rfind("Mine\r\n999\r\n", 0), 0u);
  EXPECT_EQ(ReadWhole(installed_table), table_before);
}
