#include "levels.h"

#include <algorithm>

#include "gfx.h"

namespace gen {

namespace {

// Tile codes of the frames 0..14 of a set.
const char* const kTileCodes[15] = {"00", "01", "02", "03", "04", "05", "08", "10",
                                    "11", "12", "13", "14", "15", "06", "07"};

enum Frame {
  kFloor = 0, kFloorB, kFloorC, kShadeTop, kShadeLeft, kShadeBoth, kShadeCorner,
  kWall, kWallFront, kWallDeco, kWallDecoFront, kGhost, kGhostFront, kFloorDeco, kPlate
};

bool IsWall(char c) { return c == '#'; }
bool IsBarrier(char c) { return c == '%'; }
bool IsOpen(char c) { return !IsWall(c) && !IsBarrier(c) && c != '~'; }

char At(const Map& m, int c, int r) {
  if (c < 0 || r < 0 || c >= kCols || r >= kRows) return '#';
  return m[size_t(r)][size_t(c)];
}

// Cell code of a map character: walls 0 (border) and 1, barrier 5, floor 8,
// start plate 9. Cells with no tile are walls in the cell file, since the
// menu map's pools are not for walking.
char CellCode(const Map& m, int c, int r) {
  char ch = At(m, c, r);
  if (IsWall(ch) || ch == '~') return (c == 0 || r == 0 || c == kCols - 1 || r == kRows - 1) ? '0' : '1';
  if (IsBarrier(ch)) return '5';
  return ch == 'S' ? '9' : '8';
}

}  // namespace

// The menu screen shows columns 0..21 and rows 0..16 behind the menu panel;
// the pools ('~') show the background frame of the level being chosen.
const Map& MenuMap() {
  static const Map m = {
      "..*.................##########.....##",
      ".....................#~~~~~~~#......#",
      "...........................~~.......#",
      "...................~~~........*.....#",
      "...................~~~~.............#",
      "....##.............~~~~.....#####...#",
      "....##..............~~......#~~~#...#",
      ".*..................................#",
      "..........*..................*......#",
      "...................................##",
      "..................................###",
      "....................*..........######",
      "..##................................#",
      "..##.............~~~~...............#",
      ".................~~~~~~.............#",
      "*...............~~~~~~~~.....*......#",
      "..............~~~~~~~~~~............#",
      "...............~~~~~~~..............#",
      "#...................................#",
      "#.......*...........................#",
      "#..............................*....#",
      "#...................................#",
      "#...................................#",
      "#...................................#",
      "#####################################",
  };
  return m;
}

// Garden rooms: nine hedged rooms joined by doorways, with two closets and
// a few shortcuts behind barriers.
const Map& FirstLevel() {
  static const Map m = {
      "#####################################",
      "#G..........%..........#........#...#",
      "#........##.%...................%...#",
      "#..##....##.#..##...............#####",
      "#..##..........##..###.#..##........#",
      "#..............##......#..##..####..#",
      "#.....S.....#..........#..##........#",
      "#...........#..........#............#",
      "######..#######%%###..######..#######",
      "#...........#..........#............#",
      "#.*.........#.............#.........#",
      "#..#######..#..######.....#.........#",
      "#................#.....#..#..#####..#",
      "#..#######.......#.....#..#....#....#",
      "#...........#..........%.......#....#",
      "#...........#.....*....%............#",
      "####..############..#######%%####..##",
      "#...........#........#.#............#",
      "#...........#........#.#..####......#",
      "#.....####..#.......................#",
      "#..B....#.....................###...#",
      "#.......#......##%##...#..#...###...#",
      "#.......#...#..#...#...#..#.........#",
      "#...........#..#...#...#..#.......R.#",
      "#####################################",
  };
  return m;
}

// A labyrinth of two-cell corridors with barriers across some of them and
// one sealed chamber.
const Map& SecondLevel() {
  static const Map m = {
      "#####################################",
      "#G.......#..........................#",
      "#........#..........................#",
      "####..#..#..#%%##########..#######..#",
      "#........#..#...........#........#..#",
      "#........#..#...........#........#..#",
      "#..#..S..#..#..#######..#..#..#..#..#",
      "#..#.....#..#........#.....%.....#..#",
      "#..#.....#..#........#.....%.....#..#",
      "#..##########..####..#..#..#..#..#..#",
      "#..............#.....%.....#.....#..#",
      "#..............#.....%.....#.....#..#",
      "#..####..#..####..####..####..####..#",
      "#........#........%..#..#........#..#",
      "#........#........%..#..#........#..#",
      "###################%%#..#..####..#..#",
      "#.....#...........%..............%..#",
      "#.....#...........%..............%..#",
      "#..#..#..#%%#..#..#..####..#..#..#..#",
      "#.....%..#..#.....#..#.....#.....#..#",
      "#..B..%..#..#.....#..#.....#.....#..#",
      "#..#..#..#%%#..####..#..####..####..#",
      "#..#........#...........#...........#",
      "#..#........#...........#.........R.#",
      "#####################################",
  };
  return m;
}

std::vector<std::vector<int>> TileFrames(const Map& m, unsigned seed) {
  std::vector<std::vector<int>> out(kRows, std::vector<int>(kCols, -1));
  Rng rng(seed);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      char ch = At(m, c, r);
      float roll = rng.Uniform();
      int f;
      if (ch == '~') {
        f = -1;
      } else if (IsWall(ch)) {
        bool front = !IsWall(At(m, c, r + 1)) && r + 1 < kRows;
        bool deco = roll < 0.12f;
        f = front ? (deco ? kWallDecoFront : kWallFront) : (deco ? kWallDeco : kWall);
      } else if (IsBarrier(ch)) {
        char below = At(m, c, r + 1);
        f = (IsWall(below) || IsBarrier(below)) ? kGhost : kGhostFront;
      } else {
        bool up = IsWall(At(m, c, r - 1)), left = IsWall(At(m, c - 1, r));
        bool diag = IsWall(At(m, c - 1, r - 1));
        if (up && left) f = kShadeBoth;
        else if (up) f = kShadeTop;
        else if (left) f = kShadeLeft;
        else if (diag) f = kShadeCorner;
        else if (ch == 'S') f = kPlate;
        else if (ch == '*') f = kFloorDeco;
        else if (roll < 0.76f) f = kFloor;
        else if (roll < 0.88f) f = kFloorB;
        else if (roll < 0.98f) f = kFloorC;
        else f = kFloorDeco;
      }
      out[size_t(r)][size_t(c)] = f;
    }
  return out;
}

std::vector<std::string> TileLines(const Map& m, unsigned seed) {
  auto frames = TileFrames(m, seed);
  std::vector<std::string> lines;
  for (int r = 0; r < kRows; ++r) {
    std::string line;
    for (int c = 0; c < kCols; ++c) {
      int f = frames[size_t(r)][size_t(c)];
      line += f < 0 ? "09" : kTileCodes[f];
      if (c + 1 < kCols) line += ' ';
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> CellLines(const Map& m) {
  std::vector<std::string> lines;
  for (int r = 0; r < kRows; ++r) {
    std::string line;
    for (int c = 0; c < kCols; ++c) {
      line += CellCode(m, c, r);
      if (c + 1 < kCols) line += ' ';
    }
    lines.push_back(line);
  }
  return lines;
}

MapStats Analyse(const Map& m) {
  auto flood = [&](bool through_barriers) {
    std::vector<char> seen(size_t(kCols * kRows), 0);
    std::vector<std::pair<int, int>> stack = {{6, 6}};
    seen[6 * kCols + 6] = 1;
    while (!stack.empty()) {
      auto [c, r] = stack.back();
      stack.pop_back();
      const int dc[4] = {1, -1, 0, 0}, dr[4] = {0, 0, 1, -1};
      for (int k = 0; k < 4; ++k) {
        int nc = c + dc[k], nr = r + dr[k];
        char ch = At(m, nc, nr);
        if (!(IsOpen(ch) || (through_barriers && IsBarrier(ch)))) continue;
        if (seen[size_t(nr * kCols + nc)]) continue;
        seen[size_t(nr * kCols + nc)] = 1;
        stack.push_back({nc, nr});
      }
    }
    return seen;
  };
  auto normal = flood(false), ghost = flood(true);
  MapStats st;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      if (!IsOpen(At(m, c, r))) continue;
      ++st.open;
      size_t i = size_t(r * kCols + c);
      if (normal[i]) ++st.reached;
      else if (ghost[i]) ++st.behind_barriers;
      else ++st.unreachable;
    }
  return st;
}

}  // namespace gen
