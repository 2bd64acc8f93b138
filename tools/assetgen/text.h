// Text for the pictures (title, key caps, labels), rasterised with FreeType
// from the game's own font so the pictures and the game's text match.
#pragma once

#include <functional>
#include <string>

#include "gfx.h"

namespace gen {

class TextRenderer {
 public:
  TextRenderer();
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  bool Open(const std::string& font_path);
  // Coverage of the text as the opacity of a white canvas with `pad` pixels
  // of room on every side; the pen starts at (pad, pad) at the line's top.
  // bold widens the strokes by that many pixels.
  Canvas Mask(const std::string& text, int size, float bold, int pad) const;
  int Width(const std::string& text, int size, float bold) const;
  // Draws text as the game does at size 30: hinted glyphs, pixels drawn
  // opaque where their coverage reaches one half, line top at y.
  void GameText(Canvas& cv, const std::string& text, int x, int y, Col colour) const;

 private:
  void* lib_ = nullptr;
  void* face_ = nullptr;
};

// Grows the opaque area of a mask by r pixels (round pen).
Canvas Dilate(const Canvas& mask, float r);
// Draws a mask at (x, y) with a colour computed from the mask position.
void DrawMask(Canvas& dst, const Canvas& mask, int x, int y,
              const std::function<Col(int, int)>& colour, float opacity = 1);
inline void DrawMask(Canvas& dst, const Canvas& mask, int x, int y, Col c, float opacity = 1) {
  DrawMask(dst, mask, x, y, [c](int, int) { return c; }, opacity);
}
// Text with a dark outline, centred on cx with its line top at y.
void OutlinedText(Canvas& dst, const TextRenderer& tr, const std::string& text, int size,
                  float cx, int y, Col fill, Col outline, float outline_r, float bold = 0);

}  // namespace gen
