// What the player sets for the window and the sound, whatever program runs:
// full screen, the window's scale, the loudness of the music and of the sound
// effects, and whether screens that wait on no timer are held to the game's
// frame rate. Kept here, below every module that acts on it (the backends, the
// audio mixer, frame pacing); the settings module reads it from the player's
// settings file at start-up and writes back what the player changes.
#pragma once

#include <functional>

namespace platform {

struct PlayerSettings {
  bool fullscreen = false;
  int scale = 1;             // the window's enlargement, 1 to kMaxWindowScale (platform.h)
  int music_volume = 100;    // per cent of the music's own loudness, 0 to 100
  int effects_volume = 100;  // per cent of every other sound's loudness, 0 to 100
  bool limit_menu_rate = true;
  bool operator==(const PlayerSettings&) const = default;
};

// The volume keys move a volume by this much, within 0 to 100.
inline constexpr int kVolumeStep = 10;

// The settings in force (the defaults until something sets them).
const PlayerSettings& CurrentSettings();

// Who made a change: the program at start-up (from the settings file, or a
// test), or the player while it runs (a volume key, switching full screen).
enum class SettingsChange { Program, Player };

// Makes `settings` the settings in force and tells every watcher, in the order
// they started watching, what they were before and what they are now. Nothing
// is told when nothing changes. Values outside their ranges are brought into
// them first.
void ChangeSettings(const PlayerSettings& settings, SettingsChange by);

using SettingsWatcher =
    std::function<void(const PlayerSettings& before, const PlayerSettings& after, SettingsChange by)>;
// Returns an id for StopWatchingSettings.
int WatchSettings(SettingsWatcher watcher);
void StopWatchingSettings(int id);

}  // namespace platform
