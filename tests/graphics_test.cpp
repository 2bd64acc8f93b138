#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <deque>

#include "media/graphics/gl/gl_driver.h"
#include "media/media.h"
#include "support/headless.h"

using test_support::HeadlessSetup;
using test_support::OpenHeadlessGraphics;
using test_support::PixelAt;
using test_support::ReadFramebuffer;
using test_support::ReadPixel;
using test_support::Rgba;

namespace {

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{255, 0, 0, 255};

HeadlessSetup NoDrawing() {
  HeadlessSetup s;
  s.draw = false;
  return s;
}

TEST(Graphics, OpenGraphicsGivesAFreshRendererStateOfTheGraphicsSize) {
  auto g = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(g);
  EXPECT_EQ(graphics_width(), 700);
  EXPECT_EQ(graphics_height(), 540);
  EXPECT_EQ(graphics_depth(), 0);
  EXPECT_EQ(graphics_flags(), GRAPHICS_BACKBUFFER);  // the driver's default flags are added
  EXPECT_EQ(CurrentPlanoGraphics(), g.get());
  EXPECT_EQ(CurrentPlanoDriver(), GLPlanoDriver());
  EXPECT_STREQ(GetGraphicsDriver()->name, "OpenGL");
  EXPECT_EQ(FindGraphicsDriver("OpenGL"), GLPlanoDriver());
  EXPECT_EQ(FindGraphicsDriver("Direct3D"), nullptr);

  EXPECT_EQ(g->color_red + g->color_green + g->color_blue, 3 * 255);
  EXPECT_FLOAT_EQ(g->color_alpha, 1.0f);
  EXPECT_EQ(g->clscolor_red + g->clscolor_green + g->clscolor_blue, 0);
  EXPECT_FLOAT_EQ(g->line_width, 1.0f);
  EXPECT_EQ(g->blend_mode, 1);
  EXPECT_EQ(g->viewport_w, 700);
  EXPECT_EQ(g->viewport_h, 540);
  EXPECT_FLOAT_EQ(g->vres_width, 700.0f);
  EXPECT_FLOAT_EQ(g->vres_height, 540.0f);
  EXPECT_EQ(g->g_width, 700);
  EXPECT_EQ(g->_setup, 1);
  EXPECT_FLOAT_EQ(g->tform_ix, 1.0f);
  EXPECT_FLOAT_EQ(g->tform_jy, 1.0f);
  EXPECT_FLOAT_EQ(g->tform_iy, 0.0f);
  EXPECT_EQ(g->image_font, nullptr);
  // Both buffers were cleared and presented once each while opening.
  EXPECT_EQ(test_support::Headless().FramesPresented(), 2u);
}

TEST(Graphics, StateSetBeforeOpeningIsLostExceptTheLoadMask) {
  CloseGraphics();
  SetColor(1, 2, 3);
  SetLoadMask(255, 0, 255);
  auto g = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(g);
  int r, gr, b;
  GetColor(r, gr, b);
  EXPECT_EQ(r, 255);
  GetLoadMask(r, gr, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(gr, 0);
  EXPECT_EQ(b, 255);
  SetLoadMask(0, 0, 0);
}

TEST(Graphics, EpochChangesOnOpenAndCloseAndNeverBecomesZero) {
  const int before = graphics_epoch();
  ASSERT_TRUE(OpenHeadlessGraphics(NoDrawing()));
  const int opened = graphics_epoch();
  EXPECT_NE(opened, before);
  CloseGraphics();
  EXPECT_NE(graphics_epoch(), opened);
  EXPECT_EQ(CurrentGraphics(), nullptr);
  EXPECT_EQ(CurrentPlanoGraphics(), nullptr);
  EXPECT_EQ(graphics_width(), 0);

  SetGraphicsEpoch(-1);
  ASSERT_TRUE(OpenHeadlessGraphics(NoDrawing()));
  EXPECT_EQ(graphics_epoch(), 1);
}

TEST(Graphics, SecondOpenClosesTheFirstWindow) {
  auto first = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(first);
  auto second = OpenGraphics(320, 200, 0, 0, 0);
  ASSERT_TRUE(second);
  EXPECT_EQ(graphics_width(), 320);
  EXPECT_EQ(CurrentPlanoGraphics(), second.get());
  int w = -1, h, d, hz, f;
  first->GetSettings(w, h, d, hz, f);
  EXPECT_EQ(w, 0);  // closed
}

TEST(Graphics, TheAppTitleNamesNewWindowsAndRenamesTheOpenOne) {
  test_support::InstallHeadless(NoDrawing());
  SetAppTitle("Before");
  ASSERT_TRUE(OpenGraphics(320, 200, 0, 0, 0));
  EXPECT_EQ(test_support::Headless().WindowTitle(), "Before");
  SetAppTitle("After");
  EXPECT_EQ(AppTitle(), "After");
  EXPECT_EQ(test_support::Headless().WindowTitle(), "After");
  CloseGraphics();
  SetAppTitle("Closed");
  EXPECT_EQ(test_support::Headless().WindowTitle(), "After");  // no window to rename
  SetAppTitle("Tessaly Application");
}

TEST(Graphics, AbsurdSizesAreRefused) {
  test_support::InstallHeadless(NoDrawing());
  EXPECT_EQ(OpenGraphics(0, 540), nullptr);
  EXPECT_EQ(OpenGraphics(700, -1), nullptr);
  EXPECT_EQ(OpenGraphics(1 << 20, 1 << 20), nullptr);
  EXPECT_EQ(CurrentGraphics(), nullptr);
}

TEST(Graphics, DrawHandleIsStoredNegatedAndReadBackAsGiven) {
  auto g = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(g);
  SetDrawHandle(10, 5);
  EXPECT_FLOAT_EQ(g->handle_x, -10.0f);
  EXPECT_FLOAT_EQ(g->handle_y, -5.0f);
  float x, y;
  GetDrawHandle(x, y);
  EXPECT_FLOAT_EQ(x, 10.0f);
  EXPECT_FLOAT_EQ(y, 5.0f);
  SetDrawOrigin(3, 4);
  GetDrawOrigin(x, y);
  EXPECT_FLOAT_EQ(x, 3.0f);
  EXPECT_FLOAT_EQ(y, 4.0f);
}

TEST(Graphics, RotationAndScaleMakeTheMatrixForTheDriver) {
  auto g = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(g);
  SetDrawTransform(90, 2, 3);
  EXPECT_NEAR(g->tform_ix, 0.0f, 1e-6);
  EXPECT_NEAR(g->tform_iy, -3.0f, 1e-6);
  EXPECT_NEAR(g->tform_jx, 2.0f, 1e-6);
  EXPECT_NEAR(g->tform_jy, 0.0f, 1e-6);
  EXPECT_NEAR(GLPlanoDriver()->iy, -3.0f, 1e-6);
  SetDrawRotation(0);
  SetDrawScale(1, 1);
  EXPECT_FLOAT_EQ(GLPlanoDriver()->ix, 1.0f);
  EXPECT_FLOAT_EQ(GLPlanoDriver()->jy, 1.0f);
}

TEST(Graphics, DriverClampsColourAndAlphaButTheStateKeepsWhatWasGiven) {
  auto g = OpenHeadlessGraphics(NoDrawing());
  ASSERT_TRUE(g);
  SetColor(300, -5, 128);
  SetAlpha(0.5f);
  EXPECT_EQ(g->color_red, 300);
  EXPECT_EQ(GLPlanoDriver()->color_r, 255);
  EXPECT_EQ(GLPlanoDriver()->color_g, 0);
  EXPECT_EQ(GLPlanoDriver()->color_b, 128);
  EXPECT_EQ(GLPlanoDriver()->color_a, 127);  // truncate(0.5 * 255)
  SetAlpha(7.0f);
  EXPECT_EQ(GLPlanoDriver()->color_a, 255);
  SetAlpha(NAN);
  EXPECT_EQ(GLPlanoDriver()->color_a, 0);
}

TEST(Graphics, FirstFrameIsBlack) {
  ASSERT_TRUE(OpenHeadlessGraphics());
  auto pixels = ReadFramebuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(PixelAt(pixels, 0, 0), kBlack);
  EXPECT_EQ(PixelAt(pixels, 699, 539), kBlack);
  EXPECT_EQ(PixelAt(pixels, 350, 270), kBlack);
}

TEST(Graphics, ViewportClipsTheClearWithYFromTheTopAndFullSizeTurnsClippingOff) {
  ASSERT_TRUE(OpenHeadlessGraphics());
  SetClsColor(255, 0, 0);
  SetViewport(10, 20, 30, 40);
  Cls();
  auto pixels = ReadFramebuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(PixelAt(pixels, 10, 20), kRed);
  EXPECT_EQ(PixelAt(pixels, 39, 59), kRed);
  EXPECT_EQ(PixelAt(pixels, 9, 20), kBlack);
  EXPECT_EQ(PixelAt(pixels, 10, 19), kBlack);
  EXPECT_EQ(PixelAt(pixels, 40, 59), kBlack);
  EXPECT_EQ(PixelAt(pixels, 39, 60), kBlack);

  SetViewport(0, 0, 700, 540);
  Cls();
  pixels = ReadFramebuffer();
  EXPECT_EQ(PixelAt(pixels, 0, 0), kRed);
  EXPECT_EQ(PixelAt(pixels, 699, 539), kRed);
}

TEST(Graphics, ViewportsFarOutsideTheIntRangeClipEverythingWithoutOverflowing) {
  ASSERT_TRUE(OpenHeadlessGraphics());
  SetClsColor(255, 0, 0);
  // Right and bottom edges beyond the int range: the rectangle lies off screen.
  SetViewport(INT_MAX - 5, 10, INT_MAX, 10);
  Cls();
  SetViewport(10, INT_MIN + 5, 10, INT_MAX);
  Cls();
  int x, y, w, h;
  GetViewport(x, y, w, h);
  EXPECT_EQ(y, INT_MIN + 5);  // kept as given
  EXPECT_EQ(h, INT_MAX);
  auto pixels = ReadFramebuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(PixelAt(pixels, 15, 15), kBlack);
  EXPECT_EQ(PixelAt(pixels, 699, 15), kBlack);
  EXPECT_EQ(PixelAt(pixels, 15, 0), kBlack);

  // A tiny virtual size makes every virtual unit huge in real pixels.
  SetVirtualSize(1e-30f, 1e-30f);
  SetViewport(1, 1, 2, 2);
  Cls();
  EXPECT_EQ(ReadPixel(0, 0), kBlack);
  EXPECT_EQ(ReadPixel(350, 270), kBlack);

  // Ordinary rectangles still clip as before afterwards.
  SetVirtualSize(700, 540);
  SetViewport(-10, -10, 30, 30);
  Cls();
  EXPECT_EQ(ReadPixel(0, 0), kRed);
  EXPECT_EQ(ReadPixel(19, 19), kRed);
  EXPECT_EQ(ReadPixel(20, 20), kBlack);
}

TEST(Graphics, VirtualSizeScalesTheViewportToRealPixels) {
  auto g = OpenHeadlessGraphics();
  ASSERT_TRUE(g);
  SetVirtualSize(350, 270);
  EXPECT_FLOAT_EQ(g->vres_mousexscale, 0.5f);
  SetClsColor(255, 0, 0);
  SetViewport(5, 5, 10, 10);  // virtual units: real (10, 10, 20, 20)
  Cls();
  EXPECT_EQ(ReadPixel(10, 10), kRed);
  EXPECT_EQ(ReadPixel(29, 29), kRed);
  EXPECT_EQ(ReadPixel(30, 30), kBlack);
  EXPECT_EQ(ReadPixel(9, 10), kBlack);
}

TEST(Graphics, ProjectionPutsTheOriginAtTheTopLeftPixelCorner) {
  ASSERT_TRUE(OpenHeadlessGraphics());
  SetColor(0, 255, 0);
  GLPlanoDriver()->DrawRect(0, 0, 2, 1, 0, 0);
  GLPlanoDriver()->DrawRect(0, 0, 1, 1, 698, 538);
  const Rgba green{0, 255, 0, 255};
  EXPECT_EQ(ReadPixel(0, 0), green);
  EXPECT_EQ(ReadPixel(1, 0), green);
  EXPECT_EQ(ReadPixel(2, 0), kBlack);
  EXPECT_EQ(ReadPixel(0, 1), kBlack);
  EXPECT_EQ(ReadPixel(698, 538), green);
  EXPECT_EQ(ReadPixel(699, 539), kBlack);
}

TEST(Graphics, NothingIsDrawnOrReadWithoutGL) {
  ASSERT_TRUE(OpenHeadlessGraphics(NoDrawing()));
  EXPECT_FALSE(GLPlanoDriver()->HasGL());
  SetClsColor(255, 0, 0);
  Cls();
  GLPlanoDriver()->DrawRect(0, 0, 10, 10, 0, 0);
  uint8_t p[4];
  EXPECT_FALSE(platform::Current().ReadPixels(0, 0, 1, 1, p));
}

TEST(Graphics, FlipWithoutPacingPresentsAtOnce) {
  ASSERT_TRUE(OpenHeadlessGraphics(NoDrawing()));
  auto& backend = test_support::Headless();
  const int t0 = ElapsedMillis();
  const auto frames = backend.FramesPresented();
  Flip(-1);
  Flip(0);
  Flip(1);
  EXPECT_EQ(backend.FramesPresented(), frames + 3);
  // Only the presented frames moved the virtual clock: nobody slept.
  EXPECT_EQ(ElapsedMillis() - t0, 3 * 16);
}

TEST(Graphics, ElapsedMillisWrapsAt32Bits) {
  HeadlessSetup s = NoDrawing();
  s.clock_start = 0xFFFFFFF0u;
  test_support::InstallHeadless(s);
  EXPECT_EQ(ElapsedMillis(), -16);
  test_support::Headless().AdvanceClock(32);
  EXPECT_EQ(ElapsedMillis(), 16);
}

// A backend whose clock moves only when the program sleeps; it records the
// time of every presented frame, and which frames it was asked to hold back.
class PacingBackend : public platform::Backend {
 public:
  const char* Name() const override { return "pacing"; }
  bool OpenWindow(const platform::WindowSpec&) override { return open = true; }
  void CloseWindow() override { open = false; }
  bool WindowOpen() const override { return open; }
  bool HasGL() const override { return false; }
  void HoldUnpacedFrame() override { held_next = true; }
  void Present(int swap_interval) override {
    presents.push_back(now);
    intervals.push_back(swap_interval);
    held.push_back(held_next);
    held_next = false;
  }
  // One timer at most, ticking every `period` ms from its start; waiting for
  // it moves the clock to its next tick.
  bool PollEvent(platform::Event& out) override {
    if (period == 0 || now < next_tick) return false;
    next_tick += period;
    out = platform::Event{platform::EventKind::TimerTick, 1, 0};
    return true;
  }
  void WaitEvent() override {
    if (period != 0 && now < next_tick) now = next_tick;
  }
  uint32_t Millis() override { return now; }
  void SleepMillis(int ms) override {
    now += static_cast<uint32_t>(ms);
    slept += ms;
  }
  int StartTimer(int period_ms) override {
    period = static_cast<uint32_t>(period_ms);
    next_tick = now + period;
    return 1;
  }
  void StopTimer(int) override { period = 0; }
  std::unique_ptr<platform::AudioDevice> OpenAudio(int, platform::AudioCallback) override { return nullptr; }

  bool open = false;
  uint32_t now = 1000;
  uint32_t period = 0, next_tick = 0;
  int slept = 0;
  std::vector<uint32_t> presents;
  std::vector<int> intervals;
  std::vector<bool> held;  // per presented frame: announced as paced by nothing
  bool held_next = false;
};

PacingBackend& InstallPacing() {
  CloseGraphics();
  auto b = std::make_unique<PacingBackend>();
  auto& ref = *b;
  platform::Install(std::move(b));
  return ref;
}

TEST(FramePacing, SoftSyncSpreadsASecondEvenlyOverTheRate) {
  PacingBackend& b = InstallPacing();
  ASSERT_TRUE(OpenGraphics(700, 540, 0, 60, 0));
  b.presents.clear();
  b.intervals.clear();
  for (int i = 0; i < 60; ++i) Flip(-1);
  ASSERT_EQ(b.presents.size(), 60u);
  const int expect[] = {16, 17, 17, 16, 17, 17};
  uint32_t prev = 1000;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(b.presents[static_cast<size_t>(i)] - prev, static_cast<uint32_t>(expect[i])) << "frame " << i;
    prev = b.presents[static_cast<size_t>(i)];
  }
  EXPECT_EQ(b.presents.back(), 2000u);  // 60 frames take exactly one second
  for (int s : b.intervals) EXPECT_EQ(s, 0);  // presented without vsync
}

TEST(FramePacing, ALateFrameRestartsTheScheduleInsteadOfHurrying) {
  PacingBackend& b = InstallPacing();
  ASSERT_TRUE(OpenGraphics(700, 540, 0, 60, 0));
  Flip(-1);  // at 1016
  b.presents.clear();
  b.now += 50;  // a slow frame: due at 1033, now 1066
  const int slept = b.slept;
  Flip(-1);
  EXPECT_EQ(b.slept, slept);  // presented at once
  EXPECT_EQ(b.presents.back(), 1066u);
  Flip(-1);
  Flip(-1);
  ASSERT_EQ(b.presents.size(), 3u);
  EXPECT_GE(b.presents[1] - b.presents[0], 16u);
  EXPECT_GE(b.presents[2] - b.presents[1], 16u);
}

TEST(FramePacing, WithoutARateFlipMinusOneNeitherSleepsNorSyncs) {
  PacingBackend& b = InstallPacing();
  ASSERT_TRUE(OpenGraphics(700, 540, 0, 0, 0));
  b.presents.clear();
  b.intervals.clear();
  Flip(-1);
  Flip(-1);
  EXPECT_EQ(b.slept, 0);
  EXPECT_EQ(b.intervals, (std::vector<int>{0, 0}));
  Flip(1);
  EXPECT_EQ(b.intervals.back(), 1);
  CloseGraphics();
}

TEST(FramePacing, FullScreenRateAsksForVsyncInstead) {
  PacingBackend& b = InstallPacing();
  ASSERT_TRUE(OpenGraphics(640, 480, 32, 60, 0));
  b.intervals.clear();
  Flip(-1);
  EXPECT_EQ(b.slept, 0);
  EXPECT_EQ(b.intervals, (std::vector<int>{1}));
  CloseGraphics();
}

// The window holds back what nothing paced (the screens without a timer), and
// only that: a frame after a tick wait keeps the timer's pace.
TEST(FramePacing, OnlyFramesWithoutATickWaitSinceThePreviousAreOfferedForHolding) {
  PacingBackend& b = InstallPacing();
  ASSERT_TRUE(OpenGraphics(700, 540, 0, 0, 0));
  auto timer = CreateTickTimer(60);  // ticks at 1016, 1032, ...
  ASSERT_NE(timer, nullptr);
  b.presents.clear();
  b.held.clear();
  b.now = 1010;
  Flip(-1);  // the menu's last frame, then the game's
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WaitTicks(timer), 1);
    Flip(-1);
  }
  b.now = 1070;
  IsKeyDown('A');  // a tick taken off the queue while polling input paces nothing
  EXPECT_EQ(timer->Ticks(), 4);
  Flip(-1);
  Flip(-1);
  EXPECT_EQ(b.held, (std::vector<bool>{true, false, false, false, true, true}));
  EXPECT_EQ(b.presents, (std::vector<uint32_t>{1010, 1016, 1032, 1048, 1070, 1070}));
  EXPECT_EQ(b.slept, 0) << "the program itself never sleeps for the limit";
  timer.reset();
  CloseGraphics();
}

}  // namespace
