#include "media/text/program_dir.h"

#include <algorithm>

#include "media/platform/command_line.h"
#include "media/platform/platform.h"

namespace {
std::string g_launch_directory;
bool g_launch_known = false;
}  // namespace

std::string ProgramDirectoryOf(std::string_view program_path) {
  std::string path(program_path);
  std::replace(path.begin(), path.end(), '\\', '/');
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0 || path[slash - 1] == ':') return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

bool EnterProgramDirectory() {
  if (!g_launch_known) {
    g_launch_directory = platform::CurrentDirectory();
    g_launch_known = true;
  }
  const std::string dir = ProgramDirectoryOf(platform::ExecutablePath());
  return !dir.empty() && platform::ChangeDirectory(dir);
}

const std::string& LaunchDirectory() { return g_launch_directory; }

int RunProgram(int argc, char** argv, void (*body)()) {
  int setup = -1;
  const bool ok = platform::RunReportingErrors([&] {
    setup = platform::SetupFromCommandLine(argc, argv);
    if (setup >= 0) return;
    EnterProgramDirectory();
    body();
  });
  if (ok && setup >= 0) return setup;  // a bad command line: nothing has started
  platform::Exit(ok ? 0 : -1);
}

const std::string& TraceFilePath() { return platform::TraceFile(); }
