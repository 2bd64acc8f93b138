// The start-up working-directory rule, and where the files the program rewrites
// are kept.
//
// EnterProgramDirectory() is meant to be called first thing in main(): it remembers
// the directory the program was launched from and makes the directory that holds
// the program's runtime files the working directory, so relative asset paths such
// as "data/score.txt" resolve wherever the program was started from. That is the
// folder of the program file itself, or, for a program installed as
// <prefix>/bin/NAME, the folder <prefix>/share/NAME, so an installed tree works
// wherever it is moved.
#pragma once

#include <string>
#include <string_view>

// How the program finds its runtime files when they are not beside it.
struct ProgramLayout {
  std::string_view name;    // the installed tree's folder below share/ (and the user's data folder's name)
  std::string_view marker;  // a folder every copy of the runtime files holds, e.g. "gfx"
};

// The folder of the runtime files for a program in `program_dir`: the program's
// own folder when it holds the marker folder (or when the layout names none);
// else, when the program's folder is called "bin" and <its parent>/share/<name>
// holds the marker folder, that folder; else the program's own folder.
std::string RuntimeDirectoryFor(std::string_view program_dir, const ProgramLayout& layout);

// Remembers the launch directory and changes to the folder of the runtime files
// (RuntimeDirectoryFor the program's directory). Returns false (leaving the
// working directory as it was) when the program file cannot be found or the
// folder cannot be entered.
bool EnterProgramDirectory(const ProgramLayout& layout = {});

// True when the last EnterProgramDirectory entered an installed tree's share
// folder rather than the program's own folder.
bool RunsFromInstalledTree();

// Where a file the program rewrites is kept, given its path below the runtime
// folder (e.g. "data/score.txt"). There, while the program runs from its own
// folder and the folder holding the file may be written. Otherwise (an installed
// tree, or a folder this user may not write) the user's data folder for the
// program, <UserDataHome>/<name>/ (by default ~/.local/share/<name>/), holds it
// under its own file name, and the copy in the runtime folder is the seed: what
// the file holds until it has been written there the first time. The user's
// folder is made when missing (when that fails, writing the file there fails and
// says why). Without any home folder the file stays in the runtime folder.
struct KeptFile {
  std::string path;  // where the file is read and written
  std::string seed;  // read instead while `path` does not exist; empty when none
};
KeptFile PlaceForKeptFile(std::string_view relative, std::string_view name, bool installed);
// The same for the running program (the layout given to RunProgram). A run that
// is recorded notes what the program finds there; a replay gets the recorded
// copy in a temporary folder instead (see media/recording/session.h).
KeptFile PlaceForKeptFile(std::string_view relative);

// The working directory at the first call of EnterProgramDirectory (empty before).
const std::string& LaunchDirectory();

// The directory part of a program path: backslashes become slashes and the path is
// cut before its last slash, except that a slash right after a drive colon or at
// the very start stays (a program in a root gets that root). Empty when the path
// holds no slash.
std::string ProgramDirectoryOf(std::string_view program_path);
