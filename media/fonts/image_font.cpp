// Image fonts: glyph images made lazily from a source font's coverage maps (or from
// the built-in bitmaps), text drawing and measuring.
#include "media/fonts/image_font.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "media/fonts/builtin_font.h"
#include "media/core/module_state.h"
#include "media/graphics/renderer.h"
#include "media/core/strings.h"

namespace {

constexpr int kSmoothImageFlags = FILTEREDIMAGE | MIPMAPPEDIMAGE;

// The built-in font: the 768 x 16 sheet cut into 96 unfiltered 8 x 16 images, each
// advancing 8 pixels.
FontRef MakeBuiltinFont() {
  auto font = std::make_shared<TImageFont>();
  PixmapPtr sheet = BuiltinFontSheet();
  font->_atlas = std::make_unique<GlyphAtlas>(TImage::Create(sheet->width, sheet->height, 1, 0, 0, 0, 0));
  font->_atlas->image->SetPixmap(0, sheet);
  font->_glyphs.resize(kBuiltinGlyphCount);
  for (int j = 0; j < kBuiltinGlyphCount; ++j) {
    auto glyph = std::make_unique<ImageGlyph>();
    glyph->_image = TImage::Create(kBuiltinGlyphWidth, kBuiltinGlyphHeight, 1, 0, 0, 0, 0);
    glyph->_image->SetPixmap(0, sheet->Window(j * kBuiltinGlyphWidth, 0, kBuiltinGlyphWidth, kBuiltinGlyphHeight)->Copy());
    glyph->_advance = static_cast<float>(kBuiltinGlyphWidth);
    glyph->_w = kBuiltinGlyphWidth;
    glyph->_h = kBuiltinGlyphHeight;
    glyph->_atlas_x = j * kBuiltinGlyphWidth;
    glyph->_atlas_y = 0;
    font->_glyphs[static_cast<size_t>(j)] = std::move(glyph);
  }
  return font;
}

// True when drawing units are window pixels: the virtual resolution is the
// graphics' own size.
bool UnitsArePixels() {
  const TPlanoGraphics* g = CurrentRenderer();
  return g != nullptr && g->vres_width == static_cast<float>(g->g_width) &&
         g->vres_height == static_cast<float>(g->g_height);
}

}  // namespace

GlyphAtlas::GlyphAtlas(int image_flags) {
  image = TImage::Create(kSide, kSide, 1, image_flags, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(kSide, kSide, PF_A8));  // cleared: fully transparent
}

bool GlyphAtlas::Add(const TPixmap& pixels, int& x, int& y) {
  // Cells stay one transparent pixel apart, so a cell's edge never touches its
  // neighbour's pixels, whether or not the glyph has a transparent border itself.
  const int w = pixels.width + 1, h = pixels.height + 1;
  if (w > kSide || h > kSide) return false;
  int sx = shelf_x_, sy = shelf_y_, sh = shelf_h_;
  if (sx + w > kSide) {
    sy += sh;
    sx = 0;
    sh = 0;
  }
  if (sy + h > kSide) return false;
  image->Lock(0, true, true)->Paste(pixels, sx, sy);  // the texture is remade on the next draw
  x = sx;
  y = sy;
  shelf_x_ = sx + w;
  shelf_y_ = sy;
  shelf_h_ = std::max(sh, h);
  return true;
}

namespace {

// Kept for the whole run and never destroyed, so no glyph image outlives the
// texture bookkeeping of the graphics driver at program exit.
struct BuiltinFont {
  FontRef font = MakeBuiltinFont();
};

}  // namespace

const FontRef& TImageFont::Builtin() { return core::ModuleState<BuiltinFont>().font; }

int TImageFont::Style() { return _src_font ? _src_font->Style() : 0; }

int TImageFont::Height() { return _src_font ? _src_font->Height() : kBuiltinGlyphHeight; }

int TImageFont::CountGlyphs() { return static_cast<int>(_glyphs.size()); }

int TImageFont::CharToGlyph(int ch) {
  if (_src_font) return _src_font->CharToGlyph(ch);
  return (ch >= kBuiltinFirstChar && ch < kBuiltinFirstChar + kBuiltinGlyphCount) ? ch - kBuiltinFirstChar : -1;
}

ImageGlyph* TImageFont::LoadGlyph(int index) {
  if (index < 0 || index >= CountGlyphs()) return nullptr;
  std::unique_ptr<ImageGlyph>& cached = _glyphs[static_cast<size_t>(index)];
  if (cached || !_src_font) return cached.get();
  auto glyph = std::make_unique<ImageGlyph>();
  if (TGlyph* src = _src_font->LoadGlyph(index)) {
    glyph->_advance = src->Advance();
    src->GetRect(glyph->_x, glyph->_y, glyph->_w, glyph->_h);
    if (PixmapPtr pixels = src->Pixels()) {
      // An A8 map is not masked whatever the flags; as a texture it becomes white
      // with the coverage as alpha, so the drawing colour alone colours the text.
      glyph->_image = TImage::Create(pixels->width, pixels->height, 1, _imageFlags, 0, 0, 0);
      glyph->_image->SetPixmap(0, pixels->Copy());
      if (_packed && pixels->format == PF_A8) {
        if (!_atlas) _atlas = std::make_unique<GlyphAtlas>(_imageFlags);
        if (!_atlas->Add(*pixels, glyph->_atlas_x, glyph->_atlas_y)) glyph->_atlas_x = glyph->_atlas_y = -1;
      }
    }
  }
  cached = std::move(glyph);
  return cached.get();
}

void TImageFont::Draw(std::u16string_view text, float x, float y, float ix, float iy, float jx, float jy) {
  // Make the line's new glyphs first, so that adding them to the atlas remakes its
  // texture once, not once per glyph.
  for (char16_t ch : text) LoadGlyph(CharToGlyph(ch));
  // The atlas gives the same pixels as the glyphs' own images only where a glyph
  // is drawn one texel per window pixel: unscaled and unturned, with drawing
  // units that are window pixels (no other virtual resolution), at a whole pixel.
  // Then every sample falls on a texel centre and reads that texel alone. Scaled,
  // other samples mix in neighbouring texels, which differ at cell edges, and
  // mipmap levels built across cell borders.
  TImageFrame* atlas = (_packed && _atlas && ix == 1 && jy == 1 && iy == 0 && jx == 0 && UnitsArePixels())
                           ? _atlas->image->Frame(0)
                           : nullptr;
  for (char16_t ch : text) {
    const int g = CharToGlyph(ch);
    if (g < 0) continue;
    ImageGlyph* glyph = LoadGlyph(g);
    if (glyph == nullptr) continue;
    if (glyph->_image) {
      const auto w = static_cast<float>(glyph->_image->width);
      const auto h = static_cast<float>(glyph->_image->height);
      const auto gx = static_cast<float>(glyph->_x);
      const auto gy = static_cast<float>(glyph->_y);
      const float tx = x + gx * ix + gy * iy, ty = y + gx * jx + gy * jy;
      if (atlas != nullptr && glyph->_atlas_x >= 0 && std::floor(tx) == tx && std::floor(ty) == ty) {
        atlas->Draw(0, 0, w, h, tx, ty, static_cast<float>(glyph->_atlas_x), static_cast<float>(glyph->_atlas_y), w, h);
      } else if (TImageFrame* frame = glyph->_image->Frame(0)) {
        frame->Draw(0, 0, w, h, tx, ty, 0, 0, w, h);
      }
    }
    x += ix * glyph->_advance;
    y += jx * glyph->_advance;
  }
}

int TImageFont::Measure(std::u16string_view text) {
  // Each partial sum is truncated, as the pen would be placed; the sum saturates
  // instead of leaving the int range on absurdly long texts.
  int width = 0;
  for (char16_t ch : text) {
    const int g = CharToGlyph(ch);
    if (g < 0) continue;
    ImageGlyph* glyph = LoadGlyph(g);
    if (glyph == nullptr) continue;
    const double sum = std::trunc(static_cast<double>(width) + glyph->_advance);
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    width = static_cast<int>(sum < lo ? lo : (sum > hi ? hi : sum));
  }
  return width;
}

FontRef LoadFontImage(std::u16string_view url, int size, int style) {
  std::unique_ptr<TFont> src = LoadSourceFont(url, size, style);
  if (!src) return nullptr;
  auto font = std::make_shared<TImageFont>();
  font->_glyphs.resize(static_cast<size_t>(src->CountGlyphs()));
  font->_imageFlags = (style & kFontSmooth) ? kSmoothImageFlags : 0;
  font->_src_font = std::move(src);
  return font;
}

FontRef LoadFontImage(std::string_view url, int size, int style) {
  return LoadFontImage(TextFromUtf8(url), size, style);
}

TImageFont& ActiveFont() {
  const TPlanoGraphics* g = CurrentRenderer();
  if (g != nullptr && g->image_font) return *g->image_font;
  return *TImageFont::Builtin();
}

void DrawTextAt(std::u16string_view text, float x, float y) {
  const TPlanoGraphics* g = CurrentRenderer();
  if (g == nullptr) return;
  TImageFont& font = g->image_font ? *g->image_font : *TImageFont::Builtin();
  font.Draw(text, x + g->origin_x + g->handle_x * g->tform_ix + g->handle_y * g->tform_iy,
            y + g->origin_y + g->handle_x * g->tform_jx + g->handle_y * g->tform_jy, g->tform_ix, g->tform_iy,
            g->tform_jx, g->tform_jy);
}

int MeasureText(std::u16string_view text) { return ActiveFont().Measure(text); }

int TextHeight() { return ActiveFont().Height(); }
