#include "media/platform/window_size.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

namespace platform {

void WindowDrawableSize(SDL_Window* window, int& width, int& height) {
  SDL_GL_GetDrawableSize(window, &width, &height);
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  ::Window root = 0;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border = 0, depth = 0;
  if (XGetGeometry(info.info.x11.display, info.info.x11.window, &root, &x, &y, &w, &h, &border, &depth) != 0 &&
      w > 0 && h > 0) {
    width = static_cast<int>(w);
    height = static_cast<int>(h);
  }
#endif
}

}  // namespace platform
