// Starting and ending the program: the one place that ends the process.
//
// RunProgram reads the command line, enters the folder of the runtime files and
// runs the program's body; Quit and QuitWithError end it from anywhere. However
// it ends, the exit actions of the media layer and of the program run first (see
// media/platform/lifetime.h), then the standard streams are flushed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "media/program/program_dir.h"

// Starts the program: reads the command line (the backend options: --scale,
// --settings, --headless, --script, --clock-start, --audio-out, --trace) and the
// player's settings file (in a real window by default the user's own, named
// after `layout.name`), makes the folder of
// the runtime files the working directory (EnterProgramDirectory with `layout`)
// and runs `body`. When `body` returns, the program ends as by Quit (status 0).
// A bad command line ends it with status 2 and the reason on standard error; an
// error nothing handled has its text written to standard error, the exit actions
// run, and the status is -1 (255).
int RunProgram(int argc, char** argv, void (*body)(), const ProgramLayout& layout = {});

// Ends the program with status 0 after the exit actions.
[[noreturn]] void Quit();
// Ends the program with status 1 after writing `message` (and a line end) to
// standard error and running the exit actions.
[[noreturn]] void QuitWithError(std::string_view message);
// Adds an action to run when the program ends (through Quit, QuitWithError or
// the end of RunProgram); actions run in reverse order of adding.
void OnProgramExit(std::function<void()> action);

// The file named by --trace (absolute), or empty when none was given.
const std::string& TraceFilePath();

namespace program {

// Runs the exit actions, flushes the standard streams and ends the process. An
// error from an exit action is reported, the other actions still run, and the
// status becomes -1.
[[noreturn]] void Exit(int status);

// Lets `decide` choose the status the process ends with: once the exit actions
// have run, it gets the status the program was ending with and returns the one
// to end with (a replay's check gives its verdict this way).
void DecideExitStatus(std::function<int(int)> decide);

}  // namespace program
