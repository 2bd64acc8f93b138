// Arbitrary bytes as a level: the input up to its first 0xFF byte is the tile
// file, the rest the cell file. Both are written into data/ of a scratch folder
// and loaded the way a game start loads them. Every one of the 925 cells must
// end up with a tile code of at most two units and a cell code of at most one,
// taken from the file's own bytes; the tile frame of every code is a frame of
// the sheet or none, and no point beyond the grid is open.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/files.h"
#include "game/maze.h"
#include "game/state.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A scratch folder holding data/, entered once for the whole run and removed at its end.
void EnterScratchFolder() {
  static bool entered = false;
  if (entered) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "zarn_level_fuzz_XXXXXX").string();
  Check(mkdtemp(pattern.data()) != nullptr);
  std::filesystem::create_directory(std::filesystem::path(pattern) / "data");
  std::filesystem::current_path(pattern);
  static const std::string folder = pattern;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(folder, ec);
  });
  entered = true;
}

void WriteFile(const char* path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path, "wb");
  Check(f != nullptr);
  Check(std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);
}

bool FromInput(const String& text, const uint8_t* data, size_t size) {
  for (char16_t c : text) {
    bool found = false;
    for (size_t i = 0; i < size && !found; ++i) found = data[i] == c;
    if (!found) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 14)) return 0;
  EnterScratchFolder();
  size_t split = 0;
  while (split < size && data[split] != 0xFF) ++split;
  const uint8_t* cells = split < size ? data + split + 1 : data + size;
  const size_t cells_size = split < size ? size - split - 1 : 0;
  const auto& level = files::kLevels.at(0);
  WriteFile(std::string(level.tiles).c_str(), data, split);
  WriteFile(std::string(level.cells).c_str(), cells, cells_size);

  G = GameState();
  G.LevelFiles = 0;
  LoadLevel();
  for (int r = 0; r < kMazeRows; ++r) {
    for (int c = 0; c < kMazeColumns; ++c) {
      const String& tile = G.TileMap(c, r);
      const String& cell = G.ObjMap(c, r);
      Check(tile.size() <= 2 && cell.size() <= 1);
      Check(FromInput(tile, data, split) && FromInput(cell, cells, cells_size));
      const int frame = TileFrame(tile);
      Check(frame >= -1 && frame <= 14);
    }
  }
  // Points beyond the grid are closed whatever the file says; inside it, a
  // point is open exactly when its cell is.
  for (int y = -2 * kCellSize; y < (kMazeRows + 2) * kCellSize; y += 11) {
    for (int x = -2 * kCellSize; x < (kMazeColumns + 2) * kCellSize; x += 11) {
      const bool open = PointOpen(x, y, kOpenAbove);
      if (x <= -kCellSize || y <= -kCellSize || x >= kMazeColumns * kCellSize || y >= kMazeRows * kCellSize)
        Check(!open);
      else
        Check(open == CellOpen(CellOf(x), CellOf(y), kOpenAbove));
    }
  }
  return 0;
}
