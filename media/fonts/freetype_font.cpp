// FreeType fonts: faces opened from a file or from memory, glyphs rendered lazily
// into A8 pixel maps.
#include "media/fonts/freetype_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstring>
#include <utility>

#include "media/core/module_state.h"
#include "media/files/streams.h"
#include "media/core/strings.h"

namespace {

// FreeType clamps pixel sizes to 16 bits, so trying larger sizes only repeats the
// largest one; starting there keeps the downward search short.
constexpr int kMaxPixelSize = 0xFFFF;

// Advances beyond this are damage, not typography; clamping them keeps every sum of
// advances well inside the int range.
constexpr float kMaxAdvance = 32768.0f;

// A face claiming more glyphs than this is not a font we can use.
constexpr long kMaxGlyphCount = 1L << 20;

// Metrics of a damaged font can be anything; they are kept inside the int range so
// that glyph offsets computed from them never overflow.
int ClampToInt(int64_t v) {
  constexpr int64_t kLimit = int64_t{1} << 24;
  return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

// The program's one FreeType library, made on first use and kept for the whole run.
struct FreeType {
  FT_Library library = nullptr;
  FreeType() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
};

FT_Library Library() { return core::ModuleState<FreeType>().library; }

// Glyphs are as large as a pixel map may be (with the border a smooth glyph gets):
// a real font at a large size draws, while a damaged or hostile outline that
// would need more keeps its advance but gets no pixels, so it is never rendered
// or copied.
bool GlyphSizeAllowed(int64_t width, int64_t height, int pad) {
  return PixmapSizeAllowed(width + 2 * pad, height + 2 * pad);
}

// True when the glyph in the slot would render to a bitmap of an allowed size.
// Outlines are measured before rendering (the rendered bitmap covers the control
// box rounded outwards to whole pixels: at most one more pixel each way); bitmap
// glyphs are measured by the copy.
bool RenderableSize(FT_GlyphSlot slot, int pad) {
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  const auto pixels = [](FT_Pos lo, FT_Pos hi) { return int64_t{hi / 64} - lo / 64 + 2; };
  return GlyphSizeAllowed(pixels(box.xMin, box.xMax), pixels(box.yMin, box.yMax), pad);
}

// Start of the top row of a FreeType bitmap; rows follow `pitch` bytes apart
// (a negative pitch means the rows are stored bottom-up).
const uint8_t* TopRow(const FT_Bitmap& bm) {
  const uint8_t* p = bm.buffer;
  if (bm.pitch < 0) p -= static_cast<ptrdiff_t>(bm.pitch) * (static_cast<ptrdiff_t>(bm.rows) - 1);
  return p;
}

// Coverage of a rendered glyph as an A8 map, with `pad` transparent pixels on each
// side. Null for bitmap kinds other than greyscale and 1-bit.
PixmapPtr CopyCoverage(const FT_Bitmap& bm, int pad) {
  const int w = static_cast<int>(bm.width);
  const int h = static_cast<int>(bm.rows);
  const bool grey = bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays > 0;
  const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
  if ((!grey && !mono) || bm.buffer == nullptr) return nullptr;
  PixmapPtr map = TPixmap::Create(w + 2 * pad, h + 2 * pad, PF_A8);  // cleared: the border stays transparent
  const uint8_t* src = TopRow(bm);
  for (int y = 0; y < h; ++y, src += bm.pitch) {
    uint8_t* dst = map->PixelPtr(pad, pad + y);
    if (grey) {
      std::memcpy(dst, src, static_cast<size_t>(w));
    } else {
      for (int x = 0; x < w; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
  }
  return map;
}

}  // namespace

void TFreeTypeGlyph::GetRect(int& x, int& y, int& w, int& h) {
  x = _x;
  y = _y;
  w = _w;
  h = _h;
}

TFreeTypeFont::~TFreeTypeFont() {
  if (_ft_face != nullptr) FT_Done_Face(_ft_face);
}

int TFreeTypeFont::CharToGlyph(int ch) {
  return static_cast<int>(FT_Get_Char_Index(_ft_face, static_cast<FT_ULong>(ch))) - 1;
}

TGlyph* TFreeTypeFont::LoadGlyph(int index) {
  if (index < 0 || index >= CountGlyphs()) return nullptr;
  std::unique_ptr<TFreeTypeGlyph>& slot_glyph = _glyphs[static_cast<size_t>(index)];
  if (slot_glyph) return slot_glyph.get();

  // A glyph FreeType cannot load or render stays empty (no pixels, no advance) and is
  // remembered as such, so a damaged glyph costs one attempt, not one per frame.
  auto glyph = std::make_unique<TFreeTypeGlyph>();
  FT_Face face = _ft_face;
  if (FT_Load_Glyph(face, static_cast<FT_UInt>(index + 1), FT_LOAD_DEFAULT) == 0) {
    FT_GlyphSlot slot = face->glyph;
    glyph->_advance = std::clamp(static_cast<float>(slot->advance.x >> 6), -kMaxAdvance, kMaxAdvance);
    const int pad = (_style & kFontSmooth) ? 1 : 0;
    if (RenderableSize(slot, pad) && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      // The rectangle is placed from the pen even when there are no pixels (a space).
      glyph->_x = ClampToInt(slot->bitmap_left);
      glyph->_y = ClampToInt(int64_t{_ascend} - slot->bitmap_top);
      if (bm.width > 0 && bm.rows > 0 && GlyphSizeAllowed(bm.width, bm.rows, pad)) {
        glyph->_pixmap = CopyCoverage(bm, pad);
        if (glyph->_pixmap) {
          glyph->_x = ClampToInt(int64_t{glyph->_x} - pad);
          glyph->_y = ClampToInt(int64_t{glyph->_y} - pad);
          glyph->_w = static_cast<int>(bm.width) + 2 * pad;
          glyph->_h = static_cast<int>(bm.rows) + 2 * pad;
        }
      }
    }
  }
  slot_glyph = std::move(glyph);
  return slot_glyph.get();
}

std::unique_ptr<TFreeTypeFont> TFreeTypeFont::FromFile(const std::string& path, int size, int style) {
  FT_Library lib = Library();
  if (lib == nullptr || path.empty()) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) return nullptr;
  return Open(std::make_unique<TFreeTypeFont>(), face, size, style);
}

std::unique_ptr<TFreeTypeFont> TFreeTypeFont::FromMemory(std::vector<uint8_t> bytes, int size, int style) {
  FT_Library lib = Library();
  if (lib == nullptr || bytes.empty()) return nullptr;
  auto font = std::make_unique<TFreeTypeFont>();
  font->_buf = std::move(bytes);  // FreeType reads from it for the face's whole life
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(lib, font->_buf.data(), static_cast<FT_Long>(font->_buf.size()), 0, &face) != 0) {
    return nullptr;
  }
  return Open(std::move(font), face, size, style);
}

std::unique_ptr<TFreeTypeFont> TFreeTypeFont::Open(std::unique_ptr<TFreeTypeFont> font, FT_FaceRec_* face, int size,
                                                   int style) {
  font->_ft_face = face;  // closed by the destructor on every path from here
  int px = std::min(size, kMaxPixelSize);
  while (px > 0 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px)) != 0) --px;
  if (px <= 0 || face->size == nullptr || face->num_glyphs <= 0 || face->num_glyphs > kMaxGlyphCount) {
    return nullptr;
  }
  const FT_Size_Metrics& m = face->size->metrics;
  font->_style = style;
  font->_height = ClampToInt(m.height >> 6);
  font->_ascend = ClampToInt(m.ascender >> 6);
  font->_descend = ClampToInt(m.descender >> 6);
  font->_glyphs.resize(static_cast<size_t>(face->num_glyphs));
  return font;
}

std::unique_ptr<TFont> TFreeTypeFontLoader::LoadFont(std::u16string_view url, int size, int style) {
  if (url.empty()) return nullptr;
  if (url.find(u"::", 1) != std::u16string_view::npos) {
    // A stream url: the face is opened from the stream's bytes.
    std::vector<uint8_t> bytes;
    try {
      StreamRef stream = OpenStream(url, true, false);
      if (!stream) return nullptr;
      bytes = ReadAllBytes(stream);
      CloseStream(stream);
    } catch (const TStreamException&) {
      return nullptr;
    }
    return TFreeTypeFont::FromMemory(std::move(bytes), size, style);
  }
  return TFreeTypeFont::FromFile(TextToUtf8(url), size, style);
}
