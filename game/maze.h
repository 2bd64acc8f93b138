// Levels and the maze: the two level files of a level, the open-cell rule, and
// drawing the background and the tiles under the camera.
#pragma once

#include <string_view>

#include "game/state.h"

// Reads the tile file and the cell file of the level G.LevelFiles names into
// G.TileMap and G.ObjMap, overwriting all 925 cells. Short and missing lines give
// short or empty codes.
void LoadLevel();
// Draws the tiled background frame G.BgFrame, then the tile of every cell of
// G.TileMap (frame + G.TileOffset) shifted by (G.ScrollX, G.ScrollY).
void DrawMaze();

// The tile frame a tile code shows (before the tile offset), or -1 for no tile.
int TileFrame(std::u16string_view code);
// The cell a world pixel coordinate lies in (division truncating toward zero).
constexpr int CellOf(int pixel) { return pixel / kCellSize; }
// A cell is open when its code in G.ObjMap compares greater than the threshold;
// a cell outside the maze is closed.
bool CellOpen(int column, int row, std::u16string_view threshold);
// The cell holding a world pixel is open.
bool PointOpen(int x, int y, std::u16string_view threshold);
// The threshold of everything but the player.
inline constexpr std::u16string_view kOpenAbove = u"5";
