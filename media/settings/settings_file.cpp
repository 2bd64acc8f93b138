#include "media/settings/settings_file.h"

#include <ini.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "media/core/module_state.h"
#include "media/core/strings.h"
#include "media/files/streams.h"
#include "media/platform/os_files.h"
#include "media/platform/platform.h"

namespace settings {
namespace {

using platform::PlayerSettings;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool ParseYesNo(std::string_view value, bool& out) {
  const std::string v = Lower(value);
  if (v == "yes" || v == "true" || v == "on") return out = true, true;
  if (v == "no" || v == "false" || v == "off") return out = false, true;
  return false;
}

bool ParseWhole(std::string_view value, int lo, int hi, int& out) {
  if (value.empty() || value.size() > 9) return false;
  int n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < lo || n > hi) return false;
  out = n;
  return true;
}

// One known key: how its value is read from the file and written back.
struct Key {
  std::string_view name;
  bool yes_no;
  int lo, hi;  // the range of a whole number
  bool PlayerSettings::*flag;
  int PlayerSettings::*number;
};

const Key kKeys[] = {
    {kFullscreen, true, 0, 0, &PlayerSettings::fullscreen, nullptr},
    {kScale, false, 1, platform::kMaxWindowScale, nullptr, &PlayerSettings::scale},
    {kMusicVolume, false, 0, 100, nullptr, &PlayerSettings::music_volume},
    {kEffectsVolume, false, 0, 100, nullptr, &PlayerSettings::effects_volume},
    {kLimitMenuRate, true, 0, 0, &PlayerSettings::limit_menu_rate, nullptr},
};

const Key* FindKey(std::string_view name) {
  const std::string lower = Lower(name);
  for (const Key& key : kKeys)
    if (key.name == lower) return &key;
  return nullptr;
}

std::string ValueText(const Key& key, const PlayerSettings& settings) {
  if (key.yes_no) return settings.*key.flag ? "yes" : "no";
  return std::to_string(settings.*key.number);
}

// What a key's value must look like, for the message about a bad one.
std::string Expected(const Key& key) {
  if (key.yes_no) return std::string(key.name) + " is yes or no";
  return std::string(key.name) + " is a whole number from " + std::to_string(key.lo) + " to " + std::to_string(key.hi);
}

enum class Found { Missing, Read, Unreadable };

// The file's bytes (at most kMaxFileBytes); Unreadable with the reason in `why`.
Found ReadFileBytes(const std::string& path, std::string& bytes, std::string& why) {
  switch (platform::KindOfPath(path)) {
    case platform::PathKind::Absent: return Found::Missing;
    case platform::PathKind::Folder: why = "it is a folder"; return Found::Unreadable;
    case platform::PathKind::File: break;
  }
  const auto stream = TCStream::OpenFile(TextFromUtf8(path), true, false);
  if (!stream) {
    why = "it cannot be read";
    return Found::Unreadable;
  }
  bytes.clear();
  char chunk[4096];
  for (;;) {
    const int n = stream->Read(chunk, sizeof chunk);
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
    if (bytes.size() > kMaxFileBytes) {
      why = "it is larger than " + std::to_string(kMaxFileBytes / 1024) + " KiB";
      return Found::Unreadable;
    }
  }
  return Found::Read;
}

// The text as lines without their line feeds (a carriage return before one
// stays part of the line); `ended` is whether the last line had a line feed.
std::vector<std::string> SplitLines(const std::string& text, bool& ended) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  ended = start == text.size();
  if (!ended) lines.push_back(text.substr(start));
  return lines;
}

// What inih made of the lines.
struct Parsed {
  PlayerSettings settings;
  std::map<std::string_view, std::vector<size_t>> key_lines;  // key -> indexes of its lines
  size_t problem_line = 0;  // 1-based; 0: none
  std::string problem;
};

struct ParseState {
  const std::vector<std::string>* lines = nullptr;
  size_t next = 0;  // lines handed to inih so far
  Parsed* parsed = nullptr;

  void Problem(size_t line, std::string what) {
    if (parsed->problem_line != 0 && parsed->problem_line <= line) return;
    parsed->problem_line = line;
    parsed->problem = std::move(what);
  }
};

// inih's line reader (fgets-like): one line of the file per call, so that
// inih's line numbers are the file's. A line that does not fit inih's buffer,
// or holds a NUL byte, goes to inih as an empty line and is reported here.
char* ReadNextLine(char* buffer, int size, void* user) {
  auto& state = *static_cast<ParseState*>(user);
  if (state.next >= state.lines->size() || size < 2) return nullptr;
  const std::string& line = (*state.lines)[state.next++];
  if (line.find('\0') != std::string::npos) {
    state.Problem(state.next, "holds a NUL byte; ignored");
    std::strcpy(buffer, "\n");
  } else if (line.size() + 2 > static_cast<size_t>(size)) {
    state.Problem(state.next, "longer than " + std::to_string(size - 2) + " characters; ignored");
    std::strcpy(buffer, "\n");
  } else {
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\n';
    buffer[line.size() + 1] = '\0';
  }
  return buffer;
}

int TakeValue(void* user, const char* section, const char* name, const char* value) {
  auto& state = *static_cast<ParseState*>(user);
  // Keys inside a section belong to someone else.
  if (section != nullptr && section[0] != '\0') return 1;
  const Key* key = FindKey(name != nullptr ? name : "");
  if (key == nullptr) return 1;
  const size_t line = state.next;
  state.parsed->key_lines[key->name].push_back(line - 1);
  const std::string_view text = value != nullptr ? value : "";
  PlayerSettings& s = state.parsed->settings;
  const bool ok = key->yes_no ? ParseYesNo(text, s.*key->flag) : ParseWhole(text, key->lo, key->hi, s.*key->number);
  if (!ok) {
    // The last line of a key is the one that counts, even a wrong one.
    const PlayerSettings defaults;
    if (key->yes_no)
      s.*key->flag = defaults.*key->flag;
    else
      s.*key->number = defaults.*key->number;
    state.Problem(line, Expected(*key) + ", not \"" + std::string(text) + "\"; the default (" +
                            ValueText(*key, defaults) + ") is used");
  }
  return 1;  // the problem is kept here; inih reports only lines it cannot read
}

Parsed Parse(const std::vector<std::string>& lines) {
  Parsed parsed;
  ParseState state{&lines, 0, &parsed};
  // Each line stands alone: an indented line is not the continuation of the
  // value above, so every key's line is known for the rewrite.
  ini_allow_multiline = false;
  const int first_bad = ini_parse_stream(ReadNextLine, &state, TakeValue, &state);
  if (first_bad > 0) state.Problem(static_cast<size_t>(first_bad), "not a \"key = value\" line; ignored");
  return parsed;
}

// The comment after a value (" ; ..."), kept when the line is rewritten.
std::string TrailingComment(const std::string& line) {
  const size_t equals = line.find_first_of("=:");
  if (equals == std::string::npos) return std::string();
  for (size_t i = equals + 1; i < line.size(); ++i) {
    if (line[i] == ';' && (line[i - 1] == ' ' || line[i - 1] == '\t')) {
      std::string comment = line.substr(i);
      if (!comment.empty() && comment.back() == '\r') comment.pop_back();
      return " " + comment;
    }
  }
  return std::string();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string DefaultSettingsFile(std::string_view program) {
  if (program.empty()) return std::string();
  const std::string home = platform::UserConfigHome();
  if (home.empty()) return std::string();
  return home + (home.back() == '/' ? "" : "/") + std::string(program) + "/settings.ini";
}

ReadResult ReadSettingsFile(const std::string& path) {
  ReadResult result;
  std::string bytes, why;
  switch (ReadFileBytes(path, bytes, why)) {
    case Found::Missing: return result;
    case Found::Unreadable:
      result.problem = path + ": " + why + "; the defaults are used";
      return result;
    case Found::Read: break;
  }
  bool ended = false;
  const Parsed parsed = Parse(SplitLines(bytes, ended));
  result.settings = parsed.settings;
  if (parsed.problem_line != 0) result.problem = path + ":" + std::to_string(parsed.problem_line) + ": " + parsed.problem;
  return result;
}

bool WriteSettings(const std::string& path, const PlayerSettings& settings, std::span<const std::string_view> keys,
                   std::string& error) {
  std::string bytes, why;
  const Found found = ReadFileBytes(path, bytes, why);
  if (found == Found::Unreadable) {
    error = why + "; it is left as it is";
    return false;
  }
  bool ended = true;
  std::vector<std::string> lines = SplitLines(bytes, ended);
  const Parsed parsed = Parse(lines);
  std::vector<std::string> added;
  for (std::string_view name : keys) {
    const Key* key = FindKey(name);
    if (key == nullptr) continue;
    const std::string line = std::string(key->name) + " = " + ValueText(*key, settings);
    const auto at = parsed.key_lines.find(key->name);
    if (at == parsed.key_lines.end()) {
      added.push_back(line);
      continue;
    }
    for (size_t i : at->second) {
      std::string& old = lines[i];
      const bool cr = !old.empty() && old.back() == '\r';
      old = line + TrailingComment(old) + (cr ? "\r" : "");
    }
  }
  if (found == Found::Missing) {
    lines = {"# fullscreen (yes/no), scale (1-" + std::to_string(platform::kMaxWindowScale) +
                 "), music_volume and effects_volume (per cent, 0-100),",
             "# limit_menu_rate (yes/no). Lines the program does not know are kept."};
  }
  // New keys go before the first section, where they still count.
  auto section = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    const size_t first = l.find_first_not_of(" \t");
    return first != std::string::npos && l[first] == '[';
  });
  lines.insert(section, added.begin(), added.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (const std::string folder = FolderOf(path); !folder.empty() && !platform::MakeFolders(folder, error))
    return false;
  return ReplaceFileText(TextFromUtf8(path), text, error);
}

namespace {

struct ActiveFile {
  std::string path;
  bool watching = false;
  bool failed = false;  // a write failed and was reported
};

ActiveFile& A() { return core::ModuleState<ActiveFile>(); }

void SavePlayerChange(const PlayerSettings& before, const PlayerSettings& after, platform::SettingsChange by) {
  auto& a = A();
  if (by != platform::SettingsChange::Player || a.path.empty()) return;
  std::vector<std::string_view> changed;
  for (const Key& key : kKeys)
    if (ValueText(key, before) != ValueText(key, after)) changed.push_back(key.name);
  std::string error;
  if (WriteSettings(a.path, after, changed, error)) {
    a.failed = false;
  } else if (!std::exchange(a.failed, true)) {
    std::fprintf(stderr, "The settings cannot be saved in %s: %s\n", a.path.c_str(), error.c_str());
  }
}

}  // namespace

void UseSettingsFile(const std::string& path) {
  auto& a = A();
  a.path = path;
  a.failed = false;
  ReadResult read;
  if (!path.empty()) read = ReadSettingsFile(path);
  if (!read.problem.empty()) std::fprintf(stderr, "%s\n", read.problem.c_str());
  platform::ChangeSettings(read.settings, platform::SettingsChange::Program);
  if (!std::exchange(a.watching, true)) platform::WatchSettings(SavePlayerChange);
}

}  // namespace settings
