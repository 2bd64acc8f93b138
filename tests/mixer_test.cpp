// The mixer: exact output for known data, volume, pan and rate; looping and
// ending without jumps; stop keeping the position; summing and clipping.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "media/audio/mixer.h"
#include "media/audio/sample.h"

namespace {

std::shared_ptr<const TPcmBlock> Block(std::vector<int16_t> values, int channels, int hertz) {
  auto b = std::make_shared<TPcmBlock>();
  b->length = static_cast<int>(values.size()) / channels;
  b->data = std::move(values);
  b->channels = channels;
  b->hertz = hertz;
  return b;
}

std::vector<int16_t> Render(TAudioMixer& m, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
  m.Mix(out.data(), frames);
  return out;
}

std::vector<int16_t> Left(const std::vector<int16_t>& v) {
  std::vector<int16_t> l;
  for (size_t i = 0; i < v.size(); i += 2) l.push_back(v[i]);
  return l;
}

std::vector<int16_t> Right(const std::vector<int16_t>& v) {
  std::vector<int16_t> r;
  for (size_t i = 1; i < v.size(); i += 2) r.push_back(v[i]);
  return r;
}

TEST(Mixer, MonoAtDeviceRatePlaysExactlyOnBothSidesThenStops) {
  TAudioMixer m(44100);
  VoiceHandle v = m.CreateVoice(Block({1000, -2000, 32767, -32768}, 1, 44100));
  ASSERT_NE(v, 0u);
  EXPECT_FALSE(m.Playing(v));
  EXPECT_EQ(Render(m, 3), std::vector<int16_t>(6, 0)) << "a voice that was never started is silent";
  m.Play(v, false);
  EXPECT_TRUE(m.Playing(v));
  auto out = Render(m, 6);
  EXPECT_EQ(Left(out), (std::vector<int16_t>{1000, -2000, 32767, -32768, 0, 0}));
  EXPECT_EQ(Right(out), Left(out));
  EXPECT_FALSE(m.Playing(v));
  EXPECT_EQ(m.Position(v), 0);
}

TEST(Mixer, StereoKeepsItsSides) {
  TAudioMixer m(22050);
  VoiceHandle v = m.CreateVoice(Block({100, -100, 200, -200}, 2, 22050));
  m.Play(v, false);
  EXPECT_EQ(Render(m, 3), (std::vector<int16_t>{100, -100, 200, -200, 0, 0}));
}

TEST(Mixer, VolumeAndPanInHundredthsOfADecibel) {
  const std::vector<int16_t> data{10000, -20000, 30000};
  struct Case {
    int volume, pan;
    double gl, gr;
  };
  const Case cases[] = {
      {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
      {0, 2000, 0.1, 1.0},                          // positive pan lowers the left side
      {0, -4000, 1.0, 0.01},                        // negative pan lowers the right side
      {-1000, 1000, std::pow(10.0, -1.0), std::pow(10.0, -0.5)},
      {-10000, 0, 1e-5, 1e-5},                      // the floor is practically silent
      {500, 20000, std::pow(10.0, -5.0), 1.0},      // out of range: clamped to 0 and 10000
  };
  for (const Case& c : cases) {
    TAudioMixer m(44100);
    VoiceHandle v = m.CreateVoice(Block(data, 1, 44100));
    m.SetVolume(v, c.volume);
    m.SetPan(v, c.pan);
    m.Play(v, false);
    auto out = Render(m, 3);
    for (size_t i = 0; i < data.size(); ++i) {
      EXPECT_EQ(out[2 * i], std::lrint(data[i] * c.gl)) << "volume " << c.volume << " pan " << c.pan << " frame " << i;
      EXPECT_EQ(out[2 * i + 1], std::lrint(data[i] * c.gr)) << "volume " << c.volume << " pan " << c.pan << " frame " << i;
    }
  }
}

TEST(Mixer, HalfRateInterpolatesAndEndsByGlidingToSilence) {
  TAudioMixer m(44100);
  VoiceHandle v = m.CreateVoice(Block({1000, 3000, -1000}, 1, 22050));
  EXPECT_EQ(m.Frequency(v), 22050);
  m.Play(v, false);
  auto out = Render(m, 8);
  // Midpoints between frames; after the last frame the voice glides to 0.
  EXPECT_EQ(Left(out), (std::vector<int16_t>{1000, 2000, 3000, 1000, -1000, -500, 0, 0}));
  EXPECT_FALSE(m.Playing(v));
}

TEST(Mixer, LoopWrapsAndGlidesIntoTheFirstFrame) {
  TAudioMixer m(44100);
  VoiceHandle v = m.CreateVoice(Block({0, 4000}, 1, 44100));
  m.Play(v, true);
  EXPECT_EQ(Left(Render(m, 5)), (std::vector<int16_t>{0, 4000, 0, 4000, 0}));
  EXPECT_TRUE(m.Playing(v));

  m.SetFrequency(v, 22050);
  m.SetPosition(v, 1);
  // From the last frame the interpolation runs towards the first, not towards 0
  // or past the end of the data.
  EXPECT_EQ(Left(Render(m, 4)), (std::vector<int16_t>{4000, 2000, 0, 2000}));
}

TEST(Mixer, ArbitraryRateStaysBetweenNeighboursAndEndsInTime) {
  TAudioMixer m(44100);
  std::vector<int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<int16_t>(i * 100));
  VoiceHandle v = m.CreateVoice(Block(ramp, 1, 30000));
  m.Play(v, false);
  auto left = Left(Render(m, 200));
  // A linear ramp resampled linearly stays on the ramp: value = t * 30000/44100 * 100.
  for (int n = 0; n < 140; ++n) EXPECT_NEAR(left[n], n * 30000.0 / 44100.0 * 100.0, 1.0) << n;
  // 100 frames at 30000 Hz last 147 output frames; then the voice is done.
  EXPECT_EQ(left[148], 0);
  EXPECT_FALSE(m.Playing(v));
}

TEST(Mixer, StopKeepsThePositionAndPlayResumes) {
  TAudioMixer m(44100);
  VoiceHandle v = m.CreateVoice(Block({1, 2, 3, 4, 5, 6}, 1, 44100));
  m.Play(v, true);
  EXPECT_EQ(Left(Render(m, 2)), (std::vector<int16_t>{1, 2}));
  m.Stop(v);
  EXPECT_FALSE(m.Playing(v));
  EXPECT_EQ(m.Position(v), 2);
  EXPECT_EQ(Left(Render(m, 2)), (std::vector<int16_t>{0, 0}));
  m.Play(v, true);
  EXPECT_EQ(Left(Render(m, 6)), (std::vector<int16_t>{3, 4, 5, 6, 1, 2}));
  m.SetPosition(v, 99);
  EXPECT_EQ(m.Position(v), 6) << "positions are clamped to the length";
}

TEST(Mixer, VoicesAreSummedAndClippedOnce) {
  TAudioMixer m(44100);
  VoiceHandle a = m.CreateVoice(Block({30000, -30000, 30000, 100}, 1, 44100));
  VoiceHandle b = m.CreateVoice(Block({30000, -30000, -30000, 101}, 1, 44100));
  VoiceHandle c = m.CreateVoice(Block({-30000, 30000, 0, -200}, 1, 44100));
  m.Play(a, false);
  m.Play(b, false);
  m.Play(c, false);
  // Clipping each voice or each partial sum would give different results for the
  // first two frames; the sum is clipped only at the end.
  EXPECT_EQ(Left(Render(m, 4)), (std::vector<int16_t>{30000, -30000, 0, 1}));

  TAudioMixer loud(44100);
  VoiceHandle x = loud.CreateVoice(Block({30000, -30000}, 1, 44100));
  VoiceHandle y = loud.CreateVoice(Block({30000, -30000}, 1, 44100));
  loud.Play(x, false);
  loud.Play(y, false);
  EXPECT_EQ(Left(Render(loud, 2)), (std::vector<int16_t>{32767, -32768}));
}

TEST(Mixer, SharedBlockGivesIndependentVoices) {
  TAudioMixer m(44100);
  auto block = Block({10, 20, 30, 40}, 1, 44100);
  VoiceHandle a = m.CreateVoice(block);
  VoiceHandle b = m.CreateVoice(block);
  m.Play(a, false);
  Render(m, 2);
  m.Play(b, false);
  m.SetVolume(b, -10000);
  EXPECT_EQ(Left(Render(m, 2)), (std::vector<int16_t>{30, 40}));
  EXPECT_EQ(m.Position(a), 0) << "a finished";
  EXPECT_EQ(m.Position(b), 2);
  EXPECT_EQ(block.use_count(), 3);
  m.ReleaseVoice(a);
  m.ReleaseVoice(b);
  EXPECT_EQ(block.use_count(), 1);
}

TEST(Mixer, HandlesAreCheckedAndTheVoiceCountIsBounded) {
  TAudioMixer m(44100);
  auto block = Block({5}, 1, 44100);
  std::vector<VoiceHandle> voices;
  for (int i = 0; i < TAudioMixer::kMaxVoices; ++i) voices.push_back(m.CreateVoice(block));
  EXPECT_EQ(m.CreateVoice(block), 0u);
  EXPECT_EQ(m.VoiceCount(), TAudioMixer::kMaxVoices);
  VoiceHandle old = voices[7];
  m.ReleaseVoice(old);
  VoiceHandle fresh = m.CreateVoice(block);
  ASSERT_NE(fresh, 0u);
  EXPECT_NE(fresh, old) << "a reused slot gets a new handle";
  // The released handle no longer reaches the slot's new voice.
  m.Play(old, true);
  EXPECT_FALSE(m.Playing(fresh));
  m.ReleaseVoice(old);
  EXPECT_EQ(m.VoiceCount(), TAudioMixer::kMaxVoices);
  EXPECT_FALSE(m.Playing(0));
  EXPECT_EQ(m.CreateVoice(nullptr), 0u);
}

TEST(Mixer, EmptyBlocksAndExtremeFrequenciesAreHarmless) {
  TAudioMixer m(44100);
  VoiceHandle empty = m.CreateVoice(Block({}, 1, 44100));
  m.Play(empty, true);
  EXPECT_EQ(Render(m, 16), std::vector<int16_t>(32, 0));
  EXPECT_FALSE(m.Playing(empty));

  VoiceHandle fast = m.CreateVoice(Block({7, 8, 9}, 1, 44100));
  m.SetFrequency(fast, 2000000000);
  EXPECT_EQ(m.Frequency(fast), TAudioMixer::kMaxFrequency);
  m.Play(fast, true);
  // About 24 block frames go by per output frame; every value lies between two
  // neighbours of the looping block, so within 7 to 9, and the first is 7.
  const auto out = Render(m, 64);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(Left(out), Right(out));
  for (int16_t v : out) EXPECT_TRUE(v >= 7 && v <= 9) << v;
  EXPECT_TRUE(m.Playing(fast));
  EXPECT_LT(m.Position(fast), 3);

  VoiceHandle still = m.CreateVoice(Block({9, 8}, 1, 44100));
  m.SetFrequency(still, -5);
  EXPECT_EQ(m.Frequency(still), 0);
  m.ReleaseVoice(fast);
  m.Play(still, false);
  EXPECT_EQ(Left(Render(m, 3)), (std::vector<int16_t>{9, 9, 9}));
  EXPECT_EQ(m.Position(still), 0);
}

TEST(PcmBlock, ConvertsEverySampleFormat) {
  uint8_t mono8[] = {0, 128, 255};
  auto s = TAudioSample::CreateStatic(mono8, 3, 8000, SF_MONO8);
  auto b = TPcmBlock::FromSample(*s);
  EXPECT_EQ(b->data, (std::vector<int16_t>{-32768, 0, 32512}));
  EXPECT_EQ(b->channels, 1);
  EXPECT_EQ(b->hertz, 8000);

  uint8_t le[] = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F};
  b = TPcmBlock::FromSample(*TAudioSample::CreateStatic(le, 2, 1, SF_STEREO16LE));
  EXPECT_EQ(b->data, (std::vector<int16_t>{0x1234, -1, -32768, 32767}));
  EXPECT_EQ(b->channels, 2);
  EXPECT_EQ(b->length, 2);

  uint8_t be[] = {0x12, 0x34, 0x80, 0x00};
  EXPECT_EQ(TPcmBlock::FromSample(*TAudioSample::CreateStatic(be, 2, 1, SF_MONO16BE))->data,
            (std::vector<int16_t>{0x1234, -32768}));
  EXPECT_EQ(TPcmBlock::FromSample(*TAudioSample::CreateStatic(be, 1, 1, SF_STEREO16BE))->data,
            (std::vector<int16_t>{0x1234, -32768}));
  uint8_t st8[] = {1, 254};
  EXPECT_EQ(TPcmBlock::FromSample(*TAudioSample::CreateStatic(st8, 1, 1, SF_STEREO8))->data,
            (std::vector<int16_t>{-32512, 32256}));

  TAudioSample none;
  EXPECT_EQ(TPcmBlock::FromSample(none), nullptr);
}

TEST(AudioSample, FormatTableAndAllocation) {
  const int bytes[] = {0, 1, 2, 2, 2, 4, 4};
  const int channels[] = {0, 1, 1, 1, 2, 2, 2};
  for (int f = 0; f <= 6; ++f) {
    EXPECT_EQ(BytesPerFrame(f), bytes[f]) << f;
    EXPECT_EQ(ChannelsPerFrame(f), channels[f]) << f;
  }
  EXPECT_EQ(BytesPerFrame(7), 0);
  auto s = TAudioSample::Create(10, 22050, SF_STEREO16LE);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->capacity, 40);
  EXPECT_EQ(s->ByteCount(), 40);
  EXPECT_EQ(TAudioSample::Create(-1, 1, SF_MONO8), nullptr);
  EXPECT_EQ(TAudioSample::Create(1, 1, SF_NONE), nullptr);
  EXPECT_EQ(TAudioSample::Create(0x40000000, 1, SF_STEREO16LE), nullptr) << "no 4 GB sample";
  uint8_t bytes2[2] = {};
  EXPECT_EQ(TAudioSample::CreateStatic(bytes2, 1, 1, SF_MONO16LE)->capacity, -1);
}

// The game thread changes voices while the audio thread mixes.
TEST(Mixer, GameThreadAndAudioThreadShareVoicesSafely) {
  TAudioMixer m(44100);
  auto block = Block(std::vector<int16_t>(500, 1000), 1, 44100);
  std::atomic<bool> done{false};
  std::atomic<long> mixed{0};
  // A bad sample stops the audio thread and is checked on this thread: an
  // assertion over there would end only the audio loop and leave the wait below
  // spinning.
  std::atomic<int> bad{0};
  std::thread audio([&] {
    std::vector<int16_t> out(512 * 2);
    while (!done) {
      m.Mix(out.data(), 512);
      for (int16_t s : out) {
        if (s != 0 && s % 1000 != 0 && std::abs(s) != 32767) {
          bad = s;
          done = true;
        }
      }
      ++mixed;
    }
  });
  std::vector<VoiceHandle> live;
  for (int i = 0; i < 3000; ++i) {
    VoiceHandle v = m.CreateVoice(block);
    m.Play(v, i % 3 == 0);
    m.SetFrequency(v, 44100);
    live.push_back(v);
    if (live.size() > 20) {
      m.ReleaseVoice(live.front());
      live.erase(live.begin());
    }
  }
  while (mixed < 5 && !done) std::this_thread::yield();
  done = true;
  audio.join();
  EXPECT_EQ(bad, 0) << "the audio thread mixed a sample no sum of the voices gives";
  for (VoiceHandle v : live) m.ReleaseVoice(v);
  EXPECT_EQ(m.VoiceCount(), 0);
}

}  // namespace
