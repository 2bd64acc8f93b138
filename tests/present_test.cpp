// Scaled presentation: where the enlarged picture goes (whole factors, centred)
// and the copy itself, pixel by pixel, on Mesa's software renderer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "media/platform/frame_limit.h"
#include "media/platform/gl_present.h"
#include "media/platform/gl_surface.h"

using platform::FitPicture;
using platform::PictureRect;

TEST(FitPicture, LargestWholeFactorCentred) {
  struct Case {
    int out_w, out_h;
    PictureRect want;
  };
  const Case cases[] = {
      {700, 540, {0, 0, 700, 540, 1}},            // the window itself
      {1400, 1080, {0, 0, 1400, 1080, 2}},        // --scale 2
      {1280, 1024, {290, 242, 700, 540, 1}},      // not twice in either direction
      {1920, 1080, {260, 0, 1400, 1080, 2}},      // the height decides
      {2560, 1440, {580, 180, 1400, 1080, 2}},    // 3 fits across, only 2 down
      {3840, 2160, {520, 0, 2800, 2160, 4}},
      {1401, 1081, {0, 0, 1400, 1080, 2}},        // odd sizes: integer halves
      {2099, 1619, {349, 269, 1400, 1080, 2}},    // one pixel short of 3 both ways
      {640, 480, {-30, -30, 700, 540, 1}},        // smaller than the picture: cut, never shrunk
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.out_w) + "x" + std::to_string(c.out_h));
    const PictureRect r = FitPicture(700, 540, c.out_w, c.out_h);
    EXPECT_EQ(r, c.want) << r.x << "," << r.y << " " << r.w << "x" << r.h << " *" << r.factor;
  }
  // Degenerate sizes give factor 1 and never divide by zero.
  EXPECT_EQ(FitPicture(0, 0, 100, 100).factor, 1);
  EXPECT_EQ(FitPicture(700, 540, 0, 0).factor, 1);
}

namespace {

std::vector<uint8_t> Read(int w, int h) {
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  EXPECT_TRUE(platform::ReadGlPixels(0, 0, w, h, w, h, rgba.data()));
  return rgba;
}

// Fills the bound framebuffer's lower-left w x h with random colours (alpha 255)
// through the fixed-function pixel path.
void DrawNoise(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = (i % 4 == 3) ? 255 : uint8_t(rng());
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRasterPos2f(-1, -1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

struct Screen {
  platform::OffscreenGL gl;
  bool Open(int w, int h) {
    std::string error;
    const bool ok = gl.Open(w, h, error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }
};

}  // namespace

// Every output pixel inside the picture's place is the picture pixel it covers
// (factor x factor copies, nothing blended); every pixel outside is black. The
// program's scissor test and clear colour survive the copy.
TEST(ScaledPresenter, CopiesEachPixelFactorTimesCentredOnBlack) {
  const int W = 700, H = 540, OW = 1501, OH = 1201;  // odd margins: top and bottom differ
  Screen screen;
  ASSERT_TRUE(screen.Open(OW, OH));
  // Something on the screen before, so that the black borders are the copy's.
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  platform::ScaledPresenter presenter;
  std::string error;
  ASSERT_TRUE(presenter.Open(W, H, false, screen.gl.Framebuffer(), platform::EglProcAddress, error)) << error;
  std::vector<uint8_t> black(size_t(W) * H * 4, 0);
  for (size_t i = 3; i < black.size(); i += 4) black[i] = 255;
  EXPECT_TRUE(Read(W, H) == black) << "a new picture is not black";
  DrawNoise(W, H, 7);
  const std::vector<uint8_t> picture = Read(W, H);

  glEnable(GL_SCISSOR_TEST);
  glScissor(10, 10, 20, 20);
  glClearColor(1, 0, 0, 1);
  presenter.CopyToTarget(OW, OH);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 1.f);
  EXPECT_EQ(clear[1], 0.f);
  // Drawing goes to the picture again: a clear inside the scissor box lands
  // there, not on the screen.
  glClear(GL_COLOR_BUFFER_BIT);
  const std::vector<uint8_t> after = Read(W, H);
  const size_t red_at = (size_t(H - 1 - 15) * W + 15) * 4;
  EXPECT_EQ(after[red_at], 255);
  EXPECT_EQ(after[red_at + 1], 0);
  glDisable(GL_SCISSOR_TEST);

  presenter.Close();
  const std::vector<uint8_t> out = Read(OW, OH);
  const PictureRect r = FitPicture(W, H, OW, OH);
  ASSERT_EQ(r.factor, 2);
  int wrong = 0;
  for (int y = 0; y < OH && wrong < 10; ++y)
    for (int x = 0; x < OW && wrong < 10; ++x) {
      const uint8_t* got = &out[(size_t(y) * OW + x) * 4];
      const bool inside = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
      uint8_t want[4] = {0, 0, 0, 255};
      if (inside) {
        const uint8_t* src = &picture[(size_t((y - r.y) / r.factor) * W + (x - r.x) / r.factor) * 4];
        std::copy(src, src + 4, want);
      }
      if (!std::equal(want, want + 4, got)) {
        ++wrong;
        ADD_FAILURE() << "output pixel (" << x << ", " << y << ") " << (inside ? "inside" : "outside") << ": got "
                      << int(got[0]) << "," << int(got[1]) << "," << int(got[2]) << "," << int(got[3]) << " want "
                      << int(want[0]) << "," << int(want[1]) << "," << int(want[2]) << "," << int(want[3]);
      }
    }
}

// At factor 1 on an output of the picture's size the copy is the picture.
TEST(ScaledPresenter, FactorOneIsThePictureItself) {
  const int W = 700, H = 540;
  Screen screen;
  ASSERT_TRUE(screen.Open(W, H));
  platform::ScaledPresenter presenter;
  std::string error;
  ASSERT_TRUE(presenter.Open(W, H, true, screen.gl.Framebuffer(), platform::EglProcAddress, error)) << error;
  DrawNoise(W, H, 11);
  const std::vector<uint8_t> picture = Read(W, H);
  presenter.CopyToTarget(W, H);
  presenter.Close();
  EXPECT_TRUE(Read(W, H) == picture);
}

// The hold a real window gives frames that nothing paced, on its own clock:
// drawing takes 5 ms a frame, so each frame waits 11 ms more; one that took 30
// ms goes at once.
TEST(FrameLimit, HoldsToSixteenMillisecondsAfterThePreviousFrame) {
  platform::FrameLimit limit;
  uint32_t now = 1000;
  int slept = 0;
  std::vector<uint32_t> presents;
  for (uint32_t work : {5u, 5u, 5u, 30u, 16u}) {
    now += work;
    const int ms = limit.Delay(now);
    slept += ms;
    now += static_cast<uint32_t>(ms);
    limit.Presented(now);
    presents.push_back(now);
  }
  EXPECT_EQ(presents, (std::vector<uint32_t>{1005, 1021, 1037, 1067, 1083}));
  EXPECT_EQ(slept, 22);

  // Across the clock's wrap, and a clock that went back is no reason to wait long.
  limit.Presented(0xFFFFFFF8u);
  EXPECT_EQ(limit.Delay(2), 6);
  EXPECT_EQ(limit.Delay(0xFFFFFF00u), 0);
}
