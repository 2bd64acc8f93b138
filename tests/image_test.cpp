// Images loaded from files: masking, strips, flags, frames and the loader list.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "media/graphics/image.h"
#include "media/pixmap/loaders.h"
#include "media/media.h"
#include "support/picture_files.h"

using testpics::BmpSpec;
using testpics::Bmp24;
using testpics::EncodeBmp;
using testpics::TempDir;

namespace {

constexpr uint32_t M = 0xFF00FF;  // the game's mask colour, magenta

class Images : public ::testing::Test {
 protected:
  void SetUp() override { SetLoadMask(255, 0, 255); }
  void TearDown() override {
    SetLoadMask(0, 0, 0);
    SetAutoMidHandle(false);
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testpics::WriteBytes(path, bytes));
    return path;
  }
  TempDir dir_;
};


}  // namespace

TEST_F(Images, MaskColourBecomesTransparentWithNeighbourAverage) {
  // Row 0: M  M  A      A = (100, 0, 0), B = (0, 50, 0), C = (0, 0, 201)
  // Row 1: M  M  B
  // Row 2: C  M  M
  const uint32_t A = 0x640000, B = 0x003200, C = 0x0000C9;
  const uint32_t grid[3][3] = {{M, M, A}, {M, M, B}, {C, M, M}};
  const auto path = Write("mask.bmp", Bmp24(3, 3, [&](int x, int y) { return grid[y][x]; }));
  auto image = LoadImageFile(path, -1);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->flags, MASKEDIMAGE | FILTEREDIMAGE);
  EXPECT_EQ(image->mask_r, 255);
  EXPECT_EQ(image->mask_b, 255);
  const TPixmap& map = *image->pixmaps[0];
  ASSERT_EQ(map.format, PF_RGBA8888);
  EXPECT_EQ(map.ReadPixel(2, 0), 0xFF000000u | A);
  EXPECT_EQ(map.ReadPixel(0, 2), 0xFF000000u | C);
  EXPECT_EQ(map.ReadPixel(0, 0), 0u);                 // only magenta around: black, alpha 0
  EXPECT_EQ(map.ReadPixel(1, 0), MakeArgb(0, 50, 25, 0));  // mean of A and B
  EXPECT_EQ(map.ReadPixel(1, 1), MakeArgb(0, 33, 16, 67));  // mean of A, B and C
  EXPECT_EQ(map.ReadPixel(2, 2), MakeArgb(0, 0, 50, 0));   // B only
  EXPECT_EQ(map.ReadPixel(0, 1), MakeArgb(0, 0, 0, 201));  // C only
}

TEST_F(Images, MaskColourIsCapturedAtLoadAndFlagsDecideMasking) {
  const auto path = Write("two.bmp", Bmp24(2, 1, [](int x, int) { return x ? 0x00FF00u : M; }));
  auto magenta = LoadImageFile(path);
  SetLoadMask(0, 255, 0);
  auto green = LoadImageFile(path);
  EXPECT_EQ(magenta->pixmaps[0]->ReadPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(magenta->pixmaps[0]->ReadPixel(1, 0) >> 24, 255u);
  EXPECT_EQ(green->pixmaps[0]->ReadPixel(0, 0) >> 24, 255u);
  EXPECT_EQ(green->pixmaps[0]->ReadPixel(1, 0) >> 24, 0u);
  EXPECT_EQ(green->mask_g, 255);
  // Not masked: the map stays as the file gave it.
  auto plain = LoadImageFile(path, FILTEREDIMAGE);
  EXPECT_EQ(plain->pixmaps[0]->format, PF_BGR888);
  // Automatic flags changed: -1 follows them.
  SetAutoImageFlags(0);
  EXPECT_EQ(LoadImageFile(path, -1)->flags, 0);
  SetAutoImageFlags(MASKEDIMAGE | FILTEREDIMAGE);
}

TEST_F(Images, ThirtyTwoBitPicturesKeepTheirOwnAlpha) {
  BmpSpec s{2, 1, 32, {}, {0x40FF00FF, 0xC0123456}};
  auto image = LoadImageFile(Write("alpha.bmp", EncodeBmp(s)));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixmaps[0]->format, PF_BGRA8888);
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(0, 0), 0x40FF00FFu);  // magenta, yet its own alpha
  EXPECT_EQ(image->pixmaps[0]->ReadPixel(1, 0), 0xC0123456u);
}

TEST_F(Images, JpegFilesLoadThroughTheSameCall) {
  std::vector<uint8_t> grey(16 * 8, 90);
  auto image = LoadImageFile(Write("grey.jpg", testpics::EncodeJpeg(16, 8, 1, grey)), 0);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->pixmaps[0]->format, PF_I8);
  EXPECT_NEAR(int(image->pixmaps[0]->ReadPixel(5, 5) & 255), 90, 2);
}

TEST_F(Images, MissingOrUnreadableFilesGiveNull) {
  EXPECT_FALSE(LoadImageFile(dir_.File("absent.bmp")));
  EXPECT_FALSE(LoadImageStrip(dir_.File("absent.bmp"), 8, 8, 0, 1));
  EXPECT_FALSE(LoadImageFile(Write("text.bmp", {'h', 'e', 'l', 'l', 'o'})));
  EXPECT_FALSE(LoadImageFile(Write("empty.bmp", {})));
  auto cut = Bmp24(8, 8, [](int, int) { return 0x123456u; });
  cut.resize(cut.size() - 10);
  EXPECT_FALSE(LoadImageFile(Write("cut.bmp", cut)));
}

TEST_F(Images, StripCellsRunLeftToRightThenTopToBottom) {
  // 72 x 50 with 24 x 25 cells: each pixel's red/green say which cell it is in.
  const auto path = Write("strip.bmp", Bmp24(72, 50, [](int x, int y) { return uint32_t(x / 24) << 16 | uint32_t(y / 25) << 8 | 7; }));
  auto strip = LoadImageStrip(path, 24, 25, 0, 6);
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->width, 24);
  EXPECT_EQ(strip->height, 25);
  ASSERT_EQ(strip->FrameCount(), 6);
  const int order[6][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
  for (int f = 0; f < 6; ++f) {
    SCOPED_TRACE(f);
    const TPixmap& map = *strip->pixmaps[size_t(f)];
    EXPECT_EQ(map.width, 24);
    EXPECT_EQ(map.height, 25);
    EXPECT_EQ(map.ReadPixel(0, 0), MakeArgb(255, order[f][0], order[f][1], 7));
    EXPECT_EQ(map.ReadPixel(23, 24), MakeArgb(255, order[f][0], order[f][1], 7));
  }
  EXPECT_FALSE(LoadImageStrip(path, 24, 25, 0, 7));
  EXPECT_FALSE(LoadImageStrip(path, 24, 25, 5, 2));
  auto tail = LoadImageStrip(path, 24, 25, 4, 2);
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->pixmaps[0]->ReadPixel(0, 0), MakeArgb(255, 1, 1, 7));
  // Partial cells at the edges are never used: 72 x 50 holds only 2 x 1 cells of 30 x 30.
  EXPECT_TRUE(LoadImageStrip(path, 30, 30, 0, 2));
  EXPECT_FALSE(LoadImageStrip(path, 30, 30, 0, 3));
  EXPECT_FALSE(LoadImageStrip(path, 0, 25, 0, 1));
  EXPECT_FALSE(LoadImageStrip(path, 24, 25, -1, 1));
}

TEST_F(Images, StripCellsAreMaskedEachOnItsOwn) {
  // Left cell all magenta, right cell red: the left cell's border pixels must not
  // borrow colour from the neighbouring cell.
  const auto path = Write("pair.bmp", Bmp24(4, 2, [](int x, int) { return x < 2 ? M : 0xFF0000u; }));
  auto strip = LoadImageStrip(path, 2, 2, 0, 2);
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->pixmaps[0]->ReadPixel(1, 0), 0u);
  EXPECT_EQ(strip->pixmaps[1]->ReadPixel(0, 0), 0xFFFF0000u);
}

TEST_F(Images, MidHandleAndFrameAccess) {
  const auto path = Write("h.bmp", Bmp24(10, 6, [](int, int) { return 0x010101u; }));
  SetAutoMidHandle(true);
  auto image = LoadImageFile(path);
  EXPECT_FLOAT_EQ(image->handle_x, 5.0f);
  EXPECT_FLOAT_EQ(image->handle_y, 3.0f);
  SetAutoMidHandle(false);
  EXPECT_FLOAT_EQ(LoadImageFile(path)->handle_x, 0.0f);

  try {
    image->Lock(1, true, false);
    FAIL() << "no error for frame 1";
  } catch (const std::out_of_range& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("index 1"), std::string::npos) << text;
    EXPECT_NE(text.find("10x6"), std::string::npos) << text;
  }
  EXPECT_THROW(image->Frame(-1), std::out_of_range);
  EXPECT_THROW(image->SetPixmap(3, nullptr), std::out_of_range);
}

TEST_F(Images, LockMakesAMissingMapAndWriteLockDropsTheGpuFrame) {
  auto image = TImage::Create(5, 4, 2, 0, 0, 0, 0);
  auto map = image->Lock(1, true, true);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->format, PF_RGBA8888);
  EXPECT_EQ(map->width, 5);
  EXPECT_EQ(map->height, 4);
  EXPECT_EQ(map->ReadPixel(4, 3), 0u);
  EXPECT_EQ(image->Lock(1, true, false), map);  // the same map afterwards
  image->seqs[1] = 7;
  image->Lock(1, true, false);
  EXPECT_EQ(image->seqs[1], 7);
  image->Lock(1, false, true);
  EXPECT_EQ(image->seqs[1], 0);
}

namespace {

// A loader that recognises files starting with "PIX" and reads w, h as bytes.
class TinyLoader : public TPixmapLoader {
 public:
  PixmapPtr LoadPixmap(TStream& stream) override {
    ++calls;
    char magic[3];
    stream.ReadBytes(magic, 3);  // throws on short files
    if (magic[0] != 'P' || magic[1] != 'I' || magic[2] != 'X') return nullptr;
    const int w = stream.ReadByte(), h = stream.ReadByte();
    return TPixmap::Create(w, h, PF_A8);
  }
  int calls = 0;
};

}  // namespace

TEST(PixmapLoaderList, NewLoadersAreTriedFirstAndFailuresFallThrough) {
  static TinyLoader tiny;  // the list keeps it for the rest of the run
  RegisterPixmapLoader(&tiny);
  EXPECT_EQ(PixmapLoaders(), &tiny);

  // Each loader starts where the stream stood when loading began.
  std::vector<uint8_t> bytes = {'x', 'y', 'P', 'I', 'X', 3, 2};
  TMemoryStream ours(bytes);
  ours.Seek(2);
  auto map = LoadPixmap(ours);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->width, 3);
  EXPECT_EQ(map->format, PF_A8);

  // A BMP: the tiny loader declines, the BMP loader behind it still sees byte 0.
  auto bmp = Bmp24(2, 2, [](int, int) { return 0x0u; });
  bmp.insert(bmp.begin(), {'z', 'z'});
  TMemoryStream other(bmp);
  other.Seek(2);
  const int before = tiny.calls;
  auto decoded = LoadPixmap(other);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->format, PF_BGR888);
  EXPECT_EQ(tiny.calls, before + 1);

  // A stream shorter than the tiny loader's header makes it throw: not fatal.
  TMemoryStream shorty(std::vector<uint8_t>{'P'});
  EXPECT_FALSE(LoadPixmap(shorty));
}

TEST(PixmapLoaderList, RegisteringAgainMovesTheLoaderToTheFront) {
  static TinyLoader first, second;
  RegisterPixmapLoader(&first);
  RegisterPixmapLoader(&second);
  RegisterPixmapLoader(&first);
  RegisterPixmapLoader(&first);
  EXPECT_EQ(PixmapLoaders(), &first);
  EXPECT_EQ(first._succ, &second);
  // The list still ends and holds each loader once.
  std::vector<const TPixmapLoader*> seen;
  for (const TPixmapLoader* l = PixmapLoaders(); l; l = l->_succ) {
    ASSERT_EQ(std::count(seen.begin(), seen.end(), l), 0) << "the list loops back to loader " << seen.size();
    seen.push_back(l);
  }
  // Data no loader knows ends the walk after each loader had one try.
  const int before = first.calls + second.calls;
  TMemoryStream junk(std::vector<uint8_t>{'n', 'o', 'p', 'e'});
  EXPECT_FALSE(LoadPixmap(junk));
  EXPECT_EQ(first.calls + second.calls, before + 2);
}
