// Small software painter for the asset generator: a float RGBA canvas,
// shapes given as signed distance functions with anti-aliased coverage,
// tileable noise, sprite outlining and the conversion to masked 24-bit art.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace gen {

constexpr float kPi = 3.14159265358979f;

struct Col {
  float r = 0, g = 0, b = 0;
};

inline Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Col operator-(Col a, Col b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Col operator*(Col a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Col operator*(Col a, Col b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Smooth(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
inline Col Mix(Col a, Col b, float t) { return a + (b - a) * t; }
inline Col Rgb(int r, int g, int b) { return {r / 255.f, g / 255.f, b / 255.f}; }
inline Col Hex(uint32_t v) { return Rgb(int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)); }
inline Col Clamp(Col c) { return {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)}; }
// Brightens (k > 0, towards white) or darkens (k < 0, towards black).
inline Col Shade(Col c, float k) { return k >= 0 ? Mix(c, {1, 1, 1}, k) : c * (1 + k); }
float Luma(Col c);

struct V2 {
  float x = 0, y = 0;
};
inline V2 operator+(V2 a, V2 b) { return {a.x + b.x, a.y + b.y}; }
inline V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
inline V2 operator*(V2 a, float k) { return {a.x * k, a.y * k}; }
inline float Dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
inline float Len(V2 a) { return std::sqrt(a.x * a.x + a.y * a.y); }
inline V2 Rot(V2 p, float ang) {
  float c = std::cos(ang), s = std::sin(ang);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

struct Px {
  float r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) alpha
  Col rgb() const { return {r, g, b}; }
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int w, int h, Px fill = {}) : w_(w), h_(h), px_(size_t(w) * h, fill) {}
  int w() const { return w_; }
  int h() const { return h_; }
  bool In(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  Px& At(int x, int y) { return px_[size_t(y) * w_ + x]; }
  const Px& At(int x, int y) const { return px_[size_t(y) * w_ + x]; }
  // Composites colour c with opacity a over the pixel.
  void Over(int x, int y, Col c, float a);
  void Fill(Col c) { std::fill(px_.begin(), px_.end(), Px{c.r, c.g, c.b, 1}); }
  // Draws src over this canvas with its top-left at (x, y), scaled by opacity.
  void Blit(const Canvas& src, int x, int y, float opacity = 1);
  Canvas Crop(int x, int y, int w, int h) const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<Px> px_;
};

// Maps local drawing units to canvas pixels: canvas = origin + local * scale.
struct View {
  float ox = 0, oy = 0, s = 1;
  V2 ToLocal(float px, float py) const { return {(px - ox) / s, (py - oy) / s}; }
};

struct Box {
  float x0, y0, x1, y1;  // local units
};

// A shape: signed distance in local units, negative inside.
using Sdf = std::function<float(V2)>;
// A shader: colour and opacity of a local point.
struct Paint {
  Col c;
  float a = 1;
};
using Shader = std::function<Paint(V2)>;

// Fills the shape within the local box with the shader; samples = n gives
// n x n samples per pixel (1 uses the distance for an analytic edge).
void FillShape(Canvas& cv, const View& v, Box box, const Sdf& sdf, const Shader& sh, int samples = 1);
inline void FillShape(Canvas& cv, const View& v, Box box, const Sdf& sdf, Col c, int samples = 1) {
  FillShape(cv, v, box, sdf, [c](V2) { return Paint{c, 1}; }, samples);
}

// Distance functions.
float SdCircle(V2 p, V2 c, float r);
float SdEllipse(V2 p, V2 c, float rx, float ry);
float SdBox(V2 p, V2 c, float hw, float hh, float radius = 0);
float SdSegment(V2 p, V2 a, V2 b, float r);
float SdPolygon(V2 p, const std::vector<V2>& pts);
inline float Union(float a, float b) { return std::min(a, b); }
inline float Inter(float a, float b) { return std::max(a, b); }
inline float Subtract(float a, float b) { return std::max(a, -b); }

// Tileable value noise with periods px, py (in lattice cells), in 0..1.
float Noise(float x, float y, int px, int py, uint32_t seed);
// Sum of octaves, periods doubling per octave; result roughly 0..1.
float Fbm(float x, float y, int px, int py, uint32_t seed, int octaves = 4);
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
inline float Hash01(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
  return float(Hash(a, b, c) & 0xffffff) / float(0x1000000);
}

// Deterministic pseudo-random sequence.
class Rng {
 public:
  explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 1) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  float Uniform() { return float(Next() & 0xffffff) / float(0x1000000); }
  float Range(float a, float b) { return a + (b - a) * Uniform(); }
  int Int(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }

 private:
  uint32_t s_;
};

// Adds a one-pixel outline around every opaque area of a sprite (pixels with
// opacity < 0.5 next to opaque ones), darkened from their neighbours.
void Outline(Canvas& cv, Col tint, float darken = 0.65f);
// Makes every pixel fully opaque or fully transparent at the 0.5 threshold,
// as the game's mask test will.
void Binarize(Canvas& cv);
// Box-filtered reduction by an integer factor.
Canvas Downscale(const Canvas& src, int factor);
// Nearest-neighbour enlargement (for documentation pictures).
Canvas Upscale(const Canvas& src, int factor);
// Soft drop shadow: the opacity of src, blurred and offset, as a dark layer.
Canvas Shadow(const Canvas& src, int dx, int dy, int radius, float strength);
// Separable box blur repeated three times (close to a gaussian).
void Blur(Canvas& cv, int radius);

}  // namespace gen
