// Whole games of the real program, run headless with a script: the game binary
// as a player would start it, timed from outside, with its peak memory.
//
//   BM_FullGameNoDrawing   a whole 300-second game (18,750 frames at the 16 ms
//                          tick) with nothing drawn: must take well under 1 s
//   BM_GameFramesDrawn     game frames drawn on the software renderer (Mesa
//                          llvmpipe), as a screenshot run draws them
//   BM_StartUp             start-up to the first frame and out, subtracted above
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  long peak_kib = 0;  // the child's peak resident set
};

ChildRun RunGame(const std::string& script) {
  char dir_template[] = "/tmp/zarn-bench-XXXXXX";
  ChildRun result;
  if (!mkdtemp(dir_template)) return result;
  const std::string dir = dir_template;
  const std::string script_file = dir + "/script.txt";
  std::ofstream(script_file) << script;
  const std::string program = std::string(ZARN_BUILD_DIR) + "/zarn";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
    execl(program.c_str(), program.c_str(), "--headless", "--script", script_file.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peak_kib = usage.ru_maxrss;
  }
  std::remove(script_file.c_str());
  rmdir(dir.c_str());
  return result;
}

// Into a game from the start screen: Space after frame 5, Enter after frame 7,
// so the game's first frame is frame 8. The player walks right and down.
std::string GameScript(int game_frames, bool draw) {
  std::string s = "5 press SPACE\n7 press ENTER\n9 down D\n9 down S\n";
  if (draw) s += std::to_string(7 + game_frames - 1) + " shot /dev/null\n";
  s += std::to_string(7 + game_frames) + " press ESCAPE\n";
  return s;
}

double StartUpSeconds() {
  static const double seconds = [] {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) best = std::min(best, RunGame("3 press ESCAPE\n").seconds);
    return best;
  }();
  return seconds;
}

void Report(benchmark::State& state, const ChildRun& run, int frames, bool subtract_start) {
  if (!run.ok) {
    state.SkipWithError("the game did not end with status 0");
    return;
  }
  const double seconds = run.seconds - (subtract_start ? StartUpSeconds() : 0.0);
  state.SetIterationTime(seconds);
  state.counters["frames_per_s"] = frames / seconds;
  state.counters["ms_per_frame"] = seconds * 1000.0 / frames;
  state.counters["peak_MiB"] = double(run.peak_kib) / 1024.0;
}

void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    const ChildRun run = RunGame("3 press ESCAPE\n");
    state.SetIterationTime(run.seconds);
    state.counters["peak_MiB"] = double(run.peak_kib) / 1024.0;
  }
}
BENCHMARK(BM_StartUp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_FullGameNoDrawing(benchmark::State& state) {
  // 300 s at 16 ms a frame: 18,750 frames, and the results screen.
  const int frames = 18760;
  for (auto _ : state) Report(state, RunGame(GameScript(frames, false)), frames, true);
}
BENCHMARK(BM_FullGameNoDrawing)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_GameFramesDrawn(benchmark::State& state) {
  const int frames = 600;
  for (auto _ : state) Report(state, RunGame(GameScript(frames, true)), frames, true);
}
BENCHMARK(BM_GameFramesDrawn)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
