// Image fonts: fonts whose glyphs are images, drawn like any image, so text takes
// the current colour, blend mode, origin and viewport.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "media/graphics/font.h"
#include "media/graphics/image.h"

// One glyph of an image font: its image (null for a glyph without pixels), its
// advance, and the offset and size of the image relative to the pen position.
class ImageGlyph {
 public:
  ImageRef _image;
  float _advance = 0;
  int _x = 0, _y = 0, _w = 0, _h = 0;
};

class TImageFont {
 public:
  std::unique_ptr<TFont> _src_font;  // null for the built-in font
  std::vector<std::unique_ptr<ImageGlyph>> _glyphs;  // filled lazily for a source font
  int _imageFlags = 0;  // flags of the glyph images: filtered + mipmapped for smooth fonts

  TImageFont() = default;
  TImageFont(const TImageFont&) = delete;
  TImageFont& operator=(const TImageFont&) = delete;
  virtual ~TImageFont() = default;

  virtual int Style();
  // Line height: 16 for the built-in font, the source font's height otherwise.
  virtual int Height();
  virtual int CountGlyphs();
  // Glyph index of a character, -1 when the font has none for it.
  virtual int CharToGlyph(int ch);
  // The glyph at an index, its image made on first use; null outside the font.
  virtual ImageGlyph* LoadGlyph(int index);
  // Draws the text with the pen starting at (x, y), the top of the line; (ix, iy)
  // and (jx, jy) are the columns of the drawing matrix. Characters without a glyph
  // are skipped and do not move the pen.
  virtual void Draw(std::u16string_view text, float x, float y, float ix, float iy, float jx, float jy);

  // Width of the text: the glyph advances added up, truncated after each addition.
  int Measure(std::u16string_view text);

  // The built-in 8 x 16 font for characters 32 .. 127, made on first use.
  static const std::shared_ptr<TImageFont>& Builtin();
};

using FontRef = std::shared_ptr<TImageFont>;

// Loads a font file (or a stream url) at a pixel size, falling back to smaller
// sizes the font can take. Style bit 4 (kFontSmooth) gives smooth glyphs. Null when
// the file is missing or no font loader can read it.
FontRef LoadFontImage(std::u16string_view url, int size, int style);
FontRef LoadFontImage(std::string_view url, int size, int style);  // url as UTF-8

// The font DrawTextAt and MeasureText use: the selected one, or the built-in font
// when none is selected (or no graphics are open).
TImageFont& ActiveFont();

// Draws text with the top-left of its line at (x, y), through the current origin,
// handle and transform. Without open graphics it draws nothing.
void DrawTextAt(std::u16string_view text, float x, float y);
// Width of the text in the active font, from the glyph advances alone.
int MeasureText(std::u16string_view text);
// Line height of the active font.
int TextHeight();
