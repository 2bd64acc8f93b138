// The volume keys: like Alt+Enter and F11 (input_sources.h) they belong to the
// window, not to the program, and work on every screen. F5 and F6 lower and
// raise the music, F7 and F8 the sound effects, by kVolumeStep within 0 to 100
// per cent. Function keys type no characters, and no screen of the game asks
// for them, so taking them costs the program nothing.
#pragma once

#include <cstdint>
#include <string>

#include "media/platform/platform.h"

namespace platform {

// Virtual-key codes of the volume keys.
inline constexpr int kKeyMusicDown = 116;    // F5
inline constexpr int kKeyMusicUp = 117;      // F6
inline constexpr int kKeyEffectsDown = 118;  // F7
inline constexpr int kKeyEffectsUp = 119;    // F8

class VolumeKeys {
 public:
  // How long a change stays shown, on the backend's clock.
  static constexpr uint32_t kNoticeMillis = 1000;

  // True when the event belongs to a volume key: the backend takes it and the
  // program never sees it (key down, repeats and key up, with any modifier). A
  // key down or auto-repeat steps the volume as the player's change
  // (ChangeSettings) and shows the new value from `now` on.
  bool Filter(const Event& event, uint32_t now);
  // What to show over the picture at `now` ("Music 60 %"), or empty once the
  // last change is kNoticeMillis old (or when there was none).
  std::string Notice(uint32_t now) const;

 private:
  std::string notice_;
  uint32_t shown_at_ = 0;
};

}  // namespace platform
