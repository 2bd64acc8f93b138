#include "media/text/program_dir.h"

#include <algorithm>

#include "media/platform/command_line.h"
#include "media/platform/platform.h"

namespace {
std::string g_launch_directory;
bool g_launch_known = false;
bool g_installed = false;
std::string g_name;

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  return path + std::string(name);
}

bool HasFolder(std::string_view folder, std::string_view name) {
  return platform::KindOfPath(JoinPath(folder, name)) == platform::PathKind::Folder;
}
}  // namespace

std::string ProgramDirectoryOf(std::string_view program_path) {
  std::string path(program_path);
  std::replace(path.begin(), path.end(), '\\', '/');
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0 || path[slash - 1] == ':') return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string RuntimeDirectoryFor(std::string_view program_dir, const ProgramLayout& layout) {
  std::string dir(program_dir);
  if (layout.marker.empty() || layout.name.empty() || HasFolder(dir, layout.marker)) return dir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  const size_t slash = dir.rfind('/');
  if (slash == std::string::npos || dir.substr(slash + 1) != "bin") return std::string(program_dir);
  const std::string share = JoinPath(JoinPath(dir.substr(0, slash), "share"), layout.name);
  return HasFolder(share, layout.marker) ? share : std::string(program_dir);
}

bool EnterProgramDirectory(const ProgramLayout& layout) {
  if (!g_launch_known) {
    g_launch_directory = platform::CurrentDirectory();
    g_launch_known = true;
  }
  g_name = std::string(layout.name);
  const std::string program_dir = ProgramDirectoryOf(platform::ExecutablePath());
  if (program_dir.empty()) return false;
  const std::string dir = RuntimeDirectoryFor(program_dir, layout);
  if (!platform::ChangeDirectory(dir)) return false;
  g_installed = dir != program_dir;
  return true;
}

bool RunsFromInstalledTree() { return g_installed; }

KeptFile PlaceForKeptFile(std::string_view relative, std::string_view name, bool installed) {
  KeptFile here{std::string(relative), {}};
  const size_t slash = relative.rfind('/');
  const std::string folder = slash == std::string_view::npos ? "." : std::string(relative.substr(0, slash));
  if (!installed && platform::MayWriteFolder(folder)) return here;
  const std::string home = platform::UserDataHome();
  if (home.empty() || name.empty()) return here;
  const std::string dir = JoinPath(home, name);
  std::string error;
  // A folder that cannot be made shows when the file is written there.
  platform::MakeFolders(dir, error);
  return {JoinPath(dir, relative.substr(slash == std::string_view::npos ? 0 : slash + 1)), std::string(relative)};
}

KeptFile PlaceForKeptFile(std::string_view relative) { return PlaceForKeptFile(relative, g_name, g_installed); }

const std::string& LaunchDirectory() { return g_launch_directory; }

int RunProgram(int argc, char** argv, void (*body)(), const ProgramLayout& layout) {
  int setup = -1;
  const bool ok = platform::RunReportingErrors([&] {
    setup = platform::SetupFromCommandLine(argc, argv);
    if (setup >= 0) return;
    EnterProgramDirectory(layout);
    body();
  });
  if (ok && setup >= 0) return setup;  // a bad command line: nothing has started
  platform::Exit(ok ? 0 : -1);
}

const std::string& TraceFilePath() { return platform::TraceFile(); }
