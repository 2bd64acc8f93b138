// Files from the operating system: what replacing a file safely needs beyond the
// C library (unique new files, syncing to the disk, renaming over, permissions).
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/core/module_state.h"
#include "media/platform/os_files.h"

namespace platform {

namespace {

std::string Reason() { return std::strerror(errno); }

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// How many names for new files this process has made: part of each name, so
// two made in the same nanosecond still differ.
struct NamesMade {
  unsigned count = 0;
};

}  // namespace

PathKind KindOfPath(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return PathKind::Absent;
  return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  // A link that leads nowhere is replaced itself.
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string ReplaceRefusal(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? std::string() : Reason();
  // The mark holds for every user: the system would let the superuser write
  // anyway, but whoever marked the file meant it to stay as it is.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return "the file is marked read-only";
  if (access(path.c_str(), W_OK) != 0) return Reason();
  return std::string();
}

std::FILE* CreateFileBeside(const std::string& path, std::string& created, std::string& error) {
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned& counter = core::ModuleState<NamesMade>().count;
  for (int attempt = 0; attempt < 100; ++attempt) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned seed = unsigned(getpid()) * 2654435761u ^ unsigned(now.tv_nsec) ^ (++counter * 40503u);
    std::string name = path + ".new-";
    for (int i = 0; i < 6; ++i, seed /= 62) name += kChars[seed % 62];
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = Reason();
      return nullptr;
    }
    // The new file takes the old one's permissions (the system's mask applied
    // to a plain new file otherwise).
    if (exists) fchmod(fd, st.st_mode & 07777);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
      error = Reason();
      close(fd);
      unlink(name.c_str());
      return nullptr;
    }
    created = name;
    return file;
  }
  error = "no free name for a new file beside it";
  return nullptr;
}

bool SyncFile(std::FILE* file, std::string& error) {
  if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
    error = Reason();
    return false;
  }
  return true;
}

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
  if (rename(from.c_str(), to.c_str()) != 0) {
    error = Reason();
    return false;
  }
  const int folder = open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

std::string CannotWrite(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) unlink(path.c_str());
  }
  if (fd < 0) return Reason();
  close(fd);
  return std::string();
}

}  // namespace platform
