#include "game/results.h"

#include "game/files.h"
#include "game/highscore.h"
#include "game/screens.h"
#include "game/state.h"

namespace {

constexpr int kMaxNameLength = 10;
// The cursor shows for 700 ms, then hides for 300 ms.
constexpr int kCursorShownMillis = 700;
constexpr int kCursorHiddenMillis = 300;

// Characters a name may hold: the at sign, the capital letters, [ \ ] ^ _ `, the
// small letters and the left brace.
bool NameCharacter(int code) { return code >= 64 && code <= 123; }

// True once the clock has passed `deadline`. The clock wraps, so the two are
// compared by their distance: a deadline further ahead than the longest wait was
// set before the clock wrapped (or never set) and counts as passed.
bool CursorDeadlinePassed(int deadline, int now) {
  const int ahead = MillisBetween(now, deadline);
  return ahead < 0 || ahead > kCursorShownMillis;
}

void DrawTable() {
  const String current = IntText(G.Score);
  for (int i = 0; i < kShownEntries; ++i) {
    const String& score = G.HiTable[size_t(2 * i + 1)];
    if (CompareText(score, current) == 0)
      SetColor(255, 0, 0);
    else
      SetColor(255, 255, 255);
    const float y = float(layout::kTableName.y + layout::kTableRowStep * i);
    DrawTextAt(G.HiTable[size_t(2 * i)], float(layout::kTableName.x), y);
    DrawTextAt(score, float(layout::kTableScore.x), y);
  }
}

}  // namespace

int ScoreOf(const std::array<int, 6>& c) { return c[0] + c[1] + c[2] + 2 * (c[3] + c[4] + c[5]); }

void DrawResultsPage() {
  DrawItems(layout::kResultsRows);
  SetColor(0, 0, 0);
  const Item& line = layout::kScoreLine;
  DrawTextAt(String(layout::kScoreBefore) + IntText(G.Score) + String(layout::kScoreAfter), float(line.x),
             float(line.y));
  DrawItem(layout::kNameLabel);
  SetColor(255, 255, 255);
  NameEntry();
  DrawItems(layout::kResultsKeys);
}

void NameEntry() {
  const int code = NextTypedChar();
  if (NameCharacter(code)) {
    G.NameInput += CharText(code);
    if (G.NameInput.size() > size_t(kMaxNameLength)) G.NameInput = LeftText(G.NameInput, int(G.NameInput.size()) - 1);
  }
  if (code == KEY_BACKSPACE && !G.NameInput.empty()) G.NameInput = LeftText(G.NameInput, int(G.NameInput.size()) - 1);
  // Enter ends the frame's name entry before anything is drawn.
  if (code == KEY_ENTER) return;
  const Item& name = layout::kName;
  DrawTextAt(G.NameInput, float(name.x), float(name.y));
  if (G.CursorOn == 1)
    DrawRect(float(name.x + MeasureText(G.NameInput)), float(layout::kCursorY), float(layout::kCursorWidth),
             float(layout::kCursorHeight));
  const int now = ElapsedMillis();
  if (CursorDeadlinePassed(G.CursorNext, now)) {
    G.CursorOn = G.CursorOn == 1 ? 0 : 1;
    G.CursorNext = AddMillis(now, G.CursorOn == 1 ? kCursorShownMillis : kCursorHiddenMillis);
  }
  G.PlayerName = G.NameInput;
}

void Highscore(int mode) {
  if (mode == 1) {
    // Beside the game while its folder may be written, else in the player's own data folder.
    const KeptFile scores = PlaceForKeptFile(files::kScores);
    MergeScore(TextFromUtf8(scores.path), TextFromUtf8(scores.seed));
  }
  if (mode == 2) DrawTable();
}

void DrawHighscorePage() {
  DrawItems(layout::kHighscoreTitle);
  Highscore(2);
  SetColor(255, 255, 255);
  DrawItems(layout::kHighscoreKeys);
}
