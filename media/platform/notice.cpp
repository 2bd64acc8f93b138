#include "media/platform/notice.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>

namespace platform {
namespace {

constexpr int kGlyphW = 5, kGlyphH = 7;
constexpr int kDot = 2;      // picture pixels per font pixel
constexpr int kPad = 5;      // picture pixels between the box's edge and the text
constexpr int kTop = 8;      // picture pixels from the picture's top to the box

struct Glyph {
  char c;
  std::array<const char*, kGlyphH> rows;
};

// The characters the window's notices use; '#' is a lit pixel.
constexpr Glyph kGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {".###.", "#...#", "....#", "..##.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'%', {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'c', {".....", ".....", ".###.", "#....", "#....", "#....", ".###."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##.", ".#...", "####.", ".#...", ".#...", ".#...", ".#..."}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'t', {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
};

const Glyph* Find(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.c == c) return &g;
  return nullptr;
}

}  // namespace

void PaintNotice(std::string_view text, const PictureRect& picture, int out_h) {
  if (text.empty()) return;
  const int f = picture.factor;
  const int advance = (kGlyphW + 1) * kDot;
  const int text_w = static_cast<int>(text.size()) * advance - kDot;
  const int box_w = text_w + 2 * kPad, box_h = kGlyphH * kDot + 2 * kPad;
  // The box's top-left corner on the framebuffer, in its pixels.
  const int box_x = picture.x + (picture.w - box_w * f) / 2;
  const int box_y = picture.y + kTop * f;

  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  GLint scissor_box[4];
  glGetIntegerv(GL_SCISSOR_BOX, scissor_box);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glEnable(GL_SCISSOR_TEST);
  // A rectangle in picture pixels relative to the box, top-left origin.
  const auto fill = [&](int x, int y, int w, int h) {
    glScissor(box_x + x * f, out_h - (box_y + (y + h) * f), w * f, h * f);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
  fill(0, 0, box_w, box_h);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph* glyph = Find(text[i]);
    if (glyph == nullptr) continue;
    const int gx = kPad + static_cast<int>(i) * advance;
    for (int row = 0; row < kGlyphH; ++row) {
      // One rectangle per run of lit pixels in the row.
      const char* bits = glyph->rows[static_cast<size_t>(row)];
      for (int col = 0; col < kGlyphW;) {
        if (bits[col] != '#') {
          ++col;
          continue;
        }
        int end = col;
        while (end < kGlyphW && bits[end] == '#') ++end;
        fill(gx + col * kDot, kPad + row * kDot, (end - col) * kDot, kDot);
        col = end;
      }
    }
  }
  glScissor(scissor_box[0], scissor_box[1], scissor_box[2], scissor_box[3]);
  if (!scissor) glDisable(GL_SCISSOR_TEST);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
}

}  // namespace platform
