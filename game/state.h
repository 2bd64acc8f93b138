// The game state: one record holding every program-wide value of the game, under
// the names the game's routines use. Every routine of the game reads and writes
// this record and keeps no other shared state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "media/media.h"

class Zarn;
class Holes;
class Diamonds;
class Blobbs;
class PowerUps;
class PuEffect;

using SoundRef = std::shared_ptr<TSound>;
using ChannelRef = std::shared_ptr<TChannel>;
using TimerRef = std::shared_ptr<TTimer>;

// A two-dimensional table of dimensions [A, B], indexed [i, j] with 0 <= i < A and
// 0 <= j < B, zero (or empty) when made. For the maze layers i is the column and j
// the row; for the item tables i is the item and j the column of the table.
template <typename T, int A, int B>
class Table {
 public:
  static constexpr int kFirst = A;
  static constexpr int kSecond = B;

  T& operator()(int i, int j) { return cells_[Index(i, j)]; }
  const T& operator()(int i, int j) const { return cells_[Index(i, j)]; }
  static bool Contains(int i, int j) { return i >= 0 && i < A && j >= 0 && j < B; }
  void Fill(const T& value) { cells_.fill(value); }

 private:
  static size_t Index(int i, int j) {
    if (!Contains(i, j))
      throw std::out_of_range("table index [" + std::to_string(i) + ", " + std::to_string(j) + "] outside [" +
                              std::to_string(A) + ", " + std::to_string(B) + "]");
    return size_t(i) * B + size_t(j);
  }
  std::array<T, size_t(A) * B> cells_{};
};

// The maze: 37 columns by 25 rows of 32-pixel cells.
constexpr int kMazeColumns = 37;
constexpr int kMazeRows = 25;
constexpr int kCellSize = 32;

// Table sizes.
constexpr int kDiamonds = 20;
constexpr int kBlobbs = 11;
constexpr int kPuItems = 2;

// Colour indices of diamonds, holes and counters.
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;

struct GameState {
  GameState();
  ~GameState();
  GameState(GameState&&) noexcept;
  GameState& operator=(GameState&&) noexcept;

  // Assets, loaded once.
  FontRef GameFont;
  SoundRef BiteSnd, GetSnd, HoleSnd, MenuSnd, PuSnd, LoopSnd;
  ChannelRef MusicChannel;
  ImageRef ClockIm;
  ImageRef ChooseIm;
  ImageRef MenuIm;
  ImageRef BgIm;
  ImageRef TilesIm;
  TimerRef FrameTimer;

  // Maze layers, written only by LoadLevel: two-character tile codes and
  // one-character cell codes, [column, row].
  Table<String, kMazeColumns, kMazeRows> TileMap;
  Table<String, kMazeColumns, kMazeRows> ObjMap;

  // The things lying and moving in the maze, one row each.
  Table<int, kDiamonds, 4> DiamTab;   // active, column, row, colour
  Table<int, kBlobbs, 6> BlobbTab;    // state, x, y, direction, direction chosen, last roll
  Table<int, kPuItems, 8> PuItemTab;  // active, column, row, kind
  Table<int, 3, 6> PuSlotTab;         // rows 1, 2: occupied, kind, 0, start, one-shot pending

  // Camera, animation and the values the power-ups switch.
  int ScrollX = 0;
  int ScrollY = 0;
  int AnimStep = 0;
  int Protect = 0;
  int WalkSpeed = 1;
  int Freeze = 0;
  int WallCode = 5;
  int DiamFactor = 1;

  // Clock, counters and score.
  int StartTime = 0;
  int TimeLeft = 0;
  std::array<int, 6> Counters{};  // carried blue, green, red; delivered blue, green, red
  int Score = 0;

  // Screens and level.
  int StartShown = 0;
  int MenuPage = 0;
  int LevelChoice = 0;
  int LevelFiles = 0;
  int LevelNo = 0;
  int TileOffset = 0;
  int BgFrame = 0;

  // The one object of each game type.
  std::unique_ptr<Zarn> PlayerObj;
  std::unique_ptr<Holes> HolesObj;
  std::unique_ptr<Diamonds> DiamondsObj;
  std::unique_ptr<Blobbs> BlobbsObj;
  std::unique_ptr<PowerUps> PowerUpsObj;
  std::unique_ptr<PuEffect> EffectObj;

  // Name entry and highscore table.
  String NameInput;
  String PlayerName;
  int CursorOn = 0;
  int CursorNext = 0;
  std::array<String, 24> HiTable;  // name of entry i at 2i, its score text at 2i + 1
};

// The game's state.
extern GameState G;

// The millisecond clock wraps at 2^32: differences and sums of its values are
// taken modulo 2^32, so a game that spans the wrap times as any other.
inline int MillisBetween(int since, int now) { return int(uint32_t(now) - uint32_t(since)); }
inline int AddMillis(int time, int ms) { return int(uint32_t(time) + uint32_t(ms)); }
