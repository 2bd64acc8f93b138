// The painters of every picture. Sprite painters draw in the sprite's own
// pixel units through a View, so the same figure can be drawn at its game
// size and enlarged for the start and results screens.
#pragma once

#include <string>

#include "gfx.h"
#include "text.h"

namespace gen {

// Shared colours.
namespace pal {
inline const Col kInk = Rgb(26, 18, 38);         // outlines, darkest shade
inline const Col kWhite = Rgb(255, 252, 244);
inline const Col kPanel = Rgb(24, 30, 58);        // menu panels
inline const Col kPanelEdge = Rgb(236, 186, 78);  // gold trim
}  // namespace pal

// Ramps of the three diamond colours: index 0 blue, 1 green, 2 red.
struct Ramp {
  Col hi, light, mid, dark, deep;
};
Ramp GemRamp(int colour);

enum class Dir { kLeft, kUp, kDown, kRight };

// Sphere-like shading of a point inside an ellipse, light from the top left.
Col Ball(V2 p, V2 c, float rx, float ry, Col dark, Col mid, Col light);

// The player figure in a 24 x 25 box; phase runs 0..1 over a walk cycle.
void PaintZarn(Canvas& cv, const View& v, Dir dir, float phase, bool cheer = false);
// A Blobb in a 30 x 30 box; phase 0..1 over its wobble.
void PaintBlobb(Canvas& cv, const View& v, float phase);
// A frozen Blobb in its ice block, 30 x 30.
void PaintFrozenBlobb(Canvas& cv, const View& v);
// A cut diamond centred in a 30 x 30 box.
void PaintGem(Canvas& cv, const View& v, int colour);
// A delivered diamond: the gem set into a gold-rimmed socket, 30 x 30.
void PaintBankedGem(Canvas& cv, const View& v, int colour);
// A hole in the ground, 26 x 21.
void PaintHole(Canvas& cv, const View& v, int colour);
// Power-up token of kind 1..7, 30 x 30.
void PaintPowerUp(Canvas& cv, const View& v, int kind, const TextRenderer& tr);

// Sprite sheets and single sprites at game size, outlined and masked.
Canvas ZarnSheet();
Canvas BlobbSheet();
Canvas FrozenBlobb();
Canvas GemSprite(int colour, bool banked);
Canvas HoleSheet();
Canvas PowerUpSprite(int kind, const TextRenderer& tr);

// Draws an enlarged sprite with a dark outline proportional to its size.
// paint draws into a canvas through the given view.
void DrawBig(Canvas& dst, float x, float y, float scale, int w, int h,
             const std::function<void(Canvas&, const View&)>& paint, float outline = 1.f,
             bool shadow = true);

// Interface pictures.
Canvas SlotFrame();
Canvas EmptySlot();
Canvas ClockIcon();
Canvas GotPanel();
Canvas MenuPanel();
Canvas KeyCaps(const std::string& layout, const TextRenderer& tr);

// Tiles, backgrounds and level-choice pictures.
constexpr int kTileSets = 4;
constexpr int kTilesPerSet = 15;
// Tile frame f (0..14) of set s painted at scale into a canvas at (x, y).
void PaintTile(Canvas& cv, int x, int y, float scale, int set, int frame);
Canvas TileSheet();
Canvas Backgrounds();
Canvas ChooseSheet(const TextRenderer& tr);

// Full screens.
Canvas StartScreen(const TextRenderer& tr);
Canvas EndPicture();
// The program's icon, size x size pixels, on a transparent ground.
Canvas AppIcon(int size);

// Mirrors a canvas left to right.
Canvas Mirror(const Canvas& src);

}  // namespace gen
