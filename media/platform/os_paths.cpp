// Where the program lives, which directory is current and where the user's data
// goes, from the OS.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/platform/os_files.h"

namespace platform {

std::string ExecutablePath() {
  // The link's target can be longer than any fixed buffer; grow until it fits.
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    if (buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string CurrentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

bool ChangeDirectory(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

bool MayWriteFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(path.c_str(), W_OK | X_OK) == 0;
}

namespace {

// $VARIABLE when it is an absolute path, else the folder below the home folder.
// A relative setting is to be ignored: it would depend on where the program was
// started.
std::string XdgFolder(const char* variable, const char* below_home) {
  if (const char* xdg = std::getenv(variable); xdg != nullptr && xdg[0] == '/') return xdg;
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
    home = env;
  } else if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr &&
                                                       entry->pw_dir[0] == '/') {
    home = entry->pw_dir;
  }
  if (home.empty()) return home;
  if (home.back() == '/') home.pop_back();
  return home + "/" + below_home;
}

}  // namespace

std::string UserDataHome() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string UserConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

bool MakeFolders(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no folder named";
    return false;
  }
  // Each prefix ending before a slash, then the whole path.
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!part.empty() && part.back() != '/' && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = part + ": " + std::strerror(errno);
      return false;
    }
    if (end == std::string::npos) break;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = path + ": not a folder";
    return false;
  }
  return true;
}

}  // namespace platform
