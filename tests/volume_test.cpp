// The volume keys: F5/F6 lower and raise the music, F7/F8 the sound effects, in
// steps of 10 per cent on every screen; the program never sees them, what is
// heard follows them, and the new value shows over the picture for a second.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "media/media.h"
#include "media/platform/player_settings.h"
#include "media/platform/volume_keys.h"
#include "support/audio_support.h"
#include "support/game_run.h"
#include "support/headless.h"

namespace {

using platform::EventKind;

// The settings in force go back to the defaults after each test.
class Volume : public ::testing::Test {
 protected:
  void TearDown() override { platform::ChangeSettings({}, platform::SettingsChange::Program); }
};

}  // namespace

TEST_F(Volume, KeysStepWithinRangeAreTakenWholeAndShowTheNewValueForASecond) {
  platform::VolumeKeys keys;
  const auto feed = [&](EventKind kind, int key, uint32_t now, int mods = 0) {
    return keys.Filter(platform::Event{kind, key, mods}, now);
  };
  // Down and auto-repeat step, with any modifier; the key up is taken too.
  EXPECT_TRUE(feed(EventKind::KeyDown, 116, 5000) && feed(EventKind::KeyRepeat, 116, 5030, 1) &&
              feed(EventKind::KeyUp, 116, 5040));
  EXPECT_EQ(keys.Notice(6029), "Music 80 %");
  EXPECT_EQ(keys.Notice(6030), "");
  for (int i = 0; i < 12; ++i) feed(EventKind::KeyDown, 118, 7000);
  for (int i = 0; i < 3; ++i) feed(EventKind::KeyDown, 117, 0xFFFFFF00u);
  EXPECT_EQ(platform::CurrentSettings(), (platform::PlayerSettings{false, 1, 100, 0, true}));
  EXPECT_EQ(keys.Notice(0xFFFFFF00u + 900), "Music 100 %") << "across the clock's wrap";
  // Other keys, and typed characters whose codes are the keys' ('t' is 116), are the program's.
  EXPECT_FALSE(feed(EventKind::KeyDown, 120, 0) || feed(EventKind::Char, 116, 0));
}

TEST_F(Volume, TheNoticeCoversTheTopOfTheFrameAndTheProgramSeesNoKey) {
  test_support::HeadlessSetup setup;
  setup.script = "2 press F6\n2 press F5\n2 down 117\n";
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(setup));
  SetClsColor(0, 0, 255);
  Cls();
  EXPECT_EQ(IsKeyDown(117), 0) << "the poll that delivers the lines";
  EXPECT_EQ(KeyPresses(116), 0);
  EXPECT_EQ(platform::CurrentSettings().music_volume, 100);
  Flip(-1);
  // "Music 100 %": 11 characters of 12 pixels less the last gap, a margin of
  // 5: a box of 140 x 24 at (280, 8), white letters on dark grey.
  const auto frame = test_support::ReadFramebuffer();
  ASSERT_FALSE(frame.empty());
  const test_support::Rgba blue{0, 0, 255, 255}, white{255, 255, 255, 255};
  int lit = 0, dark = 0;
  for (int y = 8; y < 32; ++y) {
    for (int x = 280; x < 420; ++x) {
      const test_support::Rgba p = test_support::PixelAt(frame, x, y);
      lit += p == white;
      dark += p.r == p.g && p.g == p.b && p.r < 40;
    }
  }
  EXPECT_GT(lit, 150);
  EXPECT_EQ(lit + dark, 140 * 24);
  for (auto [x, y] : {std::pair{279, 8}, {420, 8}, {300, 7}, {300, 32}})
    EXPECT_EQ(test_support::PixelAt(frame, x, y), blue) << x << "," << y;
  // A second later (this frame took 16 ms of it) it is gone.
  test_support::Headless().AdvanceClock(1000 - 16);
  Cls();
  Flip(-1);
  EXPECT_EQ(test_support::ReadPixel(300, 20), blue);
  CloseGraphics();
}

namespace {

// Runs the game with the script and gives what --audio-out wrote.
audio_test::Wav16 Heard(const std::string& script, const std::string& name, game_test::Run& run) {
  const std::string wav = audio_test::TempDir("volume-" + name) + "/out.wav";
  game_test::RunOptions options;
  options.extra_args = {"--audio-out", wav};
  run = game_test::RunScript(script, options);
  EXPECT_EQ(run.status, 0) << run.err;
  return audio_test::ReadWav16(wav);
}

// Every value of `scaled` between the two clock values (ms) is `factor` times
// that of `full`, give or take the one rounding, and `full` is heard there.
void ExpectScaled(const audio_test::Wav16& full, const audio_test::Wav16& scaled, double factor, int from_ms, int to_ms) {
  const size_t first = size_t(from_ms) * 441 / 10 * 2, last = size_t(to_ms) * 441 / 10 * 2;
  ASSERT_LE(last, std::min(full.values.size(), scaled.values.size()));
  int peak = 0, off = 0;
  for (size_t i = first; i < last; ++i) {
    peak = std::max(peak, std::abs(int(full.values[i])));
    off += std::abs(scaled.values[i] - full.values[i] * factor) > 1.0;
  }
  EXPECT_GT(peak, 1000) << "nothing heard between " << from_ms << " and " << to_ms << " ms";
  EXPECT_EQ(off, 0) << "not " << factor << " times as loud between " << from_ms << " and " << to_ms << " ms";
}

std::string Times(int n, const std::string& line) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += line;
  return lines;
}

}  // namespace

TEST_F(Volume, MusicAndEffectsVolumesScaleWhatIsHeardWithoutStoppingAnything) {
  // The music alone on the start screen: half from frame 100 (1.6 s), 0 from
  // frame 200 (3.2 s), full again from frame 300 (4.8 s).
  game_test::Run plain, keyed;
  const auto full = Heard("360 quit\n", "plain", plain);
  const auto turned = Heard(Times(5, "100 press F5\n") + Times(5, "200 press F5\n") + Times(10, "300 press F6\n") +
                                "360 quit\n",
                            "keyed", keyed);
  EXPECT_EQ(keyed.trace, plain.trace) << "the game never sees the keys";
  ExpectScaled(full, turned, 1.0, 100, 1550);
  ExpectScaled(full, turned, 0.5, 1650, 3150);
  ExpectScaled(full, turned, 0.0, 3250, 4750);
  // Silent, not stopped: the music went on and is where it would be.
  ExpectScaled(full, turned, 1.0, 4850, 5700);

  // The menu's click with the music silenced, at full and at 30 per cent.
  const std::string to_menu = "5 press SPACE\n" + Times(10, "20 press F5\n");
  const auto click = Heard(to_menu + "60 press 1\n90 quit\n", "click", plain);
  const auto soft = Heard(to_menu + Times(7, "20 press F7\n") + "60 press 1\n90 quit\n", "soft", keyed);
  EXPECT_EQ(keyed.trace, plain.trace);
  EXPECT_EQ(plain.Sounds(60), std::vector<std::string>{"menu"});
  ExpectScaled(click, soft, 0.3, 400, 1400);
}
