#include "support/game_world.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "game/assets.h"
#include "game/effect.h"
#include "game/flow.h"
#include "game/maze.h"
#include "game/state.h"
#include "game/trace.h"
#include "game/zarn.h"
#include "media/program/command_line.h"
#include "support/headless.h"

namespace game_test {
namespace {

// The trace file of this test process: opened once, read from where the last
// read stopped.
struct TraceReader {
  std::string path;
  std::streamoff read_to = 0;
};

TraceReader& Reader() {
  // Never destroyed: the exit action that removes the file runs after static
  // destructors.
  static TraceReader* reader = new TraceReader;
  return *reader;
}

void OpenProcessTrace() {
  TraceReader& r = Reader();
  if (!r.path.empty()) return;
  r.path = (std::filesystem::temp_directory_path() / ("zarn-world-" + std::to_string(getpid()) + ".jsonl")).string();
  program::SetTraceFile(r.path);
  OpenTrace();
  OnProgramExit([] { std::filesystem::remove(Reader().path); });
}

// The last line written since the previous call.
std::string ReadNewLines() {
  TraceReader& r = Reader();
  std::ifstream in(r.path, std::ios::binary);
  in.seekg(r.read_to);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  in.clear();
  in.seekg(0, std::ios::end);
  r.read_to = in.tellg();
  return last;
}

Json LastTraceLine() {
  const std::string last = ReadNewLines();
  if (last.empty()) {
    ADD_FAILURE() << "no trace line was written";
    return Json::object();
  }
  return Json::parse(last);
}

}  // namespace

void OpenWorld(const WorldSetup& setup) {
  test_support::HeadlessSetup headless;
  headless.clock_start = setup.clock_start;
  headless.draw = setup.draw;
  ASSERT_TRUE(test_support::OpenHeadlessGraphics(headless));
  OpenProcessTrace();
  ReadNewLines();  // skip what earlier tests left
  G = GameState();
  SeedRandom(ElapsedMillis());  // as a pass does
  SetLoadMask(255, 0, 255);
  G.GameFont = GameFontFile(files::kFont, files::kFontSize, files::kFontStyle);
  UseFont(G.GameFont);
  G.BiteSnd = GameSound(files::kBite, 0);
  G.GetSnd = GameSound(files::kGet, 0);
  G.HoleSnd = GameSound(files::kHole, 0);
  G.MenuSnd = GameSound(files::kMenu, 0);
  G.PuSnd = GameSound(files::kPowerUp, 0);
  G.ClockIm = GameImage(files::kClock);
  G.FrameTimer = CreateTickTimer(60);
  ASSERT_TRUE(G.FrameTimer);
  CreateGameObjects();
  G.LevelFiles = setup.level_files;
  StartGame();
}

void CloseWorld() {
  G = GameState();
  CloseGraphics();
}

int SeedPlacementOn(int column, int row, int lo, int hi) {
  int third = 0;
  SeedWhere([&] {
    const int c = RandomInt(1, 36), r = RandomInt(1, 24);
    third = RandomInt(lo, hi);
    return c == column && r == row;
  });
  return third;
}

bool OpenToObjects(int column, int row) {
  if (!decltype(G.ObjMap)::Contains(column, row)) return false;
  const String& code = G.ObjMap(column, row);
  return code.size() == 1 && code[0] > u'5';
}

void ParkEverything(int column, int row) {
  for (int i = 0; i < kDiamonds; ++i) {
    G.DiamTab(i, 0) = 1;
    G.DiamTab(i, 1) = column;
    G.DiamTab(i, 2) = row;
    G.DiamTab(i, 3) = i % 3;
  }
  for (int i = 0; i < kPuItems; ++i) {
    G.PuItemTab(i, 0) = 1;
    G.PuItemTab(i, 1) = column;
    G.PuItemTab(i, 2) = row;
    G.PuItemTab(i, 3) = 1 + i;
  }
  for (int i = 0; i < kBlobbs; ++i) {
    G.BlobbTab(i, 0) = 1;
    G.BlobbTab(i, 1) = column * kCellSize;
    G.BlobbTab(i, 2) = row * kCellSize;
    for (int j = 3; j < 6; ++j) G.BlobbTab(i, j) = 0;
  }
  for (int s = 1; s <= 2; ++s)
    for (int j = 0; j < 6; ++j) G.PuSlotTab(s, j) = 0;
}

void PutPlayerAt(int x, int y) {
  G.ScrollX = x - G.PlayerObj->XPl;
  G.ScrollY = y - G.PlayerObj->YPl;
}

void FillSlot(int slot, int kind) {
  G.PuSlotTab(slot, 0) = 1;
  G.PuSlotTab(slot, 1) = kind;
  G.PuSlotTab(slot, 2) = 0;
  G.PuSlotTab(slot, 3) = ElapsedMillis();
  G.PuSlotTab(slot, 4) = 1;
}

Json RunGameFrame() {
  GameFrame();
  return LastTraceLine();
}

Json PresentGameFrame() {
  PresentFrame(Screen::Game);
  Cls();
  return LastTraceLine();
}

std::vector<std::string> Sfx(const Json& frame) {
  std::vector<std::string> out;
  if (frame.contains("sfx"))
    for (const Json& s : frame["sfx"]) out.push_back(s.get<std::string>());
  return out;
}

void WorldTest::Reopen(const WorldSetup& setup) {
  OpenWorld(setup);
  ParkEverything(35, 1);
  PutPlayerAt(200, 200);
}

void Hold(int key) { test_support::Headless().PushEvent(platform::Event{platform::EventKind::KeyDown, key, 0}); }
void Release(int key) { test_support::Headless().PushEvent(platform::Event{platform::EventKind::KeyUp, key, 0}); }

int SeedWhere(const std::function<bool()>& draws) {
  for (int seed = 1; seed <= 1000000; ++seed) {
    SeedRandom(seed);
    if (!draws()) continue;
    SeedRandom(seed);
    return seed;
  }
  ADD_FAILURE() << "no seed gives the wanted draws";
  return 0;
}

}  // namespace game_test
