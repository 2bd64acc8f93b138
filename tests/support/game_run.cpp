#include "support/game_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace game_test {
namespace {

std::string SourceDir() {
  const char* root = std::getenv("ZARN_SOURCE_DIR");
  return root ? root : ZARN_SOURCE_DIR;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

fs::path FreshTempDir(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

// Runs the program with the arguments, the environment settings added and
// standard error into `err_file`, from `launch_dir` when one is named; returns the
// exit status (-1 when it did not exit normally).
int Spawn(const std::string& program, const std::vector<std::string>& args, const fs::path& err_file,
          const RunOptions& options, const fs::path& out_file = "/dev/null") {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!freopen(err_file.c_str(), "wb", stderr)) _exit(126);
    if (!freopen(out_file.c_str(), "wb", stdout)) _exit(126);
    for (const std::string& setting : options.env) putenv(const_cast<char*>(setting.c_str()));
    if (!options.launch_dir.empty() && chdir(options.launch_dir.c_str()) != 0) _exit(125);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

const Json& Run::Frame(int f) const {
  static const Json kNone = Json::object();
  for (const Json& frame : frames)
    if (frame.value("f", -1) == f) return frame;
  ADD_FAILURE() << "the trace has no frame " << f;
  return kNone;
}

std::vector<Json> Run::OnScreen(std::string_view screen) const {
  std::vector<Json> out;
  for (const Json& frame : frames)
    if (frame.value("screen", "") == screen) out.push_back(frame);
  return out;
}

const Json& Run::First(std::string_view screen) const {
  static const Json kNone = Json::object();
  for (const Json& frame : frames)
    if (frame.value("screen", "") == screen) return frame;
  ADD_FAILURE() << "no frame shows the " << screen << " screen";
  return kNone;
}

std::vector<std::string> Run::Sounds(int from) const {
  std::vector<std::string> out;
  for (const Json& frame : frames) {
    if (frame.value("f", 0) < from || !frame.contains("sfx")) continue;
    for (const Json& s : frame["sfx"]) out.push_back(s.get<std::string>());
  }
  return out;
}

std::string ScriptText(const std::string& name) {
  const fs::path path = fs::path(SourceDir()) / "tests" / "scripts" / name;
  if (!fs::exists(path)) ADD_FAILURE() << "no script " << path;
  return ReadWhole(path);
}

namespace {

void ReadTrace(Run& run, const fs::path& trace_file) {
  run.trace = ReadWhole(trace_file);
  std::istringstream lines(run.trace);
  for (std::string line; std::getline(lines, line);) {
    Json frame = Json::parse(line, nullptr, false);
    if (frame.is_discarded()) {
      ADD_FAILURE() << "trace line is not JSON: " << line;
      continue;
    }
    run.frames.push_back(std::move(frame));
  }
}

}  // namespace

Run RunGame(const std::vector<std::string>& args, const RunOptions& options, const std::string& trace_file) {
  Run run;
  const fs::path dir = FreshTempDir("zarn-run-");
  const fs::path err_file = dir / "stderr.txt", out_file = dir / "stdout.txt";
  const std::string program_dir = options.program_dir.empty() ? ZARN_BUILD_DIR : options.program_dir;
  run.status = Spawn(program_dir + "/zarn", args, err_file, options, out_file);
  run.err = ReadWhole(err_file);
  run.out = ReadWhole(out_file);
  if (!trace_file.empty()) ReadTrace(run, trace_file);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return run;
}

Run RunScript(const std::string& script, const RunOptions& options) {
  Run run;
  const fs::path dir = FreshTempDir("zarn-run-");
  const fs::path script_file = dir / "script.txt", trace_file = dir / "trace.jsonl", err_file = dir / "stderr.txt";
  std::ofstream(script_file, std::ios::binary) << script;
  const std::string program_dir = options.program_dir.empty() ? ZARN_BUILD_DIR : options.program_dir;
  std::vector<std::string> args = {"--headless", "--script", script_file.string(), "--clock-start",
                                   std::to_string(options.clock_start)};
  if (options.trace) args.insert(args.end(), {"--trace", trace_file.string()});
  args.insert(args.end(), options.extra_args.begin(), options.extra_args.end());
  run.status = Spawn(program_dir + "/zarn", args, err_file, options);
  run.err = ReadWhole(err_file);
  ReadTrace(run, trace_file);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return run;
}

Run RunScriptFile(const std::string& name, const RunOptions& options) { return RunScript(ScriptText(name), options); }

GameDir::GameDir() {
  const fs::path dir = FreshTempDir("zarn-game-");
  path_ = dir.string();
  const fs::path build = ZARN_BUILD_DIR;
  // A hard link where the file system allows it: the program finds its files
  // beside its own path, which a symbolic link would lead back to the build.
  std::error_code ec;
  fs::create_hard_link(build / "zarn", dir / "zarn", ec);
  if (ec) fs::copy_file(build / "zarn", dir / "zarn");
  for (const char* sub : {"gfx", "sound", "data"})
    fs::copy(build / sub, dir / sub, fs::copy_options::recursive);
}

GameDir::~GameDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void GameDir::Write(std::string_view relative, std::string_view bytes) const {
  std::ofstream(File(relative), std::ios::binary | std::ios::trunc) << bytes;
}

std::string GameDir::Read(std::string_view relative) const { return ReadWhole(File(relative)); }

void GameDir::Remove(std::string_view relative) const { fs::remove(File(relative)); }

}  // namespace game_test
