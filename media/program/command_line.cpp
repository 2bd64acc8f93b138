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
#include "media/recording/format.h"
#include "media/recording/session.h"
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

// Installs the backend, recording everything read through it into the file
// `record` when one is named. The recording's header keeps the command line.
int Install(std::unique_ptr<platform::Backend> backend, const std::string& record, int argc, char** argv) {
  if (record.empty()) {
    platform::Install(std::move(backend));
    return -1;
  }
  std::string options;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--record") {
      ++i;
      continue;
    }
    options += options.empty() ? "" : " ";
    options += argv[i];
  }
  std::string error;
  auto recorder = recording::StartRecording(std::move(backend), FromLaunchDirectory(record), {{"options", options}}, error);
  if (!recorder) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  platform::Install(std::move(recorder));
  return -1;
}

// --replay: plays the recording in a window (at its pace) or headless (as fast
// as it goes), checks it (--check), or writes it as a script (--to-script).
int SetUpReplay(const std::string& path, bool headless, bool check, const std::string& to_script, int scale,
                platform::HeadlessOptions options) {
  recording::Recording recorded;
  std::string error;
  if (!recording::ReadRecording(path, recorded, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  if (!to_script.empty()) {
    uint32_t clock_start = 0;
    const std::string text = recording::ToScript(recorded, clock_start);
    const std::string out = FromLaunchDirectory(to_script);
    std::FILE* file = std::fopen(out.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
    if (!ok) {
      std::fprintf(stderr, "cannot write the script \"%s\"\n", out.c_str());
      return 2;
    }
    std::printf("%s: %llu frames written as a script; run it with --headless --script %s --clock-start %u\n",
                path.c_str(), static_cast<unsigned long long>(recorded.frames), out.c_str(), clock_start);
    return 0;
  }
  std::unique_ptr<platform::Backend> shown;
  if (headless) {
    options.draw = false;
    shown = std::make_unique<platform::HeadlessBackend>(options, platform::Script{});
  } else {
    shown = platform::CreateSdlBackend(scale);
  }
  recording::ReplaySettings settings;
  settings.paced = !headless;
  settings.at_end = [] { Quit(); };
  settings.at_desync = [](const std::string&) { Exit(1); };
  // The verdict decides how the run ends: a desync (also a program that ends
  // before its recording does) with status 1; a check says how it went.
  DecideExitStatus([check, path](int status) {
    const recording::ReplayOutcome& outcome = recording::ReplayResult();
    if (!outcome.in_sync) {
      std::fprintf(stderr, "%s\n", outcome.message.c_str());
      return 1;
    }
    if (!check) return status;
    if (outcome.cut_short)
      std::printf("%s: in sync for all %llu frames it holds (its run was cut short there)\n", path.c_str(),
                  static_cast<unsigned long long>(outcome.frames));
    else
      std::printf("%s: in sync, %llu frames\n", path.c_str(), static_cast<unsigned long long>(outcome.frames));
    return 0;
  });
  auto player = recording::StartReplay(std::move(shown), std::move(recorded), std::move(settings), error);
  if (!player) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  platform::Install(std::move(player));
  return -1;
}

}  // namespace

const CommandLineOptions& CommandLine() { return Options(); }

void SetTraceFile(std::string path) { Options().trace = std::move(path); }

int SetupFromCommandLine(int argc, char** argv, std::string_view program_name) {
  const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "zarn";
  auto usage = [&](const std::string& what) {
    std::fprintf(stderr,
                 "%s: %s\nusage: %s [--scale N] [--settings FILE] [--headless [--script FILE] [--clock-start MS] "
                 "[--audio-out PATH]] [--trace FILE] [--record FILE | --replay FILE [--check | --to-script FILE]]\n",
                 program, what.c_str(), program);
    return 2;
  };
  bool headless = false;
  platform::HeadlessOptions options;
  bool headless_only = false;
  std::string trace;
  int scale = 0;  // 0: as the settings say
  std::string settings_file;
  // Recording and playing back (media/recording/).
  std::string record, replay, to_script;
  bool check = false;
  bool clock_given = false;
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
    } else if (arg == "--settings") {
      if (!value(settings_file)) return usage("--settings needs a file");
    } else if (arg == "--record") {
      if (!value(record)) return usage("--record needs a file");
    } else if (arg == "--replay") {
      if (!value(replay)) return usage("--replay needs a recording");
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--to-script") {
      if (!value(to_script)) return usage("--to-script needs a file");
    } else if (arg == "--clock-start") {
      std::string ms;
      if (!value(ms)) return usage("--clock-start needs a number of milliseconds");
      char* end = nullptr;
      const unsigned long long v = std::strtoull(ms.c_str(), &end, 10);
      if (ms.empty() || ms[0] == '-' || *end != '\0' || v > 0xFFFFFFFFull)
        return usage("--clock-start needs a number from 0 to 4294967295, not \"" + ms + "\"");
      options.clock_start = static_cast<uint32_t>(v);
      headless_only = true;
      clock_given = true;
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
  if (!replay.empty() || check || !to_script.empty()) {
    if (!record.empty()) return usage("--record and --replay cannot be combined");
    if (replay.empty()) return usage("--check and --to-script need --replay");
    if (check && !to_script.empty()) return usage("--check and --to-script cannot be combined");
    if (!options.script.empty() || clock_given)
      return usage("--script and --clock-start cannot be combined with --replay: the recording holds the input and the clock");
    // A replay leaves the player's files alone, the settings as much as the scores.
    if (!settings_file.empty()) return usage("--settings cannot be combined with --replay");
    // A check needs no window.
    if (check) headless = true;
  }
  if (headless_only && !headless) return usage("--script, --clock-start and --audio-out need --headless");
  Options().trace = FromLaunchDirectory(trace);
  options.audio_out = FromLaunchDirectory(options.audio_out);
  // Files the run writes are checked now, as the script is read now: a run that
  // could not write them must not start.
  for (const auto& [option, path] : {std::pair{"--audio-out", options.audio_out}, std::pair{"--trace", Options().trace}}) {
    if (path.empty()) continue;
    if (const std::string why = platform::CannotWrite(path); !why.empty())
      return usage(std::string("cannot write the ") + option + " file \"" + path + "\": " + why);
  }
  if (!replay.empty())
    return SetUpReplay(FromLaunchDirectory(replay), headless, check, to_script, scale != 0 ? scale : 1, options);
  // The player's settings: from the file named, else in a real window from the
  // user's own; a headless run reads none unless named, so that scripted runs
  // never depend on them. --scale is for this run only and never saved.
  settings_file = FromLaunchDirectory(settings_file);
  if (settings_file.empty() && !headless) settings_file = settings::DefaultSettingsFile(program_name);
  settings::UseSettingsFile(settings_file);
  if (!headless)
    return Install(platform::CreateSdlBackend(scale != 0 ? scale : platform::CurrentSettings().scale), record, argc,
                   argv);
  // The headless window fills no display: its picture is the program's own
  // size whatever the scale.
  options.script = FromLaunchDirectory(options.script);
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
  return Install(std::make_unique<platform::HeadlessBackend>(options, std::move(script)), record, argc, argv);
}

}  // namespace program
