// Simulated colour-vision deficiencies: the matrices of Machado, Oliveira and
// Fernandes (2009) at full severity for protanopia, deuteranopia and
// tritanopia, applied to linear RGB. The asset generator draws the diamonds and
// holes through them for the documentation; the colour-vision test measures the
// committed pictures with them. Header only, so the test needs nothing of the
// generator but this file.
#pragma once

#include <algorithm>
#include <cmath>

namespace colour_vision {

enum class Vision { kNormal, kProtanopia, kDeuteranopia, kTritanopia };
inline constexpr Vision kVisions[] = {Vision::kNormal, Vision::kProtanopia, Vision::kDeuteranopia,
                                      Vision::kTritanopia};

inline const char* Name(Vision v) {
  switch (v) {
    case Vision::kProtanopia: return "protanopia";
    case Vision::kDeuteranopia: return "deuteranopia";
    case Vision::kTritanopia: return "tritanopia";
    default: return "normal vision";
  }
}

// Channels 0..1, either sRGB-encoded or linear as the function says.
struct Rgb {
  double r = 0, g = 0, b = 0;
};

inline double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
inline double ToSrgb(double c) {
  c = std::clamp(c, 0.0, 1.0);
  return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

// What a viewer with the deficiency sees of a linear colour, as the linear
// colour a viewer with full colour vision would need to see the same; clamped
// to the displayable range.
inline Rgb SimulateLinear(Vision v, Rgb c) {
  static const double kProtan[3][3] = {
      {0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}};
  static const double kDeutan[3][3] = {
      {0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}};
  static const double kTritan[3][3] = {
      {1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}};
  const double(*m)[3] = v == Vision::kProtanopia     ? kProtan
                        : v == Vision::kDeuteranopia ? kDeutan
                        : v == Vision::kTritanopia   ? kTritan
                                                     : nullptr;
  if (!m) return c;
  auto row = [&](int i) { return std::clamp(m[i][0] * c.r + m[i][1] * c.g + m[i][2] * c.b, 0.0, 1.0); };
  return {row(0), row(1), row(2)};
}

// The same for an sRGB-encoded colour, giving an sRGB-encoded colour.
inline Rgb Simulate(Vision v, Rgb srgb) {
  Rgb l = SimulateLinear(v, {ToLinear(srgb.r), ToLinear(srgb.g), ToLinear(srgb.b)});
  return {ToSrgb(l.r), ToSrgb(l.g), ToSrgb(l.b)};
}

// Relative luminance of a linear colour (Rec. 709 primaries).
inline double Luminance(Rgb linear) { return 0.2126 * linear.r + 0.7152 * linear.g + 0.0722 * linear.b; }

}  // namespace colour_vision
