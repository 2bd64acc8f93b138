// Holding back frames that nothing paces.
//
// The game loop waits on its 16 ms tick timer before each frame; the other
// screens present as fast as they can draw, which in a real window keeps a core
// or two busy showing a picture that changes a few times a second. With the
// limit on (the player's limit_menu_rate setting, on unless turned off), Flip
// holds a frame presented without a tick wait since the previous frame back,
// by sleeping, until 16 ms after the previous frame was presented: the game
// loop's own rate. Frames after a tick wait and frames already late go at once,
// so the game loop's pacing is untouched. Presenting in a headless run moves its
// clock by 16 ms, so no frame there is ever held back.
#pragma once

#include <cstdint>

class FrameLimit {
 public:
  static constexpr uint32_t kMinMillis = 16;

  // How long to sleep before presenting at `now` (ms on the platform's
  // clock): what is left of kMinMillis since the previous frame when the frame
  // is not `paced` by a tick wait; 0 for paced and late frames and for the
  // first one.
  int Delay(uint32_t now, bool paced) const;
  // A frame was presented at `at` (before the driver presented it).
  void Presented(uint32_t at);

 private:
  bool any_ = false;
  uint32_t last_ = 0;
};
