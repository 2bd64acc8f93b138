// Holding back frames that nothing paces.
//
// The game loop waits on its 16 ms tick timer before each frame; the other
// screens present as fast as they can draw, which in a real window keeps a core
// or two busy showing a picture that changes a few times a second. With the
// limit on (the player's limit_menu_rate setting, on unless turned off), a
// backend showing a real window holds a frame the program did not pace
// (Backend::HoldUnpacedFrame) back, by sleeping, until 16 ms after its previous
// frame was presented: the game loop's own rate. Frames already late go at once.
// The hold happens below everything the program reads (it reads no clock and
// polls nothing the program sees), so recordings and traces do not see it.
#pragma once

#include <cstdint>

namespace platform {

class FrameLimit {
 public:
  static constexpr uint32_t kMinMillis = 16;

  // How long to sleep before presenting a frame nothing paced at `now` (ms on
  // the backend's clock): what is left of kMinMillis since the previous frame;
  // 0 for a late frame and for the first one.
  int Delay(uint32_t now) const;
  // A frame is being presented at `at`.
  void Presented(uint32_t at);

 private:
  bool any_ = false;
  uint32_t last_ = 0;
};

}  // namespace platform
