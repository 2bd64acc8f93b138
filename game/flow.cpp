// The game's main routine. For now: the window, frames paced by the 60 Hz tick
// timer, and the keyboard; Escape or a close request ends the program.
#include "media/media.h"

void GameMain() {
  // Without a window or a timer there is nothing to show or pace: say so and
  // stop, rather than spin without a window.
  if (!OpenGraphics(700, 540, 0, 0, 0)) {
    QuitWithError("zarn: the 700 x 540 game window could not be opened (no display?)");
  }
  auto timer = CreateTickTimer(60);
  if (!timer) {
    QuitWithError("zarn: the frame timer could not be started");
  }
  for (;;) {
    Cls();
    WaitTicks(timer);
    Flip(-1);
    if (KeyPresses(KEY_ESCAPE) || CloseRequested()) Quit();
  }
}
