// The built-in 8 x 16 font, drawn whenever no font is selected.
#pragma once

#include <array>
#include <cstdint>

#include "media/pixmap/pixmap.h"

constexpr int kBuiltinFirstChar = 32;    // the font covers characters 32 .. 127
constexpr int kBuiltinGlyphCount = 96;
constexpr int kBuiltinGlyphWidth = 8;
constexpr int kBuiltinGlyphHeight = 16;

// The glyph bitmaps as 16 rows of 96 bytes: byte j of row r holds row r of the glyph
// for character 32 + j, bit k (least significant first) being pixel column k.
using BuiltinFontBits = std::array<uint8_t, kBuiltinGlyphHeight * kBuiltinGlyphCount>;
const BuiltinFontBits& BuiltinGlyphBits();

// All 96 glyphs side by side in one 768 x 16 RGBA8888 map: set bits white and
// opaque, clear bits fully transparent. Glyph j occupies columns 8j .. 8j + 7.
PixmapPtr BuiltinFontSheet();
