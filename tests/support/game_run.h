// Scripted game runs for tests: the game binary run headless with a script, its
// state trace read back as JSON objects, one per presented frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace game_test {

using Json = nlohmann::json;

struct Run {
  int status = -1;           // exit status, or -1 when the program did not exit normally
  std::vector<Json> frames;  // the trace
  std::string trace;         // the trace file as written
  std::string err;           // what the program wrote to standard error
  std::string out;           // what the program wrote to standard output

  // The frame whose "f" is `f`; fails the test (and gives an empty object) when
  // there is none.
  const Json& Frame(int f) const;
  // The frames showing one screen, in order.
  std::vector<Json> OnScreen(std::string_view screen) const;
  // The first frame showing the screen; fails the test when none does.
  const Json& First(std::string_view screen) const;
  // The sounds noted in the trace from frame `from` on (by "f"), in order.
  std::vector<std::string> Sounds(int from = 0) const;
};

struct RunOptions {
  uint32_t clock_start = 0;
  std::string program_dir;  // folder holding the game and its files; the build folder when empty
  bool trace = true;        // pass --trace
  std::vector<std::string> extra_args;
  std::vector<std::string> env;  // NAME=value settings added to the program's environment
  std::string launch_dir;        // the folder the program is started from; the test's own when empty

  static RunOptions Clock(uint32_t ms) {
    RunOptions o;
    o.clock_start = ms;
    return o;
  }
  static RunOptions In(const std::string& dir) {
    RunOptions o;
    o.program_dir = dir;
    return o;
  }
};

// Runs the game headless with the script text.
Run RunScript(const std::string& script, const RunOptions& options = {});
// Runs the game with exactly `args` (the program's folder, environment and
// launch folder as `options` say; its clock, script and trace options unused).
// `trace_file`, when named, is read back into the run's trace.
Run RunGame(const std::vector<std::string>& args, const RunOptions& options = {}, const std::string& trace_file = {});
// Runs the game with the checked-in script tests/scripts/NAME.
Run RunScriptFile(const std::string& name, const RunOptions& options = {});
// The text of a checked-in script.
std::string ScriptText(const std::string& name);

// A private copy of the game's folder (the program and its gfx/, sound/ and data/
// files) in a temporary folder, so a test can change or remove files.
class GameDir {
 public:
  GameDir();
  ~GameDir();
  GameDir(const GameDir&) = delete;
  GameDir& operator=(const GameDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(std::string_view relative) const { return path_ + "/" + std::string(relative); }
  void Write(std::string_view relative, std::string_view bytes) const;
  std::string Read(std::string_view relative) const;
  void Remove(std::string_view relative) const;

 private:
  std::string path_;
};

}  // namespace game_test
