// Frame pacing under the SDL2 backend: a 600-frame loop paced by the 60 Hz tick
// timer (16 ms period), as the game runs it. Reports the median frame-to-frame
// interval and the 99th percentile of its deviation from 16 ms.
// Needs a display (make bench runs it under a virtual X server when there is none).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "media/media.h"
#include "media/platform/platform.h"

namespace {

void BM_PacedFrameLoop(benchmark::State& state) {
  platform::Install(platform::CreateSdlBackend());
  if (!OpenGraphics(700, 540, 0, 0, 0)) {
    state.SkipWithError("no window could be opened (no display?)");
    return;
  }
  auto timer = CreateTickTimer(60);
  if (!timer) {
    state.SkipWithError("no tick timer");
    return;
  }
  constexpr int kFrames = 600;
  std::vector<double> intervals;
  intervals.reserve(kFrames);
  for (auto _ : state) {
    intervals.clear();
    WaitTicks(timer);  // start on a tick
    auto last = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
      Cls();
      WaitTicks(timer);
      const auto now = std::chrono::steady_clock::now();
      intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      Flip(-1);
      benchmark::DoNotOptimize(KeyPresses(KEY_ESCAPE));
    }
  }
  std::vector<double> sorted = intervals;
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> deviation;
  for (double v : intervals) deviation.push_back(std::fabs(v - 16.0));
  std::sort(deviation.begin(), deviation.end());
  const auto at = [](const std::vector<double>& v, double q) {
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
  };
  state.counters["median_ms"] = at(sorted, 0.5);
  state.counters["p99_dev_ms"] = at(deviation, 0.99);
  state.counters["max_dev_ms"] = deviation.back();
  state.counters["mean_ms"] = [&] {
    double sum = 0;
    for (double v : intervals) sum += v;
    return sum / static_cast<double>(intervals.size());
  }();
  timer->Stop();
  CloseGraphics();
}

BENCHMARK(BM_PacedFrameLoop)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
