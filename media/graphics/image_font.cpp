// Image fonts: glyph images made lazily from a source font's coverage maps (or from
// the built-in bitmaps), text drawing and measuring.
#include "media/graphics/image_font.h"

#include <cmath>
#include <limits>
#include <utility>

#include "media/graphics/builtin_font.h"
#include "media/graphics/graphics.h"
#include "media/text/strings.h"

namespace {

constexpr int kSmoothImageFlags = FILTEREDIMAGE | MIPMAPPEDIMAGE;

// The built-in font: the 768 x 16 sheet cut into 96 unfiltered 8 x 16 images, each
// advancing 8 pixels.
FontRef MakeBuiltinFont() {
  auto font = std::make_shared<TImageFont>();
  PixmapPtr sheet = BuiltinFontSheet();
  font->_glyphs.resize(kBuiltinGlyphCount);
  for (int j = 0; j < kBuiltinGlyphCount; ++j) {
    auto glyph = std::make_unique<ImageGlyph>();
    glyph->_image = TImage::Create(kBuiltinGlyphWidth, kBuiltinGlyphHeight, 1, 0, 0, 0, 0);
    glyph->_image->SetPixmap(0, sheet->Window(j * kBuiltinGlyphWidth, 0, kBuiltinGlyphWidth, kBuiltinGlyphHeight)->Copy());
    glyph->_advance = static_cast<float>(kBuiltinGlyphWidth);
    glyph->_w = kBuiltinGlyphWidth;
    glyph->_h = kBuiltinGlyphHeight;
    font->_glyphs[static_cast<size_t>(j)] = std::move(glyph);
  }
  return font;
}

}  // namespace

const FontRef& TImageFont::Builtin() {
  // Kept for the whole run and never destroyed, so no glyph image outlives the
  // texture bookkeeping of the graphics driver at program exit.
  static const FontRef* font = new FontRef(MakeBuiltinFont());
  return *font;
}

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
    }
  }
  cached = std::move(glyph);
  return cached.get();
}

void TImageFont::Draw(std::u16string_view text, float x, float y, float ix, float iy, float jx, float jy) {
  for (char16_t ch : text) {
    const int g = CharToGlyph(ch);
    if (g < 0) continue;
    ImageGlyph* glyph = LoadGlyph(g);
    if (glyph == nullptr) continue;
    if (glyph->_image) {
      if (TImageFrame* frame = glyph->_image->Frame(0)) {
        const auto w = static_cast<float>(glyph->_image->width);
        const auto h = static_cast<float>(glyph->_image->height);
        const auto gx = static_cast<float>(glyph->_x);
        const auto gy = static_cast<float>(glyph->_y);
        frame->Draw(0, 0, w, h, x + gx * ix + gy * iy, y + gx * jx + gy * jy, 0, 0, w, h);
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
  TPlanoGraphics* g = CurrentPlanoGraphics();
  if (g != nullptr && g->image_font) return *g->image_font;
  return *TImageFont::Builtin();
}

void DrawTextAt(std::u16string_view text, float x, float y) {
  TPlanoGraphics* g = CurrentPlanoGraphics();
  if (g == nullptr) return;
  TImageFont& font = g->image_font ? *g->image_font : *TImageFont::Builtin();
  font.Draw(text, x + g->origin_x + g->handle_x * g->tform_ix + g->handle_y * g->tform_iy,
            y + g->origin_y + g->handle_x * g->tform_jx + g->handle_y * g->tform_jy, g->tform_ix, g->tform_iy,
            g->tform_jx, g->tform_jy);
}

int MeasureText(std::u16string_view text) { return ActiveFont().Measure(text); }

int TextHeight() { return ActiveFont().Height(); }
