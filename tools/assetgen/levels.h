// The level maps: the menu map's tiles and the two playable levels, turned
// into the game's tile files (two-character codes, 110-character lines) and
// cell files (one-character codes, 73-character lines).
#pragma once

#include <string>
#include <vector>

namespace gen {

constexpr int kCols = 37;
constexpr int kRows = 25;

// A map drawn as text, one string of 37 characters per row:
//   '#' wall, '%' barrier that only the through-walls power-up passes,
//   '.' floor, '*' flowered floor, 'S' the start (a floor plate),
//   'G', 'B', 'R' floor under the green, blue and red holes,
//   '~' no tile (the background shows through).
using Map = std::vector<std::string>;

const Map& MenuMap();
const Map& FirstLevel();
const Map& SecondLevel();

// Tile frame (0..14) of every cell, chosen from the cell and its neighbours.
std::vector<std::vector<int>> TileFrames(const Map& m, unsigned seed);
std::vector<std::string> TileLines(const Map& m, unsigned seed);
std::vector<std::string> CellLines(const Map& m);

// Share of the open cells that only the through-walls power-up reaches, and
// whether every open cell is reachable at all; printed by the generator.
struct MapStats {
  int open = 0;
  int reached = 0;
  int behind_barriers = 0;
  int unreachable = 0;
};
MapStats Analyse(const Map& m);

}  // namespace gen
