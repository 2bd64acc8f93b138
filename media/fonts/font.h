// Source fonts: where the glyph shapes of an image font come from.
//
// A source font maps characters to glyph indices and makes each glyph's coverage
// as an A8 pixel map with its advance and its rectangle relative to the pen (the
// pen sits at the top of the text line). Font loaders form a chain tried in turn.
#pragma once

#include <memory>
#include <string_view>

#include "media/pixmap/pixmap.h"

// Style bits of a font. Only the smooth bit changes anything: smooth glyphs get a
// transparent border and filtered, mipmapped images.
constexpr int kFontSmooth = 4;

class TGlyph {
 public:
  virtual ~TGlyph() = default;
  // The glyph's coverage (A8), or null when it has no pixels.
  virtual PixmapPtr Pixels() = 0;
  // How far the pen moves after this glyph, in pixels.
  virtual float Advance() = 0;
  // Offset of the pixel map from the pen position, and its size.
  virtual void GetRect(int& x, int& y, int& w, int& h) = 0;
};

class TFont {
 public:
  virtual ~TFont() = default;
  virtual int Style() = 0;
  // Line height in pixels.
  virtual int Height() = 0;
  virtual int CountGlyphs() = 0;
  // Glyph index of a character code, or -1 when the font has none for it.
  virtual int CharToGlyph(int ch) = 0;
  // The glyph at an index (made on first use and kept by the font); null for an
  // index outside 0 .. CountGlyphs() - 1.
  virtual TGlyph* LoadGlyph(int index) = 0;
};

class TFontLoader {
 public:
  TFontLoader* _succ = nullptr;  // next loader in the chain
  virtual ~TFontLoader() = default;
  // The font at `url`, or null when this loader cannot read it.
  virtual std::unique_ptr<TFont> LoadFont(std::u16string_view url, int size, int style) = 0;
};

// Puts a loader at the front of the chain; the chain keeps it for the whole run.
void AddFontLoader(std::unique_ptr<TFontLoader> loader);
// Asks each loader of the chain in turn; the first font made wins. Null when none
// can read the url.
std::unique_ptr<TFont> LoadSourceFont(std::u16string_view url, int size, int style);
