#include "media/program/program_dir.h"

#include <algorithm>

#include "media/core/module_state.h"
#include "media/platform/os_files.h"
#include "media/recording/session.h"

namespace {

// Where the program was started and what EnterProgramDirectory found.
struct ProgramDirectory {
  std::string launch_directory;
  bool launch_known = false;
  bool installed = false;  // entered an installed tree's share folder
  std::string name;        // the layout's name: the user's data folder's name
};

ProgramDirectory& S() { return core::ModuleState<ProgramDirectory>(); }

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
  auto& s = S();
  if (!s.launch_known) {
    s.launch_directory = platform::CurrentDirectory();
    s.launch_known = true;
  }
  s.name = std::string(layout.name);
  const std::string program_dir = ProgramDirectoryOf(platform::ExecutablePath());
  if (program_dir.empty()) return false;
  const std::string dir = RuntimeDirectoryFor(program_dir, layout);
  if (!platform::ChangeDirectory(dir)) return false;
  s.installed = dir != program_dir;
  return true;
}

bool RunsFromInstalledTree() { return S().installed; }

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

KeptFile PlaceForKeptFile(std::string_view relative) {
  // A replay reads the copy its recording holds, laid out where the player's own
  // file is never touched; a recording notes what the program finds.
  KeptFile place;
  if (recording::ReplayKeptFile(relative, place.path, place.seed)) return place;
  place = PlaceForKeptFile(relative, S().name, S().installed);
  recording::RecordKeptFile(relative, place.path, place.seed);
  return place;
}

const std::string& LaunchDirectory() { return S().launch_directory; }
