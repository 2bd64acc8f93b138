#include "media/platform/volume_keys.h"

#include <algorithm>

#include "media/platform/player_settings.h"

namespace platform {

bool VolumeKeys::Filter(const Event& event, uint32_t now) {
  if (event.data < kKeyMusicDown || event.data > kKeyEffectsUp) return false;
  switch (event.kind) {
    case EventKind::KeyUp: return true;
    case EventKind::KeyDown:
    case EventKind::KeyRepeat: break;
    default: return false;
  }
  const bool music = event.data == kKeyMusicDown || event.data == kKeyMusicUp;
  const int step = (event.data == kKeyMusicUp || event.data == kKeyEffectsUp) ? kVolumeStep : -kVolumeStep;
  PlayerSettings settings = CurrentSettings();
  int& volume = music ? settings.music_volume : settings.effects_volume;
  volume = std::clamp(volume + step, 0, 100);
  ChangeSettings(settings, SettingsChange::Player);
  notice_ = std::string(music ? "Music " : "Effects ") + std::to_string(volume) + " %";
  shown_at_ = now;
  return true;
}

std::string VolumeKeys::Notice(uint32_t now) const {
  // Unsigned difference: right across the clock's wrap at 2^32.
  if (notice_.empty() || now - shown_at_ >= kNoticeMillis) return std::string();
  return notice_;
}

}  // namespace platform
