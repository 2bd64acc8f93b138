// The window's own keys: Alt+Enter and F11 switch between the window and full
// screen, and no part of such a stroke reaches the program; a scripted game
// with switches in it runs exactly as one without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/media.h"
#include "media/platform/input_sources.h"
#include "support/game_run.h"
#include "support/headless.h"

namespace {

using platform::Event;
using platform::EventKind;
using platform::WindowKeys;
using Verdict = WindowKeys::Verdict;

constexpr int kAlt = 4, kLeftAlt = 164;

Verdict Feed(WindowKeys& keys, EventKind kind, int key, int mods = 0) { return keys.Filter(Event{kind, key, mods}); }

}  // namespace

TEST(WindowKeys, AltEnterAndF11AreTakenWholeEverythingElsePasses) {
  WindowKeys keys;
  // Enter alone, Alt alone and other keys with Alt are the program's.
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyRepeat, 13), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, 13), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, kLeftAlt, kAlt), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 'D', kAlt), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 115, kAlt), Verdict::Pass) << "Alt+F4 stays a close request";
  EXPECT_EQ(Feed(keys, EventKind::Char, 13, kAlt), Verdict::Pass);

  // Alt+Enter: the key down switches, repeats and the key up are taken.
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13, kAlt), Verdict::Toggle);
  EXPECT_EQ(Feed(keys, EventKind::KeyRepeat, 13, kAlt), Verdict::Take);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13, kAlt), Verdict::Take) << "a second down without an up";
  // Alt let go first: the Enter stroke is still the window's to its end.
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, kLeftAlt), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyRepeat, 13), Verdict::Take);
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, 13), Verdict::Take);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13), Verdict::Pass) << "the next plain Enter is the program's again";
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, 13), Verdict::Pass);

  // F11, with or without modifiers.
  for (int mods : {0, 1, kAlt}) {
    EXPECT_EQ(Feed(keys, EventKind::KeyDown, 122, mods), Verdict::Toggle);
    EXPECT_EQ(Feed(keys, EventKind::KeyRepeat, 122, mods), Verdict::Take);
    EXPECT_EQ(Feed(keys, EventKind::KeyUp, 122, mods), Verdict::Take);
  }

  // Enter held by the program when Alt comes: its repeats are taken (the
  // program ignores repeats anyway), its key up still reaches the program.
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyRepeat, 13, kAlt), Verdict::Take);
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, 13, kAlt), Verdict::Pass);

  // Focus lost in the middle of a stroke: its key up may never come, so the
  // next Enter must not be swallowed.
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 122), Verdict::Toggle);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 13, kAlt), Verdict::Toggle);
  keys.Forget();
  EXPECT_EQ(Feed(keys, EventKind::KeyUp, 13), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 122), Verdict::Toggle);

  // Codes outside the key table are passed on untouched.
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 0, kAlt), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::KeyDown, 300, kAlt), Verdict::Pass);
  EXPECT_EQ(Feed(keys, EventKind::TimerTick, 13, kAlt), Verdict::Pass);
}

// Through the headless window and the keyboard module: the switches happen,
// the program sees only Alt.
TEST(WindowKeys, HeadlessWindowSwitchesAndTheProgramSeesNothing) {
  test_support::HeadlessSetup setup;
  setup.draw = false;
  setup.script = R"(
2 down 164
2 press ENTER
2 up 164
2 press 122
2 down 122
)";
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(setup));
  platform::HeadlessBackend& window = test_support::Headless();
  EXPECT_FALSE(window.Fullscreen());
  EXPECT_EQ(KeyPresses(KEY_ENTER), 0);
  EXPECT_EQ(KeyPresses(122), 0);
  EXPECT_EQ(IsKeyDown(122), 0);
  EXPECT_EQ(NextTypedChar(), 0);
  EXPECT_EQ(KeyPresses(kLeftAlt), 1) << "Alt itself reaches the program";
  EXPECT_EQ(window.FullscreenSwitches(), 3);
  EXPECT_TRUE(window.Fullscreen());

  // The same keys pushed as a window system would deliver them.
  window.PushEvent(Event{EventKind::KeyUp, 122, 0});
  window.PushEvent(Event{EventKind::KeyDown, KEY_ENTER, kAlt});
  window.PushEvent(Event{EventKind::KeyUp, KEY_ENTER, 0});
  window.PushEvent(Event{EventKind::KeyDown, KEY_ENTER, 0});
  EXPECT_EQ(KeyPresses(KEY_ENTER), 1) << "only the plain Enter counts";
  EXPECT_FALSE(window.Fullscreen());
  EXPECT_EQ(window.FullscreenSwitches(), 4);
}

namespace {

// From the start screen through the menu into a game that walks right, then
// Escape. The menu starts a game on Enter, so an Enter that slipped through at
// frame 4 would start it a frame early and change every later line.
const std::string kPlain = R"(
3  press SPACE
5  press ENTER
8  down D
60 up D
70 press ESCAPE
)";

// The same with switches on every screen: Alt+Enter on the start screen and in
// the menu (there with Alt let go before Enter), F11 tapped and held during the
// walk, Alt+Enter while D is held.
const std::string kSwitching = R"(
2  down 164
2  press ENTER
2  up 164
3  press SPACE
4  down 164
4  down ENTER
4  up 164
4  up ENTER
5  press ENTER
8  down D
20 press 122
30 down 122
40 up 122
45 down 165
45 press ENTER
46 up 165
60 up D
70 press ESCAPE
)";

}  // namespace

TEST(WindowKeys, SwitchingLeavesTheGamesTraceUnchanged) {
  const game_test::Run plain = game_test::RunScript(kPlain);
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_FALSE(plain.OnScreen("game").empty());
  game_test::RunOptions scaled;
  scaled.extra_args = {"--scale", "3"};
  const game_test::Run switching = game_test::RunScript(kSwitching, scaled);
  ASSERT_EQ(switching.status, 0) << switching.err;
  EXPECT_EQ(switching.err, "");
  EXPECT_EQ(switching.trace, plain.trace);

  // The comparison can tell: a plain Enter where the menu had Alt+Enter starts
  // the game a frame early.
  std::string leaked = kSwitching;
  leaked.replace(leaked.find("4  down 164"), 11, "4  down 16 ");
  const game_test::Run early = game_test::RunScript(leaked);
  ASSERT_EQ(early.status, 0) << early.err;
  EXPECT_NE(early.trace, plain.trace);
  EXPECT_LT(early.First("game")["f"].get<int>(), plain.First("game")["f"].get<int>());
}
