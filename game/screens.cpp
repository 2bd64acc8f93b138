#include "game/screens.h"

#include "game/assets.h"

ImageRef PicImage(Pic pic) {
  const StripFile file = PicFile(pic);
  return file.count > 0 ? GameStrip(file) : GameImage(file.path);
}

namespace {

int ValueOf(Value value) {
  switch (value) {
    case Value::None: break;
    case Value::Counter0: return G.Counters[0];
    case Value::Counter1: return G.Counters[1];
    case Value::Counter2: return G.Counters[2];
    case Value::Counter3: return G.Counters[3];
    case Value::Counter4: return G.Counters[4];
    case Value::Counter5: return G.Counters[5];
    case Value::TimeLeft: return G.TimeLeft;
    case Value::Doubled3: return 2 * G.Counters[3];
    case Value::Doubled4: return 2 * G.Counters[4];
    case Value::Doubled5: return 2 * G.Counters[5];
  }
  return 0;
}

// The level page: the keys 7, 8, 9 (the last hit wins), then the remembered
// choice is applied on every frame the page shows, and the page is drawn.
void DrawChooseLevel() {
  if (KeyPresses('7')) G.LevelChoice = 0;
  if (KeyPresses('8')) G.LevelChoice = 1;
  if (KeyPresses('9')) G.LevelChoice = 2;
  struct Choice {
    int files, level, background;
  };
  static constexpr Choice kChoices[] = {{1, 0, 0}, {2, 1, 1}, {2, 2, 2}};
  if (G.LevelChoice >= 0 && G.LevelChoice <= 2) {
    const auto& row = layout::kLevelRows[size_t(G.LevelChoice)];
    const ImageRef mark = PicImage(Pic::Slot);
    DrawImageAt(mark, float(row.mark_left_x), float(row.mark_y), 0);
    DrawImageAt(mark, float(row.mark_right_x), float(row.mark_y), 0);
    const Choice& choice = kChoices[G.LevelChoice];
    G.LevelFiles = choice.files;
    G.LevelNo = choice.level;
    G.BgFrame = choice.background;
  }
  DrawItem(layout::kChooseTitle);
  for (size_t i = 0; i < layout::kLevelRows.size(); ++i) {
    const auto& row = layout::kLevelRows[i];
    DrawImageScaled(G.ChooseIm, float(row.picture_x), float(row.picture_y), float(G.ChooseIm->width),
                    float(G.ChooseIm->height), int(i));
    DrawItem(row.text);
  }
  DrawItem(layout::kChooseBack);
}

}  // namespace

void DrawItem(const Item& item) {
  if (item.pic != Pic::None)
    DrawImageAt(PicImage(item.pic), float(item.x), float(item.y), 0);
  else if (item.value != Value::None)
    DrawTextAt(IntText(ValueOf(item.value)), float(item.x), float(item.y));
  else
    DrawTextAt(item.text, float(item.x), float(item.y));
}

void DrawItems(std::span<const Item> items) {
  for (const Item& item : items) DrawItem(item);
}

void DrawMenuPage() {
  switch (G.MenuPage) {
    case 0: DrawItems(layout::kMainMenu); break;
    case 1: DrawItems(layout::kHowToPlay); break;
    case 2: DrawItems(layout::kPowerUpsHelp); break;
    case 3: DrawItems(layout::kControls); break;
    case 4: DrawChooseLevel(); break;
    default: break;
  }
}
