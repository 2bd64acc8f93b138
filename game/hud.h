// The HUD of a game frame and the game clock.
#pragma once

// Seconds a game lasts.
constexpr int kGameSeconds = 300;

// Draws the panels, the counters and the clock over the maze, and sets
// G.TimeLeft from the millisecond clock; on the frame the time runs out it also
// draws the end message.
void DrawHud();
