// Ending the program with everything a game keeps in program-wide variables still
// alive: graphics, a tick timer, images, a font, sounds and the music channel.
// Each case runs in a child process that ends the way the game does (Quit from
// deep inside its frame loop, or the body given to RunProgram returning); the
// child must end with the expected status and nothing reported by the sanitizers
// (a use after free, or a leak, changes the status).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/media.h"
#include "media/platform/lifetime.h"
#include "media/platform/platform.h"
#include "support/headless.h"

namespace {

// Destroyed last of the program-wide variables, after the exit actions have run:
// the layer must not make anything new by then.
struct CreatesAfterShutdown {
  bool armed = false;
  ~CreatesAfterShutdown() {
    if (!armed) return;
    const bool timer = CreateTickTimer(60) != nullptr;
    const bool graphics = OpenGraphics(64, 48) != nullptr;
    std::fprintf(stderr, "after exit: timer %s, graphics %s\n", timer ? "made" : "refused",
                 graphics ? "made" : "refused");
  }
} g_late_creator;

// What the game holds for the whole run.
std::shared_ptr<TPlanoGraphics> g_graphics;
std::shared_ptr<TTimer> g_timer;
ImageRef g_picture;
ImageRef g_strip;
FontRef g_font;
std::shared_ptr<TSound> g_music;
std::shared_ptr<TSound> g_effect;
std::shared_ptr<TChannel> g_music_channel;
std::shared_ptr<TChannel> g_effect_channel;


// The assets lie in the folder the tests start in (RunProgram moves into the
// program's own folder).
const std::string g_start_folder = std::filesystem::current_path().string();
std::string Asset(const char* name) { return g_start_folder + "/" + name; }

// Loads everything the way the game does. Without `window` nothing is drawn.
void HoldEverything(bool window) {
  if (window) {
    g_graphics = OpenGraphics(700, 540, 0, 0, 0);
    if (!g_graphics) std::abort();
  }
  g_timer = CreateTickTimer(60);
  g_picture = LoadImageFile(Asset("gfx/bg.bmp"));
  g_strip = LoadImageStrip(Asset("gfx/enemy.bmp"), 30, 30, 0, 9);
  g_font = LoadFontImage(Asset("data/Font2.ttf"), 30, kFontSmooth);
  g_music = LoadSound(Asset("sound/loop.wav"), SOUND_LOOP);
  g_effect = LoadSound(Asset("sound/get.wav"), 0);
  if (!g_timer || !g_picture || !g_strip || !g_font || !g_music || !g_effect) std::abort();
  if (AudioDriver().Name() != "Mixer") std::abort();  // the sounds play on a device
  g_music_channel = StartSound(g_music);
  SetChannelLoudness(g_music_channel, 0.4f);
  g_effect_channel = StartSound(g_effect);
  HoldChannel(g_effect_channel);  // a paused voice left on a kept channel
  UseFont(g_font);
  g_late_creator.armed = true;
}

void DrawFrame(int frame) {
  Cls();
  DrawImageAt(g_picture, 0, 0);
  DrawImageAt(g_strip, 100, 100, frame % 9);
  DrawTextAt(u"Score 0", 220, 445);
  if (frame % 3 == 0) StartSound(g_effect);
  WaitTicks(g_timer);
  Flip(-1);
}

void EndsTheGame(int frame, void (*end)()) {
  if (frame == 4) end();
}

[[noreturn]] void RunFramesThenEnd(void (*end)()) {
  for (int frame = 0;; ++frame) {
    DrawFrame(frame);
    EndsTheGame(frame, end);
  }
}

// The headless backend drawing for real: images and glyphs get textures.
void InstallDrawingHeadless() {
  test_support::HeadlessSetup setup;
  setup.draw = true;
  test_support::InstallHeadless(setup);
}

const char* const kCleanEnd = "after exit: timer refused, graphics refused";

TEST(ProgramEnd, QuitInsideTheFrameLoopWithEveryKindOfGlobalAlive) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallDrawingHeadless();
        HoldEverything(true);
        RunFramesThenEnd(Quit);
      },
      ::testing::ExitedWithCode(0), kCleanEnd);
}

// A program that ends through the C library instead of Quit ends the layer too.
TEST(ProgramEnd, StdExitInsideTheFrameLoopEndsTheLayerFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallDrawingHeadless();
        HoldEverything(true);
        RunFramesThenEnd([] { std::exit(3); });
      },
      ::testing::ExitedWithCode(3), kCleanEnd);
}

// Libraries tear themselves down in atexit handlers of their own (Mesa its EGL
// displays and driver); the layer must close its window and GL context first. A
// handler registered before the graphics were opened stands in for them here.
TEST(ProgramEnd, OnStdExitTheLayerEndsBeforeTheHandlersOfWhatItSetUp) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallDrawingHeadless();
        std::atexit([] { std::fprintf(stderr, platform::Ended() ? "layer ended first\n" : "layer still open\n"); });
        if (!OpenGraphics(64, 48)) std::abort();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "layer ended first");
}

// The SDL backend without a window: its timer thread and (through SDL's dummy
// output) its audio thread run until the program ends.
TEST(ProgramEnd, QuitOnTheSdlBackendWithTimerAndSoundThreadsRunning) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform::Install(platform::CreateSdlBackend());
        HoldEverything(false);
        for (int i = 0; i < 3; ++i) WaitTicks(g_timer);
        Quit();
      },
      ::testing::ExitedWithCode(0), kCleanEnd);
}

void GameBodyThatReturns() {
  HoldEverything(true);
  for (int frame = 0; frame < 5; ++frame) DrawFrame(frame);
}

void RunHeadless(void (*body)()) {
  char program[] = "zarn";
  char headless[] = "--headless";
  char* argv[] = {program, headless, nullptr};
  std::exit(RunProgram(2, argv, body));
}

TEST(ProgramEnd, RunProgramBodyReturningWithEveryKindOfGlobalAlive) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunHeadless(GameBodyThatReturns), ::testing::ExitedWithCode(0), kCleanEnd);
}

}  // namespace
