// What the screens draw, as data: every text of the game and the pictures around
// it, in drawing order, with their top-left positions. The screens draw these
// lists, and the font-fit check measures the very same texts against the
// pictures and texts that follow them on their lines.
#pragma once

#include <array>
#include <string_view>

#include "game/files.h"

// The pictures a layout names.
enum class Pic {
  None,  // the item is a text
  StartScreen,
  MenuTitle,
  Clock,
  Keyboard1,
  Keyboard3,
  Keyboard4,
  Panel,
  End,
  Slot,
  Player,           // cell 0 of the player's strip
  Blobb,            // cell 0 of the Blobbs' strip
  Diamond0,         // blue, green, red diamond; the carried counters' pictures
  Diamond1,
  Diamond2,
  Delivered0,       // blue, green, red delivered diamond
  Delivered1,
  Delivered2,
  Hole0,            // blue, green, red hole
  Hole1,
  Hole2,
  PowerUp1,         // the seven power-up kinds
  PowerUp2,
  PowerUp3,
  PowerUp4,
  PowerUp5,
  PowerUp6,
  PowerUp7,
};

// A value drawn as decimal text in place of an item's text.
enum class Value {
  None,
  Counter0,  // the six counters
  Counter1,
  Counter2,
  Counter3,
  Counter4,
  Counter5,
  TimeLeft,
  Doubled3,  // twice the delivered counters, as the results page counts them
  Doubled4,
  Doubled5,
};

// One thing drawn: a picture (frame 0), a fixed text, or a value. For a value the
// text is the widest one the screen is expected to show, for measuring.
struct Item {
  Pic pic = Pic::None;
  std::u16string_view text;
  int x = 0, y = 0;
  Value value = Value::None;
};

// Texts.
constexpr Item Text(std::u16string_view text, int x, int y) { return Item{Pic::None, text, x, y}; }
constexpr Item Image(Pic pic, int x, int y) { return Item{pic, {}, x, y}; }
constexpr Item Number(Value value, std::u16string_view widest, int x, int y) {
  return Item{Pic::None, widest, x, y, value};
}

// The file (and cell) each picture comes from.
constexpr StripFile PicFile(Pic pic) {
  auto whole = [](std::string_view path) { return StripFile{path, 0, 0, 0, 0}; };
  switch (pic) {
    case Pic::None: break;
    case Pic::StartScreen: return whole(files::kStartScreen);
    case Pic::MenuTitle: return whole(files::kMenuTitle);
    case Pic::Clock: return whole(files::kClock);
    case Pic::Keyboard1: return whole(files::kKeyboard1);
    case Pic::Keyboard3: return whole(files::kKeyboard3);
    case Pic::Keyboard4: return whole(files::kKeyboard4);
    case Pic::Panel: return whole(files::kPanel);
    case Pic::End: return whole(files::kEnd);
    case Pic::Slot: return whole(files::kSlot);
    case Pic::Player: return files::kZarn;
    case Pic::Blobb: return files::kBlobb;
    case Pic::Diamond0: return whole(files::kCounterPictures[0]);
    case Pic::Diamond1: return whole(files::kCounterPictures[1]);
    case Pic::Diamond2: return whole(files::kCounterPictures[2]);
    case Pic::Delivered0: return whole(files::kCounterPictures[3]);
    case Pic::Delivered1: return whole(files::kCounterPictures[4]);
    case Pic::Delivered2: return whole(files::kCounterPictures[5]);
    case Pic::Hole0: return files::kHoles[0];
    case Pic::Hole1: return files::kHoles[1];
    case Pic::Hole2: return files::kHoles[2];
    case Pic::PowerUp1: return whole(files::kPowerUps[0]);
    case Pic::PowerUp2: return whole(files::kPowerUps[1]);
    case Pic::PowerUp3: return whole(files::kPowerUps[2]);
    case Pic::PowerUp4: return whole(files::kPowerUps[3]);
    case Pic::PowerUp5: return whole(files::kPowerUps[4]);
    case Pic::PowerUp6: return whole(files::kPowerUps[5]);
    case Pic::PowerUp7: return whole(files::kPowerUps[6]);
  }
  return StripFile{};
}

namespace layout {

// Start screen, after the picture at (0, 0).
inline constexpr std::array kStartScreen = {Image(Pic::StartScreen, 0, 0), Text(u"Press Space", 300, 500)};

// The main menu's decorations, behind every page.
inline constexpr std::array kMenuDecorations = {
    Image(Pic::Diamond0, 100, 100), Image(Pic::Diamond0, 100, 320), Image(Pic::Diamond0, 10, 250),
    Image(Pic::Diamond0, 400, 420), Image(Pic::Diamond2, 10, 12),   Image(Pic::Diamond1, 600, 270),
    Image(Pic::Diamond1, 50, 440),  Image(Pic::Diamond2, 600, 70),  Image(Pic::Player, 300, 460),
    Image(Pic::Hole0, 340, 10),     Image(Pic::Hole2, 540, 340),    Image(Pic::MenuTitle, 180, 40)};

inline constexpr std::u16string_view kBackToMenu = u"Press Space for Main Menu";

// Page 0, the main menu.
inline constexpr std::array kMainMenu = {
    Text(u"Main Menu", 220, 60),
    Text(u"Press 1 for Help - How to play ", 220, 100),
    Text(u"Press 2 for Help - Powerups", 220, 140),
    Text(u"Press 3 for Help - Contrioll", 220, 180),
    Text(u"Press 4 to change level", 220, 220),
    Text(u"Press Enter for Start", 220, 300),
    Text(u"Press Esc to End", 220, 340)};

// Page 1, how to play.
inline constexpr std::array kHowToPlay = {
    Text(u"Help - How to play", 220, 60),
    Text(u"Collect the", 220, 100),
    Image(Pic::Diamond0, 330, 100),
    Image(Pic::Diamond2, 340, 110),
    Image(Pic::Diamond1, 360, 100),
    Text(u"and take them", 390, 100),
    Text(u"to the", 220, 140),
    Image(Pic::Hole0, 290, 140),
    Image(Pic::Hole1, 320, 150),
    Image(Pic::Hole2, 350, 140),
    Text(u". But take care!", 380, 140),
    Text(u"The", 220, 180),
    Image(Pic::Blobb, 260, 180),
    Image(Pic::Blobb, 280, 190),
    Image(Pic::Blobb, 300, 180),
    Text(u"always try to steal them.", 340, 180),
    Text(u"So you should also collect ", 220, 220),
    Image(Pic::PowerUp7, 470, 215),
    Image(Pic::PowerUp2, 490, 225),
    Image(Pic::PowerUp5, 510, 215),
    Text(u"For extras.", 220, 260),
    Text(u"200", 220, 300),
    Image(Pic::Clock, 270, 300),
    Text(u"Should be enough.", 320, 300),
    Text(kBackToMenu, 220, 510)};

// Page 2, the power-ups: each row's picture, then its text.
inline constexpr std::array kPowerUpsHelp = {
    Text(u"Help - Powerups", 220, 60),
    Image(Pic::PowerUp7, 220, 100), Text(u"Get every collected diam 2 times", 270, 100),
    Image(Pic::PowerUp1, 220, 140), Text(u"Can't loose diams to Blobbs", 270, 140),
    Image(Pic::PowerUp2, 220, 180), Text(u"Faster walking", 270, 180),
    Image(Pic::PowerUp3, 220, 220), Text(u"It freezes the Blobbs", 270, 220),
    Image(Pic::PowerUp4, 220, 260), Text(u"Can walk through walls", 270, 260),
    Image(Pic::PowerUp5, 220, 300), Text(u"Extra time", 270, 300),
    Image(Pic::PowerUp6, 220, 340), Text(u"Extra diams of every color", 270, 340),
    Text(kBackToMenu, 220, 510)};

// Page 3, the controls.
inline constexpr std::array kControls = {
    Text(u"Help - Controll", 220, 60),
    Image(Pic::Keyboard1, 220, 120), Text(u"To move", 370, 160),
    Image(Pic::Keyboard4, 220, 220), Text(u"Music Off/On", 320, 220),
    Image(Pic::Keyboard3, 220, 280), Text(u"End Game", 280, 280),
    Text(kBackToMenu, 220, 510)};

// Page 4, choose level: the title, then per level the text around its picture
// (the picture is drawn before its text), then the last line.
inline constexpr Item kChooseTitle = Text(u"Choose Level", 330, 60);
struct LevelRow {
  int picture_x, picture_y;  // the level picture, 88 x 42
  Item text;
  int mark_left_x, mark_right_x, mark_y;  // the two slot marks of the chosen level
};
inline constexpr std::array kLevelRows = {
    LevelRow{340, 140, Text(u"7                  7", 300, 140), 290, 440, 140},
    LevelRow{340, 220, Text(u"8                  8", 300, 220), 290, 440, 220},
    LevelRow{340, 300, Text(u"9                  9", 300, 300), 290, 440, 300}};
inline constexpr Item kChooseBack = Text(kBackToMenu, 220, 510);

// The HUD of a game frame, in drawing order: the two panels, the clock, the six
// counter pictures, the six counters and the time left.
inline constexpr std::array kHud = {
    Image(Pic::Panel, 0, 5),
    Image(Pic::Panel, 440, 5),
    Image(Pic::Clock, 300, 5),
    Image(Pic::Diamond0, 45, 15),
    Image(Pic::Diamond1, 105, 15),
    Image(Pic::Diamond2, 165, 15),
    Image(Pic::Delivered0, 485, 15),
    Image(Pic::Delivered1, 545, 15),
    Image(Pic::Delivered2, 605, 15),
    Number(Value::Counter0, u"88", 75, 10),
    Number(Value::Counter1, u"88", 135, 10),
    Number(Value::Counter2, u"88", 195, 10),
    Number(Value::Counter3, u"88", 515, 10),
    Number(Value::Counter4, u"88", 575, 10),
    Number(Value::Counter5, u"88", 635, 10),
    Number(Value::TimeLeft, u"330", 350, 10)};
// Drawn under the clock on the frame the time runs out.
inline constexpr Item kGameOver = Text(u"Spiel ist aus", 350, 40);

// The two power-up slots: where each is drawn and where its countdown stands.
// The countdown is a space followed by the seconds left.
struct SlotPlace {
  int x, y, count_x, count_y;
};
inline constexpr std::array kSlotPlaces = {SlotPlace{20, 50, 50, 45}, SlotPlace{20, 90, 50, 85}};
inline constexpr std::u16string_view kCountdownLead = u" ";
inline constexpr std::u16string_view kWidestCountdown = u" 30";

// The picture on the right of the results page and the highscore view.
inline constexpr Item kEndPicture = Image(Pic::End, 403, 0);

// The results page, drawn over the menu map and the end picture: per colour a row
// of carried diamonds counted once and a row of delivered ones counted twice
// (panel, diamond, count, factor, product), then the panels of the score line and
// of the name.
inline constexpr std::array kResultsRows = {
    Image(Pic::Panel, 40, 40),   Image(Pic::Diamond0, 130, 50),    Number(Value::Counter0, u"888", 80, 45),
    Text(u"X 1 =", 160, 45),     Number(Value::Counter0, u"888", 220, 45),
    Image(Pic::Panel, 120, 80),  Image(Pic::Delivered0, 210, 90),  Number(Value::Counter3, u"888", 160, 85),
    Text(u"X 2 =", 240, 85),     Number(Value::Doubled3, u"1776", 300, 85),
    Image(Pic::Panel, 40, 150),  Image(Pic::Diamond1, 130, 160),   Number(Value::Counter1, u"888", 80, 155),
    Text(u"X 1 =", 160, 155),    Number(Value::Counter1, u"888", 220, 155),
    Image(Pic::Panel, 120, 190), Image(Pic::Delivered1, 210, 200), Number(Value::Counter4, u"888", 160, 195),
    Text(u"X 2 =", 240, 195),    Number(Value::Doubled4, u"1776", 300, 195),
    Image(Pic::Panel, 40, 260),  Image(Pic::Diamond2, 130, 270),   Number(Value::Counter2, u"888", 80, 265),
    Text(u"X 1 =", 160, 265),    Number(Value::Counter2, u"888", 220, 265),
    Image(Pic::Panel, 120, 300), Image(Pic::Delivered2, 210, 310), Number(Value::Counter5, u"888", 160, 305),
    Text(u"X 2 =", 240, 305),    Number(Value::Doubled5, u"1776", 300, 305),
    Image(Pic::Panel, 120, 380), Image(Pic::Panel, 120, 440)};
// In black on the panels: the score between arrows, and the name's label.
inline constexpr std::u16string_view kScoreBefore = u">>>>>  ";
inline constexpr std::u16string_view kScoreAfter = u"  <<<<<";
inline constexpr Item kScoreLine = Text(u">>>>>  88888  <<<<<", 180, 385);  // the widest score line
inline constexpr Item kNameLabel = Text(u" Name: ", 160, 445);
// The name being typed (ten of the widest characters it may hold, for
// measuring), and its cursor: a bar 2 x 15 at the end of the name.
inline constexpr Item kName = Text(u"WWWWWWWWWW", 220, 445);
inline constexpr int kCursorY = 455, kCursorWidth = 2, kCursorHeight = 15;
inline constexpr std::array kResultsKeys = {Text(u"Space - Highscore", 500, 460), Text(u"Escape - End", 500, 480)};

// The highscore view: its title on a panel, then ten rows of score and name,
// 30 pixels apart, then the keys.
inline constexpr std::array kHighscoreTitle = {Image(Pic::Panel, 110, 35), Text(u"Highscore", 200, 40)};
inline constexpr Item kTableScore = Text(u"88888", 160, 80);  // row 0; the widest score
inline constexpr Item kTableName = Text(u"WWWWWWWWWW", 240, 80);
inline constexpr int kTableRowStep = 30;
inline constexpr std::array kHighscoreKeys = {Text(u"Enter - Menu", 500, 460), Text(u"Escape - End", 500, 480)};

}  // namespace layout
