#include <gtest/gtest.h>

#include <filesystem>

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
