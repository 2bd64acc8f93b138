// Fonts: the built-in font's bitmaps, FreeType faces and glyph rasterising, the
// loader chain, and text drawn through the headless renderer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "media/fonts/builtin_font.h"
#include "media/fonts/font.h"
#include "media/fonts/freetype_font.h"
#include "media/fonts/image_font.h"
#include "media/media.h"
#include "media/files/streams.h"
#include "support/headless.h"

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file in a fresh folder under the system's temporary directory, removed with
// the object.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& contents) {
    dir_ = std::filesystem::temp_directory_path() /
           ("zarn_font_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / name).string();
    std::ofstream(path_, std::ios::binary) << contents;
  }
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

uint8_t BuiltinByte(int ch, int row) {
  return BuiltinGlyphBits()[static_cast<size_t>(row * kBuiltinGlyphCount + (ch - kBuiltinFirstChar))];
}

// Rows 0..15 of a built-in glyph as 16 bytes.
std::vector<uint8_t> BuiltinGlyph(int ch) {
  std::vector<uint8_t> rows;
  for (int r = 0; r < kBuiltinGlyphHeight; ++r) rows.push_back(BuiltinByte(ch, r));
  return rows;
}

std::unique_ptr<TFreeTypeFont> DejaVu(int size, int style) {
  auto font = TFreeTypeFont::FromFile(kDejaVu, size, style);
  if (!font) ADD_FAILURE() << "cannot open " << kDejaVu << " (package fonts-dejavu-core)";
  return font;
}

TFreeTypeGlyph* GlyphFor(TFreeTypeFont& font, char16_t ch) {
  return static_cast<TFreeTypeGlyph*>(font.LoadGlyph(font.CharToGlyph(ch)));
}

// A one-strike bitmap font with 10-pixel glyphs for 'A' and 'L' (1-bit bitmaps).
// FreeType accepts it only at pixel size 10.
const char* const kTinyBdf =
    "STARTFONT 2.1\n"
    "FONT -zarn-tiny-medium-r-normal--10-100-75-75-c-80-iso10646-1\n"
    "SIZE 10 75 75\n"
    "FONTBOUNDINGBOX 8 10 0 -2\n"
    "STARTPROPERTIES 5\n"
    "PIXEL_SIZE 10\n"
    "RESOLUTION_X 75\n"
    "RESOLUTION_Y 75\n"
    "FONT_ASCENT 8\n"
    "FONT_DESCENT 2\n"
    "ENDPROPERTIES\n"
    "CHARS 2\n"
    "STARTCHAR A\nENCODING 65\nSWIDTH 600 0\nDWIDTH 6 0\nBBX 5 7 0 0\nBITMAP\n"
    "20\n50\n88\n88\nF8\n88\n88\nENDCHAR\n"
    "STARTCHAR L\nENCODING 76\nSWIDTH 700 0\nDWIDTH 7 0\nBBX 3 7 1 0\nBITMAP\n"
    "80\n80\n80\n80\n80\n80\nE0\nENDCHAR\n"
    "ENDFONT\n";

}  // namespace

// ---------------------------------------------------------------------------
// The built-in font's bitmaps

TEST(BuiltinFontBits, SpaceIsBlankEveryOtherGlyphHasInkAndAllDiffer) {
  std::set<std::vector<uint8_t>> seen;
  for (int ch = 32; ch < 128; ++ch) {
    std::vector<uint8_t> rows = BuiltinGlyph(ch);
    int ink = 0;
    for (uint8_t b : rows) ink += __builtin_popcount(b);
    if (ch == ' ') {
      EXPECT_EQ(ink, 0);
    } else {
      EXPECT_GE(ink, 2) << "character " << ch;
    }
    EXPECT_TRUE(seen.insert(rows).second) << "character " << ch << " repeats an earlier glyph";
  }
}

TEST(BuiltinFontBits, GlyphsKeepTheirSpacingAndBaseline) {
  for (int ch = 32; ch < 128; ++ch) {
    for (int r = 0; r < kBuiltinGlyphHeight; ++r) {
      // Column 7 (bit 7) is the gap to the next glyph; only '_' joins up.
      if (ch != '_') {
        EXPECT_EQ(BuiltinByte(ch, r) & 0x80, 0) << "character " << ch << " row " << r;
      }
    }
    // Rows 0 and 1 are the gap to the line above.
    EXPECT_EQ(BuiltinByte(ch, 0) | BuiltinByte(ch, 1), 0) << "character " << ch;
  }
  // Capitals and digits stand on row 12 and start on row 3.
  for (int ch : {'A', 'E', 'H', 'Z', '0', '8'}) {
    EXPECT_NE(BuiltinByte(ch, 3), 0) << char(ch);
    EXPECT_NE(BuiltinByte(ch, 12), 0) << char(ch);
    EXPECT_EQ(BuiltinByte(ch, 2) | BuiltinByte(ch, 13), 0) << char(ch);
  }
  // Descenders go below the baseline.
  for (int ch : {'g', 'j', 'p', 'q', 'y'}) EXPECT_NE(BuiltinByte(ch, 14), 0) << char(ch);
}

TEST(BuiltinFontBits, BytesHoldRowsWithTheLowBitLeftmost) {
  // '|' is one column (column 3) from row 2 to row 13.
  for (int r = 0; r < 16; ++r) EXPECT_EQ(BuiltinByte('|', r), (r >= 2 && r <= 13) ? 0x08 : 0x00) << r;
  // '/' rises to the right: its top row is at the right (column 6), its bottom row
  // at the left (column 1).
  EXPECT_EQ(BuiltinByte('/', 3), 1 << 6);
  EXPECT_EQ(BuiltinByte('/', 12), 1 << 1);
  // 'L' has its stem on the left and its foot on the bottom row.
  EXPECT_EQ(BuiltinByte('L', 5), 1 << 1);
  EXPECT_EQ(BuiltinByte('L', 12), 0x7E);
  EXPECT_EQ(BuiltinByte('_', 14), 0xFF);
}

TEST(BuiltinFontBits, SheetIsWhiteWhereBitsAreSetAndClearElsewhere) {
  PixmapPtr sheet = BuiltinFontSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->width, 768);
  EXPECT_EQ(sheet->height, 16);
  EXPECT_EQ(sheet->format, PF_RGBA8888);
  for (int j = 0; j < kBuiltinGlyphCount; ++j) {
    for (int y = 0; y < 16; ++y) {
      for (int k = 0; k < 8; ++k) {
        const bool set = (BuiltinByte(32 + j, y) >> k) & 1;
        ASSERT_EQ(sheet->ReadPixel(8 * j + k, y), set ? 0xFFFFFFFFu : 0x00000000u)
            << "glyph " << j << " at (" << k << ", " << y << ")";
      }
    }
  }
}

// ---------------------------------------------------------------------------
// FreeType faces and glyphs

TEST(FreeTypeFont, MetricsOfAScalableFace) {
  auto font = DejaVu(30, kFontSmooth);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->Style(), kFontSmooth);
  // DejaVu Sans: 2048 units to the em, ascender 1901, descender -483, no line
  // gap. FreeType scales them to 30 px and rounds the ascender up, the descender
  // down and the line height to the nearest pixel: 1901 * 30 / 2048 = 27.85
  // gives 28, -483 * 30 / 2048 = -7.08 gives -8, and the line of
  // (1901 + 483) * 30 / 2048 = 34.92 gives 35.
  EXPECT_EQ(font->_ascend, 28);
  EXPECT_EQ(font->_descend, -8);
  EXPECT_EQ(font->_height, 35);
  EXPECT_EQ(font->Height(), font->_height);
  EXPECT_GT(font->CountGlyphs(), 1000);
}

TEST(FreeTypeFont, CharactersMapToGlyphIndicesMinusOne) {
  auto font = DejaVu(30, 0);
  ASSERT_TRUE(font);
  const int a = font->CharToGlyph('A');
  EXPECT_GE(a, 0);
  EXPECT_NE(font->CharToGlyph('B'), a);
  // Characters the face lacks give -1.
  EXPECT_EQ(font->CharToGlyph(0xFFFF), -1);
  EXPECT_EQ(font->CharToGlyph(0xE0FF), -1);
  // Indices outside the face give no glyph.
  EXPECT_EQ(font->LoadGlyph(-1), nullptr);
  EXPECT_EQ(font->LoadGlyph(font->CountGlyphs()), nullptr);
}

TEST(FreeTypeFont, GlyphsSitOnTheBaselineAndAreCached) {
  auto font = DejaVu(30, 0);
  ASSERT_TRUE(font);
  TFreeTypeGlyph* a = GlyphFor(*font, 'A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GlyphFor(*font, 'A'), a);
  ASSERT_TRUE(a->_pixmap);
  EXPECT_EQ(a->_pixmap->format, PF_A8);
  EXPECT_EQ(a->_pixmap->width, a->_w);
  EXPECT_EQ(a->_pixmap->height, a->_h);
  // 'A' stands on the baseline: its bitmap ends at the ascender line.
  EXPECT_EQ(a->_y + a->_h, font->_ascend);
  // 'H' is as tall as 'A' and starts at the same height below the line top.
  TFreeTypeGlyph* h = GlyphFor(*font, 'H');
  EXPECT_EQ(h->_y, a->_y);
  // 'g' hangs below the baseline.
  TFreeTypeGlyph* g = GlyphFor(*font, 'g');
  EXPECT_GT(g->_y + g->_h, font->_ascend);
  // Advances are whole pixels and the space has one but no pixels.
  EXPECT_EQ(a->_advance, static_cast<float>(static_cast<int>(a->_advance)));
  EXPECT_GT(a->_advance, 15);
  TFreeTypeGlyph* space = GlyphFor(*font, ' ');
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(space->_pixmap, nullptr);
  EXPECT_GT(space->_advance, 0);
  EXPECT_EQ(space->Pixels(), nullptr);
  // Its rectangle is still placed from the pen: an empty box at the baseline.
  int sx, sy, sw, sh;
  space->GetRect(sx, sy, sw, sh);
  EXPECT_EQ(sx, 0);
  EXPECT_EQ(sy, font->_ascend);
  EXPECT_EQ(sw, 0);
  EXPECT_EQ(sh, 0);
  // The stem of 'H' is fully covered somewhere, the corners of its box are not.
  int full = 0;
  for (int y = 0; y < h->_h; ++y) {
    for (int x = 0; x < h->_w; ++x) full += h->_pixmap->PixelPtr(x, y)[0] == 255;
  }
  EXPECT_GT(full, 2 * h->_h);
}

TEST(FreeTypeFont, SmoothGlyphsGetATransparentBorder) {
  auto plain = DejaVu(30, 0);
  auto smooth = DejaVu(30, kFontSmooth | 1);
  ASSERT_TRUE(plain && smooth);
  for (char16_t ch : {u'A', u'g', u'.', u'W'}) {
    TFreeTypeGlyph* p = GlyphFor(*plain, ch);
    TFreeTypeGlyph* s = GlyphFor(*smooth, ch);
    ASSERT_TRUE(p && s && p->_pixmap && s->_pixmap);
    int x, y, w, hh;
    s->GetRect(x, y, w, hh);
    EXPECT_EQ(x, p->_x - 1);
    EXPECT_EQ(y, p->_y - 1);
    EXPECT_EQ(w, p->_w + 2);
    EXPECT_EQ(hh, p->_h + 2);
    EXPECT_EQ(s->_advance, p->_advance);
    ASSERT_EQ(s->_pixmap->width, w);
    ASSERT_EQ(s->_pixmap->height, hh);
    for (int yy = 0; yy < hh; ++yy) {
      for (int xx = 0; xx < w; ++xx) {
        const bool border = xx == 0 || yy == 0 || xx == w - 1 || yy == hh - 1;
        const uint8_t want = border ? 0 : p->_pixmap->PixelPtr(xx - 1, yy - 1)[0];
        ASSERT_EQ(s->_pixmap->PixelPtr(xx, yy)[0], want) << char(ch) << " at " << xx << "," << yy;
      }
    }
  }
}

TEST(FreeTypeFont, OneBitGlyphsExpandMostSignificantBitFirst) {
  TempFile file("tiny.bdf", kTinyBdf);
  auto font = TFreeTypeFont::FromFile(file.path(), 10, 0);
  ASSERT_TRUE(font) << "the FreeType build lacks the BDF driver?";
  EXPECT_EQ(font->_ascend, 8);
  EXPECT_EQ(font->_descend, -2);
  TFreeTypeGlyph* a = GlyphFor(*font, 'A');
  ASSERT_TRUE(a && a->_pixmap);
  EXPECT_EQ(a->_advance, 6);
  EXPECT_EQ(a->_w, 5);
  EXPECT_EQ(a->_h, 7);
  EXPECT_EQ(a->_x, 0);
  EXPECT_EQ(a->_y, 1);  // ascent 8, bitmap top 7
  const char* rows[] = {"..#..", ".#.#.", "#...#", "#...#", "#####", "#...#", "#...#"};
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(a->_pixmap->PixelPtr(x, y)[0], rows[y][x] == '#' ? 255 : 0) << x << "," << y;
    }
  }
  TFreeTypeGlyph* l = GlyphFor(*font, 'L');
  ASSERT_TRUE(l && l->_pixmap);
  EXPECT_EQ(l->_x, 1);
  EXPECT_EQ(l->_pixmap->PixelPtr(0, 0)[0], 255);
  EXPECT_EQ(l->_pixmap->PixelPtr(1, 0)[0], 0);
  EXPECT_EQ(l->_pixmap->PixelPtr(2, 6)[0], 255);
}

TEST(FreeTypeFont, PixelSizesAreTriedDownwardsUntilOneIsAccepted) {
  TempFile file("tiny.bdf", kTinyBdf);
  // The face has only a 10-pixel strike: 14 falls back to 10, 9 finds nothing.
  auto from14 = TFreeTypeFont::FromFile(file.path(), 14, 0);
  ASSERT_TRUE(from14);
  EXPECT_EQ(from14->_ascend, 8);
  EXPECT_EQ(from14->_height, 10);
  EXPECT_EQ(TFreeTypeFont::FromFile(file.path(), 9, 0), nullptr);
  EXPECT_EQ(TFreeTypeFont::FromFile(file.path(), 0, 0), nullptr);
  EXPECT_EQ(TFreeTypeFont::FromFile(file.path(), -5, 0), nullptr);
  // A huge size is clamped, not counted down one by one from two billion.
  EXPECT_TRUE(TFreeTypeFont::FromFile(file.path(), 2147483647, 0));
}

// Glyphs are as large as a pixel map may be: a real font at a large size has
// pixels; beyond the pixel maps' limits a glyph keeps its advance and has none,
// and is never rendered at that size.
TEST(FreeTypeFont, LargeGlyphsHavePixelsUpToThePixelMapLimits) {
  auto large = DejaVu(3000, kFontSmooth);
  ASSERT_TRUE(large);
  TFreeTypeGlyph* h = GlyphFor(*large, 'H');
  ASSERT_NE(h, nullptr);
  ASSERT_TRUE(h->_pixmap) << "a 3000 px 'H' draws";
  EXPECT_GT(h->_h, 2048);
  EXPECT_EQ(h->_pixmap->width, h->_w);
  EXPECT_EQ(h->_pixmap->height, h->_h);
  EXPECT_EQ(h->_y + h->_h - 1, large->_ascend) << "standing on the baseline, with its border";

  auto huge = DejaVu(65535, kFontSmooth);
  ASSERT_TRUE(huge);
  TFreeTypeGlyph* big = GlyphFor(*huge, 'H');
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->_pixmap, nullptr) << "taller than a pixel map may be";
  EXPECT_GT(big->_advance, 30000);
}

TEST(FreeTypeFont, MissingOrBrokenFilesGiveNoFont) {
  EXPECT_EQ(TFreeTypeFont::FromFile("no/such/font.ttf", 30, 4), nullptr);
  EXPECT_EQ(TFreeTypeFont::FromFile("", 30, 4), nullptr);
  TempFile text("notafont.ttf", "this is not a font file at all\n");
  EXPECT_EQ(TFreeTypeFont::FromFile(text.path(), 30, 4), nullptr);
  // A font cut short after its table directory.
  std::vector<uint8_t> bytes = ReadFileBytes(kDejaVu);
  ASSERT_GT(bytes.size(), 4096u);
  bytes.resize(400);
  EXPECT_EQ(TFreeTypeFont::FromMemory(bytes, 30, 4), nullptr);
  EXPECT_EQ(TFreeTypeFont::FromMemory({}, 30, 4), nullptr);
}

// ---------------------------------------------------------------------------
// The loader chain

namespace {

// Serves the bytes of one font file for urls "fontmem::<anything>".
class FontMemoryFactory : public TStreamFactory {
 public:
  explicit FontMemoryFactory(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  StreamRef CreateStream(const String&, const String& protocol, const String&, bool readable, bool) override {
    if (protocol != u"fontmem" || !readable) return nullptr;
    ++opened;
    return std::make_shared<TMemoryStream>(bytes_);
  }
  int opened = 0;

 private:
  std::vector<uint8_t> bytes_;
};

// A loader that recognises urls beginning with "fake:" and counts its calls.
class FakeLoader : public TFontLoader {
 public:
  std::unique_ptr<TFont> LoadFont(std::u16string_view url, int size, int style) override {
    ++calls;
    if (url.substr(0, 5) != u"fake:") return nullptr;
    return TFreeTypeFont::FromFile(kDejaVu, size, style);
  }
  int calls = 0;
};

}  // namespace

TEST(FontLoaders, FreeTypeReadsFilePathsAndStreamUrls) {
  auto from_path = LoadSourceFont(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 30, 4);
  ASSERT_TRUE(from_path);
  EXPECT_TRUE(static_cast<TFreeTypeFont*>(from_path.get())->_buf.empty());

  FontMemoryFactory factory(ReadFileBytes(kDejaVu));
  auto from_stream = LoadSourceFont(u"fontmem::DejaVuSans", 30, 4);
  ASSERT_TRUE(from_stream);
  EXPECT_EQ(factory.opened, 1);
  auto* ft = static_cast<TFreeTypeFont*>(from_stream.get());
  EXPECT_FALSE(ft->_buf.empty());
  EXPECT_EQ(ft->_height, static_cast<TFreeTypeFont*>(from_path.get())->_height);
  ASSERT_NE(ft->LoadGlyph(ft->CharToGlyph('Q')), nullptr);

  // "::" at the very start does not make a stream url; an empty url is nothing.
  EXPECT_EQ(LoadSourceFont(u"::fontmem", 30, 4), nullptr);
  EXPECT_EQ(LoadSourceFont(u"", 30, 4), nullptr);
  EXPECT_EQ(LoadSourceFont(u"fontmem_missing::x", 30, 4), nullptr);
  EXPECT_EQ(factory.opened, 1);
}

TEST(FontLoaders, NewLoadersAreAskedFirstAndTheFirstFontWins) {
  auto fake = std::make_unique<FakeLoader>();
  FakeLoader* loader = fake.get();
  AddFontLoader(std::move(fake));
  EXPECT_TRUE(LoadSourceFont(u"fake:anything", 20, 0));
  EXPECT_EQ(loader->calls, 1);
  // Not recognised by the new loader: the FreeType loader behind it still reads it.
  EXPECT_TRUE(LoadSourceFont(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 20, 0));
  EXPECT_EQ(loader->calls, 2);
  EXPECT_EQ(LoadSourceFont(u"no/such/file.ttf", 20, 0), nullptr);
}

// ---------------------------------------------------------------------------
// Image fonts through the headless renderer

namespace {

using test_support::PixelAt;
using test_support::Rgba;

constexpr Rgba kBlack{0, 0, 0, 255};

// The colour of a pixel with its alpha set aside.
Rgba ColourOf(Rgba p) {
  p.a = 255;
  return p;
}

// Opens 700 x 540 headless graphics drawing to an offscreen buffer, cleared black,
// in the game's state (white, mask blend, no origin, handle or transform).
class TextDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics_ = test_support::OpenHeadlessGraphics();
    ASSERT_TRUE(graphics_);
    Cls();
  }
  void TearDown() override {
    UseFont(nullptr);
    CloseGraphics();
  }

  // Every pixel of the frame whose colour is not black, as (x, y) -> colour. The
  // alpha channel is left out: the window has none, and the offscreen buffer keeps
  // whatever alpha the fragments carried.
  static std::map<std::pair<int, int>, Rgba> Lit() {
    std::map<std::pair<int, int>, Rgba> lit;
    std::vector<uint8_t> fb = test_support::ReadFramebuffer();
    for (int y = 0; y < graphics_height(); ++y) {
      for (int x = 0; x < graphics_width(); ++x) {
        const Rgba p = ColourOf(PixelAt(fb, x, y));
        if (p != kBlack) lit[{x, y}] = p;
      }
    }
    return lit;
  }

  // The pixels a glyph of `font` with its image at pen (px, py) must light in
  // `colour`: those whose coverage is at least 128 of 255.
  static void ExpectGlyph(std::map<std::pair<int, int>, Rgba>& lit, TImageFont& font, char16_t ch, int px, int py,
                          Rgba colour) {
    ImageGlyph* glyph = font.LoadGlyph(font.CharToGlyph(ch));
    ASSERT_TRUE(glyph && glyph->_image) << char(ch);
    PixmapPtr map = glyph->_image->pixmaps[0];
    for (int y = 0; y < map->height; ++y) {
      for (int x = 0; x < map->width; ++x) {
        const auto at = std::make_pair(px + glyph->_x + x, py + glyph->_y + y);
        const bool covered = (map->ReadPixel(x, y) >> 24) >= 128;
        auto it = lit.find(at);
        if (covered) {
          ASSERT_TRUE(it != lit.end()) << char(ch) << ": pixel " << x << "," << y << " not drawn";
          EXPECT_EQ(it->second, colour) << char(ch) << ": pixel " << x << "," << y;
          lit.erase(it);
        } else {
          ASSERT_TRUE(it == lit.end()) << char(ch) << ": pixel " << x << "," << y << " with coverage "
                                       << (map->ReadPixel(x, y) >> 24) << " drawn";
        }
      }
    }
  }

  std::shared_ptr<TPlanoGraphics> graphics_;
};

FontRef GameSizedDejaVu() {
  FontRef font = LoadFontImage(kDejaVu, 30, kFontSmooth);
  if (!font) ADD_FAILURE() << "cannot open " << kDejaVu;
  return font;
}

}  // namespace

TEST_F(TextDrawing, AGlyphLargerThanTheWindowIsDrawn) {
  FontRef font = LoadFontImage(kDejaVu, 3000, kFontSmooth);
  ASSERT_TRUE(font);
  UseFont(font);
  SetColor(255, 255, 255);
  ImageGlyph* h = font->LoadGlyph(font->CharToGlyph('H'));
  ASSERT_TRUE(h && h->_image);
  // The left stem of the 'H' runs down the window's left part.
  DrawTextAt(u"H", static_cast<float>(-h->_x), static_cast<float>(-h->_y - 100));
  std::vector<uint8_t> fb = test_support::ReadFramebuffer();
  int lit = 0;
  for (int y = 0; y < graphics_height(); ++y) lit += ColourOf(PixelAt(fb, 10, y)) == Rgba{255, 255, 255, 255};
  EXPECT_EQ(lit, graphics_height());
}

TEST_F(TextDrawing, BuiltinFontIsDrawnWhenNoFontIsSelected) {
  UseFont(nullptr);
  SetColor(255, 255, 255);
  DrawTextAt(u"Az~", 100, 50);
  SetColor(255, 0, 0);
  DrawTextAt(u"g", 300, 7);
  std::vector<uint8_t> fb = test_support::ReadFramebuffer();
  auto check = [&](char ch, int x0, int y0, Rgba colour) {
    for (int r = 0; r < 16; ++r) {
      for (int k = 0; k < 8; ++k) {
        const bool set = (BuiltinByte(ch, r) >> k) & 1;
        ASSERT_EQ(ColourOf(PixelAt(fb, x0 + k, y0 + r)), set ? colour : kBlack) << ch << " at " << k << "," << r;
      }
    }
  };
  check('A', 100, 50, Rgba{255, 255, 255, 255});
  check('z', 108, 50, Rgba{255, 255, 255, 255});
  check('~', 116, 50, Rgba{255, 255, 255, 255});
  check('g', 300, 7, Rgba{255, 0, 0, 255});
  EXPECT_EQ(TextHeight(), 16);
  EXPECT_EQ(MeasureText(u"Az~"), 24);
  // Characters outside 32..127 have no built-in glyph.
  EXPECT_EQ(MeasureText(u"\u00e9\u4e00\x1f"), 0);
  EXPECT_EQ(MeasureText(u"a\u00e9b"), 16);
}

TEST_F(TextDrawing, GlyphPixelsWithCoverageFromHalfUpAreDrawnInTheCurrentColour) {
  FontRef font = GameSizedDejaVu();
  ASSERT_TRUE(font);
  UseFont(font);
  SetColor(0, 255, 0);
  DrawTextAt(u"Ng", 220, 445);
  auto lit = Lit();
  ExpectGlyph(lit, *font, 'N', 220, 445, Rgba{0, 255, 0, 255});
  const int pen = 220 + static_cast<int>(font->LoadGlyph(font->CharToGlyph('N'))->_advance);
  ExpectGlyph(lit, *font, 'g', pen, 445, Rgba{0, 255, 0, 255});
  EXPECT_TRUE(lit.empty()) << lit.size() << " pixels drawn outside the glyphs";
}

TEST_F(TextDrawing, LineTopIsAtYAndTheBaselineAtYPlusAscender) {
  FontRef font = GameSizedDejaVu();
  ASSERT_TRUE(font);
  UseFont(font);
  const int ascend = static_cast<TFreeTypeFont*>(font->_src_font.get())->_ascend;
  DrawTextAt(u"H", 220, 445);
  auto lit = Lit();
  ASSERT_FALSE(lit.empty());
  int top = 540, bottom = -1;
  for (const auto& [at, colour] : lit) {
    top = std::min(top, at.second);
    bottom = std::max(bottom, at.second);
  }
  // 'H' has flat tops and bottoms: its last row is the one above the baseline,
  // and its cap height lies between the line top and the baseline.
  EXPECT_EQ(bottom, 445 + ascend - 1);
  EXPECT_GT(top, 445);
  EXPECT_LT(top, 445 + ascend - 15);
  EXPECT_EQ(TextHeight(), font->Height());
  EXPECT_EQ(font->Height(), static_cast<TFreeTypeFont*>(font->_src_font.get())->_height);
}

TEST_F(TextDrawing, CharactersTheFontLacksAreSkippedInDrawingAndMeasuring) {
  FontRef font = GameSizedDejaVu();
  ASSERT_TRUE(font);
  UseFont(font);
  EXPECT_EQ(MeasureText(u""), 0);
  EXPECT_EQ(MeasureText(u"\uE0FF\uFFFF"), 0);
  DrawTextAt(u"\uE0FF\uFFFF", 10, 10);
  EXPECT_TRUE(Lit().empty());
  // A lacking character in the middle does not move the pen.
  DrawTextAt(u"A\uE0FFV", 10, 100);
  auto with_gap = Lit();
  Cls();
  DrawTextAt(u"AV", 10, 100);
  EXPECT_EQ(Lit(), with_gap);
  EXPECT_EQ(MeasureText(u"A\uE0FFV"), MeasureText(u"AV"));
}

TEST_F(TextDrawing, MeasureAddsAdvancesNotInk) {
  // The tiny font: 'A' advances 6 with ink 5 wide, 'L' advances 7 with ink 3 wide
  // from x 1; smoothing pads each bitmap by a pixel all round and keeps the advances.
  TempFile file("tiny.bdf", kTinyBdf);
  for (int style : {0, kFontSmooth}) {
    FontRef tiny = LoadFontImage(file.path(), 10, style);
    ASSERT_TRUE(tiny);
    UseFont(tiny);
    EXPECT_EQ(MeasureText(u"A"), 6) << "style " << style;
    EXPECT_EQ(MeasureText(u"L"), 7) << "style " << style;
    EXPECT_EQ(MeasureText(u"ALLA"), 26) << "style " << style;
  }
}

TEST_F(TextDrawing, FontLoadingFallsBackInSizeAndToTheBuiltinFont) {
  TempFile file("tiny.bdf", kTinyBdf);
  FontRef tiny = LoadFontImage(file.path(), 14, 0);
  ASSERT_TRUE(tiny);
  EXPECT_EQ(tiny->Height(), 10);
  EXPECT_EQ(tiny->_imageFlags, 0);
  EXPECT_EQ(GameSizedDejaVu()->_imageFlags, FILTEREDIMAGE | MIPMAPPEDIMAGE);
  // Only 'A' and 'L' exist: 'Z' is skipped, the others advance 6 and 7.
  UseFont(tiny);
  EXPECT_EQ(MeasureText(u"AZL"), 13);
  DrawTextAt(u"AZL", 30, 40);
  auto lit = Lit();
  ExpectGlyph(lit, *tiny, 'A', 30, 40, Rgba{255, 255, 255, 255});
  ExpectGlyph(lit, *tiny, 'L', 36, 40, Rgba{255, 255, 255, 255});
  EXPECT_TRUE(lit.empty());

  // A missing font gives null; selecting null brings back the built-in font.
  EXPECT_EQ(LoadFontImage("data/NoSuchFont.ttf", 30, kFontSmooth), nullptr);
  UseFont(LoadFontImage("data/NoSuchFont.ttf", 30, kFontSmooth));
  EXPECT_EQ(MeasureText(u"abc"), 24);
  EXPECT_EQ(TextHeight(), 16);
}

TEST_F(TextDrawing, TextFollowsTheOriginAndHandle) {
  UseFont(nullptr);
  SetDrawOrigin(5, 7);
  SetDrawHandle(2, 1);  // moves the text 2 left, 1 up
  DrawTextAt(u"|", 100, 100);
  auto lit = Lit();
  // '|' is column 3, rows 2..13 of its cell: the cell starts at (103, 106).
  ASSERT_EQ(lit.size(), 12u);
  EXPECT_EQ(lit.begin()->first, std::make_pair(106, 108));
  SetDrawOrigin(0, 0);
  SetDrawHandle(0, 0);
}

TEST_F(TextDrawing, GlyphImagesAreRemadeAfterGraphicsAreReopened) {
  FontRef font = GameSizedDejaVu();
  ASSERT_TRUE(font);
  UseFont(font);
  DrawTextAt(u"Hi", 50, 50);
  auto before = Lit();
  ASSERT_FALSE(before.empty());
  graphics_ = test_support::OpenHeadlessGraphics();
  ASSERT_TRUE(graphics_);
  Cls();
  UseFont(font);
  DrawTextAt(u"Hi", 50, 50);
  EXPECT_EQ(Lit(), before);
}

TEST_F(TextDrawing, ScaledOrUnsmoothedTextMatchesTheGlyphsOwnImages) {
  // Shrunk smooth text and unsmoothed text at half-pixel positions or scaled up:
  // the packed font must light exactly the pixels of per-glyph drawing.
  struct Case {
    int style;
    float x, sx, sy;
  };
  for (const Case& c : {Case{kFontSmooth, 3, 0.5f, 0.3f}, Case{0, 3.5f, 1, 1}, Case{0, 3, 1.5f, 1.5f}}) {
    FontRef packed = LoadFontImage(kDejaVu, 30, c.style);
    FontRef single = LoadFontImage(kDejaVu, 30, c.style);
    ASSERT_TRUE(packed && single);
    single->_packed = false;
    auto draw = [&](const FontRef& font) {
      Cls();
      UseFont(font);
      SetDrawScale(c.sx, c.sy);
      DrawTextAt(u"Press 1 for Help - How to play", c.x, 20);
      DrawTextAt(u"Wg@&Qj", c.x, 120);
      SetDrawScale(1, 1);
      return Lit();
    };
    auto from_packed = draw(packed);
    EXPECT_GT(from_packed.size(), 100u);
    EXPECT_EQ(draw(single), from_packed) << "style " << c.style << " x " << c.x << " scale " << c.sx;
  }
}

TEST_F(TextDrawing, GlyphsDrawnFromTheAtlasMatchTheirOwnImages) {
  // A font at a size whose glyphs overflow the atlas after a few lines: the rest
  // are drawn from their own images. Either way the pixels are the same, also
  // under a virtual resolution (drawing units that are not window pixels, text
  // shrunk or enlarged) and at positions between pixels.
  for (int size : {30, 120}) {
    FontRef packed = LoadFontImage(kDejaVu, size, kFontSmooth);
    FontRef single = LoadFontImage(kDejaVu, size, kFontSmooth);
    ASSERT_TRUE(packed && single);
    single->_packed = false;
    const std::u16string lines[] = {u"ABCDEFG", u"HIJKLMN", u"OPQRSTU", u"VWXYZ@&", u"abcdefg", u"hijklmn"};
    // Virtual size `units` times the window's, the text at (x, line top) in window pixels.
    auto draw = [&](const FontRef& font, float units, float x) {
      Cls();
      UseFont(font);
      SetVirtualSize(700 * units, 540 * units);
      for (int i = 0; i < 6; ++i) DrawTextAt(lines[i], x * units, static_cast<float>(i * size * 3 / 4) * units);
      SetVirtualSize(700, 540);
      return test_support::ReadFramebuffer();
    };
    for (const auto& [units, x] : {std::pair{1.0f, 3.0f}, {1.0f, 3.25f}, {1.5f, 3.0f}, {2.0f, 3.0f}, {4.0f, 3.0f},
                                   {1 / 1.5f, 3.0f}, {0.5f, 3.0f}}) {
      const auto from_atlas = draw(packed, units, x);
      const auto from_glyphs = draw(single, units, x);
      int lit = 0, differing = 0;
      for (size_t i = 0; i + 3 < from_atlas.size() && i + 3 < from_glyphs.size(); i += 4) {
        lit += from_glyphs[i] != 0;
        differing += !std::equal(&from_atlas[i], &from_atlas[i] + 3, &from_glyphs[i]);  // colour only
      }
      EXPECT_EQ(differing, 0) << "size " << size << ", virtual size x" << units << ", at x " << x;
      EXPECT_GT(lit, units > 1 ? 100 : 1000);
    }
    int in_atlas = 0, outside = 0;
    for (const auto& line : lines) {
      for (char16_t ch : line) (packed->LoadGlyph(packed->CharToGlyph(ch))->_atlas_x >= 0 ? in_atlas : outside)++;
    }
    if (size == 30) {
      EXPECT_EQ(outside, 0);
    } else {
      EXPECT_GT(in_atlas, 0);
      EXPECT_GT(outside, 0);
    }
  }
}
