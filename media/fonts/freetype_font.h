// TrueType fonts rasterised by FreeType: the source font behind an image font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/fonts/font.h"

struct FT_FaceRec_;

// One glyph of a FreeType font: its coverage as an A8 pixel map (null for a glyph
// without pixels, such as the space), its advance in whole pixels, and the offset of
// the map from the pen position at the top of the text line.
class TFreeTypeGlyph : public TGlyph {
 public:
  PixmapPtr _pixmap;
  float _advance = 0;
  int _x = 0, _y = 0, _w = 0, _h = 0;

  PixmapPtr Pixels() override { return _pixmap; }
  float Advance() override { return _advance; }
  void GetRect(int& x, int& y, int& w, int& h) override;
};

class TFreeTypeFont : public TFont {
 public:
  FT_FaceRec_* _ft_face = nullptr;
  int _style = 0;
  int _height = 0;
  int _ascend = 0;
  int _descend = 0;
  std::vector<std::unique_ptr<TFreeTypeGlyph>> _glyphs;  // filled lazily
  std::vector<uint8_t> _buf;  // the font file's bytes when the face was opened from memory

  TFreeTypeFont() = default;
  TFreeTypeFont(const TFreeTypeFont&) = delete;
  TFreeTypeFont& operator=(const TFreeTypeFont&) = delete;
  ~TFreeTypeFont() override;

  int Style() override { return _style; }
  int Height() override { return _height; }
  int CountGlyphs() override { return static_cast<int>(_glyphs.size()); }
  // FreeType's glyph index minus 1, so a character the font lacks gives -1.
  int CharToGlyph(int ch) override;
  // Renders glyph index + 1 on first use; null for an index outside the font.
  TGlyph* LoadGlyph(int index) override;

  // A face from a file path (face 0), at the largest pixel size not above `size`
  // that the face accepts. Null when the file is missing or not a font, or no size
  // from `size` down to 1 is accepted.
  static std::unique_ptr<TFreeTypeFont> FromFile(const std::string& path, int size, int style);
  // The same from the bytes of a font file (kept alive by the font).
  static std::unique_ptr<TFreeTypeFont> FromMemory(std::vector<uint8_t> bytes, int size, int style);

 private:
  static std::unique_ptr<TFreeTypeFont> Open(std::unique_ptr<TFreeTypeFont> font, FT_FaceRec_* face, int size,
                                             int style);
};

// The FreeType font loader (the only one): a url holding "::" after its first
// character names a stream, read whole into memory; anything else is a file path.
class TFreeTypeFontLoader : public TFontLoader {
 public:
  std::unique_ptr<TFont> LoadFont(std::u16string_view url, int size, int style) override;
};
