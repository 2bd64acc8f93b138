// Mixer cost: 16 playing voices (mono and stereo, at and off the device rate,
// with volume and pan) rendered in 1024-frame buffers at 44100 Hz stereo.
// "core_pct" is the share of one core, in percent, the mixer needs to keep up in
// real time (Google Benchmark prints this inverted rate with an "s" suffix).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "media/audio/mixer.h"

namespace {

std::shared_ptr<const TPcmBlock> Tone(int channels, int hertz, int frames) {
  auto b = std::make_shared<TPcmBlock>();
  b->channels = channels;
  b->hertz = hertz;
  b->length = frames;
  b->data.resize(static_cast<size_t>(frames) * channels);
  for (size_t i = 0; i < b->data.size(); ++i) b->data[i] = static_cast<int16_t>(8000 * std::sin(i * 0.05));
  return b;
}

void BM_Mix(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const int frames = 1024;
  TAudioMixer mixer(44100);
  const int rates[] = {44100, 22050, 11025, 32000};
  for (int i = 0; i < voices; ++i) {
    VoiceHandle v = mixer.CreateVoice(Tone(1 + i % 2, rates[i % 4], 30000 + 977 * i));
    mixer.SetVolume(v, -100 * i);
    mixer.SetPan(v, (i % 3 - 1) * 1500);
    if (i % 5 == 4) mixer.SetFrequency(v, 37000);
    mixer.Play(v, true);
  }
  std::vector<int16_t> out(frames * 2);
  for (auto _ : state) {
    mixer.Mix(out.data(), frames);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["core_pct"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * frames / 4410000.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Mix)->Arg(1)->Arg(16)->Arg(64);

}  // namespace
