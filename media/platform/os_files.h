// What the media layer needs of the operating system's files and folders: where
// the program is, the user's folders, and what the stream layer's safe replacing
// of a file needs. Paths are native (UTF-8, forward slashes); failures come back
// as the system's reason in `error`.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Absolute path of the running program file, or empty when it cannot be found.
std::string ExecutablePath();
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);
// Whether this user may make and rename files in the folder.
bool MayWriteFolder(const std::string& path);
// The folder the user's programs keep their data in: $XDG_DATA_HOME when it is
// an absolute path, else .local/share in the home folder ($HOME, or the one the
// user database names). Empty when there is no home folder to be found.
std::string UserDataHome();
// The folder the user's programs keep their settings in: $XDG_CONFIG_HOME, else
// .config in the home folder, by the same rules. Empty without a home folder.
std::string UserConfigHome();
// Makes the folder and every missing folder above it (new ones readable by this
// user only). True when the folder exists afterwards.
bool MakeFolders(const std::string& path, std::string& error);

// Files, as far as the stream layer's safe replacing of a file needs the system.
// Paths are native (UTF-8, forward slashes). Failures come back as the system's
// reason in `error`.
enum class PathKind { Absent, File, Folder };
// What stands at the path (Absent also when it cannot be looked at).
PathKind KindOfPath(const std::string& path);
// The path a write should go to: the file a symbolic link leads to, else the path.
std::string WriteTarget(const std::string& path);
// Why the existing file at the path must not be replaced: it is marked read-only
// (no write permission for anyone) or this user may not write it. Empty when it
// may be replaced or does not exist.
std::string ReplaceRefusal(const std::string& path);
// A new, empty file with a name of its own beside `path` (path + ".new-" and six
// characters), open for writing, with the permissions of the file at `path` when
// there is one. Null when it cannot be made.
std::FILE* CreateFileBeside(const std::string& path, std::string& created, std::string& error);
// Flushes the C library's buffer and has the system write the file's data to the
// disk.
bool SyncFile(std::FILE* file, std::string& error);
// Renames `from` over `to` in one step, then has the system write the folder
// holding them to the disk so the rename survives a power loss (a folder that
// cannot be synced does not fail the rename).
bool RenameOver(const std::string& from, const std::string& to, std::string& error);
void RemoveFile(const std::string& path);
// Why this user could not write to the file at `path`, or "" when it can. An
// existing file is opened for writing without being changed; a missing one is
// created and removed again, so the check leaves nothing behind. A named pipe
// without a reader fails instead of waiting.
std::string CannotWrite(const std::string& path);

}  // namespace platform
