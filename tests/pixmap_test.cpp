// Pixel maps and the BMP / JPEG decoders.
#include <gtest/gtest.h>

#include <cstring>

#include "media/pixmap/decoders.h"
#include "media/pixmap/loaders.h"
#include "media/pixmap/pixmap.h"
#include "support/picture_files.h"

using testpics::BmpSpec;
using testpics::EncodeBmp;
using testpics::EncodeJpeg;

namespace {

// ARGB of every pixel, top row first.
std::vector<uint32_t> Pixels(const TPixmap& map) {
  std::vector<uint32_t> out;
  for (int y = 0; y < map.height; ++y)
    for (int x = 0; x < map.width; ++x) out.push_back(map.ReadPixel(x, y));
  return out;
}

PixmapPtr DecodeBmpBytes(const std::vector<uint8_t>& b) { return DecodeBmp(b.data(), b.size()); }

}  // namespace

TEST(Pixmap, RowsAreAlignedToFourBytesForEveryFormat) {
  const struct {
    int format, bpp, alpha;
  } formats[] = {{PF_I8, 1, 0},        {PF_A8, 1, 8},        {PF_BGR888, 3, 0},
                 {PF_RGB888, 3, 0},    {PF_BGRA8888, 4, 8},  {PF_RGBA8888, 4, 8}};
  for (const auto& f : formats) {
    EXPECT_EQ(BytesPerPixel(f.format), f.bpp);
    EXPECT_EQ(AlphaBits(f.format), f.alpha);
    for (int w : {1, 2, 3, 5, 7, 13}) {
      auto map = TPixmap::Create(w, 3, f.format);
      EXPECT_EQ(map->pitch % 4, 0);
      EXPECT_GE(map->pitch, w * f.bpp);
      EXPECT_LT(map->pitch, w * f.bpp + 4);
      EXPECT_EQ(map->PixelPtr(2 % w, 2), map->pixels + 2 * map->pitch + (2 % w) * f.bpp);
    }
  }
}

TEST(Pixmap, CreateRefusesBadSizesAndFormats) {
  EXPECT_THROW(TPixmap::Create(-1, 4, PF_RGBA8888), std::invalid_argument);
  EXPECT_THROW(TPixmap::Create(4, -1, PF_RGBA8888), std::invalid_argument);
  EXPECT_THROW(TPixmap::Create(kMaxPixmapSide + 1, 1, PF_I8), std::invalid_argument);
  EXPECT_THROW(TPixmap::Create(20000, 20000, PF_I8), std::invalid_argument);  // too many pixels
  EXPECT_THROW(TPixmap::Create(4, 4, 7), std::invalid_argument);
  auto empty = TPixmap::Create(0, 0, PF_RGBA8888);
  EXPECT_NE(empty->pixels, nullptr);
}

TEST(Pixmap, ReadAndWritePixelInEveryFormat) {
  const uint32_t colour = MakeArgb(0x80, 0x10, 0x40, 0xF0);
  const struct {
    int format;
    uint32_t expect;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {PF_I8, MakeArgb(255, 0x6A, 0x6A, 0x6A), {0x6A}},
      {PF_A8, MakeArgb(0x80, 255, 255, 255), {0x80}},
      {PF_BGR888, MakeArgb(255, 0x10, 0x40, 0xF0), {0xF0, 0x40, 0x10}},
      {PF_RGB888, MakeArgb(255, 0x10, 0x40, 0xF0), {0x10, 0x40, 0xF0}},
      {PF_BGRA8888, colour, {0xF0, 0x40, 0x10, 0x80}},
      {PF_RGBA8888, colour, {0x10, 0x40, 0xF0, 0x80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    auto map = TPixmap::Create(3, 2, c.format);
    map->WritePixel(2, 1, colour);
    EXPECT_EQ(map->ReadPixel(2, 1), c.expect);
    EXPECT_EQ(std::vector<uint8_t>(map->PixelPtr(2, 1), map->PixelPtr(2, 1) + c.bytes.size()), c.bytes);
    EXPECT_EQ(map->ReadPixel(0, 0) & 0x00FFFFFF, c.format == PF_A8 ? 0xFFFFFFu : 0u);
    EXPECT_THROW(map->ReadPixel(3, 0), std::out_of_range);
    EXPECT_THROW(map->WritePixel(0, -1, 0), std::out_of_range);
  }
}

TEST(Pixmap, WindowSharesPixelsAndOutlivesItsParent) {
  auto map = TPixmap::Create(6, 5, PF_RGB888);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) map->WritePixel(x, y, MakeArgb(255, x, y, 0));
  auto view = map->Window(2, 1, 3, 4);
  EXPECT_EQ(view->width, 3);
  EXPECT_EQ(view->height, 4);
  EXPECT_EQ(view->pitch, map->pitch);
  EXPECT_EQ(view->ReadPixel(0, 0), MakeArgb(255, 2, 1, 0));
  EXPECT_EQ(view->ReadPixel(2, 3), MakeArgb(255, 4, 4, 0));
  view->WritePixel(1, 1, MakeArgb(255, 99, 99, 99));
  EXPECT_EQ(map->ReadPixel(3, 2), MakeArgb(255, 99, 99, 99));
  EXPECT_THROW(map->Window(4, 0, 3, 1), std::out_of_range);
  EXPECT_THROW(map->Window(0, 0, 1, 6), std::out_of_range);
  EXPECT_THROW(map->Window(-1, 0, 1, 1), std::out_of_range);
  map.reset();  // the view keeps the buffer alive
  EXPECT_EQ(view->ReadPixel(2, 3), MakeArgb(255, 4, 4, 0));
}

TEST(Pixmap, CopyIsIndependentAndPacked) {
  auto map = TPixmap::Create(8, 8, PF_BGRA8888);
  map->WritePixel(3, 3, MakeArgb(1, 2, 3, 4));
  auto copy = map->Window(3, 3, 2, 2)->Copy();
  EXPECT_EQ(copy->pitch, 8);
  EXPECT_EQ(copy->format, PF_BGRA8888);
  EXPECT_EQ(copy->ReadPixel(0, 0), MakeArgb(1, 2, 3, 4));
  copy->WritePixel(0, 0, 0);
  EXPECT_EQ(map->ReadPixel(3, 3), MakeArgb(1, 2, 3, 4));
}

TEST(Pixmap, PasteConvertsAndClips) {
  auto dst = TPixmap::Create(4, 4, PF_RGBA8888);
  auto src = TPixmap::Create(3, 3, PF_BGR888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src->WritePixel(x, y, MakeArgb(255, 10 * x, 10 * y, 7));
  dst->Paste(*src, 2, -1);  // only columns 0..1 of rows 1..2 land
  EXPECT_EQ(dst->ReadPixel(2, 0), MakeArgb(255, 0, 10, 7));
  EXPECT_EQ(dst->ReadPixel(3, 1), MakeArgb(255, 10, 20, 7));
  EXPECT_EQ(dst->ReadPixel(1, 0), 0u);
  EXPECT_EQ(dst->ReadPixel(2, 2), 0u);
  dst->Paste(*src, 10, 10);  // entirely outside: nothing happens
  dst->Paste(*src, -3, 0);
  EXPECT_EQ(dst->ReadPixel(0, 0), 0u);
}

TEST(Pixmap, ConvertRoundTripsColourFormats) {
  auto map = TPixmap::Create(5, 3, PF_RGBA8888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) map->WritePixel(x, y, MakeArgb(40 * x, 3 * x + y, 200 - y, 17 * x));
  for (int f : {PF_BGRA8888, PF_RGBA8888}) EXPECT_EQ(Pixels(*map->Convert(f)), Pixels(*map));
  auto rgb = map->Convert(PF_BGR888)->Convert(PF_RGB888)->Convert(PF_RGBA8888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(rgb->ReadPixel(x, y), map->ReadPixel(x, y) | 0xFF000000u);
  auto grey = map->Convert(PF_I8);
  EXPECT_EQ(grey->ReadPixel(4, 2), MakeArgb(255, (14 + 198 + 68) / 3, (14 + 198 + 68) / 3, (14 + 198 + 68) / 3));
  auto alpha = map->Convert(PF_A8);
  EXPECT_EQ(alpha->ReadPixel(3, 1) >> 24, 120u);
}

// ---------------------------------------------------------------------------
// BMP

TEST(BmpDecoder, TwentyFourBitRowsAreBottomUpAndPadded) {
  BmpSpec s{3, 2, 24, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0x000001}};
  auto map = DecodeBmpBytes(EncodeBmp(s));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->format, PF_BGR888);
  EXPECT_EQ(Pixels(*map), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFABCDEF,
                                                 0xFF000001}));
}

TEST(BmpDecoder, ThirtyTwoBitKeepsItsAlpha) {
  BmpSpec s{2, 2, 32, {}, {0x00FF00FF, 0x80102030, 0xFF000000, 0x7F7F7F7F}};
  auto map = DecodeBmpBytes(EncodeBmp(s));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->format, PF_BGRA8888);
  EXPECT_EQ(Pixels(*map), s.pixels);
}

TEST(BmpDecoder, PaletteDepthsPackPixelsHighBitsFirst) {
  for (int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    const int entries = 1 << bits;
    BmpSpec s;
    s.bits = bits;
    s.width = 13;  // odd widths exercise the partial last byte and the padding
    s.height = 3;
    for (int i = 0; i < entries; ++i) s.palette.push_back(MakeArgb(0, i, 255 - i, (i * 37) & 255));
    std::vector<uint32_t> expect;
    for (int i = 0; i < s.width * s.height; ++i) {
      const uint32_t index = uint32_t(i * 7 + i / 5) % uint32_t(entries);
      s.pixels.push_back(index);
      expect.push_back(s.palette[index] | 0xFF000000u);
    }
    auto map = DecodeBmpBytes(EncodeBmp(s));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->format, PF_BGR888);
    EXPECT_EQ(Pixels(*map), expect);
  }
}

TEST(BmpDecoder, ColoursUsedSetsThePaletteLength) {
  // Two palette entries for an 8-bit picture: rows start right after them, and an
  // index past the palette reads as black instead of whatever follows.
  BmpSpec s{4, 1, 8, {0x00112233, 0x00445566}, {1, 0, 1, 200}, 2};
  auto map = DecodeBmpBytes(EncodeBmp(s));
  ASSERT_TRUE(map);
  EXPECT_EQ(Pixels(*map), (std::vector<uint32_t>{0xFF445566, 0xFF112233, 0xFF445566, 0xFF000000}));
}

TEST(BmpDecoder, RefusesHostileHeaders) {
  const BmpSpec good{4, 4, 24, {}, std::vector<uint32_t>(16, 0x808080)};
  const std::vector<uint8_t> base = EncodeBmp(good);
  ASSERT_TRUE(DecodeBmpBytes(base));
  auto with = [&](size_t at, uint32_t v, int bytes = 4) {
    std::vector<uint8_t> b = base;
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    return b;
  };
  EXPECT_FALSE(DecodeBmpBytes(with(18, 0xFFFFFFFF))) << "negative width";
  EXPECT_FALSE(DecodeBmpBytes(with(22, 0xFFFFFFFC))) << "negative (top-down) height";
  EXPECT_FALSE(DecodeBmpBytes(with(18, 0))) << "zero width";
  EXPECT_FALSE(DecodeBmpBytes(with(18, 0x7FFFFFFF))) << "huge width";
  EXPECT_FALSE(DecodeBmpBytes(with(22, 30000))) << "data shorter than claimed";
  EXPECT_FALSE(DecodeBmpBytes(with(28, 16, 2))) << "16 bits per pixel";
  EXPECT_FALSE(DecodeBmpBytes(with(28, 0, 2))) << "0 bits per pixel";
  std::vector<uint8_t> square = with(18, 20000);  // each side within limits, the pixel count not
  square[22] = 0x20, square[23] = 0x4E;
  EXPECT_FALSE(DecodeBmpBytes(square));
  std::vector<uint8_t> not_bmp = base;
  not_bmp[1] = 'A';
  EXPECT_FALSE(DecodeBmpBytes(not_bmp));
  for (size_t cut : {size_t(0), size_t(2), size_t(53), base.size() - 1}) {
    EXPECT_FALSE(DecodeBmp(base.data(), cut)) << "cut at " << cut;
  }
  EXPECT_FALSE(DecodeBmp(nullptr, 100));
}

TEST(BmpDecoder, RefusesPalettesBeyond256AndShortPalettes) {
  BmpSpec s{2, 2, 8, std::vector<uint32_t>(256, 0x00FFFFFF), {0, 1, 2, 3}};
  auto base = EncodeBmp(s);
  ASSERT_TRUE(DecodeBmpBytes(base));
  auto b = base;
  b[46] = 0x01, b[47] = 0x01;  // colours used = 257
  EXPECT_FALSE(DecodeBmpBytes(b));
  b[46] = 0xFF, b[47] = 0xFF, b[48] = 0xFF, b[49] = 0xFF;
  EXPECT_FALSE(DecodeBmpBytes(b));
  EXPECT_FALSE(DecodeBmp(base.data(), 54 + 100));  // palette cut short
}

// ---------------------------------------------------------------------------
// JPEG

namespace {

std::vector<uint8_t> Gradient(int w, int h, int components) {
  std::vector<uint8_t> s;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < components; ++c) s.push_back(uint8_t(x * 3 + y * 2 + c * 40));  // smooth, no wrap for w, h <= 32
  return s;
}

int MaxDifference(const TPixmap& map, const std::vector<uint8_t>& samples, int components) {
  int worst = 0;
  for (int y = 0; y < map.height; ++y)
    for (int x = 0; x < map.width * components; ++x)
      worst = std::max(worst, std::abs(int(map.PixelPtr(0, y)[x]) - int(samples[size_t(y * map.width * components + x)])));
  return worst;
}

}  // namespace

TEST(JpegDecoder, DecodesGreyscaleAndColour) {
  for (int components : {1, 3}) {
    for (bool progressive : {false, true}) {
      SCOPED_TRACE(components * 10 + progressive);
      const auto samples = Gradient(21, 13, components);
      const auto bytes = EncodeJpeg(21, 13, components, samples, 100, progressive);
      auto map = DecodeJpeg(bytes.data(), bytes.size());
      ASSERT_TRUE(map);
      EXPECT_EQ(map->format, components == 1 ? PF_I8 : PF_RGB888);
      EXPECT_EQ(map->width, 21);
      EXPECT_EQ(map->height, 13);
      EXPECT_LE(MaxDifference(*map, samples, components), 12);  // lossy, but close at quality 100
    }
  }
}

TEST(JpegDecoder, TruncatedOrCorruptDataGivesNull) {
  const auto bytes = EncodeJpeg(32, 32, 3, Gradient(32, 32, 3));
  for (size_t cut : {size_t(0), size_t(3), size_t(20), bytes.size() / 2, bytes.size() - 2}) {
    EXPECT_FALSE(DecodeJpeg(bytes.data(), cut)) << "cut at " << cut;
  }
  // Wreck the entropy-coded data after the headers.
  std::vector<uint8_t> wrecked = bytes;
  for (size_t i = wrecked.size() / 2; i < wrecked.size() - 2; i += 3) wrecked[i] = 0xFF;
  EXPECT_FALSE(DecodeJpeg(wrecked.data(), wrecked.size()));
  const auto bmp = EncodeBmp(BmpSpec{1, 1, 24, {}, {0}});
  EXPECT_FALSE(DecodeJpeg(bmp.data(), bmp.size()));
}

TEST(JpegDecoder, HarmlessHeaderOddLoadLikeCleanFiles) {
  // Files that decode fully despite a warning about their headers: an unknown
  // JFIF version, stray bytes before a marker (left by some writers), an Adobe
  // segment with an unknown transform. They give the same pixels as the clean file.
  const auto clean = EncodeJpeg(16, 16, 3, Gradient(16, 16, 3));
  ASSERT_GE(clean.size(), 20u);
  ASSERT_TRUE(clean[2] == 0xFF && clean[3] == 0xE0 && std::memcmp(&clean[6], "JFIF", 5) == 0);
  const auto want = DecodeJpeg(clean.data(), clean.size());
  ASSERT_TRUE(want);
  const size_t after_app0 = 4 + (size_t(clean[4]) << 8 | clean[5]);

  std::vector<uint8_t> jfif2 = clean;
  jfif2[11] = 2;  // JFIF major version
  std::vector<uint8_t> stray = clean;
  stray.insert(stray.begin() + long(after_app0), {0x00, 0x12, 0x34});
  std::vector<uint8_t> adobe = clean;
  const uint8_t app14[] = {0xFF, 0xEE, 0x00, 0x0E, 'A', 'd', 'o', 'b', 'e', 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x07};
  adobe.insert(adobe.begin() + long(after_app0), std::begin(app14), std::end(app14));
  for (const auto* bytes : {&jfif2, &stray, &adobe}) {
    const auto map = DecodeJpeg(bytes->data(), bytes->size());
    ASSERT_TRUE(map) << "case " << (bytes == &jfif2 ? "JFIF 2" : bytes == &stray ? "stray bytes" : "Adobe");
    EXPECT_EQ(Pixels(*map), Pixels(*want));
  }
}

TEST(JpegDecoder, RefusesHugeDimensionsBeforeAllocating) {
  auto bytes = EncodeJpeg(16, 16, 1, Gradient(16, 16, 1));
  // Find the SOF0 marker and claim 60000 x 60000 pixels.
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = 0xEA, bytes[i + 6] = 0x60;
      bytes[i + 7] = 0xEA, bytes[i + 8] = 0x60;
      break;
    }
  }
  EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size()));
}
