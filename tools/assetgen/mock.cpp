#include "mock.h"

namespace gen {

void Mock::Draw(const Canvas& img, int x, int y, int cell_w, int cell_h, int cell) {
  int w = cell_w ? cell_w : img.w(), h = cell_h ? cell_h : img.h();
  int across = img.w() / w;
  int sx = (cell % across) * w, sy = (cell / across) * h;
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      const Px& p = img.At(sx + xx, sy + yy);
      if (p.a >= 0.5f && cv_.In(x + xx, y + yy)) cv_.At(x + xx, y + yy) = {p.r, p.g, p.b, 1};
    }
}

void Mock::Maze(const Map& map, unsigned seed, int tile_offset, int bg_frame, int scroll_x, int scroll_y) {
  for (int y = 0; y < 540; y += 38)
    for (int x = 0; x < 700; x += 64) Draw(a_.backgrounds, x, y, 64, 38, bg_frame);
  auto frames = TileFrames(map, seed);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      int f = frames[size_t(r)][size_t(c)];
      if (f >= 0) Draw(a_.tiles, c * 32 - scroll_x, r * 32 - scroll_y, 32, 32, f + tile_offset);
    }
}

void Mock::MenuDecorations() {
  const Canvas& blue = a_.gem[0];
  const Canvas& green = a_.gem[1];
  const Canvas& red = a_.gem[2];
  Draw(blue, 100, 100);
  Draw(blue, 100, 320);
  Draw(blue, 10, 250);
  Draw(blue, 400, 420);
  Draw(red, 10, 12);
  Draw(green, 600, 270);
  Draw(green, 50, 440);
  Draw(red, 600, 70);
  Draw(a_.zarn, 300, 460, 24, 25, 0);
  Draw(a_.holes, 340, 10, 26, 21, 0);
  Draw(a_.holes, 540, 340, 26, 21, 2);
  Draw(a_.menu, 180, 40);
}

void Mock::MenuPage(int page, int choice) {
  Maze(MenuMap(), 1, 0, page == 4 ? choice : 0, 0, 0);
  MenuDecorations();
  switch (page) {
    case 0:
      Text("Main Menu", 220, 60);
      Text("Press 1 for Help - How to play ", 220, 100);
      Text("Press 2 for Help - Powerups", 220, 140);
      Text("Press 3 for Help - Contrioll", 220, 180);
      Text("Press 4 to change level", 220, 220);
      Text("Press Enter for Start", 220, 300);
      Text("Press Esc to End", 220, 340);
      break;
    case 1:
      Text("Help - How to play", 220, 60);
      Text("Collect the", 220, 100);
      Draw(a_.gem[0], 330, 100);
      Draw(a_.gem[2], 340, 110);
      Draw(a_.gem[1], 360, 100);
      Text("and take them", 390, 100);
      Text("to the", 220, 140);
      Draw(a_.holes, 290, 140, 26, 21, 0);
      Draw(a_.holes, 320, 150, 26, 21, 1);
      Draw(a_.holes, 350, 140, 26, 21, 2);
      Text(". But take care!", 380, 140);
      Text("The", 220, 180);
      Draw(a_.blobb, 260, 180, 30, 30, 0);
      Draw(a_.blobb, 280, 190, 30, 30, 0);
      Draw(a_.blobb, 300, 180, 30, 30, 0);
      Text("always try to steal them.", 340, 180);
      Text("So you should also collect ", 220, 220);
      Draw(a_.powerup[7], 470, 215);
      Draw(a_.powerup[2], 490, 225);
      Draw(a_.powerup[5], 510, 215);
      Text("For extras.", 220, 260);
      Text("200", 220, 300);
      Draw(a_.clock, 270, 300);
      Text("Should be enough.", 320, 300);
      Text("Press Space for Main Menu", 220, 510);
      break;
    case 2: {
      Text("Help - Powerups", 220, 60);
      const struct {
        int y, kind;
        const char* text;
      } rows[] = {{100, 7, "Get every collected diam 2 times"}, {140, 1, "Can't loose diams to Blobbs"},
                  {180, 2, "Faster walking"}, {220, 3, "It freezes the Blobbs"},
                  {260, 4, "Can walk through walls"}, {300, 5, "Extra time"},
                  {340, 6, "Extra diams of every color"}};
      for (const auto& r : rows) {
        Draw(a_.powerup[r.kind], 220, r.y);
        Text(r.text, 270, r.y);
      }
      Text("Press Space for Main Menu", 220, 510);
      break;
    }
    case 3:
      Text("Help - Controll", 220, 60);
      Draw(a_.keys_move, 220, 120);
      Text("To move", 370, 160);
      Draw(a_.keys_music, 220, 220);
      Text("Music Off/On", 320, 220);
      Draw(a_.keys_end, 220, 280);
      Text("End Game", 280, 280);
      Text("Press Space for Main Menu", 220, 510);
      break;
    default: {
      const int ys[3] = {140, 220, 300};
      Draw(a_.slot, 290, ys[choice]);
      Draw(a_.slot, 440, ys[choice]);
      Text("Choose Level", 330, 60);
      const char* lines[3] = {"7                  7", "8                  8", "9                  9"};
      for (int i = 0; i < 3; ++i) {
        Draw(a_.choose, 340, ys[i], 88, 42, i);
        Text(lines[i], 300, ys[i]);
      }
      Text("Press Space for Main Menu", 220, 510);
      break;
    }
  }
}

void Mock::Game(const Map& map, unsigned seed, int set, int scroll_x, int scroll_y) {
  Maze(map, seed, set * 15, set, scroll_x, scroll_y);
  Draw(a_.holes, 120 - scroll_x, 640 - scroll_y, 26, 21, 0);
  Draw(a_.holes, 40 - scroll_x, 40 - scroll_y, 26, 21, 1);
  Draw(a_.holes, 1100 - scroll_x, 750 - scroll_y, 26, 21, 2);
  // A few things lying about on open cells near the view.
  Rng rng(uint32_t(seed + set * 7));
  int placed = 0, pu = 0;
  while (placed < 9) {
    int c = rng.Int(1, 36), r = rng.Int(1, 24);
    char ch = map[size_t(r)][size_t(c)];
    if (ch == '#' || ch == '%' || ch == '~') continue;
    int x = c * 32 - scroll_x, y = r * 32 - scroll_y;
    if (x < 0 || y < 40 || x > 660 || y > 500 || (std::abs(x - 200) < 40 && std::abs(y - 200) < 40)) continue;
    if (placed < 6) Draw(a_.gem[placed % 3], x, y);
    else if (pu++ < 1) Draw(a_.powerup[set * 2 + 1], x, y);
    else {
      // Blobbs roam at pixel positions; put them where both corners are open.
      Draw(placed == 8 ? a_.frozen : a_.blobb, x + 1, y + 1, 30, 30, placed == 8 ? 0 : 3);
    }
    ++placed;
  }
  Draw(a_.zarn, 200, 200, 24, 25, 32);
  // HUD.
  Draw(a_.got, 0, 5);
  Draw(a_.got, 440, 5);
  Draw(a_.clock, 300, 5);
  Draw(a_.gem[0], 45, 15);
  Draw(a_.gem[1], 105, 15);
  Draw(a_.gem[2], 165, 15);
  Draw(a_.banked[0], 485, 15);
  Draw(a_.banked[1], 545, 15);
  Draw(a_.banked[2], 605, 15);
  Text("3", 75, 10);
  Text("12", 135, 10);
  Text("0", 195, 10);
  Text("5", 515, 10);
  Text("2", 575, 10);
  Text("14", 635, 10);
  Text("247", 350, 10);
  Draw(a_.slot, 20, 50);
  Draw(a_.slot, 20, 90);
  Draw(a_.powerup[3], 20, 50);
  Draw(a_.empty, 20, 90);
  Text(" 21", 50, 45);
}

void Mock::Results(bool highscore) {
  Maze(MenuMap(), 1, 0, 0, 0, 0);
  Draw(a_.end, 403, 0);
  if (!highscore) {
    const int counts[6] = {4, 9, 2, 17, 11, 6};
    for (int i = 0; i < 3; ++i) {
      int y0 = 40 + i * 110;
      Draw(a_.got, 40, y0);
      Draw(a_.gem[i], 130, y0 + 10);
      Text(std::to_string(counts[i]), 80, y0 + 5);
      Text("X 1 =", 160, y0 + 5);
      Text(std::to_string(counts[i]), 220, y0 + 5);
      Draw(a_.got, 120, y0 + 40);
      Draw(a_.banked[i], 210, y0 + 50);
      Text(std::to_string(counts[3 + i]), 160, y0 + 45);
      Text("X 2 =", 240, y0 + 45);
      Text(std::to_string(2 * counts[3 + i]), 300, y0 + 45);
    }
    Draw(a_.got, 120, 380);
    Draw(a_.got, 120, 440);
    Text(">>>>>  83  <<<<<", 180, 385, {0, 0, 0});
    Text(" Name: ", 160, 445, {0, 0, 0});
    Text("Zarnie", 220, 445);
    Text("Space - Highscore", 500, 460);
    Text("Escape - End", 500, 480);
  } else {
    Draw(a_.got, 110, 35);
    Text("Highscore", 200, 40);
    const char* names[10] = {"Tabea", "Quirin", "Zarnie", "Malte", "Ronja", "Ida", "Bo", "Frieda", "Lenz", "Pit"};
    const int scores[10] = {120, 96, 83, 71, 64, 52, 45, 33, 24, 12};
    for (int i = 0; i < 10; ++i) {
      Col c = scores[i] == 83 ? Col{1, 0, 0} : Col{1, 1, 1};
      Text(names[i], 240, 80 + 30 * i, c);
      Text(std::to_string(scores[i]), 160, 80 + 30 * i, c);
    }
    Text("Enter - Menu", 500, 460);
    Text("Escape - End", 500, 480);
  }
}

}  // namespace gen
