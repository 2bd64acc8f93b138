// Every text the game draws, taken from the screens' layouts, with the first x
// its ink must stay left of: the nearest picture or text that starts to its right
// on the same line, the right edge of a picture it is written on (a panel), or
// the window's right edge.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/layout.h"

namespace placed_texts {

struct PlacedText {
  std::u16string_view text;
  int x;      // left of the text line
  int y;      // top of the text line
  int limit;  // the ink must end before this x
  std::string_view where;
};

inline constexpr int kWindowRight = 700;
// Height of a text line at the game's font size.
inline constexpr int kLineHeight = 30;

struct Size {
  int w = 0, h = 0;
};

// The drawn size of a picture: its cell for a strip, else the whole BMP (read
// from the header's width and height). The start screen is the whole window.
inline Size PictureSize(const std::string& root, Pic pic) {
  const StripFile file = PicFile(pic);
  if (file.count > 0) return {file.cell_width, file.cell_height};
  if (pic == Pic::StartScreen) return {kWindowRight, 540};
  std::ifstream in(root + "/" + std::string(file.path), std::ios::binary);
  unsigned char header[26] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return {};
  auto le32 = [&](int at) {
    return int(uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 | uint32_t(header[at + 2]) << 16 |
               uint32_t(header[at + 3]) << 24);
  };
  return {le32(18), std::abs(le32(22))};
}

// The limit of a text item among the items drawn on the same screen.
inline int LimitOf(const Item& text, std::span<const Item> screen, const std::function<Size(Pic)>& size) {
  int limit = kWindowRight;
  for (const Item& other : screen) {
    if (&other == &text) continue;
    const Size s = other.pic == Pic::None ? Size{1, kLineHeight} : size(other.pic);
    // On the same line when it shares a quarter of the line's height or more: the
    // glyphs leave the top and bottom of their line nearly empty.
    const int overlap = std::min(other.y + s.h, text.y + kLineHeight) - std::max(other.y, text.y);
    const bool same_line = overlap >= kLineHeight / 4;
    if (!same_line) continue;
    if (other.x > text.x) limit = std::min(limit, other.x);
    // A picture the text starts on is its panel: the text stays inside it.
    if (other.pic != Pic::None && other.x <= text.x && other.x + s.w > text.x)
      limit = std::min(limit, other.x + s.w);
  }
  return limit;
}

// Every text of the game with its limit. `root` is the folder holding gfx/.
inline std::vector<PlacedText> AllPlacedTexts(const std::string& root) {
  auto size = [&](Pic pic) { return PictureSize(root, pic); };
  std::vector<PlacedText> out;
  auto add = [&](std::span<const Item> screen, std::span<const Item> texts, std::string_view where) {
    for (const Item& item : texts)
      if (item.pic == Pic::None) out.push_back({item.text, item.x, item.y, LimitOf(item, screen, size), where});
  };
  auto screen_of = [](std::initializer_list<std::span<const Item>> parts) {
    std::vector<Item> items;
    for (auto part : parts) items.insert(items.end(), part.begin(), part.end());
    return items;
  };
  add(layout::kStartScreen, layout::kStartScreen, "start screen");
  const std::pair<std::span<const Item>, std::string_view> pages[] = {{layout::kMainMenu, "menu"},
                                                                       {layout::kHowToPlay, "how to play"},
                                                                       {layout::kPowerUpsHelp, "power-ups"},
                                                                       {layout::kControls, "controls"}};
  for (const auto& [page, where] : pages) {
    const auto screen = screen_of({layout::kMenuDecorations, page});
    add(screen, page, where);
  }
  // The level page: its title and last line among the decorations; the level
  // rows' digits frame their pictures and are checked against the slot marks.
  const Item level_texts[] = {layout::kChooseTitle, layout::kChooseBack};
  add(screen_of({layout::kMenuDecorations, level_texts}), level_texts, "choose level");
  for (const auto& row : layout::kLevelRows)
    out.push_back({row.text.text, row.text.x, row.text.y, kWindowRight, "choose level"});
  // The HUD over a game, and the power-up countdowns under it.
  add(layout::kHud, layout::kHud, "HUD");
  const Item game_over[] = {layout::kGameOver};
  add(screen_of({layout::kHud, game_over}), game_over, "HUD");
  for (const auto& slot : layout::kSlotPlaces) {
    const Item countdown[] = {Text(layout::kWidestCountdown, slot.count_x, slot.count_y)};
    std::vector<Item> screen = screen_of({layout::kHud, countdown});
    for (const auto& other : layout::kSlotPlaces) screen.push_back(Image(Pic::Slot, other.x, other.y));
    add(screen, countdown, "power-up slot");
  }
  // The results page and the highscore view, over the end picture.
  const Item end[] = {layout::kEndPicture};
  const Item results_texts[] = {layout::kScoreLine, layout::kNameLabel, layout::kName};
  const auto results = screen_of({end, layout::kResultsRows, results_texts, layout::kResultsKeys});
  add(results, layout::kResultsRows, "results");
  add(results, results_texts, "results");
  add(results, layout::kResultsKeys, "results");
  const Item table_row[] = {layout::kTableScore, layout::kTableName};
  const auto highscore = screen_of({end, layout::kHighscoreTitle, table_row, layout::kHighscoreKeys});
  add(highscore, layout::kHighscoreTitle, "highscore");
  add(highscore, table_row, "highscore");
  add(highscore, layout::kHighscoreKeys, "highscore");
  return out;
}

}  // namespace placed_texts
