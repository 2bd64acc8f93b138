#include "game/maze.h"

#include <array>

#include "game/assets.h"

void LoadLevel() {
  const auto& level = files::kLevels.at(size_t(G.LevelFiles));
  StreamRef tiles = OpenGameFile(level.tiles);
  StreamRef cells = OpenGameFile(level.cells);
  for (int r = 0; r < kMazeRows; ++r) {
    const String tile_line = ReadLine(tiles);
    const String cell_line = ReadLine(cells);
    for (int c = 0; c < kMazeColumns; ++c) {
      G.TileMap(c, r) = SubText(tile_line, 3 * c + 1, 2);
      G.ObjMap(c, r) = SubText(cell_line, 2 * c + 1, 1);
    }
  }
  CloseTextFile(tiles);
  CloseTextFile(cells);
}

int TileFrame(std::u16string_view code) {
  // Codes in the order of the frames they select.
  static constexpr std::array<std::u16string_view, 15> kCodes = {
      u"00", u"01", u"02", u"03", u"04", u"05", u"08", u"10", u"11", u"12", u"13", u"14", u"15", u"06", u"07"};
  for (size_t f = 0; f < kCodes.size(); ++f)
    if (code == kCodes[f]) return int(f);
  return -1;
}

void DrawMaze() {
  if (!G.BgIm) G.BgIm = GameStrip(files::kBackground);
  if (!G.TilesIm) G.TilesIm = GameStrip(files::kTiles);
  FillTiled(G.BgIm, 0, 0, G.BgFrame);
  for (int r = 0; r < kMazeRows; ++r) {
    for (int c = 0; c < kMazeColumns; ++c) {
      const int frame = TileFrame(G.TileMap(c, r));
      if (frame < 0) continue;
      DrawImageScaled(G.TilesIm, float(c * kCellSize - G.ScrollX), float(r * kCellSize - G.ScrollY), kCellSize,
                      kCellSize, frame + G.TileOffset);
    }
  }
}

bool CellOpen(int column, int row, std::u16string_view threshold) {
  if (!decltype(G.ObjMap)::Contains(column, row)) return false;
  return CompareText(G.ObjMap(column, row), threshold) > 0;
}

bool PointOpen(int x, int y, std::u16string_view threshold) { return CellOpen(CellOf(x), CellOf(y), threshold); }
