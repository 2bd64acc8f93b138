// Drawing the screens' layouts and the pages of the main menu.
#pragma once

#include <span>

#include "game/layout.h"
#include "game/state.h"

// The image a layout picture stands for.
ImageRef PicImage(Pic pic);
// Draws the items in order: pictures in frame 0, texts and values in the current
// font and colour.
void DrawItems(std::span<const Item> items);
void DrawItem(const Item& item);

// Draws the menu page G.MenuPage (nothing for a value outside 0..4). The level
// page first takes the keys 7, 8 and 9 and applies the remembered choice.
void DrawMenuPage();
