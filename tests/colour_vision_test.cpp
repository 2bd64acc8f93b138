// The three diamond colours stay apart for colour-blind players: within each
// set of pictures where the colour decides something (the diamonds lying in the
// maze, the delivered-diamond counters, the holes) two colours differ in shape,
// not only in hue or brightness, under simulated protanopia, deuteranopia and
// tritanopia, and the diamonds differ in outline. The pictures are the
// committed files under assets/, read with the media layer's own loader.
//
// How "differ in shape" is measured: each picture is seen through the
// simulation and reduced to its luminance; over the pixels where either of the
// two pictures is opaque, each is z-scored (so brightness and contrast no longer
// count) and the two are correlated. Pictures that differ only in hue or
// lightness correlate near 1. A transparent pixel shows whatever floor lies
// under it, so it says nothing about the picture: it takes the mean luminance
// of its own picture's opaque pixels, which makes it neutral (z = 0) in both
// pictures alike, while a pixel opaque in one picture only still lowers the
// correlation, as an outline difference should.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "media/media.h"
#include "media/pixmap/loaders.h"
#include "tools/assetgen/colour_vision.h"

namespace {

using colour_vision::Rgb;
using colour_vision::Vision;

// Two pictures of a set may correlate at most this much under any vision.
constexpr double kMaxCorrelation = 0.8;
// The diamonds' outlines differ by at least this share of their union.
constexpr double kMinOutlineDifference = 0.10;

std::string SourceRoot() {
  const char* root = std::getenv("ZARN_SOURCE_DIR");
  return root ? root : ".";
}

// A picture as linear colours and its opaque (not magenta) pixels.
struct Picture {
  std::string name;
  int w = 0, h = 0;
  std::vector<Rgb> linear;
  std::vector<bool> opaque;
};

// The w x h cell at (x0, y0) of a loaded pixel map.
Picture Cut(const TPixmap& map, const std::string& name, int x0, int y0, int w, int h) {
  Picture p{name, w, h, {}, {}};
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const uint32_t argb = map.ReadPixel(x, y);
      const int r = int(argb >> 16 & 255), g = int(argb >> 8 & 255), b = int(argb & 255);
      p.opaque.push_back(!(r == 255 && g == 0 && b == 255));
      p.linear.push_back({colour_vision::ToLinear(r / 255.0), colour_vision::ToLinear(g / 255.0),
                          colour_vision::ToLinear(b / 255.0)});
    }
  return p;
}

// The committed picture gfx/<file>, whole or as cells of cell_w x cell_h from
// the left; fails the test, naming the file, when it cannot be read or is too
// small.
std::vector<Picture> LoadCells(const std::string& file, int cells, int cell_w, int cell_h) {
  const std::string path = SourceRoot() + "/assets/gfx/" + file;
  PixmapPtr map = LoadPixmap(path);
  std::vector<Picture> out;
  if (!map) {
    ADD_FAILURE() << path << ": cannot be loaded as a picture";
    return out;
  }
  if (map->width < cells * cell_w || map->height < cell_h) {
    ADD_FAILURE() << path << ": " << map->width << " x " << map->height << " holds no " << cells << " cells of "
                  << cell_w << " x " << cell_h;
    return out;
  }
  for (int i = 0; i < cells; ++i)
    out.push_back(Cut(*map, cells == 1 ? file : file + " cell " + std::to_string(i), i * cell_w, 0, cell_w, cell_h));
  return out;
}

// Pearson correlation of the two pictures' simulated luminance over the pixels
// opaque in either (see the top of this file). NaN when either picture is flat
// there or they differ in size.
double ShapeCorrelation(const Picture& a, const Picture& b, Vision v) {
  if (a.w != b.w || a.h != b.h) return std::nan("");
  const size_t n = a.linear.size();
  auto values = [&](const Picture& p) {
    std::vector<double> y(n);
    double sum = 0;
    int count = 0;
    for (size_t i = 0; i < n; ++i) {
      y[i] = colour_vision::Luminance(colour_vision::SimulateLinear(v, p.linear[i]));
      if (p.opaque[i]) {
        sum += y[i];
        ++count;
      }
    }
    const double mean = count ? sum / count : 0;
    std::vector<double> out;
    for (size_t i = 0; i < n; ++i)
      if (a.opaque[i] || b.opaque[i]) out.push_back(p.opaque[i] ? y[i] : mean);
    return out;
  };
  auto zscore = [](std::vector<double>& x) {
    double mean = 0, var = 0;
    for (double t : x) mean += t;
    mean /= double(x.size());
    for (double t : x) var += (t - mean) * (t - mean);
    const double sd = std::sqrt(var / double(x.size()));
    if (!(sd > 1e-9)) return false;
    for (double& t : x) t = (t - mean) / sd;
    return true;
  };
  std::vector<double> ya = values(a), yb = values(b);
  if (ya.empty() || !zscore(ya) || !zscore(yb)) return std::nan("");
  double sum = 0;
  for (size_t i = 0; i < ya.size(); ++i) sum += ya[i] * yb[i];
  return sum / double(ya.size());
}

// |A xor B| / |A or B| of the opaque pixels; 0 for two empty pictures.
double OutlineDifference(const Picture& a, const Picture& b) {
  int either = 0, one = 0;
  for (size_t i = 0; i < a.opaque.size() && i < b.opaque.size(); ++i) {
    either += a.opaque[i] || b.opaque[i];
    one += a.opaque[i] != b.opaque[i];
  }
  return either ? double(one) / either : 0;
}

// Checks every pair of a set under every vision and prints what it measured.
void ExpectShapesApart(const std::vector<Picture>& set) {
  ASSERT_EQ(set.size(), 3u);
  for (size_t i = 0; i < set.size(); ++i)
    for (size_t j = i + 1; j < set.size(); ++j)
      for (Vision v : colour_vision::kVisions) {
        const double r = ShapeCorrelation(set[i], set[j], v);
        std::printf("%-22s ~ %-22s %-14s correlation %.3f\n", set[i].name.c_str(), set[j].name.c_str(),
                    colour_vision::Name(v), r);
        EXPECT_LE(r, kMaxCorrelation) << set[i].name << " and " << set[j].name << " under " << colour_vision::Name(v)
                                      << " differ in little more than hue or brightness (NaN: a flat picture)";
      }
}

// Synthetic w x h pictures drawn like the sprites: colour(x, y) in sRGB 0..255
// inside the shape, a dark outline on its edge pixels, magenta outside.
Picture Synthetic(const std::string& name, int w, int h, const std::function<bool(int, int)>& inside,
                  const std::function<std::array<int, 3>(int, int)>& colour) {
  auto map = TPixmap::Create(w, h, PF_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      const std::array<int, 3> c = !inside(x, y) ? std::array<int, 3>{255, 0, 255}
                                   : edge        ? std::array<int, 3>{26, 18, 38}
                                                 : colour(x, y);
      map->WritePixel(x, y, MakeArgb(255, c[0], c[1], c[2]));
    }
  return Cut(*map, name, 0, 0, w, h);
}

bool InDisc(int x, int y) { return (x - 15) * (x - 15) + (y - 15) * (y - 15) <= 12 * 12; }
bool InTriangle(int x, int y) { return y >= 4 && y < 26 && 2 * std::abs(x - 15) <= 26 - y; }

}  // namespace

// The measure itself: a red and a green copy of one shaded disc are the case the
// art must avoid, while a disc and a triangle with the same shading are told
// apart.
TEST(ColourVisionMeasure, CatchesAHueOnlyPairAndPassesADifferentShape) {
  auto shade = [](int base) {
    return [base](int x, int y) {
      const int k = 120 + 4 * (x + y);
      return base == 0 ? std::array<int, 3>{k, k / 3, 20} : std::array<int, 3>{k / 3, k, 20};
    };
  };
  const Picture red = Synthetic("red disc", 30, 30, InDisc, shade(0));
  const Picture green = Synthetic("green disc", 30, 30, InDisc, shade(1));
  const Picture triangle = Synthetic("green triangle", 30, 30, InTriangle, shade(1));
  for (Vision v : colour_vision::kVisions) {
    SCOPED_TRACE(colour_vision::Name(v));
    EXPECT_GT(ShapeCorrelation(red, green, v), kMaxCorrelation + 0.05);
    EXPECT_LT(ShapeCorrelation(red, triangle, v), kMaxCorrelation);
    // Symmetric: the order of the two pictures does not matter.
    EXPECT_DOUBLE_EQ(ShapeCorrelation(red, triangle, v), ShapeCorrelation(triangle, red, v));
  }
  EXPECT_EQ(OutlineDifference(red, green), 0);
  EXPECT_GE(OutlineDifference(red, triangle), kMinOutlineDifference);
  // A flat picture carries no shape to compare: NaN, which fails the bound.
  Picture flat = red;
  flat.opaque.assign(flat.opaque.size(), true);
  flat.linear.assign(flat.linear.size(), Rgb{0.3, 0.3, 0.3});
  EXPECT_TRUE(std::isnan(ShapeCorrelation(red, flat, Vision::kNormal)));
}

// The simulations keep greys grey (a mistyped matrix entry would not) and lose
// the contrast each deficiency is known to lose: a red and a green told apart by
// hue nearly meet for deuteranopes, come closer for protanopes and stay apart
// for tritanopes.
TEST(ColourVisionMeasure, SimulationsLoseTheContrastOfTheirDeficiency) {
  auto distance = [](Rgb a, Rgb b) { return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b); };
  for (Vision v : colour_vision::kVisions) {
    SCOPED_TRACE(colour_vision::Name(v));
    for (double g : {0.0, 0.2, 0.5, 1.0})
      EXPECT_LT(distance(colour_vision::SimulateLinear(v, {g, g, g}), {g, g, g}), 0.002);
  }
  const Rgb red{0.80, 0.06, 0.04}, green{0.14, 0.52, 0.03};
  auto kept = [&](Vision v) {
    return distance(colour_vision::SimulateLinear(v, red), colour_vision::SimulateLinear(v, green)) /
           distance(red, green);
  };
  EXPECT_DOUBLE_EQ(kept(Vision::kNormal), 1.0);
  EXPECT_LT(kept(Vision::kDeuteranopia), 0.3);
  EXPECT_LT(kept(Vision::kProtanopia), 0.65);
  EXPECT_GT(kept(Vision::kTritanopia), 1.0);
}

// The diamonds lying in the maze: each file is one still picture (the game
// loads it whole as a single frame), compared whole.
TEST(ColourVisionArt, DiamondsDifferInShapeAndOutline) {
  std::vector<Picture> set;
  for (const char* file : {"diamonds.bmp", "diamonds2.bmp", "diamonds3.bmp"})
    for (Picture& p : LoadCells(file, 1, 30, 30)) set.push_back(std::move(p));
  ExpectShapesApart(set);
  if (set.size() != 3) return;
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = i + 1; j < 3; ++j) {
      const double d = OutlineDifference(set[i], set[j]);
      std::printf("%-22s ~ %-22s outline difference %.3f\n", set[i].name.c_str(), set[j].name.c_str(), d);
      EXPECT_GE(d, kMinOutlineDifference) << set[i].name << " and " << set[j].name << " have nearly one outline";
    }
}

// The delivered-diamond counters: single still pictures too, compared whole.
TEST(ColourVisionArt, DeliveredCountersDifferInShape) {
  std::vector<Picture> set;
  for (const char* file : {"diamondsgot.bmp", "diamonds2got.bmp", "diamonds3got.bmp"})
    for (Picture& p : LoadCells(file, 1, 30, 30)) set.push_back(std::move(p));
  ExpectShapesApart(set);
}

// The holes are one strip whose three 26 x 21 cells are the blue, green and red
// hole (each a single still frame), so the set is its three cells.
TEST(ColourVisionArt, HolesDifferInShape) { ExpectShapesApart(LoadCells("holes.bmp", 3, 26, 21)); }

// A file that is not a picture fails with its name rather than crashing.
TEST(ColourVisionArt, AnUnreadablePictureIsNamed) {
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    EXPECT_TRUE(LoadCells("no-such-picture.bmp", 3, 26, 21).empty());
    EXPECT_TRUE(LoadCells("holes.bmp", 4, 26, 21).empty());
  }
  ASSERT_EQ(failures.size(), 2);
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("no-such-picture.bmp"), std::string::npos);
  EXPECT_NE(std::string(failures.GetTestPartResult(1).message()).find("holes.bmp: 78 x 21"), std::string::npos);
}
