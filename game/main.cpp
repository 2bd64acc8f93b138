// Zarn. For now: the window, frames paced by the 60 Hz tick timer, and the
// keyboard; Escape or a close request ends the program.
#include "media/media.h"
#include "media/platform/command_line.h"

int main(int argc, char** argv) {
  if (const int status = platform::SetupFromCommandLine(argc, argv); status >= 0) return status;
  EnterProgramDirectory();
  OpenGraphics(700, 540, 0, 0, 0);
  auto timer = CreateTickTimer(60);
  for (;;) {
    Cls();
    WaitTicks(timer);
    Flip(-1);
    if (KeyPresses(KEY_ESCAPE) || CloseRequested()) Quit();
  }
}
