// Drawing images and rectangles on the headless software renderer, read back
// pixel by pixel.
#include <gtest/gtest.h>

#include "media/graphics/gl/gl_frame.h"
#include "media/media.h"
#include "media/pixmap/loaders.h"
#include "support/headless.h"
#include "support/picture_files.h"

using test_support::OpenHeadlessGraphics;
using test_support::PixelAt;
using test_support::ReadFramebuffer;
using test_support::Rgba;
using testpics::BmpSpec;
using testpics::Bmp24;
using testpics::EncodeBmp;

namespace {

constexpr uint32_t M = 0xFF00FF;
constexpr Rgba kBackground{10, 20, 30, 255};

// What shows on screen: the colour; the framebuffer's own alpha is not seen.
Rgba Seen(Rgba p) {
  p.a = 255;
  return p;
}

Rgba Opaque(uint32_t rgb) { return Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255}; }

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics_ = OpenHeadlessGraphics();
    ASSERT_TRUE(graphics_);
    SetLoadMask(255, 0, 255);
    SetClsColor(kBackground.r, kBackground.g, kBackground.b);
    Cls();
  }
  void TearDown() override {
    SetLoadMask(0, 0, 0);
    CloseGraphics();
  }
  ImageRef Load(const std::vector<uint8_t>& bytes, int flags = -1) {
    const std::string path = dir_.File("pic" + std::to_string(count_++) + ".bmp");
    EXPECT_TRUE(testpics::WriteBytes(path, bytes));
    return LoadImageFile(path, flags);
  }
  // Expects the w x h area at (x, y) to show want(i, j) for its pixel (i, j).
  template <typename F>
  void ExpectArea(int x, int y, int w, int h, F want) {
    const auto fb = ReadFramebuffer();
    int wrong = 0;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const Rgba got = Seen(PixelAt(fb, x + i, y + j)), expect = want(i, j);
        if (got != expect && ++wrong <= 5) ADD_FAILURE() << "pixel (" << x + i << ", " << y + j << "): " << got << " != " << expect;
      }
    EXPECT_EQ(wrong, 0);
  }
  std::shared_ptr<TPlanoGraphics> graphics_;
  testpics::TempDir dir_;
  int count_ = 0;
};


uint32_t Pattern(int x, int y) { return uint32_t(x * 9 + 1) << 16 | uint32_t(y * 7 + 2) << 8 | uint32_t((x ^ y) * 5); }

}  // namespace

TEST_F(Drawing, MagentaAreasOfA24BitPictureAreTransparent) {
  // A frame of magenta around a patterned core.
  auto colour = [](int x, int y) { return (x < 2 || y < 3 || x >= 10 || y >= 9) ? M : Pattern(x, y); };
  auto image = Load(Bmp24(12, 11, colour));
  ASSERT_TRUE(image);
  DrawImageAt(image, 40, 30);
  ExpectArea(38, 28, 16, 15, [&](int i, int j) {
    const int x = i - 2, y = j - 2;
    if (x < 0 || y < 0 || x >= 12 || y >= 11 || colour(x, y) == M) return kBackground;
    return Opaque(colour(x, y));
  });
}

TEST_F(Drawing, ThirtyTwoBitPicturesUseTheirOwnAlpha) {
  // Alpha 0x7F is below the mask blend's threshold, 0x80 is at it; magenta with
  // its own full alpha is just a colour.
  BmpSpec s{4, 1, 32, {}, {0xFFFF00FF, 0x7F00FF00, 0x80123456, 0x00FFFFFF}};
  auto image = Load(EncodeBmp(s));
  ASSERT_TRUE(image);
  DrawImageAt(image, 0, 0);
  ExpectArea(0, 0, 4, 1, [](int i, int) {
    const Rgba want[4] = {Opaque(M), kBackground, Opaque(0x123456), kBackground};
    return want[i];
  });
  // Alpha blending mixes with what is below.
  SetBlend(3);
  DrawImageAt(image, 0, 1);
  const auto fb = ReadFramebuffer();
  const Rgba mixed = PixelAt(fb, 1, 1);  // 0x7F/255 of green over the background
  EXPECT_NEAR(mixed.r, 10 * 128 / 255, 1);
  EXPECT_NEAR(mixed.g, (255 * 127 + 20 * 128) / 255, 1);
  EXPECT_NEAR(mixed.b, 30 * 128 / 255, 1);
  EXPECT_EQ(PixelAt(fb, 3, 1), kBackground);
}

TEST_F(Drawing, PaletteBmpsDrawTheirPaletteColours) {
  for (int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    BmpSpec s{9, 5, bits, {}, {}};
    for (int i = 0; i < (1 << bits); ++i) s.palette.push_back(uint32_t(i * 0x0A0B07 + 0x102030) & 0xFFFFFF);
    for (int i = 0; i < 45; ++i) s.pixels.push_back(uint32_t(i * 5 + i / 9) % uint32_t(1 << bits));
    auto image = Load(EncodeBmp(s));
    ASSERT_TRUE(image);
    Cls();
    DrawImageAt(image, 100, 200);
    ExpectArea(100, 200, 9, 5, [&](int i, int j) { return Opaque(s.palette[s.pixels[size_t(j * 9 + i)]]); });
  }
}

TEST_F(Drawing, JpegDrawsAsDecoded) {
  for (int components : {1, 3}) {
    SCOPED_TRACE(components);
    std::vector<uint8_t> samples;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 24; ++x)
        for (int c = 0; c < components; ++c) samples.push_back(uint8_t(40 + x * 4 + y * 3 + c * 20));
    const std::string path = dir_.File("pic" + std::to_string(components) + ".jpg");
    ASSERT_TRUE(testpics::WriteBytes(path, testpics::EncodeJpeg(24, 16, components, samples, 90)));
    const PixmapPtr decoded = LoadPixmap(path);
    ASSERT_TRUE(decoded);
    auto image = LoadImageFile(path);
    ASSERT_TRUE(image);
    Cls();
    DrawImageAt(image, 7, 9);
    ExpectArea(7, 9, 24, 16, [&](int i, int j) { return Opaque(decoded->ReadPixel(i, j) & 0xFFFFFF); });
  }
}

TEST_F(Drawing, StripFramesDrawInCellOrder) {
  auto strip = Load(Bmp24(72, 50, [](int x, int y) { return uint32_t(x / 24 * 80) << 16 | uint32_t(y / 25 * 80) << 8 | 5; }));
  ASSERT_TRUE(strip);
  auto image = LoadImageStrip(dir_.File("pic0.bmp"), 24, 25, 0, 6);
  ASSERT_TRUE(image);
  for (int f = 0; f < 6; ++f) DrawImageAt(image, float(f * 30), 100, f);
  const auto fb = ReadFramebuffer();
  for (int f = 0; f < 6; ++f) {
    const Rgba want = Opaque(uint32_t(f % 3 * 80) << 16 | uint32_t(f / 3 * 80) << 8 | 5);
    EXPECT_EQ(PixelAt(fb, f * 30, 100), want) << "frame " << f;
    EXPECT_EQ(PixelAt(fb, f * 30 + 23, 124), want) << "frame " << f;
    EXPECT_EQ(PixelAt(fb, f * 30 + 24, 124), kBackground) << "frame " << f;
  }
}

TEST_F(Drawing, TextureIsAPowerOfTwoWithTheEdgesRepeated) {
  auto image = Load(Bmp24(24, 25, Pattern), 0);
  ASSERT_TRUE(image);
  auto* frame = dynamic_cast<TGLImageFrame*>(image->Frame(0));
  ASSERT_NE(frame, nullptr);
  EXPECT_FLOAT_EQ(frame->uscale, 1.0f / 32);
  EXPECT_FLOAT_EQ(frame->vscale, 1.0f / 32);
  EXPECT_FLOAT_EQ(frame->u1, 24.0f / 32);
  EXPECT_FLOAT_EQ(frame->v1, 25.0f / 32);
  // Draw the whole 32 x 32 texture: column 24 and row 25 repeat the picture's
  // last column and row, the rest beyond is empty.
  SetBlend(2);
  frame->Draw(0, 0, 32, 32, 50, 60, 0, 0, 32, 32);
  ExpectArea(50, 60, 25, 26, [](int i, int j) { return Opaque(Pattern(std::min(i, 23), std::min(j, 24))); });
  const auto fb = ReadFramebuffer();
  for (const auto& [x, y] : {std::pair{75, 60}, std::pair{50, 86}, std::pair{81, 91}}) {
    const Rgba p = PixelAt(fb, x, y);
    EXPECT_EQ(p.r + p.g + p.b, 0) << x << "," << y << " " << p;
  }
}

TEST_F(Drawing, MaskBlendDrawsFilteredEdgesWhereAlphaReachesOneHalf) {
  // Red then magenta, stretched to twice the width with filtering: the sample
  // a quarter of the way into magenta still has alpha 3/4 and takes the
  // transparent pixel's averaged colour, red; the next has alpha 1/4 and is not drawn.
  auto image = Load(Bmp24(2, 1, [](int x, int) { return x ? M : 0xFF0000u; }));
  ASSERT_TRUE(image);
  DrawImageScaled(image, 0, 0, 4, 1);
  ExpectArea(0, 0, 4, 1, [](int i, int) { return i < 2 ? Opaque(0xFF0000) : kBackground; });
}

TEST_F(Drawing, DrawImageScaledStretchesTheWholeFrame) {
  auto image = Load(Bmp24(2, 2, [](int x, int y) { return x == 0 ? (y == 0 ? 0xFF0000u : 0x00FF00u) : (y == 0 ? 0x0000FFu : 0xFFFF00u); }), 0);
  ASSERT_TRUE(image);
  DrawImageScaled(image, 10, 20, 20, 10);
  ExpectArea(10, 20, 20, 10, [](int i, int j) {
    return Opaque(i < 10 ? (j < 5 ? 0xFF0000u : 0x00FF00u) : (j < 5 ? 0x0000FFu : 0xFFFF00u));
  });
  // The image handle moves the picture; the renderer's handle does not.
  image->handle_x = 2, image->handle_y = 1;
  SetDrawHandle(50, 50);
  Cls();
  DrawImageScaled(image, 10, 20, 20, 10);
  DrawImageAt(image, 100, 100);
  const auto fb = ReadFramebuffer();
  EXPECT_EQ(PixelAt(fb, 8, 19), Opaque(0xFF0000));
  EXPECT_EQ(PixelAt(fb, 27, 28), Opaque(0xFFFF00));
  EXPECT_EQ(PixelAt(fb, 28, 28), kBackground);
  EXPECT_EQ(PixelAt(fb, 98, 99), Opaque(0xFF0000));
  EXPECT_EQ(PixelAt(fb, 99, 100), Opaque(0xFFFF00));
}

TEST_F(Drawing, FillTiledCoversTheViewportFromTheAlignedStart) {
  auto tile = Load(Bmp24(64, 38, [](int x, int y) { return x == 0 && y == 0 ? 0xFFFFFFu : uint32_t(x) << 16 | uint32_t(y); }), 0);
  ASSERT_TRUE(tile);
  FillTiled(tile, 0, 0);
  // 11 columns x 15 rows from (0, 0): markers at every multiple of the tile size.
  {
    const auto fb = ReadFramebuffer();
    int markers = 0;
    for (int y = 0; y < 540; ++y)
      for (int x = 0; x < 700; ++x) {
        const Rgba p = PixelAt(fb, x, y);
        if (p == Rgba{255, 255, 255, 255}) {
          ++markers;
          EXPECT_TRUE(x % 64 == 0 && y % 38 == 0) << x << "," << y;
        } else if (p != Opaque(uint32_t(x % 64) << 16 | uint32_t(y % 38))) {
          ADD_FAILURE() << "pixel " << x << "," << y << " " << p;
          return;
        }
      }
    EXPECT_EQ(markers, 11 * 15);
  }
  // Offsets (origin, image handle, negative and exact multiples) keep the grid
  // through the tile's position and still cover every pixel of a viewport.
  const struct {
    float x, y, origin_x, origin_y, handle_x;
  } cases[] = {{-10, 5, 0, 0, 0}, {0, 0, 3, -40, 0}, {-127, -76, 0, 0, 0}, {1000, 2000, 0, 0, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    Cls();
    SetViewport(100, 50, 200, 120);
    SetDrawOrigin(c.origin_x, c.origin_y);
    tile->handle_x = c.handle_x;
    FillTiled(tile, c.x, c.y);
    SetViewport(0, 0, 700, 540);
    SetDrawOrigin(0, 0);
    tile->handle_x = 0;
    const int gx = int(c.x + c.origin_x - c.handle_x), gy = int(c.y + c.origin_y);
    auto mod = [](int a, int m) { return ((a % m) + m) % m; };
    ExpectArea(95, 45, 210, 130, [&](int i, int j) {
      const int x = 95 + i, y = 45 + j;
      if (x < 100 || y < 50 || x >= 300 || y >= 170) return kBackground;
      const int tx = mod(x - gx, 64), ty = mod(y - gy, 38);
      return tx == 0 && ty == 0 ? Rgba{255, 255, 255, 255} : Opaque(uint32_t(tx) << 16 | uint32_t(ty));
    });
  }
}

TEST_F(Drawing, ColourMultipliesImagesAndBlackStaysUntilReset) {
  auto image = Load(Bmp24(3, 1, [](int x, int) { return x == 1 ? M : 0xC8C8C8u; }));
  ASSERT_TRUE(image);
  SetColor(0, 0, 0);
  DrawImageAt(image, 0, 0);
  DrawImageAt(image, 0, 1);
  SetColor(255, 128, 0);
  DrawImageAt(image, 0, 2);
  SetColor(255, 255, 255);
  DrawImageAt(image, 0, 3);
  const auto fb = ReadFramebuffer();
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(PixelAt(fb, 0, y), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(fb, 1, y), kBackground);  // transparent stays transparent
    EXPECT_EQ(PixelAt(fb, 2, y), (Rgba{0, 0, 0, 255}));
  }
  const Rgba tinted = PixelAt(fb, 0, 2);
  EXPECT_EQ(tinted.r, 200);
  EXPECT_NEAR(tinted.g, 100, 1);
  EXPECT_EQ(tinted.b, 0);
  EXPECT_EQ(PixelAt(fb, 2, 3), Opaque(0xC8C8C8));
}

TEST_F(Drawing, DrawRectFillsWithColourHandleOriginAndAlphaTest) {
  SetColor(200, 100, 50);
  DrawRect(20, 10, 5, 3);
  SetDrawOrigin(100, 0);
  SetDrawHandle(2, 1);  // the rectangle moves up and left by the handle
  DrawRect(20, 10, 5, 3);
  SetDrawOrigin(0, 0);
  SetDrawHandle(0, 0);
  SetAlpha(0.4f);  // below the mask blend's threshold: not drawn
  DrawRect(40, 40, 4, 4);
  SetAlpha(0.6f);
  DrawRect(50, 40, 4, 4);
  SetAlpha(1);
  const Rgba colour{200, 100, 50, 255};
  ExpectArea(18, 8, 9, 7, [&](int i, int j) { return i >= 2 && i < 7 && j >= 2 && j < 5 ? colour : kBackground; });
  ExpectArea(116, 7, 9, 7, [&](int i, int j) { return i >= 2 && i < 7 && j >= 2 && j < 5 ? colour : kBackground; });
  const auto fb = ReadFramebuffer();
  EXPECT_EQ(PixelAt(fb, 41, 41), kBackground);
  EXPECT_EQ(Seen(PixelAt(fb, 51, 41)), colour);
  EXPECT_EQ(PixelAt(fb, 54, 41), kBackground);
}

TEST_F(Drawing, ViewportClipsImages) {
  auto image = Load(Bmp24(20, 20, [](int, int) { return 0x336699u; }));
  ASSERT_TRUE(image);
  SetViewport(5, 5, 10, 10);
  DrawImageAt(image, 0, 0);
  SetViewport(0, 0, 700, 540);
  ExpectArea(0, 0, 20, 20, [](int i, int j) { return i >= 5 && j >= 5 && i < 15 && j < 15 ? Opaque(0x336699) : kBackground; });
}

TEST_F(Drawing, FramesAreRebuiltAfterGraphicsAreReopened) {
  auto image = Load(Bmp24(4, 4, [](int, int) { return 0x804020u; }));
  ASSERT_TRUE(image);
  DrawImageAt(image, 0, 0);
  const int first_epoch = image->seqs[0];
  EXPECT_EQ(first_epoch, graphics_epoch());
  CloseGraphics();
  graphics_ = OpenHeadlessGraphics();
  ASSERT_TRUE(graphics_);
  SetClsColor(kBackground.r, kBackground.g, kBackground.b);
  Cls();
  DrawImageAt(image, 3, 3);
  EXPECT_NE(image->seqs[0], first_epoch);
  EXPECT_EQ(image->seqs[0], graphics_epoch());
  ExpectArea(2, 2, 6, 6, [](int i, int j) { return i >= 1 && j >= 1 && i < 5 && j < 5 ? Opaque(0x804020) : kBackground; });
}

TEST_F(Drawing, DiscardedTexturesAreDeletedWithTheNextOne) {
  auto a = Load(Bmp24(4, 4, [](int, int) { return 0x010203u; }));
  auto b = Load(Bmp24(4, 4, [](int, int) { return 0x040506u; }));
  ASSERT_TRUE(a && b);
  a->Frame(0);
  const size_t before = QueuedTextureDeletions();
  a.reset();
  EXPECT_EQ(QueuedTextureDeletions(), before + 1);
  b->Frame(0);
  EXPECT_EQ(QueuedTextureDeletions(), 0u);
  // Locking for writing drops the texture too, and the next draw shows the change.
  DrawImageAt(b, 0, 0);
  b->Lock(0, true, true)->WritePixel(0, 0, 0xFF00FF00u);
  EXPECT_EQ(QueuedTextureDeletions(), 1u);
  DrawImageAt(b, 0, 0);
  EXPECT_EQ(PixelAt(ReadFramebuffer(), 0, 0), Opaque(0x00FF00));
  // A frame from closed graphics is not queued: its context is gone.
  b->Frame(0);
  CloseGraphics();
  b.reset();
  EXPECT_EQ(QueuedTextureDeletions(), 0u);
}

TEST_F(Drawing, NullImagesAreAClearError) {
  const auto missing = LoadImageFile(dir_.File("nowhere.bmp"));
  ASSERT_FALSE(missing);
  try {
    DrawImageAt(missing, 0, 0);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("nowhere.bmp"), std::string::npos) << e.what();
  }
  EXPECT_THROW(FillTiled(nullptr, 0, 0), std::invalid_argument);
}

TEST(DrawingWithoutGraphics, DrawsNothingAndCollisionStaysInert) {
  CloseGraphics();
  auto image = LoadImageFile(TPixmap::Create(4, 4, PF_RGB888), 0);
  DrawImageAt(image, 0, 0);
  FillTiled(image, 0, 0);
  DrawRect(0, 0, 5, 5);
  EXPECT_EQ(image->frames[0], nullptr);
}

TEST(DrawingWithoutGL, FramesAreMadeWithoutTextures) {
  test_support::HeadlessSetup setup;
  setup.draw = false;
  ASSERT_TRUE(OpenHeadlessGraphics(setup));
  auto image = LoadImageFile(TPixmap::Create(4, 4, PF_RGB888), 0);
  DrawImageAt(image, 0, 0);
  auto* frame = dynamic_cast<TGLImageFrame*>(image->frames[0].get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->name, 0u);
  EXPECT_EQ(image->seqs[0], graphics_epoch());
  CloseGraphics();
}

TEST(CollisionWithGraphics, UsesTheRendererTransformAndOriginButNotColourBlendOrViewport) {
  ASSERT_TRUE(OpenHeadlessGraphics());
  auto a = LoadImageFile(TPixmap::Create(10, 10, PF_RGB888), 0);
  auto b = LoadImageFile(TPixmap::Create(10, 10, PF_RGB888), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 9, 9, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 10, 0, 0), 0);
  SetColor(0, 0, 0);
  SetAlpha(0);
  SetBlend(5);
  SetViewport(300, 300, 1, 1);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 9, 9, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 10, 0, 0), 0);
  // Scaled by 2 the first image reaches 20 pixels.
  SetDrawScale(2, 2);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 15, 0, 0), 1);
  SetDrawScale(1, 1);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 15, 0, 0), 0);
  CloseGraphics();
}

TEST(CollisionWithGraphics, TransformedOverlapRotatesEachImageAndRestoresTheRenderer) {
  test_support::HeadlessSetup setup;
  setup.draw = false;
  ASSERT_TRUE(OpenHeadlessGraphics(setup));
  auto bar = LoadImageFile(TPixmap::Create(10, 2, PF_RGB888), 0);
  auto dot = LoadImageFile(TPixmap::Create(1, 1, PF_RGB888), 0);
  SetDrawTransform(30, 3, 3);
  // Turned by 90 degrees, bar pixel (u, v) lands on (x - v, y + u): the bar
  // covers x 48..49, y 50..59.
  EXPECT_EQ(ImagesOverlapTransformed(bar, 50, 50, 90, 1, 1, 0, dot, 49, 58, 0, 1, 1, 0), 1);
  EXPECT_EQ(ImagesOverlapTransformed(bar, 50, 50, 90, 1, 1, 0, dot, 52, 50, 0, 1, 1, 0), 0);
  EXPECT_EQ(ImagesOverlapTransformed(bar, 50, 50, 0, 1, 1, 0, dot, 52, 50, 0, 1, 1, 0), 1);
  // Scaled by 2 the dot covers 2 x 2 pixels and reaches back to (51, 52).
  EXPECT_EQ(ImagesOverlapTransformed(bar, 50, 50, 0, 1, 1, 0, dot, 51, 52, 0, 2, 2, 0), 0);
  EXPECT_EQ(ImagesOverlapTransformed(bar, 50, 50, 0, 1, 1, 0, dot, 51, 51, 0, 2, 2, 0), 1);
  EXPECT_THROW(ImagesOverlapTransformed(bar, 0, 0, 45, 2, 2, 0, dot, 0, 0, 10, 1, 1, 5), std::out_of_range);
  EXPECT_FLOAT_EQ(GetDrawRotation(), 30);
  float sx, sy;
  GetDrawScale(sx, sy);
  EXPECT_FLOAT_EQ(sx, 3);
  EXPECT_FLOAT_EQ(sy, 3);
  CloseGraphics();
}

TEST_F(Drawing, MipmappedFramesAverageWhenDrawnSmaller) {
  // A one-pixel checkerboard shrunk four times: without mipmaps nearest sampling
  // picks single black or white texels, with them the level of 8 x 8 is grey.
  auto checker = Bmp24(32, 32, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0x000000u; });
  auto plain = Load(checker, 0);
  auto mipmapped = Load(checker, MIPMAPPEDIMAGE);
  ASSERT_TRUE(plain && mipmapped);
  DrawImageScaled(plain, 0, 0, 8, 8);
  DrawImageScaled(mipmapped, 20, 0, 8, 8);
  DrawImageAt(mipmapped, 40, 0);  // full size: the base level, exact
  const auto fb = ReadFramebuffer();
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) {
      const Rgba p = PixelAt(fb, i, j), q = PixelAt(fb, 20 + i, j);
      EXPECT_TRUE(p.r == 0 || p.r == 255) << p;
      EXPECT_NEAR(q.r, 128, 1) << i << "," << j;
    }
  ExpectArea(40, 0, 32, 32, [](int i, int j) { return Opaque((i + j) % 2 ? 0xFFFFFFu : 0u); });
}

TEST_F(Drawing, PicturesWiderThanAnyTextureAreShrunkToFit) {
  // 30000 pixels wide rounds up to 32768, more than the software renderer
  // allows: the texture is halved until the GL accepts it and the picture
  // resized into it.
  auto map = TPixmap::Create(30000, 2, PF_RGB888);
  for (int x = 0; x < 30000; ++x)
    for (int y = 0; y < 2; ++y) map->WritePixel(x, y, x < 15000 ? 0xFF0000FFu : 0xFF00FF00u);
  auto image = LoadImageFile(map, 0);
  auto* frame = dynamic_cast<TGLImageFrame*>(image->Frame(0));
  ASSERT_NE(frame, nullptr);
  EXPECT_FLOAT_EQ(frame->u1, 1.0f);  // the shrunk picture fills the texture's width
  EXPECT_LT(frame->uscale, 1.0f / 16384);
  DrawImageScaled(image, 0, 0, 100, 2);
  const auto fb = ReadFramebuffer();
  EXPECT_EQ(Seen(PixelAt(fb, 10, 0)), Opaque(0x0000FF));
  EXPECT_EQ(Seen(PixelAt(fb, 90, 1)), Opaque(0x00FF00));
}
