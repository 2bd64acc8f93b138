// Synthesised sound effects and the music loop.
#pragma once

#include <cstdint>
#include <vector>

namespace gen {

struct Audio {
  std::vector<int16_t> samples;  // interleaved when stereo
  int channels = 1;
  int rate = 22050;
};

Audio BiteSound();     // a Blobb snaps the carried diamonds away
Audio GetSound();      // a diamond picked up
Audio HoleSound();     // diamonds dropped into their hole
Audio MenuSound();     // menu key click
Audio PowerUpSound();  // power-up taken
// 32 seconds of music (16 bars at 120 beats per minute) whose end runs
// seamlessly into its start.
Audio MusicLoop();

}  // namespace gen
