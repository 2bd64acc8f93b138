// Builders of BMP and JPEG files for tests: the bytes of a file describing a
// known picture, so a test can load it and compare every pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testpics {

struct BmpSpec {
  int width = 0;
  int height = 0;
  int bits = 24;                   // 1, 4, 8, 24 or 32
  std::vector<uint32_t> palette;   // ARGB; written for 1, 4 and 8 bits
  std::vector<uint32_t> pixels;    // top row first; palette indices for <= 8 bits, else ARGB
  uint32_t colours_used = 0;       // the header field; 0 = leave empty
};

// The bytes of a BMP file (bottom-up rows, each padded to 4 bytes).
std::vector<uint8_t> EncodeBmp(const BmpSpec& bmp);
// A w x h 24-bit BMP whose pixel (x, y) has colour rgb(x, y) (0xRRGGBB).
std::vector<uint8_t> Bmp24(int w, int h, const std::function<uint32_t(int, int)>& rgb);

// The bytes of a baseline (or progressive) JPEG of `components` (1 or 3)
// interleaved 8-bit samples, top row first.
std::vector<uint8_t> EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                                int quality = 100, bool progressive = false);

// Writes bytes to a file; returns false on failure.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

using test_support::TempDir;

}  // namespace testpics
