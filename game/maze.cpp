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
  // Every code that shows a tile is two decimal digits, 00 to 15 but 09: the
  // frame is looked up by the code's number (-1 for no tile).
  static constexpr std::array<int, 16> kFrameOfCode = {0, 1, 2, 3, 4, 5, 13, 14, 6, -1, 7, 8, 9, 10, 11, 12};
  if (code.size() != 2 || code[0] < u'0' || code[0] > u'1' || code[1] < u'0' || code[1] > u'9') return -1;
  const int number = (code[0] - u'0') * 10 + (code[1] - u'0');
  return number < 16 ? kFrameOfCode[size_t(number)] : -1;
}

void DrawMaze() {
  if (!G.BgIm) G.BgIm = GameStrip(files::kBackground);
  if (!G.TilesIm) G.TilesIm = GameStrip(files::kTiles);
  FillTiled(G.BgIm, 0, 0, G.BgFrame);
  // Cells wholly outside the window would be clipped away: they are not sent.
  const int width = graphics_width(), height = graphics_height();
  for (int r = 0; r < kMazeRows; ++r) {
    const int y = r * kCellSize - G.ScrollY;
    if (y + kCellSize <= 0 || y >= height) continue;
    for (int c = 0; c < kMazeColumns; ++c) {
      const int x = c * kCellSize - G.ScrollX;
      if (x + kCellSize <= 0 || x >= width) continue;
      const int frame = TileFrame(G.TileMap(c, r));
      if (frame < 0) continue;
      DrawImageScaled(G.TilesIm, float(x), float(y), kCellSize, kCellSize, frame + G.TileOffset);
    }
  }
}

bool CellOpen(int column, int row, std::u16string_view threshold) {
  if (!decltype(G.ObjMap)::Contains(column, row)) return false;
  return CompareText(G.ObjMap(column, row), threshold) > 0;
}

bool PointOpen(int x, int y, std::u16string_view threshold) { return CellOpen(CellOf(x), CellOf(y), threshold); }
