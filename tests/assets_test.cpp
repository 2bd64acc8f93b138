// The game's asset files: every picture, sound, font, level and score file
// exists, loads with the media layer's own loaders and has the sizes and cell
// counts its screens draw it with; the levels are enclosed, connected by the
// player's own movement rule, roomy enough for the Blobbs, and keep the areas
// that only the through-walls power-up reaches few and small.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "media/audio/sample_loader.h"
#include "media/media.h"

namespace {

std::string SourceRoot() {
  const char* root = std::getenv("ZARN_SOURCE_DIR");
  return root ? root : ".";
}

std::string Asset(const std::string& rel) { return SourceRoot() + "/assets/" + rel; }

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class AssetPictures : public ::testing::Test {
 protected:
  void SetUp() override { SetLoadMask(255, 0, 255); }
  void TearDown() override { SetLoadMask(0, 0, 0); }
};

// Solid pixels of one frame, as the game's mask test sees them.
struct Solid {
  int w = 0, h = 0;
  std::vector<uint8_t> on;
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && on[size_t(y * w + x)]; }
  int Count() const {
    int n = 0;
    for (uint8_t v : on) n += v;
    return n;
  }
};

Solid SolidOf(const ImageRef& img, int frame) {
  Solid s;
  const PixmapPtr& map = img->pixmaps.at(size_t(frame));
  s.w = map->width;
  s.h = map->height;
  s.on.resize(size_t(s.w * s.h));
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) s.on[size_t(y * s.w + x)] = (map->ReadPixel(x, y) >> 24) >= 128;
  return s;
}

// Any solid pixel of a drawn at (ax, ay) on a solid pixel of b drawn at (bx, by).
bool Overlap(const Solid& a, int ax, int ay, const Solid& b, int bx, int by) {
  int x0 = std::max(ax, bx), y0 = std::max(ay, by);
  int x1 = std::min(ax + a.w, bx + b.w), y1 = std::min(ay + a.h, by + b.h);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (a.At(x - ax, y - ay) && b.At(x - bx, y - by)) return true;
  return false;
}

struct MeanColour {
  double r = 0, g = 0, b = 0;
  double Distance(const MeanColour& o) const {
    return std::sqrt((r - o.r) * (r - o.r) + (g - o.g) * (g - o.g) + (b - o.b) * (b - o.b));
  }
};

MeanColour MeanOf(const ImageRef& img, int frame) {
  const PixmapPtr& map = img->pixmaps.at(size_t(frame));
  MeanColour m;
  for (int y = 0; y < map->height; ++y)
    for (int x = 0; x < map->width; ++x) {
      uint32_t p = map->ReadPixel(x, y);
      m.r += (p >> 16) & 255;
      m.g += (p >> 8) & 255;
      m.b += p & 255;
    }
  double n = double(map->width * map->height);
  return {m.r / n, m.g / n, m.b / n};
}

}  // namespace

// Strips: the cell size and count the game cuts them with, and nothing left over.
TEST_F(AssetPictures, StripsHoldExactlyTheirCells) {
  const struct {
    const char* file;
    int cw, ch, count;
  } strips[] = {
      {"gfx/zarn.bmp", 24, 25, 40}, {"gfx/enemy.bmp", 30, 30, 9},  {"gfx/holes.bmp", 26, 21, 3},
      {"gfx/choose.bmp", 88, 42, 3}, {"gfx/bg.bmp", 64, 38, 3},     {"gfx/tiles 01.bmp", 32, 32, 60},
  };
  for (const auto& s : strips) {
    SCOPED_TRACE(s.file);
    ImageRef img = LoadImageStrip(Asset(s.file), s.cw, s.ch, 0, s.count);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->FrameCount(), s.count);
    EXPECT_EQ(img->width, s.cw);
    EXPECT_EQ(img->height, s.ch);
    ImageRef whole = LoadImageFile(Asset(s.file));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->width % s.cw, 0);
    EXPECT_EQ(whole->height % s.ch, 0);
    EXPECT_EQ((whole->width / s.cw) * (whole->height / s.ch), s.count);
  }
  // The game loads each hole as a single cell of its own.
  for (int cell = 0; cell < 3; ++cell) {
    ImageRef hole = LoadImageStrip(Asset("gfx/holes.bmp"), 26, 21, cell, 1);
    ASSERT_NE(hole, nullptr);
    EXPECT_GT(SolidOf(hole, 0).Count(), 200) << "hole " << cell;
  }
}

// Single pictures: they fit between the things drawn around them.
TEST_F(AssetPictures, PicturesFitWhereTheyAreDrawn) {
  const struct {
    const char* file;
    int max_w, max_h;  // room the screens give
    bool transparent;  // has masked areas
  } pictures[] = {
      // HUD counters follow the diamonds 30 pixels on; rows 40 apart on the results page.
      {"gfx/diamonds.bmp", 30, 30, true},     {"gfx/diamonds2.bmp", 30, 30, true},
      {"gfx/diamonds3.bmp", 30, 30, true},    {"gfx/diamondsgot.bmp", 30, 30, true},
      {"gfx/diamonds2got.bmp", 30, 30, true}, {"gfx/diamonds3got.bmp", 30, 30, true},
      // Panels at (0, 5) and (440, 5), rows of the results page 40 apart.
      {"gfx/got.bmp", 260, 40, true},
      // "200" ... clock at 270 ... "Should be enough." at 320.
      {"gfx/clock.bmp", 50, 40, true},
      // Slots at (20, 50) and (20, 90), their countdown at x 50.
      {"gfx/slot.bmp", 30, 40, true},         {"gfx/empty.bmp", 30, 40, true},
      {"gfx/powerup01.bmp", 30, 32, true},    {"gfx/powerup02.bmp", 30, 32, true},
      {"gfx/powerup03.bmp", 30, 32, true},    {"gfx/powerup04.bmp", 30, 32, true},
      {"gfx/powerup05.bmp", 30, 32, true},    {"gfx/powerup06.bmp", 30, 32, true},
      {"gfx/powerup07.bmp", 30, 32, true},
      {"gfx/enemy_f.bmp", 30, 30, true},
      // Controls page: keys at (220, 120), (220, 220), (220, 280); texts at x 370, 320, 280.
      {"gfx/keyboard1.bmp", 150, 100, true},  {"gfx/keyboard4.bmp", 100, 60, true},
      {"gfx/keyboard3.bmp", 60, 60, true},
      // Menu panel at (180, 40), results picture at (403, 0): inside the window.
      {"gfx/menu.bmp", 520, 500, true},       {"gfx/end.bmp", 297, 540, false},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.file);
    ImageRef img = LoadImageFile(Asset(p.file));
    ASSERT_NE(img, nullptr);
    EXPECT_LE(img->width, p.max_w);
    EXPECT_LE(img->height, p.max_h);
    EXPECT_GE(img->width, p.max_w * 2 / 3);
    Solid s = SolidOf(img, 0);
    EXPECT_GT(s.Count(), 0);
    EXPECT_EQ(s.Count() < s.w * s.h, p.transparent);
  }
  // The results picture fills the window's right-hand side exactly.
  ImageRef end = LoadImageFile(Asset("gfx/end.bmp"));
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(403 + end->width, 700);
  EXPECT_EQ(end->height, 540);
}

TEST_F(AssetPictures, BitmapsAre24BitWithTheInformationHeader) {
  for (const char* file : {"gfx/zarn.bmp", "gfx/menu.bmp", "gfx/tiles 01.bmp", "gfx/empty.bmp"}) {
    SCOPED_TRACE(file);
    std::vector<uint8_t> b = FileBytes(Asset(file));
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[14] | b[15] << 8, 40);  // header size
    EXPECT_EQ(b[28] | b[29] << 8, 24);  // bits per pixel
  }
}

TEST_F(AssetPictures, StartScreenIsAWindowSizedJpeg) {
  std::vector<uint8_t> b = FileBytes(Asset("gfx/startscreen.jpg"));
  ASSERT_GE(b.size(), 2u);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0xD8);
  ImageRef img = LoadImageFile(Asset("gfx/startscreen.jpg"));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->width, 700);
  EXPECT_EQ(img->height, 540);
}

// Every animation cell the game shows has a figure in it; the diamond's
// contact shape is solid where the game tests it.
TEST_F(AssetPictures, AnimationCellsAreFilled) {
  ImageRef zarn = LoadImageStrip(Asset("gfx/zarn.bmp"), 24, 25, 0, 40);
  ImageRef blobb = LoadImageStrip(Asset("gfx/enemy.bmp"), 30, 30, 0, 9);
  ASSERT_NE(zarn, nullptr);
  ASSERT_NE(blobb, nullptr);
  for (int f = 0; f < 40; ++f) {
    int n = SolidOf(zarn, f).Count();
    EXPECT_GT(n, 24 * 25 / 3) << "player cell " << f;
    EXPECT_LT(n, 24 * 25) << "player cell " << f;
  }
  for (int f = 0; f < 9; ++f) EXPECT_GT(SolidOf(blobb, f).Count(), 30 * 30 / 3) << "Blobb cell " << f;
  // A walk cycle moves: consecutive cells of a direction differ.
  for (int block = 0; block < 4; ++block) {
    int changes = 0;
    for (int f = 0; f < 8; ++f)
      changes += SolidOf(zarn, block * 10 + f).on != SolidOf(zarn, block * 10 + f + 1).on;
    EXPECT_GE(changes, 4) << "direction block " << block;
  }
}

// In each of the three sets, floor, wall and barrier tiles are far apart in
// colour, and the sets differ from each other.
TEST_F(AssetPictures, TileSetsTellFloorWallAndBarrierApart) {
  ImageRef tiles = LoadImageStrip(Asset("gfx/tiles 01.bmp"), 32, 32, 0, 60);
  ASSERT_NE(tiles, nullptr);
  const int kFloor = 0, kWall = 7, kBarrier = 11;
  std::vector<MeanColour> floors;
  for (int set = 0; set < 3; ++set) {
    SCOPED_TRACE("set " + std::to_string(set));
    MeanColour floor = MeanOf(tiles, set * 15 + kFloor), wall = MeanOf(tiles, set * 15 + kWall),
               barrier = MeanOf(tiles, set * 15 + kBarrier);
    EXPECT_GT(floor.Distance(wall), 40);
    EXPECT_GT(floor.Distance(barrier), 30);
    EXPECT_GT(wall.Distance(barrier), 30);
    floors.push_back(floor);
    // Tiles are fully opaque: they cover the background.
    for (int f = 0; f < 15; ++f) EXPECT_EQ(SolidOf(tiles, set * 15 + f).Count(), 32 * 32);
  }
  EXPECT_GT(floors[0].Distance(floors[1]), 40);
  EXPECT_GT(floors[1].Distance(floors[2]), 40);
  EXPECT_GT(floors[0].Distance(floors[2]), 40);
}

TEST(AssetSounds, EffectsAndMusicAre16BitPcm) {
  const struct {
    const char* file;
    double min_s, max_s;
  } sounds[] = {
      {"sound/bite.wav", 0.1, 1.5},   {"sound/get.wav", 0.1, 1.0},  {"sound/hole.wav", 0.2, 1.5},
      {"sound/menu.wav", 0.02, 0.3},  {"sound/PUsound.wav", 0.2, 1.5}, {"sound/loop.wav", 20, 60},
  };
  for (const auto& s : sounds) {
    SCOPED_TRACE(s.file);
    std::unique_ptr<TAudioSample> sample = LoadAudioSample(Asset(s.file));
    ASSERT_NE(sample, nullptr);
    EXPECT_TRUE(sample->format == SF_MONO16LE || sample->format == SF_STEREO16LE);
    ASSERT_GT(sample->hertz, 0);
    double seconds = double(sample->length) / sample->hertz;
    EXPECT_GE(seconds, s.min_s);
    EXPECT_LE(seconds, s.max_s);
    // Loud enough to hear, without clipping.
    const int16_t* v = reinterpret_cast<const int16_t*>(sample->samples);
    int peak = 0;
    for (int i = 0; i < sample->length * ChannelsPerFrame(sample->format); ++i) peak = std::max(peak, std::abs(int(v[i])));
    EXPECT_GT(peak, 12000);
    EXPECT_LT(peak, 32767);
  }
}

// The music loops without a click: the step from its last frame to its first
// is no larger than the steps the music itself takes.
TEST(AssetSounds, MusicLoopJoinsWithoutAJump) {
  std::unique_ptr<TAudioSample> loop = LoadAudioSample(Asset("sound/loop.wav"));
  ASSERT_NE(loop, nullptr);
  const int ch = ChannelsPerFrame(loop->format);
  const int16_t* v = reinterpret_cast<const int16_t*>(loop->samples);
  const int n = loop->length;
  for (int c = 0; c < ch; ++c) {
    std::vector<int> steps;
    for (int i = 1; i < n; ++i) steps.push_back(std::abs(v[i * ch + c] - v[(i - 1) * ch + c]));
    std::sort(steps.begin(), steps.end());
    int p99 = steps[steps.size() * 99 / 100];
    int seam = std::abs(v[c] - v[(n - 1) * ch + c]);
    std::printf("channel %d: seam step %d, 99th percentile of steps %d\n", c, seam, p99);
    EXPECT_LE(seam, p99);
  }
}

TEST(AssetFont, FontAndItsLicenceArePresent) {
  std::vector<uint8_t> ttf = FileBytes(Asset("data/Font2.ttf"));
  ASSERT_GE(ttf.size(), 4u);
  EXPECT_EQ(ttf[0], 0x00);  // TrueType outlines: sfnt version 1.0
  EXPECT_EQ(ttf[1], 0x01);
  EXPECT_EQ(ttf[2], 0x00);
  EXPECT_EQ(ttf[3], 0x00);
  std::vector<uint8_t> lic = FileBytes(Asset("data/Font2-LICENSE.txt"));
  std::string text(lic.begin(), lic.end());
  EXPECT_NE(text.find("CC0 1.0 Universal"), std::string::npos);
}

namespace {

constexpr int kCols = 37, kRows = 25;

// The lines of a text file read with the media layer's streams (25 level rows).
std::vector<std::string> ReadRows(const std::string& path) {
  StreamRef in = OpenReadFile(path);
  EXPECT_NE(in, nullptr) << path;
  std::vector<std::string> rows;
  if (!in) return rows;
  while (!Eof(in)) rows.push_back(TextToBytes(ReadLine(in)));
  CloseTextFile(in);
  return rows;
}

const std::set<std::string> kTileCodes = {"00", "01", "02", "03", "04", "05", "08", "10",
                                          "11", "12", "13", "14", "15", "06", "07"};

// The cell layer of a level and the game's open-cell rule: a cell is open when
// its one-character text compares greater than the threshold text ("5", or
// "4" while walking through walls). Cells outside the grid count as closed.
struct Cells {
  std::vector<std::string> rows;
  std::vector<uint8_t> open5, open4;  // the rule applied once per cell

  char At(int c, int r) const {
    if (c < 0 || r < 0 || c >= kCols || r >= kRows) return '0';
    return rows[size_t(r)][size_t(2 * c)];
  }
  void Classify() {
    open5.assign(size_t(kCols * kRows), 0);
    open4.assign(size_t(kCols * kRows), 0);
    for (int r = 0; r < kRows && r < int(rows.size()); ++r)
      for (int c = 0; c < kCols; ++c) {
        String code = SubText(TextFromBytes(rows[size_t(r)]), 2 * c + 1, 1);
        open5[size_t(r * kCols + c)] = CompareText(code, u"5") > 0;
        open4[size_t(r * kCols + c)] = CompareText(code, u"4") > 0;
      }
  }
  bool Open(int c, int r, char threshold = '5') const {
    if (c < 0 || r < 0 || c >= kCols || r >= kRows) return false;
    return (threshold == '4' ? open4 : open5)[size_t(r * kCols + c)];
  }  bool OpenAt(int px, int py, char threshold = '5') const {
    if (px < 0 || py < 0) return false;
    return Open(px / 32, py / 32, threshold);
  }
};

Cells LoadCells(const std::string& file) {
  Cells c;
  c.rows = ReadRows(Asset(file));
  c.Classify();
  return c;
}

// World positions (top-left of the 24 x 25 figure) the player reaches from
// (200, 200) walking one pixel at a time, each step allowed when its single
// test point lies in an open cell.
std::vector<uint8_t> PlayerReach(const Cells& cells, char threshold = '5') {
  const int W = kCols * 32, H = kRows * 32;
  std::vector<uint8_t> seen(size_t(W * H), 0);
  std::vector<std::pair<int, int>> stack = {{200, 200}};
  seen[size_t(200 * W + 200)] = 1;
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    const struct {
      int tx, ty, nx, ny;
    } moves[4] = {{x, y + 16, x - 1, y}, {x + 24, y + 16, x + 1, y}, {x + 12, y + 1, x, y - 1}, {x + 12, y + 25, x, y + 1}};
    for (const auto& m : moves) {
      if (!cells.OpenAt(m.tx, m.ty, threshold)) continue;
      if (m.nx < 0 || m.ny < 0 || m.nx >= W || m.ny >= H) continue;
      uint8_t& s = seen[size_t(m.ny * W + m.nx)];
      if (s) continue;
      s = 1;
      stack.push_back({m.nx, m.ny});
    }
  }
  return seen;
}

// Whether some reachable position puts a solid pixel of the figure (in any of
// its facing cells) on a solid pixel of the thing at (tx, ty).
bool Touchable(const std::vector<uint8_t>& reach, const std::vector<Solid>& figure, const Solid& thing, int tx, int ty) {
  const int W = kCols * 32, H = kRows * 32;
  for (int y = std::max(0, ty - 25); y < std::min(H, ty + thing.h); ++y)
    for (int x = std::max(0, tx - 24); x < std::min(W, tx + thing.w); ++x) {
      if (!reach[size_t(y * W + x)]) continue;
      for (const Solid& f : figure)
        if (Overlap(f, x, y, thing, tx, ty)) return true;
    }
  return false;
}

class AssetLevels : public AssetPictures {};

}  // namespace

TEST(AssetLevelFiles, LinesHaveTheTileAndCellFormats) {
  for (const char* file : {"data/level_00.1.txt", "data/level_01.1.txt", "data/level_02.1.txt"}) {
    SCOPED_TRACE(file);
    std::vector<std::string> rows = ReadRows(Asset(file));
    ASSERT_EQ(rows.size(), size_t(kRows));
    for (const std::string& row : rows) {
      ASSERT_EQ(row.size(), 110u);
      for (int c = 0; c < kCols; ++c) {
        std::string code = row.substr(size_t(3 * c), 2);
        EXPECT_TRUE(kTileCodes.count(code) || code == "09") << "code " << code << " in column " << c;
        if (c + 1 < kCols) {
          EXPECT_EQ(row[size_t(3 * c + 2)], ' ');
        }
      }
    }
  }
  for (const char* file : {"data/level_01.2.txt", "data/level_02.2.txt"}) {
    SCOPED_TRACE(file);
    std::vector<std::string> rows = ReadRows(Asset(file));
    ASSERT_EQ(rows.size(), size_t(kRows));
    for (const std::string& row : rows) {
      ASSERT_EQ(row.size(), 73u);
      for (int c = 0; c < kCols; ++c) {
        char code = row[size_t(2 * c)];
        EXPECT_TRUE((code >= '0' && code <= '9') || (code >= 'a' && code <= 'z')) << "code " << code;
        if (c + 1 < kCols) {
          EXPECT_EQ(row[size_t(2 * c + 1)], ' ');
        }
      }
    }
  }
}

// Walls show wall tiles, barriers barrier tiles and open cells floor tiles,
// so what the player sees is what blocks them.
TEST(AssetLevelFiles, TilesMatchTheCells) {
  const std::set<std::string> walls = {"10", "11", "12", "13"}, barriers = {"14", "15"};
  for (auto [tile_file, cell_file] : {std::pair{"data/level_01.1.txt", "data/level_01.2.txt"},
                                      std::pair{"data/level_02.1.txt", "data/level_02.2.txt"}}) {
    SCOPED_TRACE(tile_file);
    std::vector<std::string> tiles = ReadRows(Asset(tile_file));
    Cells cells = LoadCells(cell_file);
    ASSERT_EQ(tiles.size(), size_t(kRows));
    ASSERT_EQ(cells.rows.size(), size_t(kRows));
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        std::string code = tiles[size_t(r)].substr(size_t(3 * c), 2);
        char cell = cells.At(c, r);
        if (cell == '5') {
          EXPECT_TRUE(barriers.count(code)) << c << "," << r;
        } else if (cell < '5') {
          EXPECT_TRUE(walls.count(code)) << c << "," << r;
        } else {
          EXPECT_TRUE(!walls.count(code) && !barriers.count(code)) << c << "," << r;
        }
      }
  }
}

TEST_F(AssetLevels, PlayableLevelsAreEnclosedAndConnected) {
  ImageRef zarn = LoadImageStrip(Asset("gfx/zarn.bmp"), 24, 25, 0, 40);
  ImageRef gem = LoadImageFile(Asset("gfx/diamonds.bmp"));
  ASSERT_NE(zarn, nullptr);
  ASSERT_NE(gem, nullptr);
  std::vector<Solid> figure;
  for (int f : {0, 10, 20, 30}) figure.push_back(SolidOf(zarn, f));
  const Solid gem_shape = SolidOf(gem, 0);
  const struct {
    int x, y;
  } holes[3] = {{120, 640}, {40, 40}, {1100, 750}};

  for (const char* file : {"data/level_01.2.txt", "data/level_02.2.txt"}) {
    SCOPED_TRACE(file);
    Cells cells = LoadCells(file);
    ASSERT_EQ(cells.rows.size(), size_t(kRows));
    for (int c = 0; c < kCols; ++c) {
      EXPECT_FALSE(cells.Open(c, 0, '4')) << "top border, column " << c;
      EXPECT_FALSE(cells.Open(c, kRows - 1, '4')) << "bottom border, column " << c;
    }
    for (int r = 0; r < kRows; ++r) {
      EXPECT_FALSE(cells.Open(0, r, '4')) << "left border, row " << r;
      EXPECT_FALSE(cells.Open(kCols - 1, r, '4')) << "right border, row " << r;
    }
    // The start and the cells under the holes are open.
    EXPECT_TRUE(cells.OpenAt(200, 200) && cells.OpenAt(223, 224));
    for (int h = 0; h < 3; ++h) {
      ImageRef hole = LoadImageStrip(Asset("gfx/holes.bmp"), 26, 21, h, 1);
      ASSERT_NE(hole, nullptr);
      EXPECT_TRUE(cells.OpenAt(holes[h].x + 13, holes[h].y + 10)) << "hole " << h;
    }
    std::vector<uint8_t> reach = PlayerReach(cells);
    for (int h = 0; h < 3; ++h) {
      ImageRef hole = LoadImageStrip(Asset("gfx/holes.bmp"), 26, 21, h, 1);
      EXPECT_TRUE(Touchable(reach, figure, SolidOf(hole, 0), holes[h].x, holes[h].y)) << "hole " << h;
    }
    // A diamond on any open cell is one the player can pick up, walking
    // through barriers where it lies behind one.
    std::vector<uint8_t> ghost_reach = PlayerReach(cells, '4');
    int unreachable = 0;
    for (int r = 1; r < kRows; ++r)
      for (int c = 1; c < kCols; ++c)
        if (cells.Open(c, r) && !Touchable(ghost_reach, figure, gem_shape, 32 * c, 32 * r)) {
          ++unreachable;
          ADD_FAILURE() << "a diamond at cell " << c << "," << r << " cannot be reached";
        }
    EXPECT_EQ(unreachable, 0);
  }
}

// Open areas that only the through-walls power-up reaches are few and small,
// and every playable level has barriers worth walking through.
TEST(AssetLevelFiles, AreasBehindBarriersAreFewAndSmall) {
  for (const char* file : {"data/level_01.2.txt", "data/level_02.2.txt"}) {
    SCOPED_TRACE(file);
    Cells cells = LoadCells(file);
    ASSERT_EQ(cells.rows.size(), size_t(kRows));
    auto flood = [&](char threshold) {
      std::vector<uint8_t> seen(size_t(kCols * kRows), 0);
      std::vector<std::pair<int, int>> stack = {{6, 6}};
      seen[size_t(6 * kCols + 6)] = 1;
      while (!stack.empty()) {
        auto [c, r] = stack.back();
        stack.pop_back();
        const int dc[4] = {1, -1, 0, 0}, dr[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
          int nc = c + dc[k], nr = r + dr[k];
          if (!cells.Open(nc, nr, threshold) || seen[size_t(nr * kCols + nc)]) continue;
          seen[size_t(nr * kCols + nc)] = 1;
          stack.push_back({nc, nr});
        }
      }
      return seen;
    };
    std::vector<uint8_t> walk = flood('5');
    int open = 0, behind = 0, barriers = 0;
    std::vector<uint8_t> pocket(size_t(kCols * kRows), 0);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        barriers += cells.At(c, r) == '5';
        if (!cells.Open(c, r)) continue;
        ++open;
        if (!walk[size_t(r * kCols + c)]) {
          ++behind;
          pocket[size_t(r * kCols + c)] = 1;
        }
      }
    // Group the cells behind barriers into areas.
    std::vector<int> sizes;
    for (int i = 0; i < kCols * kRows; ++i) {
      if (!pocket[size_t(i)]) continue;
      int size = 0;
      std::vector<int> stack = {i};
      pocket[size_t(i)] = 0;
      while (!stack.empty()) {
        int j = stack.back();
        stack.pop_back();
        ++size;
        const int nb[4] = {j + 1, j - 1, j + kCols, j - kCols};
        for (int k : nb)
          if (k >= 0 && k < kCols * kRows && pocket[size_t(k)] && std::abs(k % kCols - j % kCols) <= 1) {
            pocket[size_t(k)] = 0;
            stack.push_back(k);
          }
      }
      sizes.push_back(size);
    }
    std::printf("%s: %d open cells, %d behind barriers (%.1f%%) in %zu areas; %d barrier cells\n", file, open,
                behind, 100.0 * behind / open, sizes.size(), barriers);
    EXPECT_GE(barriers, 6);
    EXPECT_LE(sizes.size(), 3u);
    for (int s : sizes) EXPECT_LE(s, 9);
    EXPECT_LE(behind * 20, open);  // at most 5 %
  }
}

// Blobbs (30 x 30, two test points per step) roam the corridors: from one
// placement they reach most of the open cells.
TEST(AssetLevelFiles, BlobbsCanRoamTheCorridors) {
  for (const char* file : {"data/level_01.2.txt", "data/level_02.2.txt"}) {
    SCOPED_TRACE(file);
    Cells cells = LoadCells(file);
    ASSERT_EQ(cells.rows.size(), size_t(kRows));
    const int W = kCols * 32, H = kRows * 32;
    std::vector<uint8_t> seen(size_t(W * H), 0);
    std::vector<std::pair<int, int>> stack;
    // Start where the player starts, a valid placement (both corners open).
    ASSERT_TRUE(cells.OpenAt(200, 200) && cells.OpenAt(230, 230));
    stack.push_back({200, 200});
    seen[size_t(200 * W + 200)] = 1;
    while (!stack.empty()) {
      auto [x, y] = stack.back();
      stack.pop_back();
      const struct {
        int ax, ay, bx, by, nx, ny;
      } moves[4] = {{x + 31, y + 4, x + 31, y + 26, x + 1, y}, {x - 1, y + 4, x - 1, y + 26, x - 1, y},
                    {x + 4, y + 31, x + 26, y + 31, x, y + 1}, {x + 4, y - 1, x + 26, y - 1, x, y - 1}};
      for (const auto& m : moves) {
        if (!cells.OpenAt(m.ax, m.ay) || !cells.OpenAt(m.bx, m.by)) continue;
        uint8_t& s = seen[size_t(m.ny * W + m.nx)];
        if (s) continue;
        s = 1;
        stack.push_back({m.nx, m.ny});
      }
    }
    std::vector<uint8_t> covered(size_t(kCols * kRows), 0);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (seen[size_t(y * W + x)]) covered[size_t(((y + 15) / 32) * kCols + (x + 15) / 32)] = 1;
    int open = 0, reached = 0;
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        open += cells.Open(c, r);
        reached += cells.Open(c, r) && covered[size_t(r * kCols + c)];
      }
    std::printf("%s: a Blobb reaches %d of %d open cells\n", file, reached, open);
    EXPECT_GE(reached * 10, open * 8);
  }
}

TEST(AssetLevelFiles, TheTwoLevelsDiffer) {
  Cells a = LoadCells("data/level_01.2.txt"), b = LoadCells("data/level_02.2.txt");
  ASSERT_EQ(a.rows.size(), size_t(kRows));
  ASSERT_EQ(b.rows.size(), size_t(kRows));
  int different = 0;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) different += a.Open(c, r) != b.Open(c, r);
  EXPECT_GT(different, 150);
}

// The first highscore table: ten entries a player can type and beat, best first.
TEST(AssetScores, FirstTableHasTenEntriesInOrder) {
  std::vector<std::string> lines = ReadRows(Asset("data/score.txt"));
  ASSERT_EQ(lines.size(), 20u);
  int previous = 1 << 30;
  for (int i = 0; i < 10; ++i) {
    const std::string& name = lines[size_t(2 * i)];
    EXPECT_GE(name.size(), 1u);
    EXPECT_LE(name.size(), 10u);
    for (char ch : name) EXPECT_TRUE(ch >= 64 && ch <= 123) << "'" << ch << "' cannot be typed";
    int score = ParseInt(TextFromBytes(lines[size_t(2 * i + 1)]));
    EXPECT_EQ(IntText(score), TextFromBytes(lines[size_t(2 * i + 1)]));
    EXPECT_GT(score, 0);
    EXPECT_LE(score, previous);
    EXPECT_LE(score, 200);
    previous = score;
  }
}
