// Zarn. For now: the window, frames paced by the 60 Hz tick timer, and the
// keyboard; Escape or a close request ends the program.
#include <cstdio>

#include "media/media.h"
#include "media/platform/command_line.h"

int main(int argc, char** argv) {
  if (const int status = platform::SetupFromCommandLine(argc, argv); status >= 0) return status;
  EnterProgramDirectory();
  // Without a window or a timer there is nothing to show or pace: say so and
  // stop, rather than spin without a window.
  if (!OpenGraphics(700, 540, 0, 0, 0)) {
    std::fprintf(stderr, "zarn: the 700 x 540 game window could not be opened (no display?)\n");
    return 1;
  }
  auto timer = CreateTickTimer(60);
  if (!timer) {
    std::fprintf(stderr, "zarn: the frame timer could not be started\n");
    return 1;
  }
  for (;;) {
    Cls();
    WaitTicks(timer);
    Flip(-1);
    if (KeyPresses(KEY_ESCAPE) || CloseRequested()) Quit();
  }
}
