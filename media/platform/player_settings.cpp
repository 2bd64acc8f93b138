#include "media/platform/player_settings.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "media/core/module_state.h"
#include "media/platform/platform.h"

namespace platform {
namespace {

struct SettingsState {
  PlayerSettings current;
  std::vector<std::pair<int, SettingsWatcher>> watchers;
  int next_id = 1;
};

SettingsState& S() { return core::ModuleState<SettingsState>(); }

}  // namespace

const PlayerSettings& CurrentSettings() { return S().current; }

void ChangeSettings(const PlayerSettings& wanted, SettingsChange by) {
  PlayerSettings after = wanted;
  after.scale = std::clamp(after.scale, 1, kMaxWindowScale);
  after.music_volume = std::clamp(after.music_volume, 0, 100);
  after.effects_volume = std::clamp(after.effects_volume, 0, 100);
  auto& s = S();
  if (after == s.current) return;
  const PlayerSettings before = std::exchange(s.current, after);
  // A watcher may stop watching (or start another) while being told: the list
  // is copied first.
  const auto watchers = s.watchers;
  for (const auto& [id, watcher] : watchers) watcher(before, after, by);
}

int WatchSettings(SettingsWatcher watcher) {
  auto& s = S();
  const int id = s.next_id++;
  s.watchers.emplace_back(id, std::move(watcher));
  return id;
}

void StopWatchingSettings(int id) {
  auto& w = S().watchers;
  w.erase(std::remove_if(w.begin(), w.end(), [id](const auto& entry) { return entry.first == id; }), w.end());
}

}  // namespace platform
