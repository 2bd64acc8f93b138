// Sounds, channels and voices on the mixer driver, with the headless audio
// device writing what the mixer produces to a WAV file that the tests read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "media/audio/driver.h"
#include "media/audio/mixer_driver.h"
#include "media/core/strings.h"
#include "media/input/keyboard.h"
#include "media/platform/audio_devices.h"
#include "media/program/program.h"
#include "support/audio_support.h"
#include "support/headless.h"

namespace {

using namespace audio_test;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempDir("sound_test");
    out_ = dir_ + "/mix.wav";
    driver_ = std::make_unique<TMixerAudioDriver>("Test", 0, [this](int rate, platform::AudioCallback callback) {
      auto device = std::make_unique<platform::HeadlessAudioDevice>(rate, std::move(callback), out_);
      device_ = device.get();
      return device;
    });
    ASSERT_EQ(SetAudioDriver("test"), 1);
  }

  void TearDown() override {
    ShutdownAudio();
    driver_.reset();
  }

  std::shared_ptr<TSound> Load(const std::string& name, const Bytes& wav, int flags) {
    WriteFile(dir_ + "/" + name, wav);
    return LoadSound(dir_ + "/" + name, flags);
  }

  static TMixerSound& Mixed(const std::shared_ptr<TSound>& sound) { return dynamic_cast<TMixerSound&>(*sound); }
  static std::shared_ptr<TBuf> VoiceOf(const std::shared_ptr<TChannel>& channel) {
    return dynamic_cast<TMixerChannel&>(*channel).Voice();
  }
  TAudioMixer& Mixer() { return *driver_->Mixer(); }
  // The left values of the output file so far.
  std::vector<int16_t> OutputLeft() {
    Wav16 wav = ReadWav16(out_);
    EXPECT_EQ(wav.error, "");
    std::vector<int16_t> left;
    for (size_t i = 0; i < wav.values.size(); i += 2) left.push_back(wav.values[i]);
    return left;
  }

  std::string dir_;
  std::string out_;
  std::unique_ptr<TMixerAudioDriver> driver_;
  platform::HeadlessAudioDevice* device_ = nullptr;
};

// 441 frames (10 ms) of a constant 1000 at 44100 Hz.
Bytes EffectWav() { return SimpleWav(1, 44100, 16, Le16(std::vector<int16_t>(441, 1000))); }

// 1000 frames of a ramp 0, 10, 20, ... at 44100 Hz.
Bytes RampWav() {
  std::vector<int16_t> ramp;
  for (int i = 0; i < 1000; ++i) ramp.push_back(static_cast<int16_t>(i * 10));
  return SimpleWav(1, 44100, 16, Le16(ramp));
}

// On the silent driver every operation the game uses succeeds and nothing plays.
void ExpectSilentPlay(const std::shared_ptr<TSound>& sound) {
  ASSERT_NE(sound, nullptr) << "the silent driver still makes sounds";
  auto channel = StartSound(sound);
  ASSERT_NE(channel, nullptr);
  SetChannelLoudness(channel, 0.4f);
  HoldChannel(channel);
  ReleaseChannel(channel);
  EXPECT_EQ(channel->Playing(), 0);
  EXPECT_NE(AudioDriver().AllocChannel(), nullptr);
}

TEST_F(SoundTest, QuickPlaysOverlapOnNewVoicesAndFinishedVoicesAreReused) {
  auto fx = Load("get.wav", EffectWav(), 0);
  ASSERT_NE(fx, nullptr);
  TMixerSound& sound = Mixed(fx);
  ASSERT_EQ(sound.VoiceCount(), 1);
  std::shared_ptr<TBuf> loaded = sound._bufs.front();

  StartSound(fx);
  EXPECT_TRUE(loaded->Playing()) << "the effect plays on after its channel is dropped";
  EXPECT_EQ(sound.VoiceCount(), 1) << "the first play takes the voice made at load";
  StartSound(fx);
  StartSound(fx);
  EXPECT_EQ(sound.VoiceCount(), 3);
  EXPECT_EQ(sound._bufs.back(), loaded) << "duplicates go to the front of the list";
  EXPECT_EQ(Mixer().VoiceCount(), 3);

  device_->Advance(5);
  for (int16_t v : OutputLeft()) ASSERT_EQ(v, 3000) << "three overlapping voices";
  device_->Advance(10);
  for (const auto& buf : sound._bufs) EXPECT_FALSE(buf->Active());

  auto again = StartSound(fx);
  EXPECT_EQ(sound.VoiceCount(), 3) << "a finished voice is reused, no new one is made";
  EXPECT_EQ(Mixer().VoiceCount(), 3);
  EXPECT_EQ(VoiceOf(again), sound._bufs.front());
  EXPECT_EQ(again->Playing(), 1);
}

TEST_F(SoundTest, HoldAndReleaseKeepThePositionAndTheLoop) {
  auto music = Load("loop.wav", RampWav(), SOUND_LOOP);
  auto channel = StartSound(music);
  auto voice = VoiceOf(channel);
  ASSERT_NE(voice, nullptr);
  device_->Advance(10);  // 441 frames
  HoldChannel(channel);
  EXPECT_EQ(channel->Playing(), 0);
  EXPECT_TRUE(voice->Active()) << "a paused voice stays taken";
  device_->Advance(10);  // 441 frames of silence
  HoldChannel(channel);
  EXPECT_EQ(Mixer().Position(voice->_buffer), 441);
  ReleaseChannel(channel);
  EXPECT_EQ(channel->Playing(), 1);
  device_->Advance(20);  // 882 frames: past the end of the loop and round again
  ReleaseChannel(channel);  // already playing: nothing changes
  device_->Advance(20);
  EXPECT_EQ(channel->Playing(), 1);
  EXPECT_EQ(Mixer().Position(voice->_buffer), (441 + 882 + 882) % 1000);

  std::vector<int16_t> left = OutputLeft();
  ASSERT_EQ(left.size(), 441u * 6);
  for (int n = 0; n < 441; ++n) ASSERT_EQ(left[n], n * 10) << n;
  for (int n = 441; n < 882; ++n) ASSERT_EQ(left[n], 0) << n;
  for (int n = 882; n < 441 * 6; ++n) ASSERT_EQ(left[n], (n - 441) % 1000 * 10) << n;
}

TEST_F(SoundTest, ChannelVolumePanAndRateBecomeVoiceSettings) {
  EXPECT_EQ(VolumeToHundredths(1.0f), 0);
  EXPECT_EQ(VolumeToHundredths(0.0f), -10000);

  auto music = Load("loop.wav", RampWav(), SOUND_LOOP);
  auto channel = StartSound(music);
  VoiceHandle voice = VoiceOf(channel)->_buffer;
  EXPECT_EQ(Mixer().Volume(voice), 0);
  const std::pair<float, int> volumes[] = {{0.4f, -875}, {1.5f, 0}, {-1.0f, -10000}, {0.0f, -10000},
                                           {1.0f, 0},    {0.5f, -669}, {NAN, -10000}};
  for (auto [x, hundredths] : volumes) {
    SetChannelLoudness(channel, x);
    EXPECT_EQ(Mixer().Volume(voice), hundredths) << x;
  }
  const std::pair<float, int> pans[] = {{1.0f, 10000}, {-0.5f, -669}, {0.3f, 350}, {7.0f, 10000}, {0.0f, 0}};
  for (auto [x, hundredths] : pans) {
    channel->SetPan(x);
    EXPECT_EQ(Mixer().Pan(voice), hundredths) << x;
  }
  channel->SetRate(0.5f);
  EXPECT_EQ(Mixer().Frequency(voice), 22050);
  channel->SetRate(-3.0f);
  EXPECT_EQ(Mixer().Frequency(voice), 0);
  channel->SetRate(1.0f);
  EXPECT_EQ(Mixer().Frequency(voice), 44100);
  channel->SetDepth(0.7f);  // no effect on this driver

  // Settings made on a channel before it plays are applied when it cues a voice.
  auto fx = Load("get.wav", EffectWav(), 0);
  auto kept = AudioDriver().AllocChannel();
  SetChannelLoudness(kept, 0.4f);
  kept->SetPan(-1.0f);
  kept->SetRate(2.0f);
  EXPECT_EQ(StartSound(fx, kept), kept);
  VoiceHandle fx_voice = VoiceOf(kept)->_buffer;
  EXPECT_EQ(Mixer().Volume(fx_voice), -875);
  EXPECT_EQ(Mixer().Pan(fx_voice), -10000);
  EXPECT_EQ(Mixer().Frequency(fx_voice), 88200);
}

TEST_F(SoundTest, AChannelWhoseVoiceWasTakenNoLongerAffectsIt) {
  auto fx = Load("get.wav", EffectWav(), 0);
  auto old_channel = StartSound(fx);
  device_->Advance(20);
  EXPECT_EQ(old_channel->Playing(), 0);
  auto new_channel = StartSound(fx);
  EXPECT_EQ(Mixed(fx).VoiceCount(), 1) << "the finished voice was taken";
  VoiceHandle voice = VoiceOf(new_channel)->_buffer;

  SetChannelLoudness(old_channel, 0.0f);
  HoldChannel(old_channel);
  old_channel->SetRate(3.0f);
  old_channel->Stop();
  EXPECT_EQ(Mixer().Volume(voice), 0);
  EXPECT_EQ(Mixer().Frequency(voice), 44100);
  EXPECT_EQ(new_channel->Playing(), 1);
  EXPECT_EQ(old_channel->Playing(), 0);

  // A channel that holds a finished voice lets go of it at the next pause or resume.
  device_->Advance(20);
  ReleaseChannel(new_channel);
  EXPECT_EQ(VoiceOf(new_channel), nullptr);
  EXPECT_FALSE(Mixer().Playing(voice)) << "resuming a finished effect does not restart it";
}

TEST_F(SoundTest, DroppedChannelsLeavePlayingVoicesAndFreePausedOnes) {
  auto fx = Load("get.wav", EffectWav(), 0);
  TMixerSound& sound = Mixed(fx);
  StartSound(fx);
  device_->Advance(5);
  EXPECT_EQ(OutputLeft().back(), 1000) << "the effect is not cut short";

  {
    auto paused = StartSound(fx);
    HoldChannel(paused);
    EXPECT_EQ(sound.VoiceCount(), 2);
  }
  {
    auto cued = fx->Cue();
    EXPECT_EQ(cued->Playing(), 0);
  }
  // Neither the paused nor the cued voice is left taken: the next play reuses one.
  EXPECT_EQ(sound.VoiceCount(), 2);
  StartSound(fx);
  EXPECT_EQ(sound.VoiceCount(), 2);
}

TEST_F(SoundTest, OrphanedVoicesFinishAndAreReleased) {
  auto fx = Load("get.wav", EffectWav(), 0);
  StartSound(fx);
  StartSound(fx);
  fx.reset();
  EXPECT_EQ(driver_->LonelyCount(), 2);
  EXPECT_EQ(Mixer().VoiceCount(), 2);
  device_->Advance(5);
  EXPECT_EQ(OutputLeft().back(), 2000) << "the voices of a dropped sound play on";
  device_->Advance(10);
  auto other = Load("hole.wav", EffectWav(), 0);  // making a sound releases finished orphans
  EXPECT_EQ(driver_->LonelyCount(), 0);
  EXPECT_EQ(Mixer().VoiceCount(), 1);
}

TEST_F(SoundTest, MixerOutputForKnownVolumePanAndRate) {
  std::vector<int16_t> data;
  for (int i = 0; i < 200; ++i) data.push_back(static_cast<int16_t>((i * 3571) % 30001 - 15000));
  auto sound = Load("known.wav", SimpleWav(1, 22050, 16, Le16(data)), 0);
  auto channel = AudioDriver().AllocChannel();
  SetChannelLoudness(channel, 0.4f);  // -875
  channel->SetPan(-0.3f);             // -350: the right side is lowered
  channel->SetRate(1.5f);             // 33075 Hz: 0.75 source frames per output frame
  StartSound(sound, channel);
  device_->Advance(10);
  ShutdownAudio();

  Wav16 wav = ReadWav16(out_);
  ASSERT_EQ(wav.error, "");
  ASSERT_EQ(wav.values.size(), 441u * 2);
  const double gain = std::pow(10.0, -875 / 2000.0);
  const double right = std::pow(10.0, -350 / 2000.0);
  int max_error = 0;
  for (int n = 0; n < 441; ++n) {
    double p = n * 0.75;
    int i = static_cast<int>(p);
    double s = 0;
    if (i < 200) {
      double next = i + 1 < 200 ? data[i + 1] : 0.0;
      s = data[i] + (next - data[i]) * (p - i);
    }
    max_error = std::max(max_error, std::abs(wav.values[2 * n] - static_cast<int>(std::lrint(s * gain))));
    max_error = std::max(max_error, std::abs(wav.values[2 * n + 1] - static_cast<int>(std::lrint(s * gain * right))));
    if (n >= 267) {
      ASSERT_EQ(wav.values[2 * n], 0) << n;
    }
  }
  EXPECT_LE(max_error, 1) << "only float rounding may differ";
}

TEST_F(SoundTest, EightBitPlaysUnchangedAndStereoAtItsOwnRate) {
  auto bytes = Load("byte.wav", SimpleWav(1, 44100, 8, {0, 64, 128, 200, 255}), 0);
  StartSound(bytes);
  device_->Advance(1);  // 44 frames
  std::vector<int16_t> left = OutputLeft();
  EXPECT_EQ(std::vector<int16_t>(left.begin(), left.begin() + 6),
            (std::vector<int16_t>{-32768, -16384, 0, 18432, 32512, 0}));

  auto stereo = Load("stereo.wav", SimpleWav(2, 22050, 16, Le16({100, -100, 300, -300, 500, -500})), 0);
  auto channel = StartSound(stereo);
  EXPECT_EQ(Mixer().Frequency(VoiceOf(channel)->_buffer), 22050);
  device_->Advance(1);
  Wav16 wav = ReadWav16(out_);
  std::vector<int16_t> tail(wav.values.begin() + 44 * 2, wav.values.begin() + 44 * 2 + 14);
  EXPECT_EQ(tail, (std::vector<int16_t>{100, -100, 200, -200, 300, -300, 400, -400, 500, -500, 250, -250, 0, 0}));
}

TEST_F(SoundTest, DriversAreChosenByNameAndASilentDriverTakesOver) {
  EXPECT_EQ(AudioDrivers(), driver_.get()) << "the newest driver is first";
  EXPECT_EQ(AudioDrivers()->_succ->Name(), "Mixer");
  EXPECT_EQ(AudioDrivers()->_succ->_succ->Name(), "Null");
  EXPECT_EQ(AudioDriver().Name(), "Test");

  TMixerAudioDriver deaf("Deaf", 0, [](int, platform::AudioCallback) { return nullptr; });
  EXPECT_EQ(SetAudioDriver("DEAF"), 0);
  EXPECT_EQ(AudioDriver().Name(), "Null") << "no device: the silent driver is current";
  EXPECT_EQ(driver_->Mixer(), nullptr) << "the previous driver was shut down";

  ExpectSilentPlay(Load("get.wav", EffectWav(), SOUND_LOOP));

  EXPECT_EQ(SetAudioDriver("no such driver"), 0);
  EXPECT_EQ(AudioDriver().Name(), "Null");
  EXPECT_EQ(SetAudioDriver("tEsT"), 1);
  EXPECT_EQ(AudioDriver().Name(), "Test");
}

TEST_F(SoundTest, MissingOrBrokenFilesAndNullHandles) {
  EXPECT_EQ(LoadSound(dir_ + "/missing.wav", 0), nullptr);
  try {
    StartSound(nullptr);
    FAIL() << "StartSound of a null sound must fail";
  } catch (const std::runtime_error& e) {
    std::string text = e.what();
    EXPECT_NE(text.find("StartSound"), std::string::npos) << text;
    EXPECT_NE(text.find("missing.wav"), std::string::npos) << text;
  }
  EXPECT_EQ(Load("broken.wav", Bytes{'R', 'I', 'F', 'F', 1, 2}, 0), nullptr);
  EXPECT_EQ(LoadSound(TextFromUtf8(dir_ + "/broken.wav"), 0), nullptr);

  const std::pair<const char*, std::function<void()>> calls[] = {
      {"SetChannelLoudness", [] { SetChannelLoudness(nullptr, 1.0f); }},
      {"HoldChannel", [] { HoldChannel(nullptr); }},
      {"ReleaseChannel", [] { ReleaseChannel(nullptr); }},
  };
  for (const auto& [name, call] : calls) {
    try {
      call();
      ADD_FAILURE() << name << " accepted a null channel";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

TEST_F(SoundTest, SoundsOfAnEarlierDriverRunStaySafeAndSilent) {
  auto fx = Load("get.wav", EffectWav(), 0);
  auto channel = StartSound(fx);
  ASSERT_EQ(SetAudioDriver("test"), 1);  // shut down and started again: a new generation
  device_->Advance(5);
  for (int16_t v : OutputLeft()) EXPECT_EQ(v, 0);
  SetChannelLoudness(channel, 0.5f);
  StartSound(fx, channel);
  HoldChannel(channel);
  channel.reset();
  fx.reset();
  EXPECT_EQ(driver_->LonelyCount(), 0) << "voices of an old run are not handed to the new one";
  EXPECT_EQ(Mixer().VoiceCount(), 0);
}

// An audio device whose callback runs on a thread of its own, as fast as it can,
// in short buffers, adding up every output value it is given.
class BusyAudioThread : public platform::AudioDevice {
 public:
  explicit BusyAudioThread(platform::AudioCallback callback)
      : callback_(std::move(callback)), thread_([this] { Run(); }) {}
  ~BusyAudioThread() override {
    stop_ = true;
    thread_.join();
  }
  int Rate() const override { return 44100; }
  void Lock() override {}
  void Unlock() override {}
  long long Sum() const { return sum_; }
  // Callbacks whose output has been added to Sum.
  long long Rounds() const { return rounds_; }

 private:
  void Run() {
    int16_t out[2 * 8];
    while (!stop_) {
      std::fill(std::begin(out), std::end(out), int16_t{0});
      callback_(out, 8);
      for (int16_t v : out) sum_ += v;
      ++rounds_;
    }
  }
  platform::AudioCallback callback_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> sum_{0};
  std::atomic<long long> rounds_{0};
  std::thread thread_;  // last: starts once the fields above are ready
};

// The game thread holds and resumes a short effect while the audio thread plays
// it to its end: a voice that ends meanwhile must stay ended. Every play of the
// 8-frame effect (left and right 1 each) adds exactly 16 to the output.
TEST(ChannelThreads, ResumingOrHoldingNeverRestartsAFinishedSound) {
  ShutdownAudio();
  BusyAudioThread* device = nullptr;
  TMixerAudioDriver driver("Busy", 0, [&](int, platform::AudioCallback callback) {
    auto d = std::make_unique<BusyAudioThread>(std::move(callback));
    device = d.get();
    return d;
  });
  ASSERT_EQ(SetAudioDriver("busy"), 1);
  std::string dir = TempDir("channel_threads");
  WriteFile(dir + "/blip.wav", SimpleWav(1, 44100, 16, Le16(std::vector<int16_t>(8, 1))));
  auto fx = LoadSound(dir + "/blip.wav", 0);
  ASSERT_NE(fx, nullptr);
  const auto audible = [&] {
    while (driver.Mixer()->Playing(dynamic_cast<TMixerSound&>(*fx)._bufs.front()->_buffer))
      std::this_thread::yield();
    // The callback that mixed the last frames may not have added them yet: it
    // is at the latest the one running now, so wait for that one to be counted.
    const long long seen = device->Rounds();
    while (device->Rounds() <= seen) std::this_thread::yield();
    return device->Sum();
  };

  constexpr int kPlays = 300;
  for (int i = 0; i < kPlays; ++i) {
    auto channel = StartSound(fx);
    while (channel->Playing()) ReleaseChannel(channel);
  }
  EXPECT_EQ(audible(), 16LL * kPlays) << "plays restarted by a resume";

  const long long before = device->Sum();
  for (int i = 0; i < kPlays; ++i) {
    auto channel = StartSound(fx);
    while (channel->Playing()) {
      HoldChannel(channel);
      ReleaseChannel(channel);
    }
  }
  EXPECT_EQ(audible() - before, 16LL * kPlays) << "plays restarted by a hold and a resume";
  ShutdownAudio();
}

// A driver that says when it is shut down.
class ToldDriver : public TAudioDriver {
 public:
  std::string Name() override { return "Told"; }
  void Shutdown() override { std::fprintf(stderr, "Told driver shut down\n"); }
};

// The driver current at the end is shut down, also when it was chosen by name
// before any sound was loaded.
TEST(AudioAtExit, ADriverChosenByNameIsShutDownWhenTheProgramEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ShutdownAudio();
        static ToldDriver told;
        if (SetAudioDriver("told") != 1) std::exit(9);
        Quit();
      },
      ::testing::ExitedWithCode(0), "Told driver shut down");
  EXPECT_EXIT(
      {
        ShutdownAudio();
        static ToldDriver told;
        if (SetAudioDriver("told") != 1) std::exit(9);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "Told driver shut down");
}

// The driver chosen on first use, on the device of the installed backend.
TEST(DefaultAudio, HeadlessRunsWriteTheMixAtThePaceOfTheVirtualClock) {
  ShutdownAudio();
  std::string dir = TempDir("default_audio");
  test_support::HeadlessSetup setup;
  setup.draw = false;
  setup.audio_out = dir + "/audio.wav";
  test_support::InstallHeadless(setup);
  WriteFile(dir + "/get.wav", EffectWav());
  auto fx = LoadSound(dir + "/get.wav", 0);
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(AudioDriver().Name(), "Mixer");
  platform::Current().SleepMillis(20);
  StartSound(fx);
  platform::Current().SleepMillis(980);
  Wav16 wav = ReadWav16(setup.audio_out);
  ASSERT_EQ(wav.error, "");
  ASSERT_EQ(wav.values.size(), 44100u * 2) << "44100 frames per virtual second";
  for (size_t f = 0; f < 44100; ++f) {
    int16_t expected = f >= 882 && f < 882 + 441 ? 1000 : 0;
    ASSERT_EQ(wav.values[2 * f], expected) << f;
    ASSERT_EQ(wav.values[2 * f + 1], expected) << f;
  }
  ShutdownAudio();
}

TEST(DefaultAudio, WithoutADeviceTheSilentDriverTakesOver) {
  ShutdownAudio();
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  platform::Install(platform::CreateSdlBackend());
  std::string dir = TempDir("silent_audio");
  WriteFile(dir + "/loop.wav", RampWav());
  auto music = LoadSound(dir + "/loop.wav", SOUND_LOOP);
  EXPECT_EQ(AudioDriver().Name(), "Null");
  ExpectSilentPlay(music);
  ShutdownAudio();
  test_support::InstallHeadless();
}

}  // namespace
