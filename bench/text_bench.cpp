// Line reading speed: ReadLine over a 10 MB text file, the way the level and
// highscore files are read, plus the byte-at-a-time path every stream inherits.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "media/files/streams.h"
#include "media/core/strings.h"

namespace {

constexpr size_t kFileBytes = 10u << 20;

// Removes the test file when the program ends.
struct RemoveAtExit {
  std::string path;
  ~RemoveAtExit() { std::remove(path.c_str()); }
};

// A 10 MB file of CR LF lines of 20 to 120 characters; made once per run.
const std::string& TestFile(int64_t* lines_out) {
  static int64_t lines = 0;
  static RemoveAtExit cleanup;
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "zarn_text_bench.txt").string();
    cleanup.path = p;
    std::ofstream out(p, std::ios::binary);
    std::mt19937 rng(7);
    size_t written = 0;
    while (written < kFileBytes) {
      std::string line(20 + rng() % 101, ' ');
      for (char& c : line) c = static_cast<char>('0' + rng() % 75);
      line += "\r\n";
      out << line;
      written += line.size();
      ++lines;
    }
    return p;
  }();
  *lines_out = lines;
  return path;
}

// Reads the whole file with the stream's own ReadLine.
void BM_ReadLineFile(benchmark::State& state) {
  int64_t lines = 0;
  const std::string& path = TestFile(&lines);
  int64_t bytes = 0;
  for (auto _ : state) {
    StreamRef s = OpenReadFile(std::string_view(path));
    int64_t n = 0;
    while (!Eof(s)) {
      benchmark::DoNotOptimize(ReadLine(s));
      ++n;
    }
    bytes = StreamSize(s);
    CloseTextFile(s);
    if (n != lines) state.SkipWithError("line count mismatch");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadLineFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same file through the ReadLine every stream inherits (one Read call per byte).
void BM_ReadLineGeneric(benchmark::State& state) {
  int64_t lines = 0;
  const std::string& path = TestFile(&lines);
  int64_t bytes = 0;
  for (auto _ : state) {
    StreamRef s = OpenReadFile(std::string_view(path));
    while (!Eof(s)) benchmark::DoNotOptimize(s->TStream::ReadLine());
    bytes = StreamSize(s);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadLineGeneric)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ParseInt(benchmark::State& state) {
  const String texts[] = {u"1234567", u"  -$7fff", u"%101101", u"score"};
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ParseInt(texts[i++ & 3]));
}
BENCHMARK(BM_ParseInt);

}  // namespace
