#include "media/program/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "media/core/module_state.h"
#include "media/platform/headless_backend.h"
#include "media/platform/os_files.h"
#include "media/platform/platform.h"
#include "media/platform/player_settings.h"
#include "media/platform/script.h"
#include "media/program/program.h"
#include "media/settings/settings_file.h"

namespace program {

namespace {

// Files named on the command line are relative to where the program was started,
// even after it has moved into its own directory.
std::string FromLaunchDirectory(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  const std::string cwd = platform::CurrentDirectory();
  if (cwd.empty()) return path;
  return cwd.back() == '/' ? cwd + path : cwd + "/" + path;
}

CommandLineOptions& Options() { return core::ModuleState<CommandLineOptions>(); }

}  // namespace

const CommandLineOptions& CommandLine() { return Options(); }

void SetTraceFile(std::string path) { Options().trace = std::move(path); }

int SetupFromCommandLine(int argc, char** argv, std::string_view program_name) {
  const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "zarn";
  auto usage = [&](const std::string& what) {
    std::fprintf(stderr,
                 "%s: %s\nusage: %s [--scale N] [--settings FILE] [--headless [--script FILE] [--clock-start MS] "
                 "[--audio-out PATH] [--trace FILE]]\n",
                 program, what.c_str(), program);
    return 2;
  };
  bool headless = false;
  platform::HeadlessOptions options;
  bool headless_only = false;
  std::string trace;
  int scale = 0;  // 0: as the settings say
  std::string settings_file;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    if (arg == "--headless") {
      headless = true;
    } else if (arg == "--script") {
      if (!value(options.script)) return usage("--script needs a file");
      headless_only = true;
    } else if (arg == "--audio-out") {
      if (!value(options.audio_out)) return usage("--audio-out needs a file");
      headless_only = true;
    } else if (arg == "--trace") {
      if (!value(trace)) return usage("--trace needs a file");
      headless_only = true;
    } else if (arg == "--clock-start") {
      std::string ms;
      if (!value(ms)) return usage("--clock-start needs a number of milliseconds");
      char* end = nullptr;
      const unsigned long long v = std::strtoull(ms.c_str(), &end, 10);
      if (ms.empty() || ms[0] == '-' || *end != '\0' || v > 0xFFFFFFFFull)
        return usage("--clock-start needs a number from 0 to 4294967295, not \"" + ms + "\"");
      options.clock_start = static_cast<uint32_t>(v);
      headless_only = true;
    } else if (arg == "--settings") {
      if (!value(settings_file)) return usage("--settings needs a file");
    } else if (arg == "--scale") {
      std::string n;
      if (!value(n)) return usage("--scale needs a whole number from 1 to " + std::to_string(platform::kMaxWindowScale));
      if (n.size() != 1 || n[0] < '1' || n[0] > '0' + platform::kMaxWindowScale)
        return usage("--scale needs a whole number from 1 to " + std::to_string(platform::kMaxWindowScale) + ", not \"" + n +
                     "\"");
      scale = n[0] - '0';
    } else {
      return usage("unknown option \"" + arg + "\"");
    }
  }
  if (headless_only && !headless)
    return usage("--script, --clock-start, --audio-out and --trace need --headless");
  // The player's settings: from the file named, else in a real window from the
  // user's own; a headless run reads none unless named, so that scripted runs
  // never depend on them. --scale is for this run only and never saved.
  settings_file = FromLaunchDirectory(settings_file);
  if (settings_file.empty() && !headless) settings_file = settings::DefaultSettingsFile(program_name);
  settings::UseSettingsFile(settings_file);
  if (!headless) {
    platform::Install(platform::CreateSdlBackend(scale != 0 ? scale : platform::CurrentSettings().scale));
    return -1;
  }
  // The headless window fills no display: its picture is the program's own
  // size whatever the scale.
  Options().trace = FromLaunchDirectory(trace);
  options.script = FromLaunchDirectory(options.script);
  options.audio_out = FromLaunchDirectory(options.audio_out);
  // Files the run writes are checked now, as the script is read now: a run that
  // could not write them must not start.
  for (const auto& [option, path] : {std::pair{"--audio-out", options.audio_out}, std::pair{"--trace", Options().trace}}) {
    if (path.empty()) continue;
    if (const std::string why = platform::CannotWrite(path); !why.empty())
      return usage(std::string("cannot write the ") + option + " file \"" + path + "\": " + why);
  }
  platform::Script script;
  if (!options.script.empty()) {
    std::string error;
    if (!platform::LoadScript(options.script, script, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  for (auto& line : script.lines)
    if (line.command == platform::ScriptCommand::Shot) line.path = FromLaunchDirectory(line.path);
  // Frames are only drawn when a script asks for a picture of one.
  options.draw = script.HasShots();
  // The run ends once the frame after the script's last line is presented.
  options.at_script_end = [] { Quit(); };
  platform::Install(std::make_unique<platform::HeadlessBackend>(options, std::move(script)));
  return -1;
}

}  // namespace program
