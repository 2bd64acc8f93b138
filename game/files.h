// Every file the game reads, with how pictures are cut into cells.
#pragma once

#include <array>
#include <string_view>

#include "media/media.h"

struct StripFile {
  std::string_view path;
  int cell_width, cell_height, first, count;
};

namespace files {

// Fonts and sounds.
inline constexpr std::string_view kFont = "data/Font2.ttf";
inline constexpr int kFontSize = 30;
inline constexpr int kFontStyle = 4;  // smooth
inline constexpr std::string_view kBite = "sound/bite.wav";
inline constexpr std::string_view kGet = "sound/get.wav";
inline constexpr std::string_view kHole = "sound/hole.wav";
inline constexpr std::string_view kMenu = "sound/menu.wav";
inline constexpr std::string_view kPowerUp = "sound/PUsound.wav";
inline constexpr std::string_view kLoop = "sound/loop.wav";
// The music loops, and the player's music volume is its own.
inline constexpr int kLoopFlags = SOUND_LOOP | SOUND_MUSIC;

// Screens.
inline constexpr std::string_view kClock = "gfx/clock.bmp";
inline constexpr StripFile kChoose{"gfx/choose.bmp", 88, 42, 0, 3};
inline constexpr std::string_view kMenuTitle = "gfx/menu.bmp";
inline constexpr std::string_view kStartScreen = "gfx/startscreen.jpg";
inline constexpr std::string_view kKeyboard1 = "gfx/keyboard1.bmp";
inline constexpr std::string_view kKeyboard3 = "gfx/keyboard3.bmp";
inline constexpr std::string_view kKeyboard4 = "gfx/keyboard4.bmp";
inline constexpr std::string_view kEnd = "gfx/end.bmp";

// Maze.
inline constexpr StripFile kBackground{"gfx/bg.bmp", 64, 38, 0, 3};
inline constexpr StripFile kTiles{"gfx/tiles 01.bmp", 32, 32, 0, 60};

// HUD and results: the panel and the six diamond pictures, carried blue, green,
// red, then delivered blue, green, red.
inline constexpr std::string_view kPanel = "gfx/got.bmp";
inline constexpr std::array<std::string_view, 6> kCounterPictures = {
    "gfx/diamonds.bmp",    "gfx/diamonds2.bmp",    "gfx/diamonds3.bmp",
    "gfx/diamondsgot.bmp", "gfx/diamonds2got.bmp", "gfx/diamonds3got.bmp"};

// Game objects.
inline constexpr StripFile kZarn{"gfx/zarn.bmp", 24, 25, 0, 40};
inline constexpr std::array<StripFile, 3> kHoles = {StripFile{"gfx/holes.bmp", 26, 21, 0, 1},
                                                    StripFile{"gfx/holes.bmp", 26, 21, 1, 1},
                                                    StripFile{"gfx/holes.bmp", 26, 21, 2, 1}};
inline constexpr std::array<std::string_view, 3> kDiamonds = {"gfx/diamonds.bmp", "gfx/diamonds2.bmp",
                                                              "gfx/diamonds3.bmp"};
inline constexpr std::array<std::string_view, 7> kPowerUps = {
    "gfx/powerup01.bmp", "gfx/powerup02.bmp", "gfx/powerup03.bmp", "gfx/powerup04.bmp",
    "gfx/powerup05.bmp", "gfx/powerup06.bmp", "gfx/powerup07.bmp"};
inline constexpr std::string_view kEmptySlot = "gfx/empty.bmp";
inline constexpr std::string_view kSlot = "gfx/slot.bmp";
inline constexpr StripFile kBlobb{"gfx/enemy.bmp", 30, 30, 0, 9};
inline constexpr std::string_view kFrozenBlobb = "gfx/enemy_f.bmp";

// Levels: tile file and cell file of the menu map (0), the first (1) and the
// second level (2).
struct LevelPair {
  std::string_view tiles, cells;
};
inline constexpr std::array<LevelPair, 3> kLevels = {
    LevelPair{"data/level_00.1.txt", "data/level_01.2.txt"},
    LevelPair{"data/level_01.1.txt", "data/level_01.2.txt"},
    LevelPair{"data/level_02.1.txt", "data/level_02.2.txt"}};

// The highscore table.
inline constexpr std::string_view kScores = "data/score.txt";

}  // namespace files
