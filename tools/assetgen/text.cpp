#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace gen {

TextRenderer::TextRenderer() {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) == 0) lib_ = lib;
}

TextRenderer::~TextRenderer() {
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
  if (lib_) FT_Done_FreeType(static_cast<FT_Library>(lib_));
}

bool TextRenderer::Open(const std::string& path) {
  if (!lib_) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(static_cast<FT_Library>(lib_), path.c_str(), 0, &face) != 0) return false;
  face_ = face;
  return true;
}

namespace {

// Loads a glyph outline at the size, emboldens it and renders it.
FT_GlyphSlot LoadGlyph(FT_Face face, unsigned char ch, float bold) {
  if (FT_Load_Char(face, ch, FT_LOAD_NO_HINTING) != 0) return nullptr;
  FT_GlyphSlot slot = face->glyph;
  if (bold > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Embolden(&slot->outline, FT_Pos(bold * 64));
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return nullptr;
  return slot;
}

}  // namespace

int TextRenderer::Width(const std::string& text, int size, float bold) const {
  if (!face_) return 0;
  FT_Face face = static_cast<FT_Face>(face_);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
  long pen = 0;
  for (unsigned char ch : text) {
    FT_GlyphSlot slot = LoadGlyph(face, ch, bold);
    if (slot) pen += slot->advance.x + long(bold * 64);
  }
  return int(pen >> 6);
}

Canvas TextRenderer::Mask(const std::string& text, int size, float bold, int pad) const {
  if (!face_) return Canvas(1, 1);
  FT_Face face = static_cast<FT_Face>(face_);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
  int ascend = int(face->size->metrics.ascender >> 6);
  int height = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
  int width = Width(text, size, bold);
  Canvas out(width + 2 * pad + int(bold) + 2, height + 2 * pad + int(bold) + 2, Px{1, 1, 1, 0});
  long pen = long(pad) << 6;
  for (unsigned char ch : text) {
    FT_GlyphSlot slot = LoadGlyph(face, ch, bold);
    if (!slot) continue;
    const FT_Bitmap& bm = slot->bitmap;
    int gx = int(pen >> 6) + slot->bitmap_left;
    int gy = pad + ascend - slot->bitmap_top + int(bold / 2);
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        int x = gx + int(c), y = gy + int(r);
        if (!out.In(x, y)) continue;
        float a = bm.buffer[r * unsigned(bm.pitch) + c] / 255.f;
        Px& p = out.At(x, y);
        p.a = std::max(p.a, a);
      }
    pen += slot->advance.x + long(bold * 64);
  }
  return out;
}

void TextRenderer::GameText(Canvas& cv, const std::string& text, int x, int y, Col colour) const {
  if (!face_) return;
  FT_Face face = static_cast<FT_Face>(face_);
  FT_Set_Pixel_Sizes(face, 0, 30);
  int ascend = int(face->size->metrics.ascender >> 6);
  int pen = x;
  for (unsigned char ch : text) {
    FT_UInt index = FT_Get_Char_Index(face, ch);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c)
        if (bm.buffer[r * unsigned(bm.pitch) + c] >= 128)
          cv.Over(pen + slot->bitmap_left + int(c), y + ascend - slot->bitmap_top + int(r), colour, 1);
    pen += int(slot->advance.x >> 6);
  }
}

Canvas Dilate(const Canvas& mask, float r) {
  int ir = int(std::ceil(r));
  Canvas out(mask.w(), mask.h(), Px{1, 1, 1, 0});
  for (int y = 0; y < mask.h(); ++y)
    for (int x = 0; x < mask.w(); ++x) {
      float best = 0;
      for (int dy = -ir; dy <= ir; ++dy)
        for (int dx = -ir; dx <= ir; ++dx) {
          if (!mask.In(x + dx, y + dy)) continue;
          float d = std::sqrt(float(dx * dx + dy * dy));
          float w = Clamp01(r + 0.5f - d);
          best = std::max(best, mask.At(x + dx, y + dy).a * w);
        }
      out.At(x, y).a = best;
    }
  return out;
}

void DrawMask(Canvas& dst, const Canvas& mask, int x, int y,
              const std::function<Col(int, int)>& colour, float opacity) {
  for (int my = 0; my < mask.h(); ++my)
    for (int mx = 0; mx < mask.w(); ++mx) {
      float a = mask.At(mx, my).a * opacity;
      if (a > 0) dst.Over(x + mx, y + my, colour(mx, my), a);
    }
}

void OutlinedText(Canvas& dst, const TextRenderer& tr, const std::string& text, int size, float cx,
                  int y, Col fill, Col outline, float outline_r, float bold) {
  int pad = int(std::ceil(outline_r)) + 2;
  Canvas m = tr.Mask(text, size, bold, pad);
  int w = tr.Width(text, size, bold);
  int x = int(std::lround(cx - w / 2.f)) - pad;
  DrawMask(dst, Dilate(m, outline_r), x, y - pad, outline);
  DrawMask(dst, m, x, y - pad, fill);
}

}  // namespace gen
