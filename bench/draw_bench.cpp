// Drawing one maze screen on the headless software renderer (Mesa llvmpipe):
// a 700 x 540 tiled background and 925 tiles of 32 x 32 (the 37 x 25 maze),
// each drawn scaled from its cell of a tile strip, then presented.
#include <benchmark/benchmark.h>

#include "media/media.h"
#include "media/platform/platform.h"

namespace {

// A picture with magenta holes, as the game's tiles have.
PixmapPtr Picture(int w, int h, int seed) {
  auto map = TPixmap::Create(w, h, PF_BGR888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool hole = (x * 7 + y * 3 + seed) % 11 == 0;
      map->WritePixel(x, y, hole ? 0xFFFF00FFu : MakeArgb(255, x * 8 + seed, y * 8, seed * 40));
    }
  return map;
}

void BM_MazeScreen(benchmark::State& state) {
  platform::HeadlessOptions options;
  options.draw = true;
  std::string error;
  platform::Install(platform::CreateHeadlessBackend(options, error));
  if (!OpenGraphics(700, 540, 0, 0, 0) || !platform::Current().HasGL()) {
    state.SkipWithError("no offscreen OpenGL");
    return;
  }
  SetLoadMask(255, 0, 255);
  ImageRef background = LoadImageFile(Picture(64, 38, 1), -1);
  // Eight 32 x 32 tiles side by side in one strip.
  auto strip_map = TPixmap::Create(256, 32, PF_BGR888);
  for (int t = 0; t < 8; ++t) strip_map->Paste(*Picture(32, 32, t), t * 32, 0);
  ImageRef tiles = LoadImageStrip(strip_map, 32, 32, 0, 8, -1);

  for (auto _ : state) {
    Cls();
    FillTiled(background, 0, 0);
    // The maze scrolled a little, as during play: 37 x 25 cells from (-13, -7).
    for (int row = 0; row < 25; ++row)
      for (int col = 0; col < 37; ++col)
        DrawImageScaled(tiles, float(col * 32 - 13), float(row * 32 - 7), 32, 32, (row * 37 + col) % 8);
    Flip(-1);  // the headless present waits for the renderer to finish
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  CloseGraphics();
}
BENCHMARK(BM_MazeScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
