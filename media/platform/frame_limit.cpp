#include "media/platform/frame_limit.h"

namespace platform {

int FrameLimit::Delay(uint32_t now) const {
  if (!any_) return 0;
  // Signed difference: right across the clock's wrap at 2^32.
  const auto left = static_cast<int32_t>(last_ + kMinMillis - now);
  return left > 0 && left <= static_cast<int32_t>(kMinMillis) ? left : 0;
}

void FrameLimit::Presented(uint32_t at) {
  any_ = true;
  last_ = at;
}

}  // namespace platform
