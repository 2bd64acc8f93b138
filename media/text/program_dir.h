// The start-up working-directory rule.
//
// EnterProgramDirectory() is meant to be called first thing in main(): it remembers
// the directory the program was launched from and makes the directory that holds
// the program file the working directory, so relative asset paths such as
// "data/score.txt" resolve beside the program wherever it was started from.
#pragma once

#include <string>
#include <string_view>

// Remembers the launch directory and changes to the program's directory. Returns
// false (leaving the working directory as it was) when the program file cannot be
// found or its directory cannot be entered.
bool EnterProgramDirectory();

// The working directory at the first call of EnterProgramDirectory (empty before).
const std::string& LaunchDirectory();

// The directory part of a program path: backslashes become slashes and the path is
// cut before its last slash, except that a slash right after a drive colon or at
// the very start stays (a program in a root gets that root). Empty when the path
// holds no slash.
std::string ProgramDirectoryOf(std::string_view program_path);

// Starts the program: reads the command line (the backend options: --headless,
// --script, --clock-start, --audio-out, --trace), makes the program's directory the
// working directory and runs `body`. When `body` returns, the program ends as by
// Quit (status 0). A bad command line ends it with status 2 and the reason on
// standard error; an error nothing handled has its text written to standard error,
// the exit actions run, and the status is -1 (255).
int RunProgram(int argc, char** argv, void (*body)());
// The file named by --trace (absolute), or empty when none was given.
const std::string& TraceFilePath();
