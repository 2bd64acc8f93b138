// Measures every text of the game with the game font at 30 pixels, exactly as
// the game's image font places glyphs (pen advances in whole pixels, glyph
// bitmaps at pen + bitmap left), and reports where the ink ends against the
// room each text has. Optionally writes a preview PNG of all texts.
//
//   fontfit <font.ttf> [preview.png [glyphs.png]]
//
// The texts come from the game's screen layouts; the pictures beside them are
// read from the gfx/ folder next to the font's data/ folder.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/font/placed_texts.h"

namespace {

struct Ink {
  int left = 1 << 30;
  int right = -(1 << 30);  // one past the last inked column
  int advance = 0;
};

struct Canvas {
  int w, h;
  std::vector<unsigned char> px;
  Canvas(int w_, int h_) : w(w_), h(h_), px(size_t(w_) * h_ * 3, 0) {}
  void Put(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    unsigned char* p = &px[(size_t(y) * w + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
};

// Draws (when canvas is set) and measures text whose line top is at (x, y).
Ink Render(FT_Face face, std::string_view text, int x, int y, Canvas* canvas) {
  Ink ink;
  int ascend = int(face->size->metrics.ascender >> 6);
  int pen = x;
  for (unsigned char ch : text) {
    FT_UInt index = FT_Get_Char_Index(face, ch);
    if (index == 0) continue;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        unsigned char a = bm.buffer[row * bm.pitch + col];
        if (a < 128) continue;
        int px = pen + slot->bitmap_left + int(col);
        int py = y + ascend - slot->bitmap_top + int(row);
        ink.left = std::min(ink.left, px);
        ink.right = std::max(ink.right, px + 1);
        if (canvas) canvas->Put(px, py, 255, 255, 255);
      }
    }
    pen += int(slot->advance.x >> 6);
  }
  ink.advance = pen - x;
  return ink;
}

bool WritePng(const char* path, const Canvas& c) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, c.w, c.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < c.h; ++y) png_write_row(png, &c.px[size_t(y) * c.w * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

// All printable ASCII characters at 30 pixels, grey levels kept, enlarged
// by `zoom` so the shapes can be judged.
Canvas GlyphSheet(FT_Face face, int zoom) {
  const int per_row = 15, cell = 34;
  Canvas c(per_row * cell * zoom, (94 / per_row + 1) * cell * zoom);
  int ascend = int(face->size->metrics.ascender >> 6);
  for (int ch = 32; ch < 127; ++ch) {
    int i = ch - 32, cx = (i % per_row) * cell, cy = (i / per_row) * cell;
    for (int y = 0; y < cell * zoom; ++y)
      for (int x = 0; x < cell * zoom; ++x)
        if ((i + i / per_row) % 2) c.Put(cx * zoom + x, cy * zoom + y, 30, 30, 48);
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        unsigned char a = bm.buffer[row * bm.pitch + col];
        int px = cx + 4 + slot->bitmap_left + int(col);
        int py = cy + 2 + ascend - slot->bitmap_top + int(row);
        for (int zy = 0; zy < zoom; ++zy)
          for (int zx = 0; zx < zoom; ++zx)
            if (a) c.Put(px * zoom + zx, py * zoom + zy, a >= 128 ? 255 : 90, a >= 128 ? 255 : 90, a >= 128 ? 255 : 60);
      }
    int adv = int(slot->advance.x >> 6);
    for (int zy = 0; zy < zoom; ++zy)
      c.Put((cx + 4 + adv) * zoom, (cy + 2 + ascend) * zoom + zy, 255, 80, 80);
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s font.ttf [preview.png]\n", argv[0]);
    return 2;
  }
  FT_Library lib;
  FT_Face face;
  if (FT_Init_FreeType(&lib) != 0 || FT_New_Face(lib, argv[1], 0, &face) != 0) {
    std::fprintf(stderr, "%s: cannot open font\n", argv[1]);
    return 2;
  }
  FT_Set_Pixel_Sizes(face, 0, 30);
  std::printf("ascender %ld descender %ld height %ld\n", face->size->metrics.ascender >> 6,
              face->size->metrics.descender >> 6, face->size->metrics.height >> 6);

  std::string root = argv[1];
  for (int up = 0; up < 2; ++up) {
    const size_t slash = root.find_last_of('/');
    root = slash == std::string::npos ? std::string(up == 0 ? "." : "..") : root.substr(0, slash);
  }
  const std::vector<placed_texts::PlacedText> kPlacedTexts = placed_texts::AllPlacedTexts(root);
  auto narrow = [](std::u16string_view text) { return std::string(text.begin(), text.end()); };
  const int row_h = 34;
  Canvas canvas(720, int(kPlacedTexts.size()) * row_h + 10);
  int failures = 0;
  int row = 0;
  for (const auto& t : kPlacedTexts) {
    int y = 4 + row * row_h;
    for (int x = 0; x < canvas.w; ++x)
      if (row % 2 == 0)
        for (int yy = y; yy < y + row_h; ++yy) canvas.Put(x, yy, 28, 28, 40);
    for (int yy = y; yy < y + row_h; ++yy) {
      canvas.Put(t.x, yy, 60, 160, 60);
      canvas.Put(t.limit, yy, 220, 60, 60);
    }
    const std::string text = narrow(t.text);
    Ink ink = Render(face, text, t.x, y, &canvas);
    bool ok = ink.right <= t.limit;
    if (!ok) ++failures;
    std::printf("%-4s %-14s x %3d ink %3d..%3d adv %3d limit %3d room %4d  \"%.*s\"\n",
                ok ? "ok" : "FAIL", std::string(t.where).c_str(), t.x, ink.left, ink.right,
                ink.advance, t.limit, t.limit - ink.right, int(text.size()), text.data());
    ++row;
  }
  // The digits of the level choices inside their slot marks.
  const int slot_width = placed_texts::PictureSize(root, Pic::Slot).w;
  for (const auto& level : layout::kLevelRows) {
    const std::string s = narrow(level.text.text);
    Ink first = Render(face, s.substr(0, 1), 300, 0, nullptr);
    Ink whole = Render(face, s, 300, 0, nullptr);
    Ink second_start = Render(face, s.substr(0, s.size() - 1), 300, 0, nullptr);
    int second_left = 300 + second_start.advance + (first.left - 300);
    bool ok = first.left >= level.mark_left_x && first.right <= level.mark_left_x + slot_width &&
              second_left >= level.mark_right_x && whole.right <= level.mark_right_x + slot_width;
    if (!ok) ++failures;
    std::printf("%-4s slots: first %d..%d, second %d..%d\n", ok ? "ok" : "FAIL", first.left,
                first.right, second_left, whole.right);
  }
  if (argc > 2 && !WritePng(argv[2], canvas)) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    return 2;
  }
  if (argc > 3 && !WritePng(argv[3], GlyphSheet(face, 3))) {
    std::fprintf(stderr, "%s: cannot write\n", argv[3]);
    return 2;
  }
  std::printf("%d failures\n", failures);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return failures == 0 ? 0 : 1;
}
