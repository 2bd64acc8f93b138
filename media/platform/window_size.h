// The size of a window's drawing surface as the window system has it now.
#pragma once

struct SDL_Window;

namespace platform {

// SDL keeps its own idea of a window's size and changes it as soon as it asks
// for full screen, whether or not the request is granted: on an X server
// without a window manager nobody grants it, the window stays as it was, and
// SDL goes on reporting the whole screen (also after leaving full screen).
// On X11 this asks the server for the window's real size; elsewhere it is
// SDL's drawable size.
void WindowDrawableSize(SDL_Window* window, int& width, int& height);

}  // namespace platform
