// Whether the program waits on a tick timer, as frame pacing needs to know.
#pragma once

// How many tick waits (TTimer::Wait, WaitTicks) have returned ticks so far, on
// any timer. A frame presented after the count moved was paced by its program.
unsigned TickWaitsSoFar();
