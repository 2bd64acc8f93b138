// The game's font at the size the game draws with: every text of the game,
// drawn through the media layer's FreeType fonts, ends before the picture or
// text that follows it on its line and before the window's right edge.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/media.h"
#include "support/headless.h"
#include "tools/font/placed_texts.h"

namespace {

using placed_texts::PlacedText;

std::string FontPath() {
  const char* root = std::getenv("ZARN_SOURCE_DIR");
  return std::string(root ? root : ".") + "/assets/data/Font2.ttf";
}

String Text(std::string_view s) { return TextFromBytes(s); }

std::string AssetsDir() {
  const char* root = std::getenv("ZARN_SOURCE_DIR");
  return std::string(root ? root : ".") + "/assets";
}

// Every text the game draws, from the screens' layouts.
const std::vector<PlacedText>& PlacedTexts() {
  static const std::vector<PlacedText> texts = placed_texts::AllPlacedTexts(AssetsDir());
  return texts;
}

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// Ink of a text line: the columns and rows of the glyph pixels the renderer
// draws (coverage of at least 128 of 255), with the pen at (x, y).
struct Ink {
  int left = 1 << 30, right = -(1 << 30);  // right is one past the last column
  int top = 1 << 30, bottom = -(1 << 30);
  int missing = 0;                          // characters the font has no glyph for
};

Ink InkOf(TImageFont& font, std::string_view text, int x, int y) {
  Ink ink;
  float pen = float(x);
  for (char ch : text) {
    int g = font.CharToGlyph((unsigned char)ch);
    if (g < 0) {
      ++ink.missing;
      continue;
    }
    ImageGlyph* glyph = font.LoadGlyph(g);
    if (!glyph) {
      ++ink.missing;
      continue;
    }
    if (glyph->_image) {
      const PixmapPtr& map = glyph->_image->pixmaps[0];
      for (int py = 0; py < map->height; ++py)
        for (int px = 0; px < map->width; ++px) {
          if ((map->ReadPixel(px, py) >> 24) < 128) continue;
          int sx = int(pen) + glyph->_x + px, sy = y + glyph->_y + py;
          ink.left = std::min(ink.left, sx);
          ink.right = std::max(ink.right, sx + 1);
          ink.top = std::min(ink.top, sy);
          ink.bottom = std::max(ink.bottom, sy + 1);
        }
    }
    pen += glyph->_advance;
  }
  return ink;
}

class GameFont : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = LoadFontImage(FontPath(), 30, kFontSmooth);
    ASSERT_NE(font_, nullptr) << FontPath();
  }
  FontRef font_;
};

}  // namespace

TEST_F(GameFont, EveryCharacterTheGameShowsOrTheNameEntryTakesHasAGlyph) {
  std::string chars;
  ASSERT_GT(PlacedTexts().size(), 40u);
  for (const PlacedText& t : PlacedTexts()) chars += Narrow(t.text);
  for (int c = 64; c <= 123; ++c) chars += char(c);  // what a name may hold
  chars += "0123456789-";
  for (char ch : chars) EXPECT_GE(font_->CharToGlyph((unsigned char)ch), 0) << "'" << ch << "'";
  // Lines are 30 pixels: the text of one line never reaches the next row of the menu.
  EXPECT_EQ(font_->Height(), 30);
}

TEST_F(GameFont, TextsEndBeforeWhatFollowsThem) {
  for (const PlacedText& t : PlacedTexts()) {
    const std::string text = Narrow(t.text);
    Ink ink = InkOf(*font_, text, t.x, t.y);
    SCOPED_TRACE(std::string(t.where) + ": \"" + text + "\"");
    EXPECT_EQ(ink.missing, 0);
    EXPECT_LE(ink.right, t.limit);
    EXPECT_GE(ink.left, t.x);
    // The ink stays within its 30-pixel line.
    EXPECT_GE(ink.top, t.y);
    EXPECT_LE(ink.bottom, t.y + 30);
    std::printf("%-14s x %3d  ink ends %3d  limit %3d  room %3d  \"%.*s\"\n", std::string(t.where).c_str(), t.x,
                ink.right, t.limit, t.limit - ink.right, int(text.size()), text.data());
  }
  // The figures of the issue: DejaVu Sans Condensed would need up to 1.6 times
  // this room; this face must keep inside it.
  EXPECT_LT(InkOf(*font_, "So you should also collect ", 220, 220).right, 470);
  EXPECT_LT(InkOf(*font_, "Collect the", 220, 100).right, 330);
  EXPECT_LT(InkOf(*font_, "The", 220, 180).right, 260);
  EXPECT_LT(InkOf(*font_, "200", 220, 300).right, 270);
  EXPECT_LT(InkOf(*font_, " Name: ", 160, 445).right, 220);
  EXPECT_LT(InkOf(*font_, "X 1 =", 160, 45).right, 220);
  EXPECT_LT(InkOf(*font_, "Space - Highscore", 500, 460).right, 700);
}

// On the Choose Level page the first and the second digit of
// "7                  7" land inside the slot marks drawn at x 290 and 440.
TEST_F(GameFont, LevelDigitsLandInTheirSlotMarks) {
  const int slot_width = placed_texts::PictureSize(AssetsDir(), Pic::Slot).w;
  EXPECT_EQ(slot_width, 30);
  for (const auto& level : layout::kLevelRows) {
    const std::string text = Narrow(level.text.text);
    const std::string_view line = text;
    SCOPED_TRACE(text);
    Ink first = InkOf(*font_, line.substr(0, 1), 300, 140);
    Ink whole = InkOf(*font_, line, 300, 140);
    // The second digit starts where the advances of everything before it end.
    int second_pen = 300 + font_->Measure(Text(line.substr(0, line.size() - 1)));
    Ink last = InkOf(*font_, line.substr(line.size() - 1), second_pen, 140);
    EXPECT_GE(first.left, level.mark_left_x);
    EXPECT_LE(first.right, level.mark_left_x + slot_width);
    EXPECT_GE(last.left, level.mark_right_x);
    EXPECT_LE(last.right, level.mark_right_x + slot_width);
    EXPECT_EQ(whole.right, last.right);
  }
}

// The names measured on the results page and the highscore view are ten of the
// widest character a name may hold (codes 64 to 123), so every name fits.
TEST_F(GameFont, NameSamplesAreTheWidestNames) {
  int widest = 0;
  for (int code = 64; code <= 123; ++code) widest = std::max(widest, font_->Measure(CharText(code)));
  for (const Item& name : {layout::kName, layout::kTableName}) {
    EXPECT_EQ(name.text.size(), 10u);
    EXPECT_EQ(font_->Measure(name.text), 10 * widest) << Narrow(name.text);
  }
}

// The same texts drawn by DrawTextAt on the headless renderer: no pixel of a
// text lands at or beyond its limit, or outside its line.
TEST(GameFontDrawn, DrawnTextsStayInTheirRoom) {
  std::shared_ptr<TPlanoGraphics> graphics = test_support::OpenHeadlessGraphics();
  ASSERT_TRUE(graphics);
  FontRef font = LoadFontImage(FontPath(), 30, kFontSmooth);
  ASSERT_NE(font, nullptr);
  UseFont(font);
  SetColor(255, 255, 255);
  for (const PlacedText& t : PlacedTexts()) {
    SCOPED_TRACE(std::string(t.where) + ": \"" + Narrow(t.text) + "\"");
    Cls();
    DrawTextAt(t.text, float(t.x), float(t.y));
    std::vector<uint8_t> fb = test_support::ReadFramebuffer();
    ASSERT_FALSE(fb.empty());
    int right = -1, lit = 0, outside_line = 0;
    for (int y = 0; y < 540; ++y)
      for (int x = 0; x < 700; ++x) {
        test_support::Rgba p = test_support::PixelAt(fb, x, y);
        if (p.r == 0 && p.g == 0 && p.b == 0) continue;
        ++lit;
        right = std::max(right, x + 1);
        if (y < t.y || y >= t.y + 30) ++outside_line;
      }
    EXPECT_GT(lit, 0);
    EXPECT_LE(right, t.limit);
    EXPECT_EQ(outside_line, 0);
    // What was drawn is what the glyph images say.
    EXPECT_EQ(right, InkOf(*font, Narrow(t.text), t.x, t.y).right);
  }
  UseFont(nullptr);
  CloseGraphics();
}
