// Writers for the generated files: masked 24-bit BMP, JPEG, PNG, 16-bit PCM
// WAV and text files with CR LF line ends. Each returns false on failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx.h"

namespace gen {

// 24-bit BMP with the 40-byte information header; pixels below half opacity
// become the mask colour magenta, opaque pixels never are exactly magenta.
bool WriteBmp(const std::string& path, const Canvas& cv);
bool WriteJpeg(const std::string& path, const Canvas& cv, int quality);
// RGB PNG; transparent areas are shown over a grey checkerboard.
bool WritePng(const std::string& path, const Canvas& cv);
// RGBA PNG with the canvas's opacity (icons).
bool WritePngAlpha(const std::string& path, const Canvas& cv);
// Interleaved 16-bit samples.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate);
bool WriteLines(const std::string& path, const std::vector<std::string>& lines);

// 8-bit value of a channel, rounded.
inline uint8_t Byte(float v) { return uint8_t(std::lround(Clamp01(v) * 255.f)); }

}  // namespace gen
