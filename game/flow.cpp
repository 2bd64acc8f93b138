#include "game/flow.h"

#include "game/assets.h"
#include "game/blobbs.h"
#include "game/diamonds.h"
#include "game/effect.h"
#include "game/holes.h"
#include "game/hud.h"
#include "game/maze.h"
#include "game/powerups.h"
#include "game/results.h"
#include "game/screens.h"
#include "game/trace.h"
#include "game/zarn.h"

namespace {

// Loads what the first pass creates and what every pass renews, in the order the
// pass takes them: seeding, mask, font, sounds and music, pictures, counters,
// the frame timer.
void StartPass(bool first_pass) {
  SeedRandom(ElapsedMillis());
  SetLoadMask(255, 0, 255);
  if (first_pass) G.GameFont = GameFontFile(files::kFont, files::kFontSize, files::kFontStyle);
  UseFont(G.GameFont);
  if (first_pass) {
    G.BiteSnd = GameSound(files::kBite, 0);
    G.GetSnd = GameSound(files::kGet, 0);
    G.HoleSnd = GameSound(files::kHole, 0);
    G.MenuSnd = GameSound(files::kMenu, 0);
    G.PuSnd = GameSound(files::kPowerUp, 0);
    G.LoopSnd = GameSound(files::kLoop, files::kLoopFlags);
    // The music starts once and plays for the whole run.
    G.MusicChannel = StartSound(G.LoopSnd);
    TraceSound(SoundName(G.LoopSnd));
  }
  SetChannelLoudness(G.MusicChannel, 0.4f);
  if (first_pass) {
    G.ClockIm = GameImage(files::kClock);
    G.ChooseIm = GameStrip(files::kChoose);
    G.MenuIm = GameImage(files::kMenuTitle);
  }
  G.Counters.fill(0);
  if (first_pass) {
    G.FrameTimer = CreateTickTimer(60);
    if (!G.FrameTimer) QuitWithError("zarn: the frame timer could not be started");
  }
}

void StartScreen() {
  for (;;) {
    DrawItems(layout::kStartScreen);
    if (KeyPresses(KEY_ESCAPE)) Quit();
    PresentFrame(Screen::Start);
    Cls();
    // A close request only leaves the start screen.
    if (KeyPresses(KEY_SPACE) || CloseRequested()) return;
  }
}

}  // namespace

void CreateGameObjects() {
  G.PlayerObj = std::make_unique<Zarn>();
  G.HolesObj = std::make_unique<Holes>();
  G.DiamondsObj = std::make_unique<Diamonds>();
  G.BlobbsObj = std::make_unique<Blobbs>();
  G.PowerUpsObj = std::make_unique<PowerUps>();
  G.EffectObj = std::make_unique<PuEffect>();
}

namespace {

void MusicKeys(bool click) {
  if (KeyPresses('N')) {
    ReleaseChannel(G.MusicChannel);
    if (click) PlaySound(G.MenuSnd);
  }
  if (KeyPresses('M')) {
    HoldChannel(G.MusicChannel);
    if (click) PlaySound(G.MenuSnd);
  }
}

void MainMenu() {
  for (;;) {
    Cls();
    DrawMaze();
    DrawItems(layout::kMenuDecorations);
    DrawMenuPage();
    PresentFrame(Screen::Menu);
    // Page keys in this order; when several are hit in one frame the last wins.
    static constexpr std::pair<int, int> kPageKeys[] = {{'1', 1}, {'2', 2}, {'3', 3}, {'4', 4}, {KEY_SPACE, 0}};
    for (const auto& [key, page] : kPageKeys) {
      if (!KeyPresses(key)) continue;
      G.MenuPage = page;
      PlaySound(G.MenuSnd);
    }
    MusicKeys(true);
    if (KeyPresses(KEY_ESCAPE)) Quit();
    // A close request starts a game, as Enter does.
    if (KeyPresses(KEY_ENTER) || CloseRequested()) return;
  }
}

}  // namespace

void StartGame() {
  G.StartTime = ElapsedMillis();
  // An effect left over from an earlier game runs out on the first frame.
  G.PuSlotTab(1, 3) = 0;
  G.PuSlotTab(2, 3) = 0;
  if (G.LevelNo == 0) G.TileOffset = 0;
  if (G.LevelNo == 1) G.TileOffset = 15;
  if (G.LevelNo == 2) G.TileOffset = 30;
  LoadLevel();
}

void GameFrame() {
  DrawMaze();
  G.HolesObj->DrawNTouch();
  G.PowerUpsObj->DrawPu();
  G.EffectObj->Effect();
  G.DiamondsObj->DrawNCollect();
  G.PlayerObj->Draw();
  G.PlayerObj->Move();
  G.BlobbsObj->DrawNTouch();
  DrawHud();
  MusicKeys(false);
  if (++G.AnimStep >= 9) G.AnimStep = 0;
  WaitTicks(G.FrameTimer);
  PresentFrame(Screen::Game);
  Cls();
  if (KeyPresses(KEY_ESCAPE) || CloseRequested()) Quit();
}

namespace {

void GameLoop() {
  do {
    GameFrame();
  } while (G.TimeLeft > 0);
}

// Results and highscore view; returns when Enter leaves the highscore view.
void ResultsScreen() {
  ClearKeys();
  G.Score = ScoreOf(G.Counters);
  G.LevelFiles = G.TileOffset = G.LevelNo = G.BgFrame = G.ScrollX = G.ScrollY = 0;
  LoadLevel();
  G.StartShown = 1;
  bool highscore_mode = false;
  for (;;) {
    DrawMaze();
    DrawItem(layout::kEndPicture);
    const Screen drawn = highscore_mode ? Screen::Highscore : Screen::Results;
    if (!highscore_mode) {
      DrawResultsPage();
      if (KeyPresses(KEY_SPACE)) {
        Highscore(1);
        highscore_mode = true;
        ClearKeys();
      }
    } else {
      DrawHighscorePage();
      if (KeyPresses(KEY_ENTER)) return;  // the next pass begins; this frame is not shown
    }
    PresentFrame(drawn);
    Cls();
    if (KeyPresses(KEY_ESCAPE) || CloseRequested()) Quit();
  }
}

}  // namespace

void GameMain() {
  if (!OpenGraphics(700, 540, 0, 0, 0))
    QuitWithError("zarn: the 700 x 540 game window could not be opened (no display?)");
  SetAppTitle("Zarn");
  // The game's files, objects, timer and channel go before the media layer shuts
  // down behind them.
  OnProgramExit([] { G = GameState(); });
  OpenTrace();
  PreloadGameFiles();
  for (bool first_pass = true;; first_pass = false) {
    StartPass(first_pass);
    GameImage(files::kStartScreen);
    if (G.StartShown == 0) StartScreen();
    ClearKeys();
    if (first_pass) CreateGameObjects();
    Cls();
    LoadLevel();
    G.LevelFiles = 1;
    G.TileOffset = 0;
    MainMenu();
    StartGame();
    GameLoop();
    ResultsScreen();
  }
}
