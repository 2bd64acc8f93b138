// Image fonts: fonts whose glyphs are images, drawn like any image, so text takes
// the current colour, blend mode, origin and viewport.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "media/fonts/font.h"
#include "media/graphics/image.h"

// One glyph of an image font: its image (null for a glyph without pixels), its
// advance, the offset and size of the image relative to the pen position, and
// where the same pixels sit in the font's atlas (-1 when they are not in it).
class ImageGlyph {
 public:
  ImageRef _image;
  float _advance = 0;
  int _x = 0, _y = 0, _w = 0, _h = 0;
  int _atlas_x = -1, _atlas_y = -1;
};

// The glyph images of one font packed side by side into a single image, so that a
// line of text draws from one texture. Switching textures between quads is what
// text drawing would otherwise spend most of its time on (with a software renderer
// several times the cost of the quads themselves). A glyph drawn one texel per
// window pixel (unscaled, unturned, no virtual resolution, at a whole pixel) from
// its atlas cell gives the same pixels as drawing its own image: the cell holds
// the same pixels, and cells are kept one transparent pixel apart. Elsewhere the
// glyph is drawn from its own image.
class GlyphAtlas {
 public:
  static constexpr int kSide = 512;

  // An empty A8 atlas whose image has the given flags.
  explicit GlyphAtlas(int image_flags);
  // An atlas over a ready-made image (the built-in font's sheet).
  explicit GlyphAtlas(ImageRef image) : image(std::move(image)) {}

  // Copies a glyph's pixels into a free cell and gives the cell's position; false
  // (changing nothing) when the atlas has no room for it.
  bool Add(const TPixmap& pixels, int& x, int& y);

  ImageRef image;

 private:
  int shelf_x_ = 0, shelf_y_ = 0, shelf_h_ = 0;  // cells are placed on shelves, left to right
};

class TImageFont {
 public:
  std::unique_ptr<TFont> _src_font;  // null for the built-in font
  std::vector<std::unique_ptr<ImageGlyph>> _glyphs;  // filled lazily for a source font
  int _imageFlags = 0;  // flags of the glyph images: filtered + mipmapped for smooth fonts
  std::unique_ptr<GlyphAtlas> _atlas;  // made with the first glyph that has pixels
  bool _packed = true;  // false: every glyph is drawn from its own image

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
