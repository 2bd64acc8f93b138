// Pixel collision: quads, layers, the polygon scan and ImagesOverlap.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "media/collision/collision.h"
#include "media/collision/quads.h"
#include "media/graphics/graphics.h"
#include "media/graphics/image.h"

namespace {

// An RGBA image whose pixel (x, y) is solid where solid(x, y) holds.
template <typename F>
ImageRef MaskedImage(int w, int h, F solid) {
  auto map = TPixmap::Create(w, h, PF_RGBA8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) map->WritePixel(x, y, MakeArgb(solid(x, y) ? 255 : 0, 200, 100, 50));
  return LoadImageFile(map, MASKEDIMAGE);
}

ImageRef SolidImage(int w, int h) { return LoadImageFile(TPixmap::Create(w, h, PF_RGB888), 0); }

// The answer by definition: some screen pixel solid in both frames.
bool Reference(const TImage& a, int ax, int ay, int af, const TImage& b, int bx, int by, int bf) {
  auto solid = [](const TImage& im, int f, int x, int y) {
    const PixmapPtr& m = im.pixmaps[size_t(f)];
    return !m->HasAlpha() || (m->ReadPixel(x, y) >> 24) >= 128;
  };
  for (int y = std::max(ay, by); y < std::min(ay + a.height, by + b.height); ++y)
    for (int x = std::max(ax, bx); x < std::min(ax + a.width, bx + b.width); ++x)
      if (solid(a, af, x - ax, y - ay) && solid(b, bf, x - bx, y - by)) return true;
  return false;
}

class Collision : public ::testing::Test {
 protected:
  void SetUp() override { SetCollisionTransform(1, 0, 0, 1); }
  void TearDown() override { ClearCollisionLayers(0xFFFFFFFFu); }
};

}  // namespace

TEST_F(Collision, TouchingEdgesNeverCollide) {
  auto a = SolidImage(24, 25);
  auto b = SolidImage(24, 25);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 24, 0, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 0, 25, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, -24, -25, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 23, 24, 0), 1);
}

TEST_F(Collision, OneColumnOverlapDependsOnBothEdgeColumns) {
  // Column 23 of the first and column 0 of the second are solid only on rows
  // 0..9 and 10..24 respectively: no common row, no collision.
  auto a = MaskedImage(24, 25, [](int x, int y) { return x < 23 || y < 10; });
  auto b = MaskedImage(24, 25, [](int x, int y) { return x > 0 || y >= 10; });
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 23, 0, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 23, -1, 0), 1);  // b's row 10 meets a's row 9
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 22, 0, 0), 1);
}

TEST_F(Collision, OverlapOfBoundingBoxesAloneGivesZero) {
  // Two diagonal triangles whose boxes overlap almost entirely.
  auto upper = MaskedImage(20, 20, [](int x, int y) { return x > y + 2; });
  auto lower = MaskedImage(20, 20, [](int x, int y) { return y > x + 2; });
  EXPECT_EQ(ImagesOverlap(upper, 0, 0, 0, lower, 0, 0, 0), 0);
  // Moved by (d, -d) the lower triangle reaches x < y + 2d - 2: first contact at d = 3.
  EXPECT_EQ(ImagesOverlap(upper, 0, 0, 0, lower, 2, -2, 0), 0);
  EXPECT_EQ(ImagesOverlap(upper, 0, 0, 0, lower, 3, -3, 0), 1);
}

TEST_F(Collision, UnmaskedImageCollidesAsARectangle) {
  auto rect = SolidImage(10, 10);
  auto dot = MaskedImage(5, 5, [](int x, int y) { return x == 4 && y == 4; });
  EXPECT_EQ(ImagesOverlap(rect, 0, 0, 0, dot, 5, 5, 0), 1);  // the dot lands on (9, 9)
  EXPECT_EQ(ImagesOverlap(rect, 0, 0, 0, dot, 6, 5, 0), 0);
  EXPECT_EQ(ImagesOverlap(dot, 5, 5, 0, rect, 0, 0, 0), 1);
  // A masked load of a picture without the mask colour is all solid too.
  auto plain = TPixmap::Create(10, 10, PF_RGB888);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) plain->WritePixel(x, y, MakeArgb(255, 1, 2, 3));
  SetLoadMask(255, 0, 255);
  auto masked_plain = LoadImageFile(plain, MASKEDIMAGE);
  EXPECT_EQ(ImagesOverlap(masked_plain, 0, 0, 0, dot, -4, -4, 0), 1);
}

TEST_F(Collision, FramesAreChosenByIndexAndCheckedAgainstTheImage) {
  auto map = TPixmap::Create(4, 4, PF_RGBA8888);
  auto image = TImage::Create(4, 4, 2, MASKEDIMAGE, 0, 0, 0);
  image->SetPixmap(0, map);  // frame 0 transparent
  auto solid = map->Copy();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) solid->WritePixel(x, y, 0xFF000000u);
  image->SetPixmap(1, solid);
  auto other = SolidImage(4, 4);
  EXPECT_EQ(ImagesOverlap(image, 0, 0, 0, other, 1, 1, 0), 0);
  EXPECT_EQ(ImagesOverlap(image, 0, 0, 1, other, 1, 1, 0), 1);
  try {
    ImagesOverlap(image, 0, 0, 2, other, 1, 1, 0);
    FAIL() << "no error for frame 2";
  } catch (const std::out_of_range& e) {
    EXPECT_NE(std::string(e.what()).find("index 2"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("2 frame"), std::string::npos) << e.what();
  }
}

TEST_F(Collision, ZeroTransformCollapsesEverything) {
  SetCollisionTransform(0, 0, 0, 0);
  auto a = SolidImage(10, 10);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, a, 0, 0, 0), 0);
}

TEST_F(Collision, LayersReportIdsAndRecycleQuads) {
  int first = 1, second = 2;
  auto image = SolidImage(8, 8);
  EXPECT_TRUE(TestImageQuad(image, 0, 0, 0, 0, 1u << 3, &first).empty());
  TestRectQuad(100, 100, 5, 5, 0, 1u << 3, &second);
  EXPECT_EQ(TestRectQuad(4, 4, 2, 2, 1u << 3, 0, nullptr), std::vector<const void*>{&first});
  // Both quads hit: the newest is at the head of the layer.
  EXPECT_EQ(TestRectQuad(0, 0, 200, 200, 1u << 3, 0, nullptr), (std::vector<const void*>{&second, &first}));
  EXPECT_TRUE(TestRectQuad(0, 0, 200, 200, 1u << 4, 0, nullptr).empty());
  ClearCollisionLayers(1u << 3);
  EXPECT_TRUE(TestRectQuad(0, 0, 200, 200, 1u << 3, 0, nullptr).empty());
  // After ImagesOverlap, layer 31 holds exactly the first image's quad.
  auto other = SolidImage(4, 4);
  ImagesOverlap(image, 50, 50, 0, other, 0, 0, 0);
  EXPECT_EQ(TestRectQuad(57, 57, 1, 1, 1u << 31, 0, nullptr).size(), 1u);
  EXPECT_TRUE(TestRectQuad(0, 0, 4, 4, 1u << 31, 0, nullptr).empty());
}

TEST_F(Collision, RotatedQuadsAreScannedAsPolygons) {
  // A 10 x 10 square turned by 45 degrees: a diamond with corners at the middle
  // of its bounding box's sides.
  TQuad diamond, probe;
  diamond.SetCoords(0, 0, 7.07f, 7.07f, 0, 14.14f, -7.07f, 7.07f);
  probe.SetCoords(-7, 0, -5, 0, -5, 2, -7, 2);  // inside the box, outside the diamond
  EXPECT_FALSE(QuadsCollide(diamond, probe));
  probe.SetCoords(-1, 6, 1, 6, 1, 8, -1, 8);  // at the centre
  EXPECT_TRUE(QuadsCollide(diamond, probe));
  probe.SetCoords(4, 8, 6, 8, 6, 10, 4, 10);  // across the lower right side
  EXPECT_TRUE(QuadsCollide(diamond, probe));
  probe.SetCoords(5, 11, 7, 11, 7, 13, 5, 13);  // beyond it
  EXPECT_FALSE(QuadsCollide(diamond, probe));

  // The same through TestImageQuad with the rotation as collision transform.
  const float c = 0.70710678f;
  SetCollisionTransform(c, -c, c, c);
  auto square = SolidImage(10, 10);
  TestImageQuad(square, 0, 0, 0, 0, 1u << 5, nullptr);
  SetCollisionTransform(1, 0, 0, 1);
  EXPECT_TRUE(TestRectQuad(-1, 6, 2, 2, 1u << 5, 0, nullptr).size() == 1);
  EXPECT_TRUE(TestRectQuad(-7, 0, 2, 2, 1u << 5, 0, nullptr).empty());
}

// Whole-pixel positions give the exact answer anywhere in the int range, where a
// float no longer holds every whole number.
TEST_F(Collision, ExtremePositionsKeepEveryPixel) {
  auto a = SolidImage(30, 30);
  auto b = SolidImage(30, 30);
  EXPECT_EQ(ImagesOverlap(a, INT_MAX - 100, 0, 0, b, INT_MAX - 90, 5, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, INT_MAX - 100, 0, 0, b, INT_MAX - 71, 29, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, INT_MAX - 100, 0, 0, b, INT_MAX - 70, 0, 0), 0) << "touching edges";
  EXPECT_EQ(ImagesOverlap(a, INT_MAX, INT_MAX, 0, b, INT_MAX - 29, INT_MAX - 29, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, INT_MIN, INT_MIN, 0, b, INT_MIN + 29, INT_MIN + 29, 0), 1);
  EXPECT_EQ(ImagesOverlap(a, INT_MIN, INT_MIN, 0, b, INT_MIN + 30, INT_MIN, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, INT_MIN, 0, 0, b, INT_MAX - 29, 0, 0), 0);

  // One solid pixel each, at (7, 3) of the first and (2, 8) of the second.
  auto p = MaskedImage(30, 30, [](int x, int y) { return x == 7 && y == 3; });
  auto q = MaskedImage(30, 30, [](int x, int y) { return x == 2 && y == 8; });
  const int x = INT_MAX - 40, y = INT_MIN + 20;
  EXPECT_EQ(ImagesOverlap(p, x, y, 0, q, x + 5, y - 5, 0), 1);
  EXPECT_EQ(ImagesOverlap(p, x, y, 0, q, x + 4, y - 5, 0), 0);
  EXPECT_EQ(ImagesOverlap(p, x, y, 0, q, x + 5, y - 4, 0), 0);
}

// Turned quads far out are scanned as polygons; their corners are converted to
// whole pixels within the int range (the sanitized build stops on a conversion
// out of range), and quads far apart never collide. Near 2^31 a float is a
// multiple of 128, so all four corners of a 30-pixel quad fall on the same x:
// every span is empty and nothing collides, even a quad with itself.
TEST_F(Collision, TurnedQuadsAtExtremePositionsStayInRange) {
  auto a = SolidImage(30, 30);
  auto b = SolidImage(30, 30);
  const float c = 0.70710678f;
  SetCollisionTransform(c, -c, c, c);
  for (int x : {INT_MAX - 10, INT_MIN + 10}) {
    for (int y : {INT_MAX - 10, INT_MIN + 10, 0}) {
      EXPECT_EQ(ImagesOverlap(a, x, y, 0, b, x, y, 0), 0) << x << ", " << y;
    }
  }
  EXPECT_EQ(ImagesOverlap(a, INT_MAX - 10, 0, 0, b, INT_MIN + 10, 0, 0), 0);
  EXPECT_EQ(ImagesOverlap(a, 0, 0, 0, b, 5, 5, 0), 1);
}

TEST_F(Collision, ShortcutEqualsTheScanOnRandomCases) {
  std::mt19937 rng(2024);
  auto rand_in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int hits = 0;
  for (int i = 0; i < 4000; ++i) {
    const int wa = rand_in(1, 32), ha = rand_in(1, 32), wb = rand_in(1, 32), hb = rand_in(1, 32);
    const int density_a = rand_in(0, 100), density_b = rand_in(0, 100);
    auto a = rand_in(0, 5) == 0 ? SolidImage(wa, ha)
                                : MaskedImage(wa, ha, [&](int, int) { return rand_in(0, 99) < density_a; });
    auto b = rand_in(0, 5) == 0 ? SolidImage(wb, hb)
                                : MaskedImage(wb, hb, [&](int, int) { return rand_in(0, 99) < density_b; });
    // Masks in each format with alpha: the shortcut reads them differently.
    for (ImageRef* im : {&a, &b}) {
      const int format = rand_in(0, 2);
      if ((*im)->pixmaps[0]->HasAlpha() && format != 0) {
        (*im)->pixmaps[0] = (*im)->pixmaps[0]->Convert(format == 1 ? PF_A8 : PF_BGRA8888);
      }
    }
    const int ax = rand_in(-40, 40), ay = rand_in(-40, 40);
    const int bx = ax + rand_in(-wb - 2, wa + 2), by = ay + rand_in(-hb - 2, ha + 2);

    TQuad qa, qb;
    qa.SetCoords(float(ax), float(ay), float(ax + wa), float(ay), float(ax + wa), float(ay + ha), float(ax),
                 float(ay + ha));
    qb.SetCoords(float(bx), float(by), float(bx + wb), float(by), float(bx + wb), float(by + hb), float(bx),
                 float(by + hb));
    if (a->pixmaps[0]->HasAlpha()) qa.mask = a->pixmaps[0];
    if (b->pixmaps[0]->HasAlpha()) qb.mask = b->pixmaps[0];

    const bool expect = Reference(*a, ax, ay, 0, *b, bx, by, 0);
    const bool scan = QuadsCollideByScan(qa, qb);
    ASSERT_EQ(scan, expect) << "case " << i;
    ASSERT_EQ(QuadsCollide(qa, qb), expect) << "case " << i;
    ASSERT_EQ(ImagesOverlap(a, ax, ay, 0, b, bx, by, 0), expect ? 1 : 0) << "case " << i;
    hits += expect;
  }
  // Both outcomes must be well represented for the comparison to mean anything.
  EXPECT_GT(hits, 800);
  EXPECT_LT(hits, 3200);
}
