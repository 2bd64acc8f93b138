// Text drawing on the headless software renderer: the longest line of the game's
// menu drawn 1,000 times in the game's font (pixel size 30, smooth), after its
// glyphs have been made and uploaded. Reports the time per line.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>

#include "media/media.h"
#include "media/platform/platform.h"

namespace {

constexpr const char16_t* kLine = u"Press 1 for Help - How to play ";
constexpr int kLinesPerIteration = 1000;

// The game's font when the assets are beside the program, else a free system font.
FontRef GameOrSystemFont() {
  if (std::filesystem::exists("data/Font2.ttf")) {
    if (FontRef font = LoadFontImage(u"data/Font2.ttf", 30, kFontSmooth)) return font;
  }
  return LoadFontImage(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 30, kFontSmooth);
}

// Waits until the renderer has drawn everything queued (a one-pixel read-back).
void FinishDrawing() {
  uint8_t pixel[4];
  benchmark::DoNotOptimize(platform::Current().ReadPixels(0, 0, 1, 1, pixel));
}

void BM_DrawMenuLine(benchmark::State& state) {
  platform::HeadlessOptions options;
  options.draw = true;
  std::string error;
  platform::Install(platform::CreateHeadlessBackend(options, error));
  if (!OpenGraphics(700, 540, 0, 0, 0) || !platform::Current().HasGL()) {
    state.SkipWithError("no offscreen OpenGL on this machine");
    return;
  }
  FontRef font = GameOrSystemFont();
  if (!font) {
    state.SkipWithError("no font to draw with");
    return;
  }
  UseFont(font);
  SetColor(255, 255, 255);
  DrawTextAt(kLine, 50, 200);  // makes every glyph image and its texture
  FinishDrawing();
  for (auto _ : state) {
    for (int i = 0; i < kLinesPerIteration; ++i) DrawTextAt(kLine, 50, static_cast<float>(40 + (i % 16) * 30));
    FinishDrawing();
  }
  state.counters["us_per_line"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kLinesPerIteration * 1e-6,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  UseFont(nullptr);
  CloseGraphics();
}
BENCHMARK(BM_DrawMenuLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
