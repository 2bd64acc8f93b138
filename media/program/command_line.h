// The program's command line: which backend runs and how.
#pragma once

#include <string>
#include <string_view>

namespace program {

// What the command line asked for, as far as the program reads it after start-up.
struct CommandLineOptions {
  std::string trace;  // the --trace file as an absolute path; empty when none
};
// The options of this run (all empty before SetupFromCommandLine).
const CommandLineOptions& CommandLine();
// Names the trace file of this run, as --trace would (for tests that run the game
// in their own process).
void SetTraceFile(std::string path);

// Understands:
//   --scale N             the window N times the program's size (1 to platform::kMaxWindowScale)
//                         for this run, whatever the settings file says
//   --settings FILE       the player's settings file (settings/settings_file.h); without it a
//                         window takes DefaultSettingsFile(program_name) (none without a name)
//                         and a headless run none
//   --headless            no window; virtual clock; nothing drawn unless a shot is asked for
//   --script FILE         scripted input for the headless run; the run ends with
//                         status 0 once all of it is delivered
//   --clock-start MS      the virtual clock's value at start
//   --audio-out PATH      WAV file the headless run's sound is written to
//   --trace FILE          file the run (headless or in a window) writes the program's
//                         per-frame state to
//   --record FILE         everything the run reads from outside, into a recording
//                         (media/recording/)
//   --replay FILE         plays a recording back: in a window at its pace, or with
//                         --headless as fast as it goes; never with the player's files
//   --check               with --replay: headless, says whether the program still does
//                         what it did when recorded (status 1 and the frame when not)
//   --to-script OUT       with --replay: writes the recording as a headless script
// Relative file names are taken from the current directory, so call this before
// the program enters its own directory. Installs the backend the options ask for
// (SDL2 without --headless), wrapped by a recorder or a replayer when asked.
// Returns -1 to go on, or an exit status (0 after --to-script, 2 after writing
// the reason for a bad command line or file to standard error).
int SetupFromCommandLine(int argc, char** argv, std::string_view program_name = {});

}  // namespace program
