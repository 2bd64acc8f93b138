// Mock-ups of the game's screens, composed from the generated pictures at
// the positions where the game draws them; used for the documentation
// pictures and to judge the art as the player will see it.
#pragma once

#include <string>

#include "art.h"
#include "levels.h"

namespace gen {

struct AssetSet {
  Canvas tiles, backgrounds, zarn, blobb, frozen, holes, gem[3], banked[3], powerup[8];
  Canvas slot, empty, clock, got, menu, choose, keys_move, keys_music, keys_end, end, start;
};

class Mock {
 public:
  Mock(const AssetSet& a, const TextRenderer& tr) : a_(a), tr_(tr), cv_(700, 540) {}
  const Canvas& canvas() const { return cv_; }

  // A cell of a strip image drawn with binary opacity at (x, y).
  void Draw(const Canvas& img, int x, int y, int cell_w = 0, int cell_h = 0, int cell = 0);
  void Text(const std::string& text, int x, int y, Col c = {1, 1, 1}) { tr_.GameText(cv_, text, x, y, c); }
  void Maze(const Map& map, unsigned seed, int tile_offset, int bg_frame, int scroll_x, int scroll_y);

  void MenuPage(int page, int choice);
  void Game(const Map& map, unsigned seed, int set, int scroll_x, int scroll_y);
  void Results(bool highscore);

 private:
  void MenuDecorations();
  const AssetSet& a_;
  const TextRenderer& tr_;
  Canvas cv_;
};

// The diamonds, holes and delivered-diamond counters, enlarged, in one row per
// vision: full colour vision, protanopia, deuteranopia and tritanopia.
Canvas ColourVisionSheet(const AssetSet& a, const TextRenderer& tr);

}  // namespace gen
