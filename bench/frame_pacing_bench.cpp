// Frame pacing under the SDL2 backend, three loops of 600 frames taking turns over
// three rounds in one run, on
// the same 700 x 540 window:
//  - paced: the game's loop, Cls, WaitTicks on the 60 Hz tick timer (16 ms), Flip -1
//    and a key query;
//  - bare: nothing but a sleep to absolute deadlines 16 ms apart (the floor the
//    operating system gives a sleeping loop);
//  - plain: Cls, a sleep to absolute deadlines, Flip 0 (a loop that draws the same
//    as the game's and sleeps without any timer of its own).
// For each: the median frame-to-frame interval, the 99th percentile of
// |interval - 16 ms|, the drift and the CPU time of the whole process (every
// thread, the software renderer's included) as a share of one core. A frame's
// offset is how far its wake-up lies from the first one's plus 16 ms for every
// period gone through since (the ticks WaitTicks returned, or one deadline a
// frame); the drift is the median offset of the last 100 frames minus that of
// the first 100, so a schedule that slips shows and one late wake-up does not.
// Each figure is the median of the rounds (each round is also printed); the
// ratios compare the paced loop with the other two.
// Needs a display (make bench runs it under a virtual X server when there is none).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

#include "media/media.h"
#include "media/platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 600;
constexpr double kPeriodMs = 16.0;

struct LoopFigures {
  double median_ms = 0;
  double p99_dev_ms = 0;
  double drift_ms = 0;
  double cpu_pct = 0;  // process CPU time over wall time, in % of one core
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// When a frame's wait ended, and how many periods it waited for.
struct Wake {
  Clock::time_point at;
  int periods = 1;
};

// Runs `frame` kFrames times after one call to line up.
LoopFigures Measure(const std::function<Wake()>& frame) {
  std::vector<double> intervals, offsets;
  intervals.reserve(kFrames);
  offsets.reserve(kFrames);
  Clock::time_point last = frame().at;
  const Clock::time_point first = last;
  int64_t periods = 0;
  const std::clock_t cpu0 = std::clock();
  for (int i = 0; i < kFrames; ++i) {
    const Wake wake = frame();
    intervals.push_back(Ms(wake.at - last));
    last = wake.at;
    periods += wake.periods;
    offsets.push_back(Ms(wake.at - first) - static_cast<double>(periods) * kPeriodMs);
  }
  const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  const double wall_ms = Ms(last - first);

  const auto at = [](std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
  };
  std::vector<double> deviation;
  for (double v : intervals) deviation.push_back(std::fabs(v - kPeriodMs));
  LoopFigures f;
  f.median_ms = at(intervals, 0.5);
  f.p99_dev_ms = at(deviation, 0.99);
  constexpr size_t kEnds = 100;
  f.drift_ms = at({offsets.end() - kEnds, offsets.end()}, 0.5) - at({offsets.begin(), offsets.begin() + kEnds}, 0.5);
  f.cpu_pct = 100.0 * cpu_ms / wall_ms;
  return f;
}

// Deadlines start + n x 16 ms, slept to without any timer of the layer.
class Deadlines {
 public:
  Wake Next() {
    if (n_ == 0) start_ = Clock::now();
    const Clock::time_point deadline = start_ + std::chrono::milliseconds(16 * ++n_);
    std::this_thread::sleep_until(deadline);
    return Wake{Clock::now()};
  }

 private:
  Clock::time_point start_;
  int64_t n_ = 0;
};

// Each figure the median of its rounds.
LoopFigures MedianOf(const std::vector<LoopFigures>& rounds) {
  const auto median = [&](double LoopFigures::*field) {
    std::vector<double> v;
    for (const LoopFigures& f : rounds) v.push_back(f.*field);
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  LoopFigures f;
  f.median_ms = median(&LoopFigures::median_ms);
  f.p99_dev_ms = median(&LoopFigures::p99_dev_ms);
  f.drift_ms = median(&LoopFigures::drift_ms);
  f.cpu_pct = median(&LoopFigures::cpu_pct);
  return f;
}

void Report(benchmark::State& state, const char* name, const LoopFigures& f) {
  const std::string n(name);
  state.counters[n + "_median_ms"] = f.median_ms;
  state.counters[n + "_p99_dev_ms"] = f.p99_dev_ms;
  state.counters[n + "_drift_ms"] = f.drift_ms;
  state.counters[n + "_cpu_pct"] = f.cpu_pct;
}

void BM_FramePacing(benchmark::State& state) {
  platform::Install(platform::CreateSdlBackend());
  if (!OpenGraphics(700, 540, 0, 0, 0)) {
    state.SkipWithError("no window could be opened (no display?)");
    return;
  }
  // The machine's own noise (other processes, a virtual machine's host) comes in
  // bursts that can hit one loop and spare the next, so the three loops take
  // turns over several rounds and each figure is the median of its rounds.
  constexpr int kRounds = 3;
  std::vector<LoopFigures> paced_rounds, bare_rounds, plain_rounds;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      auto timer = CreateTickTimer(60);
      if (!timer) {
        state.SkipWithError("no tick timer");
        return;
      }
      paced_rounds.push_back(Measure([&] {
        Cls();
        const int ticks = WaitTicks(timer);
        const Wake wake{Clock::now(), ticks};
        Flip(-1);
        benchmark::DoNotOptimize(KeyPresses(KEY_ESCAPE));
        return wake;
      }));
      timer->Stop();  // idle from here on: only the loop being measured runs

      Deadlines bare_deadlines;
      bare_rounds.push_back(Measure([&] { return bare_deadlines.Next(); }));

      Deadlines plain_deadlines;
      plain_rounds.push_back(Measure([&] {
        Cls();
        const Wake wake = plain_deadlines.Next();
        Flip(0);
        return wake;
      }));
      std::fprintf(stderr, "round %d: p99 |interval - 16 ms| paced %.3f, bare %.3f, plain %.3f ms; CPU paced %.2f %%, plain %.2f %%\n",
                   round + 1, paced_rounds.back().p99_dev_ms, bare_rounds.back().p99_dev_ms,
                   plain_rounds.back().p99_dev_ms, paced_rounds.back().cpu_pct, plain_rounds.back().cpu_pct);
    }
  }
  const LoopFigures paced = MedianOf(paced_rounds), bare = MedianOf(bare_rounds), plain = MedianOf(plain_rounds);
  Report(state, "paced", paced);
  Report(state, "bare", bare);
  Report(state, "plain", plain);
  state.counters["p99_paced_to_bare"] = bare.p99_dev_ms > 0 ? paced.p99_dev_ms / bare.p99_dev_ms : 0;
  state.counters["cpu_paced_to_plain"] = plain.cpu_pct > 0 ? paced.cpu_pct / plain.cpu_pct : 0;
  CloseGraphics();
}

BENCHMARK(BM_FramePacing)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
