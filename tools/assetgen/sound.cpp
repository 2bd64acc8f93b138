#include "sound.h"

#include <algorithm>
#include <cmath>

#include "gfx.h"

namespace gen {

namespace {

constexpr int kRate = 22050;
constexpr double kTau = 6.283185307179586;

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Deterministic white noise in -1..1.
class WhiteNoise {
 public:
  explicit WhiteNoise(uint32_t seed) : rng_(seed) {}
  double operator()() { return rng_.Uniform() * 2.0 - 1.0; }

 private:
  Rng rng_;
};

// One-pole low-pass filter.
struct LowPass {
  double y = 0;
  double operator()(double x, double cutoff) {
    double a = 1 - std::exp(-kTau * cutoff / kRate);
    y += a * (x - y);
    return y;
  }
};

// State-variable band-pass (and low-pass) filter.
struct Svf {
  double low = 0, band = 0;
  double operator()(double x, double cutoff, double q) {
    double f = 2 * std::sin(kTau * 0.5 * std::min(cutoff, kRate * 0.2) / kRate);
    low += f * band;
    double high = x - low - band / q;
    band += f * high;
    return band;
  }
};

// Soft square: a square wave rounded by its first harmonics only.
double SoftSquare(double phase, int harmonics) {
  double s = 0;
  for (int k = 1; k <= harmonics * 2; k += 2) s += std::sin(kTau * phase * k) / k;
  return s * 4 / kTau * 1.1;
}

double Triangle(double phase) {
  double p = phase - std::floor(phase);
  return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
}

// A bell-like tone: a sine with a decaying frequency-modulation partner.
double Bell(double t, double hz, double decay) {
  double mod = std::sin(kTau * hz * 3.5 * t) * 1.8 * std::exp(-t * decay * 2);
  return std::sin(kTau * hz * t + mod) * std::exp(-t * decay);
}

Audio Finish(std::vector<double> x, double peak) {
  // Short fades keep the ends silent; then scale to the wanted peak.
  size_t fade = std::min<size_t>(x.size() / 4, kRate / 200);
  for (size_t i = 0; i < fade; ++i) {
    double k = double(i) / double(fade);
    x[i] *= k;
    x[x.size() - 1 - i] *= k;
  }
  double m = 1e-9;
  for (double v : x) m = std::max(m, std::fabs(v));
  Audio a;
  a.samples.reserve(x.size());
  for (double v : x) a.samples.push_back(int16_t(std::lround(v / m * peak * 32767)));
  return a;
}

std::vector<double> Buffer(double seconds) { return std::vector<double>(size_t(seconds * kRate), 0.0); }

}  // namespace

Audio GetSound() {
  auto x = Buffer(0.42);
  const double notes[2] = {NoteHz(88), NoteHz(95)};  // E6, B6
  for (int n = 0; n < 2; ++n) {
    size_t start = size_t(n * 0.065 * kRate);
    for (size_t i = start; i < x.size(); ++i) {
      double t = double(i - start) / kRate;
      double attack = std::min(1.0, t / 0.003);
      double v = Bell(t, notes[n], 9) * 0.8 + std::sin(kTau * notes[n] * 2 * t) * std::exp(-t * 22) * 0.25;
      x[i] += v * attack * (n ? 1.0 : 0.7);
    }
  }
  return Finish(x, 0.85);
}

Audio HoleSound() {
  auto x = Buffer(0.95);
  // A falling plop into the hole...
  double phase = 0;
  for (size_t i = 0; i < size_t(0.16 * kRate); ++i) {
    double t = double(i) / kRate;
    double hz = 700 * std::exp(-t * 9) + 160;
    phase += hz / kRate;
    x[i] += std::sin(kTau * phase) * std::exp(-t * 14) * 0.9;
  }
  // ...then a rising arpeggio that rings out: C5 E5 G5 C6 E6.
  const int notes[5] = {72, 76, 79, 84, 88};
  for (int n = 0; n < 5; ++n) {
    size_t start = size_t((0.12 + n * 0.07) * kRate);
    for (size_t i = start; i < x.size(); ++i) {
      double t = double(i - start) / kRate;
      double hz = NoteHz(notes[n]);
      double v = Bell(t, hz, 5.5) * 0.55 + Triangle(hz * t) * std::exp(-t * 12) * 0.25;
      x[i] += v * std::min(1.0, t / 0.004);
    }
  }
  return Finish(x, 0.85);
}

Audio BiteSound() {
  auto x = Buffer(0.62);
  WhiteNoise noise(5);
  // Two snapping bites: a noise burst swept down through a band-pass and a
  // low thump.
  for (int b = 0; b < 2; ++b) {
    size_t start = size_t(b * 0.13 * kRate);
    Svf f;
    double thump = 0;
    for (size_t i = start; i < start + size_t(0.11 * kRate); ++i) {
      double t = double(i - start) / kRate;
      double env = std::exp(-t * 38) * std::min(1.0, t / 0.002);
      double nz = f(noise(), 3200 * std::exp(-t * 18) + 500, 2.5);
      thump += (150 * std::exp(-t * 25) + 55) / kRate;
      x[i] += (nz * 1.3 + std::sin(kTau * thump) * 0.9) * env;
    }
  }
  // A sulky falling "wah" after the bites.
  LowPass lp;
  double phase = 0;
  size_t start = size_t(0.27 * kRate);
  for (size_t i = start; i < x.size(); ++i) {
    double t = double(i - start) / kRate;
    double hz = 330 * std::pow(0.55, t / 0.3);
    phase += hz / kRate;
    double env = std::min(1.0, t / 0.02) * std::exp(-t * 5.5);
    double cutoff = 300 + 1800 * std::exp(-t * 6) * (0.6 + 0.4 * std::sin(kTau * 7 * t));
    x[i] += lp(SoftSquare(phase, 6), cutoff) * env * 0.7;
  }
  return Finish(x, 0.9);
}

Audio MenuSound() {
  auto x = Buffer(0.09);
  WhiteNoise noise(9);
  for (size_t i = 0; i < x.size(); ++i) {
    double t = double(i) / kRate;
    double click = noise() * std::exp(-t * 900) * 0.5;
    double blip = (std::sin(kTau * 1046.5 * t) + 0.4 * std::sin(kTau * 2093 * t)) * std::exp(-t * 55);
    x[i] = (click + blip) * std::min(1.0, t / 0.001);
  }
  return Finish(x, 0.7);
}

Audio PowerUpSound() {
  auto x = Buffer(0.75);
  // A quick climbing arpeggio over two octaves, then a shimmering chord.
  const int steps[12] = {60, 64, 67, 72, 64, 67, 72, 76, 67, 72, 76, 79};
  double phase = 0;
  LowPass lp;
  for (size_t i = 0; i < size_t(0.42 * kRate); ++i) {
    double t = double(i) / kRate;
    int s = std::min(11, int(t / 0.035));
    double hz = NoteHz(steps[s]) * (1 + 0.01 * std::sin(kTau * 11 * t));
    phase += hz / kRate;
    double local = t - s * 0.035;
    double env = std::min(1.0, local / 0.003) * (0.55 + 0.45 * std::exp(-local * 40));
    x[i] += lp(SoftSquare(phase, 5), 3500) * env * 0.55;
  }
  const int chord[3] = {84, 88, 91};
  for (int n = 0; n < 3; ++n) {
    size_t start = size_t(0.40 * kRate);
    for (size_t i = start; i < x.size(); ++i) {
      double t = double(i - start) / kRate;
      double hz = NoteHz(chord[n]) * (1 + 0.004 * std::sin(kTau * 6 * t + n));
      x[i] += Bell(t, hz, 6) * 0.35 * std::min(1.0, t / 0.01);
    }
  }
  return Finish(x, 0.85);
}

namespace {

// The loop is rendered into a ring: every sound that runs past the end
// continues from the start, so the last sample leads smoothly into the first.
class Ring {
 public:
  explicit Ring(size_t frames) : l_(frames, 0.0), r_(frames, 0.0) {}
  size_t size() const { return l_.size(); }
  void Add(size_t frame, double v, double pan) {  // pan -1 left .. 1 right
    size_t i = frame % l_.size();
    l_[i] += v * std::sqrt(0.5 * (1 - pan));
    r_[i] += v * std::sqrt(0.5 * (1 + pan));
  }
  void AddRing(const Ring& o, size_t delay, double gain, bool swap) {
    for (size_t i = 0; i < size(); ++i) {
      size_t j = (i + delay) % size();
      l_[j] += (swap ? o.r_[i] : o.l_[i]) * gain;
      r_[j] += (swap ? o.l_[i] : o.r_[i]) * gain;
    }
  }
  std::vector<double> l_, r_;
};

constexpr double kBeat = 0.5;  // 120 beats per minute
constexpr size_t kSixteenth = size_t(kRate * kBeat / 4);

struct Note {
  int midi;  // 0 = rest
  int len;   // sixteenths
};

// Chords per bar: root (MIDI) and whether minor.
struct Chord {
  int root;
  bool minor;
};

const Chord kChords[16] = {
    {57, true}, {53, false}, {48, false}, {55, false}, {57, true}, {53, false}, {55, false}, {52, false},
    {53, false}, {55, false}, {52, true}, {57, true}, {50, true}, {55, false}, {48, false}, {52, false},
};

const std::vector<Note> kMelody = {
    // Bars 1-8.
    {76, 4}, {81, 2}, {83, 2}, {84, 6}, {83, 2},
    {81, 4}, {77, 2}, {81, 2}, {84, 4}, {81, 4},
    {79, 4}, {76, 2}, {79, 2}, {84, 2}, {83, 2}, {79, 4},
    {74, 8}, {0, 2}, {71, 2}, {74, 2}, {79, 2},
    {76, 4}, {81, 2}, {83, 2}, {84, 4}, {88, 4},
    {89, 6}, {88, 2}, {86, 2}, {84, 2}, {81, 4},
    {83, 2}, {84, 2}, {86, 4}, {79, 4}, {83, 4},
    {80, 8}, {76, 4}, {0, 4},
    // Bars 9-16.
    {84, 2}, {81, 2}, {77, 2}, {81, 2}, {84, 4}, {86, 4},
    {83, 2}, {79, 2}, {74, 2}, {79, 2}, {83, 4}, {86, 4},
    {88, 6}, {86, 2}, {83, 4}, {79, 4},
    {81, 8}, {84, 4}, {88, 4},
    {89, 4}, {88, 2}, {86, 2}, {81, 4}, {86, 4},
    {86, 2}, {84, 2}, {83, 2}, {81, 2}, {79, 4}, {83, 4},
    {84, 4}, {88, 4}, {91, 4}, {88, 4},
    {83, 4}, {80, 4}, {76, 4}, {71, 4},
};

void Lead(Ring& ring, size_t start, double hz, size_t len) {
  double phase = 0;
  LowPass lp;
  size_t total = len + size_t(0.25 * kRate);
  for (size_t i = 0; i < total; ++i) {
    double t = double(i) / kRate;
    double vib = 1 + 0.006 * std::sin(kTau * 5.5 * t) * Smooth(0.1f, 0.3f, float(t));
    phase += hz * vib / kRate;
    double gate = i < len ? 1.0 : std::exp(-double(i - len) / kRate * 30);
    double env = std::min(1.0, t / 0.01) * (0.7 + 0.3 * std::exp(-t * 6)) * gate;
    double v = lp(SoftSquare(phase, 4) * 0.6 + Triangle(phase) * 0.5, 2600);
    ring.Add(start + i, v * env * 0.30, 0.2);
  }
}

void Bass(Ring& ring, size_t start, double hz, size_t len) {
  LowPass lp;
  for (size_t i = 0; i < len; ++i) {
    double t = double(i) / kRate;
    double env = std::min(1.0, t / 0.004) * std::exp(-t * 5) * Smooth(float(len), float(len) - 200, float(i));
    double v = Triangle(hz * t) * 0.8 + SoftSquare(hz * t, 3) * 0.35;
    ring.Add(start + i, lp(v, 900) * env * 0.42, -0.05);
  }
}

void Pluck(Ring& ring, size_t start, double hz, double pan, double gain) {
  LowPass lp;
  size_t len = size_t(0.22 * kRate);
  for (size_t i = 0; i < len; ++i) {
    double t = double(i) / kRate;
    double env = std::min(1.0, t / 0.002) * std::exp(-t * 14);
    double v = lp(SoftSquare(hz * t, 6) * 0.5 + std::sin(kTau * hz * t) * 0.5, 1800 + 2500 * std::exp(-t * 30));
    ring.Add(start + i, v * env * gain, pan);
  }
}

void Pad(Ring& ring, size_t start, const int (&notes)[3], size_t len) {
  LowPass lp1, lp2;
  for (size_t i = 0; i < len + size_t(0.3 * kRate); ++i) {
    double t = double(i) / kRate;
    double env = std::min(1.0, t / 0.25) * (i < len ? 1.0 : std::exp(-double(i - len) / kRate * 8));
    double l = 0, r = 0;
    for (int n = 0; n < 3; ++n) {
      double hz = NoteHz(notes[n]);
      l += Triangle(hz * 1.003 * t + n * 0.3);
      r += Triangle(hz * 0.997 * t + n * 0.6);
    }
    ring.Add(start + i, lp1(l, 1200) * env * 0.05, -0.7);
    ring.Add(start + i, lp2(r, 1200) * env * 0.05, 0.7);
  }
}

void Kick(Ring& ring, size_t start, double gain) {
  double phase = 0;
  for (size_t i = 0; i < size_t(0.28 * kRate); ++i) {
    double t = double(i) / kRate;
    phase += (110 * std::exp(-t * 28) + 46) / kRate;
    ring.Add(start + i, std::sin(kTau * phase) * std::exp(-t * 11) * std::min(1.0, t / 0.001) * gain, 0);
  }
}

void Snare(Ring& ring, size_t start, WhiteNoise& noise, double gain) {
  Svf f;
  for (size_t i = 0; i < size_t(0.2 * kRate); ++i) {
    double t = double(i) / kRate;
    double tone = std::sin(kTau * 190 * t) * std::exp(-t * 30);
    double nz = f(noise(), 2400, 0.8) * std::exp(-t * 18);
    ring.Add(start + i, (tone * 0.5 + nz * 1.1) * std::min(1.0, t / 0.001) * gain, -0.1);
  }
}

void Hat(Ring& ring, size_t start, WhiteNoise& noise, double decay, double gain) {
  double prev = 0;
  for (size_t i = 0; i < size_t(0.12 * kRate); ++i) {
    double t = double(i) / kRate;
    double n = noise();
    double hp = n - prev;  // crude high-pass
    prev = n;
    ring.Add(start + i, hp * std::exp(-t * decay) * gain, 0.35);
  }
}

}  // namespace

Audio MusicLoop() {
  const size_t bar = kSixteenth * 16;
  Ring mix(bar * 16), lead(bar * 16);
  WhiteNoise noise(77);
  for (int b = 0; b < 16; ++b) {
    const Chord& ch = kChords[b];
    int third = ch.root + (ch.minor ? 3 : 4), fifth = ch.root + 7;
    size_t bar_start = size_t(b) * bar;
    // Bass: a bouncing line of eighths.
    const int pattern[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    for (int e = 0; e < 8; ++e)
      Bass(mix, bar_start + size_t(e) * 2 * kSixteenth, NoteHz(ch.root - 12 + pattern[e]), 2 * kSixteenth - 40);
    // Arpeggio of sixteenths, two octaves up, alternating sides.
    const int arp[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    const int tones[4] = {ch.root + 12, third + 12, fifth + 12, ch.root + 24};
    for (int s = 0; s < 16; ++s)
      Pluck(mix, bar_start + size_t(s) * kSixteenth, NoteHz(tones[arp[s % 8]]), (s % 2) ? 0.45 : -0.45,
            b < 8 ? 0.09 : 0.11);
    // A soft pad in the second half.
    if (b >= 8) {
      const int pad[3] = {ch.root + 12, third + 12, fifth + 12};
      Pad(mix, bar_start, pad, bar);
    }
    // Drums.
    for (int beat = 0; beat < 4; ++beat) {
      size_t at = bar_start + size_t(beat) * 4 * kSixteenth;
      if (beat % 2 == 0) Kick(mix, at, 0.75);
      else Snare(mix, at, noise, 0.32);
      Hat(mix, at + 2 * kSixteenth, noise, 60, 0.10);
      Hat(mix, at, noise, 90, 0.06);
    }
    if (b % 4 == 3) Kick(mix, bar_start + 14 * kSixteenth, 0.5);
    if (b == 7 || b == 15) {  // little fills into the next section
      Snare(mix, bar_start + 13 * kSixteenth, noise, 0.22);
      Snare(mix, bar_start + 15 * kSixteenth, noise, 0.26);
      Hat(mix, bar_start + 14 * kSixteenth, noise, 14, 0.08);
    }
  }
  size_t at = 0;
  for (const Note& n : kMelody) {
    size_t len = size_t(n.len) * kSixteenth;
    if (n.midi) Lead(lead, at, NoteHz(n.midi - 12), len - 60);
    at += len;
  }
  mix.AddRing(lead, 0, 1.0, false);
  // Echo of the melody, dotted eighth, to both sides.
  mix.AddRing(lead, 3 * kSixteenth, 0.32, true);
  mix.AddRing(lead, 6 * kSixteenth, 0.16, false);

  Audio a;
  a.channels = 2;
  double peak = 1e-9;
  for (size_t i = 0; i < mix.size(); ++i) peak = std::max({peak, std::fabs(mix.l_[i]), std::fabs(mix.r_[i])});
  const double gain = 0.89 / std::tanh(1.2);
  a.samples.reserve(mix.size() * 2);
  for (size_t i = 0; i < mix.size(); ++i) {
    a.samples.push_back(int16_t(std::lround(std::tanh(mix.l_[i] / peak * 1.2) * gain * 32767)));
    a.samples.push_back(int16_t(std::lround(std::tanh(mix.r_[i] / peak * 1.2) * gain * 32767)));
  }
  return a;
}

}  // namespace gen
