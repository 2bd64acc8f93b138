#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "media/media.h"
#include "media/platform/lifetime.h"
#include "media/platform/sdl_keys.h"
#include "support/headless.h"

namespace {

using platform::Event;
using platform::EventKind;

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::HeadlessSetup s;
    s.draw = false;
    ASSERT_TRUE(test_support::OpenHeadlessGraphics(s));
  }
  void Push(EventKind kind, int data = 0) { test_support::Headless().PushEvent(Event{kind, data, 0}); }
  void Press(int key) {
    Push(EventKind::KeyDown, key);
    Push(EventKind::KeyUp, key);
  }
};

TEST_F(Input, PressesAreCountedUntilAskedAndHeldKeysUntilReleased) {
  Press('M');
  Press('M');
  EXPECT_EQ(KeyPresses('M'), 2);
  EXPECT_EQ(KeyPresses('M'), 0);

  // Pressed and released between two queries: a press, never seen held.
  Press('N');
  EXPECT_EQ(IsKeyDown('N'), 0);
  EXPECT_EQ(KeyPresses('N'), 1);

  Push(EventKind::KeyDown, 'D');
  EXPECT_EQ(IsKeyDown('D'), 1);
  EXPECT_EQ(IsKeyDown('D'), 1);
  Push(EventKind::KeyUp, 'D');
  EXPECT_EQ(IsKeyDown('D'), 0);
  EXPECT_EQ(KeyPresses('D'), 1);  // releasing leaves the count alone
}

TEST_F(Input, AutoRepeatCountsAsOnePress) {
  Push(EventKind::KeyDown, 'W');
  for (int i = 0; i < 30; ++i) Push(EventKind::KeyRepeat, 'W');
  // A second down without an up in between (some systems send these) is no new press either.
  Push(EventKind::KeyDown, 'W');
  EXPECT_EQ(KeyPresses('W'), 1);
  EXPECT_EQ(IsKeyDown('W'), 1);
  Push(EventKind::KeyUp, 'W');
  EXPECT_EQ(IsKeyDown('W'), 0);
  EXPECT_EQ(KeyPresses('W'), 0);
}

TEST_F(Input, KeypadDigitsAreNotMainRowDigits) {
  Press(97);  // keypad 1
  EXPECT_EQ(KeyPresses('1'), 0);
  EXPECT_EQ(KeyPresses(97), 1);
}

TEST_F(Input, OutOfRangeKeysAreIgnored) {
  Push(EventKind::KeyDown, 300);
  Push(EventKind::KeyDown, -4);
  EXPECT_EQ(IsKeyDown(300), 0);
  EXPECT_EQ(KeyPresses(-4), 0);
  EXPECT_EQ(KeyPresses(256), 0);
}

TEST_F(Input, TypedCharactersComeOutOldestFirst) {
  for (int c : {'a', 'b', 'c'}) Push(EventKind::Char, c);
  EXPECT_EQ(NextTypedChar(), 'a');
  EXPECT_EQ(NextTypedChar(), 'b');
  EXPECT_EQ(NextTypedChar(), 'c');
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(Input, TheCharacterRingHolds256AndDropsTheRest) {
  for (int i = 0; i < 300; ++i) Push(EventKind::Char, 1000 + i);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(NextTypedChar(), 1000 + i) << i;
  EXPECT_EQ(NextTypedChar(), 0);
  // Reading made room again, and the ring wraps around its end.
  for (int i = 0; i < 200; ++i) Push(EventKind::Char, 2000 + i);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(NextTypedChar(), 2000 + i) << i;
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(Input, ClearKeysPollsFirstSoAFreshPressIsDiscarded) {
  Press(13);
  Push(EventKind::KeyDown, 'A');
  Push(EventKind::Char, 'x');
  ClearKeys();
  EXPECT_EQ(KeyPresses(13), 0);
  EXPECT_EQ(IsKeyDown('A'), 0);
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(Input, FocusLossAndGainFlushTheTables) {
  Push(EventKind::KeyDown, 'D');
  Push(EventKind::Char, 'q');
  EXPECT_EQ(IsKeyDown('D'), 1);
  Push(EventKind::FocusLost);
  EXPECT_EQ(IsKeyDown('D'), 0);
  EXPECT_EQ(AppSuspended(), 1);
  EXPECT_EQ(NextTypedChar(), 0);
  Push(EventKind::KeyDown, 'S');
  Push(EventKind::FocusGained);
  EXPECT_EQ(IsKeyDown('S'), 0);
  EXPECT_EQ(KeyPresses('S'), 0);
  EXPECT_EQ(AppSuspended(), 0);
}

TEST_F(Input, CloseRequestIsReadOnceAndSurvivesAFlush) {
  Push(EventKind::Close);
  ClearKeys();
  Push(EventKind::FocusLost);
  EXPECT_EQ(CloseRequested(), 1);
  EXPECT_EQ(CloseRequested(), 0);
  EXPECT_TRUE(platform::Current().WindowOpen());  // the window stays open
}

TEST_F(Input, WithoutAutoPollQueriesReadOnlyWhatWasCollected) {
  SetAutoPoll(0);
  Press(32);
  EXPECT_EQ(KeyPresses(32), 0);
  SystemPoll();
  EXPECT_EQ(KeyPresses(32), 1);
  SetAutoPoll(1);
}

TEST_F(Input, KeysDoNothingWhileGraphicsAreClosed) {
  CloseGraphics();
  Press('A');
  Push(EventKind::Close);
  EXPECT_EQ(KeyPresses('A'), 0);
  EXPECT_EQ(CloseRequested(), 0);
}

TEST_F(Input, EventHooksRunByFallingPriorityAndMayStopTheChain) {
  std::vector<int> order;
  const int low = AddEmitEventHook([&](TEvent* e) { order.push_back(-1); return e; }, -1);
  const int high = AddEmitEventHook([&](TEvent* e) { order.push_back(5); return e; }, 5);
  const int high2 = AddEmitEventHook([&](TEvent* e) { order.push_back(6); return e; }, 5);
  Press('Z');
  EXPECT_EQ(KeyPresses('Z'), 1);
  // Two events (down, up), each through 5, 5 (in order added), the table hook at 0, then -1.
  EXPECT_EQ(order, (std::vector<int>{5, 6, -1, 5, 6, -1}));

  const int stop = AddEmitEventHook([](TEvent*) -> TEvent* { return nullptr; }, 10);
  Press('Z');
  EXPECT_EQ(KeyPresses('Z'), 0);
  for (int h : {low, high, high2, stop}) RemoveEmitEventHook(h);
  Press('Z');
  EXPECT_EQ(KeyPresses('Z'), 1);
  EXPECT_STREQ(EventDescription(TEvent::KeyRepeat), "KeyRepeat");
  EXPECT_STREQ(EventDescription(TEvent::AppTerminate), "AppTerminate");
}

TEST_F(Input, QuitEndsWithStatusZeroAfterTheExitHooks) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::AddExitHook([] { std::fprintf(stderr, "hook ran\n"); });
        Quit();
      },
      ::testing::ExitedWithCode(0), "hook ran");
}

TEST_F(Input, AScriptedQuitEndsTheProgramAtTheNextPoll) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Push(EventKind::Quit);
  EXPECT_EXIT(IsKeyDown('A'), ::testing::ExitedWithCode(0), "");
}

// SDL scancodes are USB HID usage ids; keycodes of letters are their characters.
TEST(SdlKeys, MapToVirtualKeys) {
  using platform::VirtualKeyFromSdl;
  EXPECT_EQ(VirtualKeyFromSdl(4, 'a'), 'A');
  EXPECT_EQ(VirtualKeyFromSdl(20, 'a'), 'A');  // AZERTY: the key at Q's place types 'a'
  EXPECT_EQ(VirtualKeyFromSdl(26, 'z'), 'Z');
  EXPECT_EQ(VirtualKeyFromSdl(30, '&'), '1');  // AZERTY top row still gives the digits
  EXPECT_EQ(VirtualKeyFromSdl(39, '0'), '0');
  EXPECT_EQ(VirtualKeyFromSdl(98, 0), 96);     // keypad 0
  EXPECT_EQ(VirtualKeyFromSdl(89, 0), 97);     // keypad 1
  EXPECT_EQ(VirtualKeyFromSdl(97, 0), 105);    // keypad 9
  EXPECT_EQ(VirtualKeyFromSdl(40, 13), 13);    // Enter
  EXPECT_EQ(VirtualKeyFromSdl(88, 0), 13);     // keypad Enter
  EXPECT_EQ(VirtualKeyFromSdl(41, 27), 27);    // Escape
  EXPECT_EQ(VirtualKeyFromSdl(42, 8), 8);      // Backspace
  EXPECT_EQ(VirtualKeyFromSdl(43, 9), 9);      // Tab
  EXPECT_EQ(VirtualKeyFromSdl(44, ' '), 32);   // Space
  EXPECT_EQ(VirtualKeyFromSdl(80, 0), 37);     // Left
  EXPECT_EQ(VirtualKeyFromSdl(82, 0), 38);     // Up
  EXPECT_EQ(VirtualKeyFromSdl(79, 0), 39);     // Right
  EXPECT_EQ(VirtualKeyFromSdl(81, 0), 40);     // Down
  EXPECT_EQ(VirtualKeyFromSdl(58, 0), 112);    // F1
  EXPECT_EQ(VirtualKeyFromSdl(61, 0), 115);    // F4
  EXPECT_EQ(VirtualKeyFromSdl(69, 0), 123);    // F12
  EXPECT_EQ(VirtualKeyFromSdl(225, 0), 160);   // left shift
  EXPECT_EQ(VirtualKeyFromSdl(229, 0), 161);   // right shift, not 16
  EXPECT_EQ(VirtualKeyFromSdl(224, 0), 162);   // left control
  EXPECT_EQ(VirtualKeyFromSdl(228, 0), 163);   // right control
  EXPECT_EQ(VirtualKeyFromSdl(226, 0), 164);   // left alt
  EXPECT_EQ(VirtualKeyFromSdl(230, 0), 165);   // right alt
  EXPECT_EQ(VirtualKeyFromSdl(0, 0), 0);       // unknown
}

}  // namespace
