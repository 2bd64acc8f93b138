// The audio devices: the headless device's pacing and WAV output, and the SDL
// device on SDL's file-writing and dummy drivers (no sound card needed).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "media/platform/audio_devices.h"
#include "support/audio_support.h"

namespace {

using namespace audio_test;

// A callback that writes a running frame counter to both sides.
struct Counter {
  int next = 0;
  platform::AudioCallback Callback() {
    return [this](int16_t* out, int frames) {
      for (int i = 0; i < frames; ++i, ++next) {
        out[2 * i] = static_cast<int16_t>(next);
        out[2 * i + 1] = static_cast<int16_t>(-next);
      }
    };
  }
};

TEST(HeadlessAudio, PacesFramesByTheVirtualClockAndKeepsTheWavValid) {
  std::string path = TempDir("headless_audio") + "/out.wav";
  Counter counter;
  {
    platform::HeadlessAudioDevice device(44100, counter.Callback(), path);
    EXPECT_EQ(device.Rate(), 44100);
    Wav16 empty = ReadWav16(path);
    EXPECT_EQ(empty.error, "");
    EXPECT_TRUE(empty.values.empty());

    // 16 ms frames of a 62.5 Hz loop: 705.6 sample frames each, fractions carried.
    for (int i = 0; i < 5; ++i) device.Advance(16);
    EXPECT_EQ(counter.next, 3528);
    Wav16 partial = ReadWav16(path);  // the header is valid while the file is open
    EXPECT_EQ(partial.error, "");
    EXPECT_EQ(partial.values.size(), 3528u * 2);

    device.Advance(0);
    for (int i = 0; i < 1000 - 80; ++i) device.Advance(1);
    EXPECT_EQ(counter.next, 44100) << "one virtual second is 44100 frames";
    device.Advance(3000);  // larger than the device's chunk: several callbacks
    EXPECT_EQ(counter.next, 44100 * 4);
  }
  Wav16 wav = ReadWav16(path);
  ASSERT_EQ(wav.error, "");
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.rate, 44100);
  ASSERT_EQ(wav.values.size(), 44100u * 4 * 2);
  for (size_t f = 0; f < wav.values.size() / 2; f += 997) {
    ASSERT_EQ(wav.values[2 * f], static_cast<int16_t>(f)) << f;
    ASSERT_EQ(wav.values[2 * f + 1], static_cast<int16_t>(-static_cast<int>(f))) << f;
  }
}

TEST(HeadlessAudio, RunsWithoutAFileAndRefusesAnUnwritablePath) {
  Counter counter;
  platform::HeadlessAudioDevice device(22050, counter.Callback(), "");
  device.Advance(2000);
  EXPECT_EQ(counter.next, 44100);
  device.Lock();  // the guard may be taken again on the same thread
  device.Advance(1000);
  device.Unlock();
  EXPECT_EQ(counter.next, 66150);

  std::string bad = TempDir("headless_audio_bad") + "/missing/folder/out.wav";
  try {
    platform::HeadlessAudioDevice failing(44100, counter.Callback(), bad);
    FAIL() << "an unwritable audio file must not be ignored";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
  }
}

TEST(SdlAudio, FeedsTheDeviceFromTheCallback) {
  std::string raw = TempDir("sdl_audio") + "/out.raw";
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", raw);
  ScopedEnv delay("SDL_DISKAUDIODELAY", "1");
  // The callback's frames are never silent (1 .. 30000 on the left, negated on the
  // right), so they can be told from the silence SDL writes while the device is
  // still paused between opening and starting.
  struct Feed {
    std::mutex lock;
    std::condition_variable fed;
    int next = 0;
    int calls = 0;
  } feed;
  auto value = [](int frame) { return static_cast<int16_t>(1 + frame % 30000); };
  auto device = platform::OpenSdlAudio(44100, [&](int16_t* out, int frames) {
    std::lock_guard<std::mutex> hold(feed.lock);
    for (int i = 0; i < frames; ++i, ++feed.next) {
      out[2 * i] = value(feed.next);
      out[2 * i + 1] = static_cast<int16_t>(-value(feed.next));
    }
    ++feed.calls;
    feed.fed.notify_all();
  });
  ASSERT_NE(device, nullptr) << "SDL's disk audio driver should always open";
  EXPECT_EQ(device->Rate(), 44100);
  {
    // The bound only turns a stuck device into a failure; no timing is checked.
    std::unique_lock<std::mutex> hold(feed.lock);
    ASSERT_TRUE(feed.fed.wait_for(hold, std::chrono::seconds(120), [&] { return feed.calls >= 8; }))
        << "the device asked for " << feed.calls << " buffers";
  }
  device.reset();  // closes the device and waits for the audio thread

  // Every buffer the callback filled went out, in order, after a silent start.
  Bytes out = ReadFile(raw);
  ASSERT_EQ(out.size() % 4, 0u);
  const size_t frames = out.size() / 4;
  auto sample = [&](size_t at) { return static_cast<int16_t>(out[at] | (out[at + 1] << 8)); };
  size_t first = 0;
  while (first < frames && sample(4 * first) == 0 && sample(4 * first + 2) == 0) ++first;
  ASSERT_EQ(frames - first, static_cast<size_t>(feed.next)) << first << " silent frames of " << frames;
  for (size_t f = 0; f < frames - first; ++f) {
    ASSERT_EQ(sample(4 * (first + f)), value(static_cast<int>(f))) << f;
    ASSERT_EQ(sample(4 * (first + f) + 2), -value(static_cast<int>(f))) << f;
  }
}

TEST(SdlAudio, NoDeviceGivesNull) {
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  Counter counter;
  EXPECT_EQ(platform::OpenSdlAudio(44100, counter.Callback()), nullptr);
}

}  // namespace
