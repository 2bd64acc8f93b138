// Every text the game draws with its font at size 30, with where it starts
// and the first x its ink must stay left of: the picture or text that follows
// it on the same line, or the window's right edge (700).
#pragma once

#include <array>
#include <string_view>

namespace game_texts {

struct PlacedText {
  std::string_view text;
  int x;      // left of the text line
  int y;      // top of the text line
  int limit;  // the ink must end before this x
  std::string_view where;
};

inline constexpr int kWindowRight = 700;

// Placeholder numbers stand for the widest values the screens show: counters
// of two digits in the HUD and three on the results page, a five-digit score;
// names of ten of the widest characters the name entry takes.
inline constexpr std::array kPlacedTexts = {
    // Start screen.
    PlacedText{"Press Space", 300, 500, kWindowRight, "start screen"},
    // Main menu, page 0.
    PlacedText{"Main Menu", 220, 60, kWindowRight, "menu"},
    PlacedText{"Press 1 for Help - How to play ", 220, 100, kWindowRight, "menu"},
    PlacedText{"Press 2 for Help - Powerups", 220, 140, kWindowRight, "menu"},
    PlacedText{"Press 3 for Help - Contrioll", 220, 180, kWindowRight, "menu"},
    PlacedText{"Press 4 to change level", 220, 220, kWindowRight, "menu"},
    PlacedText{"Press Enter for Start", 220, 300, kWindowRight, "menu"},
    PlacedText{"Press Esc to End", 220, 340, kWindowRight, "menu"},
    // Page 1, how to play: texts followed by pictures on the same line.
    PlacedText{"Help - How to play", 220, 60, kWindowRight, "how to play"},
    PlacedText{"Collect the", 220, 100, 330, "how to play"},
    PlacedText{"and take them", 390, 100, kWindowRight, "how to play"},
    PlacedText{"to the", 220, 140, 290, "how to play"},
    PlacedText{". But take care!", 380, 140, kWindowRight, "how to play"},
    PlacedText{"The", 220, 180, 260, "how to play"},
    PlacedText{"always try to steal them.", 340, 180, kWindowRight, "how to play"},
    PlacedText{"So you should also collect ", 220, 220, 470, "how to play"},
    PlacedText{"For extras.", 220, 260, kWindowRight, "how to play"},
    PlacedText{"200", 220, 300, 270, "how to play"},
    PlacedText{"Should be enough.", 320, 300, kWindowRight, "how to play"},
    PlacedText{"Press Space for Main Menu", 220, 510, kWindowRight, "help pages"},
    // Page 2, power-ups.
    PlacedText{"Help - Powerups", 220, 60, kWindowRight, "power-ups"},
    PlacedText{"Get every collected diam 2 times", 270, 100, kWindowRight, "power-ups"},
    PlacedText{"Can't loose diams to Blobbs", 270, 140, kWindowRight, "power-ups"},
    PlacedText{"Faster walking", 270, 180, kWindowRight, "power-ups"},
    PlacedText{"It freezes the Blobbs", 270, 220, kWindowRight, "power-ups"},
    PlacedText{"Can walk through walls", 270, 260, kWindowRight, "power-ups"},
    PlacedText{"Extra time", 270, 300, kWindowRight, "power-ups"},
    PlacedText{"Extra diams of every color", 270, 340, kWindowRight, "power-ups"},
    // Page 3, controls.
    PlacedText{"Help - Controll", 220, 60, kWindowRight, "controls"},
    PlacedText{"To move", 370, 160, kWindowRight, "controls"},
    PlacedText{"Music Off/On", 320, 220, kWindowRight, "controls"},
    PlacedText{"End Game", 280, 280, kWindowRight, "controls"},
    // Page 4, choose level.
    PlacedText{"Choose Level", 330, 60, kWindowRight, "choose level"},
    PlacedText{"7                  7", 300, 140, kWindowRight, "choose level"},
    PlacedText{"8                  8", 300, 220, kWindowRight, "choose level"},
    PlacedText{"9                  9", 300, 300, kWindowRight, "choose level"},
    // HUD: counters are followed by the next diamond 30 pixels on.
    PlacedText{"88", 75, 10, 105, "HUD"},
    PlacedText{"88", 135, 10, 165, "HUD"},
    PlacedText{"88", 195, 10, 260, "HUD"},
    PlacedText{"88", 515, 10, 545, "HUD"},
    PlacedText{"88", 575, 10, 605, "HUD"},
    PlacedText{"88", 635, 10, kWindowRight, "HUD"},
    PlacedText{"330", 350, 10, 440, "HUD"},
    PlacedText{"Spiel ist aus", 350, 40, kWindowRight, "HUD"},
    PlacedText{" 30", 50, 45, 440, "power-up slot"},
    PlacedText{" 30", 50, 85, 440, "power-up slot"},
    // Results page: count, diamond, factor, product.
    PlacedText{"888", 80, 45, 130, "results"},
    PlacedText{"X 1 =", 160, 45, 220, "results"},
    PlacedText{"888", 220, 45, 300, "results"},
    PlacedText{"888", 160, 85, 210, "results"},
    PlacedText{"X 2 =", 240, 85, 300, "results"},
    PlacedText{"1776", 300, 85, 403, "results"},
    PlacedText{">>>>>  88888  <<<<<", 180, 385, 403, "results"},
    PlacedText{" Name: ", 160, 445, 220, "results"},
    PlacedText{"WWWWWWWWWW", 220, 445, 403, "results"},
    PlacedText{"@@@@@@@@@@", 220, 445, 403, "results"},
    PlacedText{"Space - Highscore", 500, 460, kWindowRight, "results"},
    PlacedText{"Escape - End", 500, 480, kWindowRight, "results"},
    // Highscore view.
    PlacedText{"Highscore", 200, 40, 403, "highscore"},
    PlacedText{"88888", 160, 80, 240, "highscore"},
    PlacedText{"WWWWWWWWWW", 240, 80, 403, "highscore"},
    PlacedText{"@@@@@@@@@@", 240, 80, 403, "highscore"},
    PlacedText{"Enter - Menu", 500, 460, kWindowRight, "highscore"},
};

// On the Choose Level page the second digit of "7                  7" must
// land inside the slot mark drawn at x 440 (30 pixels wide), the first
// inside the one at x 290.
inline constexpr int kChooseSlotLeft = 290;
inline constexpr int kChooseSlotRight = 440;
inline constexpr int kSlotWidth = 30;

}  // namespace game_texts
