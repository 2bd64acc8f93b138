// The player's settings file: `key = value` lines (an INI file without
// sections), read with the inih library.
//
//   fullscreen = yes         ; yes or no
//   scale = 2                ; the window's enlargement, 1 to 8
//   music_volume = 60        ; per cent, 0 to 100
//   effects_volume = 100     ; per cent, 0 to 100
//   limit_menu_rate = yes    ; hold screens without a timer to the game's rate
//
// A line starting with ';' or '#' is a comment, and so is the rest of a line
// from a ';' after a space. Names and yes/no (also true/false, on/off) are
// taken in any case. Lines the game does not know, and lines inside a
// [section], are left alone, and kept as they are when the game rewrites the
// file. What the file does not say, or says wrongly, has its default.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "media/platform/player_settings.h"

namespace settings {

// The keys, as they are written.
inline constexpr std::string_view kFullscreen = "fullscreen";
inline constexpr std::string_view kScale = "scale";
inline constexpr std::string_view kMusicVolume = "music_volume";
inline constexpr std::string_view kEffectsVolume = "effects_volume";
inline constexpr std::string_view kLimitMenuRate = "limit_menu_rate";

// Files larger than this are neither read nor rewritten.
inline constexpr size_t kMaxFileBytes = 64 * 1024;

// $XDG_CONFIG_HOME/<program>/settings.ini, by default
// ~/.config/<program>/settings.ini; empty without a home folder or a name.
std::string DefaultSettingsFile(std::string_view program);

struct ReadResult {
  platform::PlayerSettings settings;  // defaults for what could not be read
  // The first thing that could not be read, as one line naming the file and
  // the line ("FILE:LINE: ..."); empty when there was none. A missing file is
  // no problem: it gives the defaults.
  std::string problem;
};
ReadResult ReadSettingsFile(const std::string& path);

// Sets `keys` to their values in `settings`, replacing the lines that hold
// them (a comment after the value stays) and adding the missing ones before
// the first [section], or at the end; every other line stays as it is. A
// missing file is created (with the folders above it) with a comment naming
// the keys. The file is replaced safely (ReplaceFileText): whatever happens,
// it holds the old text or the new. False with the reason in `error` when it
// could not be written, or could not be read first (then it is left alone).
bool WriteSettings(const std::string& path, const platform::PlayerSettings& settings,
                   std::span<const std::string_view> keys, std::string& error);

// The settings file of this run: reads it (writing its problem, if any, on
// standard error), makes what it says the settings in force, and from then on
// writes every change the player makes into it, naming the file on standard
// error the first time that fails. Empty: the defaults, and no file is read or
// written. A later call takes the place of the earlier one.
void UseSettingsFile(const std::string& path);

}  // namespace settings
