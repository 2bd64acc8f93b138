// Batched drawing against single quads: every scene is drawn twice on the
// headless software renderer, once through the batched path (quads collected per
// texture, frames of one image from one sheet texture, nearest sampling where one
// texel maps to one pixel, quads outside the clip rectangle dropped) and once with
// batching off (each quad sent on its own from its frame's own texture with that
// texture's filtering, text from each glyph's own image), and the two frame
// buffers must be the same byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "media/graphics/gl/gl_driver.h"
#include "media/graphics/gl/gl_frame.h"
#include "media/media.h"
#include "support/headless.h"

using test_support::ReadFramebuffer;

namespace {

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr uint32_t kMagenta = 0xFFFF00FF;

// A w x h picture in `format` with a pattern seeded by `seed` and, when `holes`,
// magenta pixels scattered over it (transparent once masked).
PixmapPtr Picture(int w, int h, int seed, bool holes, int format = PF_BGR888) {
  auto map = TPixmap::Create(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool hole = holes && ((x * 7 + y * 3 + seed) % 5 == 0 || (x + y + seed) % 9 == 0);
      const int a = format == PF_RGBA8888 ? (x * 37 + y * 11 + seed * 5) % 256 : 255;
      map->WritePixel(x, y, hole ? kMagenta : MakeArgb(a, x * 9 + seed * 30, y * 7 + seed * 13, (x ^ y) * 5 + seed));
    }
  return map;
}

// A strip of `count` cells of w x h, each cell its own pattern.
PixmapPtr Strip(int w, int h, int count, bool holes) {
  auto map = TPixmap::Create(w * 3, h * ((count + 2) / 3), PF_BGR888);
  for (int i = 0; i < count; ++i) map->Paste(*Picture(w, h, i + 1, holes), (i % 3) * w, (i / 3) * h);
  return map;
}

// The renderer state every scene starts from.
void ResetRenderer() {
  SetColor(255, 255, 255);
  SetAlpha(1);
  SetBlend(1);
  SetVirtualSize(700, 540);
  SetViewport(0, 0, 700, 540);
  SetDrawOrigin(0, 0);
  SetDrawHandle(0, 0);
  SetDrawTransform(0, 1, 1);
  SetClsColor(20, 40, 60);
}

class Batching : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::OpenHeadlessGraphics());
    SetLoadMask(255, 0, 255);
    strip_ = LoadImageStrip(Strip(24, 25, 6, true), 24, 25, 0, 6, MASKEDIMAGE | FILTEREDIMAGE);
    strip_nearest_ = LoadImageStrip(Strip(24, 25, 6, true), 24, 25, 0, 6, MASKEDIMAGE);
    strip_mipmapped_ = LoadImageStrip(Strip(24, 25, 6, true), 24, 25, 0, 6, MASKEDIMAGE | FILTEREDIMAGE | MIPMAPPEDIMAGE);
    masked_ = LoadImageFile(Picture(13, 11, 7, true), MASKEDIMAGE | FILTEREDIMAGE);
    translucent_ = LoadImageFile(Picture(9, 7, 3, false, PF_RGBA8888), FILTEREDIMAGE);
    tiles_ = LoadImageStrip("gfx/tiles 01.bmp", 32, 32, 0, 60, -1);
    background_ = LoadImageStrip("gfx/bg.bmp", 64, 38, 0, 3, -1);
    ASSERT_TRUE(strip_ && strip_nearest_ && strip_mipmapped_ && masked_ && translucent_ && tiles_ && background_);
  }
  void TearDown() override {
    GLPlanoDriver()->SetQuadBatching(true);
    TImageFont::Builtin()->_packed = true;
    UseFont(nullptr);
    CloseGraphics();
    SetLoadMask(0, 0, 0);
  }

  // Draws scene(batched) both ways and expects the same pixels; returns the
  // batched run's draw calls and quads sent.
  std::pair<uint64_t, uint64_t> ExpectSameAsSingleQuads(const std::function<void(bool batched)>& scene) {
    TGLPlanoDriver& driver = *GLPlanoDriver();
    std::vector<uint8_t> got[2];
    uint64_t calls = 0, quads = 0;
    for (bool batched : {true, false}) {
      driver.SetQuadBatching(batched);
      TImageFont::Builtin()->_packed = batched;
      ResetRenderer();
      Cls();
      const uint64_t calls0 = driver.DrawCalls(), quads0 = driver.QuadsSent();
      scene(batched);
      got[batched ? 0 : 1] = ReadFramebuffer();
      if (batched) calls = driver.DrawCalls() - calls0, quads = driver.QuadsSent() - quads0;
    }
    ResetRenderer();
    driver.SetQuadBatching(true);
    EXPECT_EQ(got[0].size(), got[1].size());
    int differing = 0, lit = 0;
    for (size_t i = 0; i + 3 < got[0].size() && i + 3 < got[1].size(); i += 4) {
      const bool same = std::equal(&got[0][i], &got[0][i] + 4, &got[1][i]);
      lit += got[1][i] != 20 || got[1][i + 1] != 40 || got[1][i + 2] != 60;
      if (!same && ++differing <= 5) {
        ADD_FAILURE() << "pixel (" << (i / 4) % 700 << ", " << (i / 4) / 700 << "): batched " << int(got[0][i]) << ","
                      << int(got[0][i + 1]) << "," << int(got[0][i + 2]) << "," << int(got[0][i + 3]) << " single "
                      << int(got[1][i]) << "," << int(got[1][i + 1]) << "," << int(got[1][i + 2]) << ","
                      << int(got[1][i + 3]);
      }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 2000) << "the scene draws too little to compare";
    return {calls, quads};
  }

  FontRef Font(int style, bool packed) {
    FontRef font = LoadFontImage(kDejaVu, 30, style);
    if (!font) ADD_FAILURE() << "cannot open " << kDejaVu;
    if (font) font->_packed = packed;
    return font;
  }

  ImageRef strip_, strip_nearest_, strip_mipmapped_, masked_, translucent_, tiles_, background_;
};

// The game's maze: background, all 925 cells (most off screen), HUD text.
void DrawMaze(const ImageRef& background, const ImageRef& tiles, int scroll_x, int scroll_y) {
  FillTiled(background, 0, 0, 1);
  for (int row = 0; row < 25; ++row)
    for (int col = 0; col < 37; ++col)
      DrawImageScaled(tiles, float(col * 32 - scroll_x), float(row * 32 - scroll_y), 32, 32, (col * 7 + row * 3) % 15);
}

}  // namespace

TEST_F(Batching, MazeScreenDrawsInAFewCallsWithTheSamePixels) {
  FontRef smooth[2] = {Font(kFontSmooth, true), Font(kFontSmooth, false)};
  const auto [calls, quads] = ExpectSameAsSingleQuads([&](bool batched) {
    DrawMaze(background_, tiles_, 237, 131);
    UseFont(smooth[batched ? 0 : 1]);
    DrawTextAt(u"12  287  Spiel ist aus", 75, 10);
  });
  // The background sheet, the tile sheet and the font's atlas; the tiles off
  // screen never reach GL.
  EXPECT_LE(calls, 3u);
  EXPECT_LT(quads, 11u * 15 + 23 * 18 + 25);
  // Scrolled by whole tiles, 22 x 17 cells are on screen (the last column and
  // row partly); the column and row ending at the window's edge are not.
  EXPECT_EQ(ExpectSameAsSingleQuads([&](bool) { DrawMaze(background_, tiles_, 64, 32); }).second, 165u + 22 * 17);
}

TEST_F(Batching, ImagesUnderEveryPlacementScaleAndRotation) {
  ExpectSameAsSingleQuads([&](bool) {
    int n = 0;
    for (const ImageRef& image : {strip_, strip_nearest_, strip_mipmapped_, masked_, translucent_}) {
      const float y = float(10 + 75 * n++);
      const int frames = image->FrameCount();
      // Alternating whole-pixel and other placements of the same frames, so the
      // textures switch between nearest and their own filtering again and again.
      for (int i = 0; i < 6; ++i) {
        DrawImageAt(image, float(10 + 30 * i), y, i % frames);
        DrawImageAt(image, 10.5f + 30 * i, y + 30, i % frames);
      }
      DrawImageAt(image, 190.25f, y + 0.75f, 1 % frames);
      DrawImageScaled(image, 220, y, 48, 50, 2 % frames);
      DrawImageScaled(image, 270, y, 12, 12, 3 % frames);
      DrawImageScaled(image, 290, y, 31, 17, 4 % frames);
      DrawImageScaled(image, 360, y + 40, -24, -25, 5 % frames);  // turned over
      image->handle_x = 12.5f, image->handle_y = 3;
      DrawImageAt(image, 390, y + 5, 0);
      image->handle_x = 7, image->handle_y = 4;
      DrawImageAt(image, 420, y + 5, 1 % frames);
      image->handle_x = image->handle_y = 0;
      for (float degrees : {30.0f, 90.0f, 180.0f}) {
        SetDrawRotation(degrees);
        DrawImageAt(image, 480 + degrees / 2, y + 30, 2 % frames);
      }
      SetDrawRotation(0);
      SetDrawScale(-1, 1);
      DrawImageAt(image, 620, y, 0);
      SetDrawScale(2, 1.5f);
      DrawImageAt(image, 630, y, 1 % frames);
      SetDrawScale(1, 1);
      SetDrawOrigin(0.5f, 0);
      DrawImageAt(image, 660, y, 0);
      SetDrawOrigin(0, 0);
    }
    FillTiled(strip_, 3.5f, 0, 2);  // half a pixel off: every tile filtered
    SetViewport(0, 400, 300, 140);
    FillTiled(strip_nearest_, 7, 9, 4);
  });
}

TEST_F(Batching, BlendModesColourAndAlphaOverOneAnother) {
  FontRef smooth[2] = {Font(kFontSmooth, true), Font(kFontSmooth, false)};
  ExpectSameAsSingleQuads([&](bool batched) {
    UseFont(smooth[batched ? 0 : 1]);
    SetColor(90, 160, 30);
    DrawRect(0, 0, 700, 540);
    int n = 0;
    for (int blend = 1; blend <= 5; ++blend) {
      SetBlend(blend);
      for (float alpha : {1.0f, 0.75f, 0.5f, 0.3f}) {
        const float x = float(10 + 34 * n++);
        SetAlpha(alpha);
        SetColor(255, 255, 255);
        DrawImageAt(strip_, x, 10, n % 6);
        DrawImageAt(translucent_, x + 5, 20);
        SetColor(250, 120, 10);
        DrawImageAt(masked_, x + 3, 40);
        DrawRect(x, 60, 20, 15);
        SetColor(30, 200, 255);
        DrawImageScaled(strip_nearest_, x, 80, 30, 30, n % 6);
        DrawTextAt(u"Ag", x, 120);
      }
      SetColor(255, 255, 255);
      SetAlpha(0.5f);
      FillTiled(strip_, float(blend * 3), 0, 0);  // the whole screen again, in this blend
    }
  });
}

TEST_F(Batching, TextInEveryFontPlacementAndVirtualResolution) {
  FontRef smooth[2] = {Font(kFontSmooth, true), Font(kFontSmooth, false)};
  FontRef plain[2] = {Font(0, true), Font(0, false)};
  const std::u16string line = u"Press 1 for Help - How to play";
  ExpectSameAsSingleQuads([&](bool batched) {
    const int k = batched ? 0 : 1;
    const FontRef fonts[3] = {smooth[k], plain[k], nullptr};  // the last: the built-in font
    for (int f = 0; f < 3; ++f) {
      UseFont(fonts[f]);
      const float y = float(180 * f);
      SetColor(255, 255, 255);
      DrawTextAt(line, 5, y);
      SetColor(255, 40, 40);
      DrawTextAt(line, 5.5f, y + 30);
      SetColor(40, 255, 40);
      DrawTextAt(line, 7.25f, y + 60.5f);
      SetDrawScale(0.5f, 0.5f);
      DrawTextAt(line, 450, y);
      SetDrawScale(1.5f, 1.5f);
      DrawTextAt(u"Wg@", 450, y + 20);
      SetDrawTransform(20, 1, 1);
      DrawTextAt(u"Wg@", 580, y + 20);
      SetDrawTransform(0, 1, 1);
      SetVirtualSize(1050, 810);
      DrawTextAt(line, 8, (y + 95) * 1.5f);
      SetVirtualSize(350, 270);
      DrawTextAt(u"Help", 3, (y + 130) / 2);
      SetVirtualSize(700, 540);
    }
  });
}

TEST_F(Batching, ClippingAndQuadsOffScreen) {
  // 24 x 25 quads across every edge of the window, wholly outside it, and ending
  // at its edge: 4 columns and 4 rows of them reach inside, only those are sent.
  const auto edges = ExpectSameAsSingleQuads([&](bool) {
    FillTiled(masked_, 0, 0);
    for (float x : {-30.0f, -24.0f, -23.0f, 340.0f, 676.0f, 677.0f, 700.0f, 5000.0f})
      for (float y : {-40.0f, -25.0f, -24.5f, 260.0f, 515.0f, 539.5f, 540.0f, -1e30f})
        DrawImageAt(strip_, x, y, 1);
  });
  EXPECT_EQ(edges.second, 54u * 50 + 4 * 4);
  ExpectSameAsSingleQuads([&](bool) {
    // A clip rectangle; images inside, across and outside it, then a clear of it.
    SetViewport(100, 100, 200, 150);
    for (int i = 0; i < 12; ++i) DrawImageAt(strip_nearest_, float(60 + 25 * i), float(60 + 18 * i), i % 6);
    SetColor(200, 0, 0);
    DrawRect(250, 240, 100, 100);
    SetViewport(120, 120, 40, 40);
    Cls();
    SetViewport(0, 0, 700, 540);
    SetColor(255, 255, 255);
    // A clip rectangle reaching past the window, and one that is empty.
    SetViewport(600, 450, 500, 500);
    FillTiled(masked_, 0, 0);
    SetViewport(50, 50, 0, 30);
    DrawImageAt(strip_, 45, 50, 0);
    SetViewport(0, 0, 700, 540);
    // Under virtual resolutions the clip rectangle and the quads scale together.
    SetVirtualSize(1050, 810);
    SetViewport(30, 600, 300, 150);
    for (int i = 0; i < 10; ++i) DrawImageAt(strip_, float(20 + 30 * i), float(580 + 20 * i), i % 6);
    SetVirtualSize(350, 270);
    SetViewport(200, 0, 100, 80);
    for (int i = 0; i < 10; ++i) DrawImageAt(strip_nearest_, float(180 + 15 * i), float(-10 + 10 * i), i % 6);
  });
}

TEST_F(Batching, ChangesBetweenQuadsShowOnlyInLaterQuads) {
  ExpectSameAsSingleQuads([&](bool) {
    // New pixels for a frame whose old pixels are still waiting to be drawn.
    auto strip = LoadImageStrip(Strip(24, 25, 6, true), 24, 25, 0, 6, -1);
    for (int i = 0; i < 6; ++i) DrawImageAt(strip, float(10 + 30 * i), 10, i);
    strip->Lock(2, true, true)->Paste(*Picture(24, 25, 40, false, PF_RGBA8888), 0, 0);
    for (int i = 0; i < 6; ++i) DrawImageAt(strip, float(10 + 30 * i), 40, i);
    strip->SetPixmap(4, Picture(24, 25, 41, true));
    for (int i = 0; i < 6; ++i) DrawImageAt(strip, float(10 + 30 * i), 70, i);
    // An image released while its quads wait, its texture then deleted when the
    // next texture is made.
    {
      auto gone = LoadImageStrip(Strip(24, 25, 6, true), 24, 25, 0, 6, -1);
      auto single = LoadImageFile(Picture(20, 20, 9, true), -1);
      DrawImageAt(gone, 300, 10, 3);
      DrawImageAt(single, 330, 10);
    }
    auto fresh = LoadImageFile(Picture(20, 20, 11, true), -1);
    DrawImageAt(fresh, 360, 10);
    // Lines, points and polygons between quads keep their place in the order.
    DrawImageAt(masked_, 400, 100);
    SetColor(0, 255, 0);
    GLPlanoDriver()->DrawLine(395, 95, 420, 120, 0, 0);
    GLPlanoDriver()->Plot(405, 104);
    DrawImageAt(masked_, 403, 103);
    GLPlanoDriver()->DrawOval(380, 100, 440, 140, 0, 0);
    GLPlanoDriver()->DrawPoly({0, 0, 30, 0, 15, 25}, 0, 0, 400, 110);
    SetColor(255, 255, 255);
    DrawImageAt(strip_, 410, 112, 0);
    // Clears and blends in between.
    DrawImageAt(strip_, 500, 10, 1);
    Cls();
    FillTiled(strip_nearest_, 0, 0, 3);
    SetBlend(3);
    DrawImageAt(translucent_, 10, 10);
    SetBlend(1);
    DrawImageAt(translucent_, 10, 10);
  });
}

TEST_F(Batching, FramesOfAnImageShareOneSheetRebuiltAfterReopening) {
  auto* a = dynamic_cast<TGLImageFrame*>(tiles_->Frame(0));
  auto* b = dynamic_cast<TGLImageFrame*>(tiles_->Frame(59));
  ASSERT_TRUE(a && b && a->sheet);
  EXPECT_EQ(a->sheet, b->sheet);
  EXPECT_NE(a->sheet->name, a->name);
  // Each cell a frame plus its border: the frames do not overlap.
  EXPECT_NE(std::make_pair(a->sheet_x, a->sheet_y), std::make_pair(b->sheet_x, b->sheet_y));
  EXPECT_TRUE(std::abs(a->sheet_x - b->sheet_x) >= 34 || std::abs(a->sheet_y - b->sheet_y) >= 34);
  // One-frame images keep to their own texture.
  EXPECT_FALSE(dynamic_cast<TGLImageFrame*>(masked_->Frame(0))->sheet);
  const std::weak_ptr<TGLSheet> old_sheet = a->sheet;
  const auto scene = [&](bool) { DrawMaze(background_, tiles_, 100, 50); };
  ExpectSameAsSingleQuads(scene);
  const auto before = ReadFramebuffer();

  ASSERT_TRUE(test_support::OpenHeadlessGraphics());
  ExpectSameAsSingleQuads(scene);
  EXPECT_EQ(ReadFramebuffer(), before);
  auto* again = dynamic_cast<TGLImageFrame*>(tiles_->Frame(0));
  ASSERT_TRUE(again && again->sheet);
  EXPECT_NE(again->sheet, old_sheet.lock());
  EXPECT_EQ(again->sheet->seq, graphics_epoch());

  // Releasing the image queues the sheet's texture with the frames' own.
  const size_t queued = QueuedTextureDeletions();
  const auto current = size_t(std::count(tiles_->seqs.begin(), tiles_->seqs.end(), graphics_epoch()));
  EXPECT_GE(current, 15u);
  tiles_.reset();
  EXPECT_EQ(QueuedTextureDeletions(), queued + current + 1);
}

TEST_F(Batching, FramesTooLargeForASheetDrawFromTheirOwnTextures) {
  // Two frames 5000 pixels wide fit no sheet; each keeps its own texture.
  auto map = TPixmap::Create(5000, 4, PF_BGR888);
  for (int x = 0; x < 5000; ++x)
    for (int y = 0; y < 4; ++y) map->WritePixel(x, y, MakeArgb(255, x % 256, y * 60, x / 256 * 10));
  auto wide = LoadImageStrip(map, 5000, 2, 0, 2, 0);
  ASSERT_TRUE(wide);
  auto* frame = dynamic_cast<TGLImageFrame*>(wide->Frame(1));
  ASSERT_TRUE(frame);
  EXPECT_FALSE(frame->sheet);
  ExpectSameAsSingleQuads([&](bool) {
    for (int i = 0; i < 60; ++i) DrawImageAt(wide, float(-100 * i), float(i * 5), i % 2);
  });
}
