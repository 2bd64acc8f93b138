#include "gfx.h"

namespace gen {

float Luma(Col c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }

void Canvas::Over(int x, int y, Col c, float a) {
  if (!In(x, y) || a <= 0) return;
  a = std::min(a, 1.f);
  Px& d = At(x, y);
  float out_a = a + d.a * (1 - a);
  if (out_a <= 0) return;
  float kd = d.a * (1 - a) / out_a, ks = a / out_a;
  d.r = c.r * ks + d.r * kd;
  d.g = c.g * ks + d.g * kd;
  d.b = c.b * ks + d.b * kd;
  d.a = out_a;
}

void Canvas::Blit(const Canvas& src, int x, int y, float opacity) {
  for (int sy = 0; sy < src.h(); ++sy)
    for (int sx = 0; sx < src.w(); ++sx) {
      const Px& p = src.At(sx, sy);
      Over(x + sx, y + sy, p.rgb(), p.a * opacity);
    }
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
  Canvas out(w, h);
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx)
      if (In(x + xx, y + yy)) out.At(xx, yy) = At(x + xx, y + yy);
  return out;
}

void FillShape(Canvas& cv, const View& v, Box box, const Sdf& sdf, const Shader& sh, int samples) {
  int x0 = std::max(0, int(std::floor(v.ox + box.x0 * v.s)) - 1);
  int y0 = std::max(0, int(std::floor(v.oy + box.y0 * v.s)) - 1);
  int x1 = std::min(cv.w() - 1, int(std::ceil(v.ox + box.x1 * v.s)) + 1);
  int y1 = std::min(cv.h() - 1, int(std::ceil(v.oy + box.y1 * v.s)) + 1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      if (samples <= 1) {
        V2 p = v.ToLocal(x + 0.5f, y + 0.5f);
        float cover = Clamp01(0.5f - sdf(p) * v.s);
        if (cover <= 0) continue;
        Paint pt = sh(p);
        cv.Over(x, y, pt.c, cover * pt.a);
      } else {
        float acc_a = 0;
        Col acc{};
        for (int sy = 0; sy < samples; ++sy)
          for (int sx = 0; sx < samples; ++sx) {
            V2 p = v.ToLocal(x + (sx + 0.5f) / samples, y + (sy + 0.5f) / samples);
            if (sdf(p) > 0) continue;
            Paint pt = sh(p);
            acc = acc + pt.c * pt.a;
            acc_a += pt.a;
          }
        if (acc_a <= 0) continue;
        cv.Over(x, y, acc * (1 / acc_a), acc_a / float(samples * samples));
      }
    }
  }
}

float SdCircle(V2 p, V2 c, float r) { return Len(p - c) - r; }

float SdEllipse(V2 p, V2 c, float rx, float ry) {
  V2 q{(p.x - c.x) / rx, (p.y - c.y) / ry};
  float k = Len(q);
  if (k < 1e-6f) return -std::min(rx, ry);
  // First-order correction: divide by the gradient length of the implicit form.
  V2 g{q.x / (rx * k), q.y / (ry * k)};
  return (k - 1) / Len(g);
}

float SdBox(V2 p, V2 c, float hw, float hh, float radius) {
  V2 d{std::fabs(p.x - c.x) - hw + radius, std::fabs(p.y - c.y) - hh + radius};
  V2 m{std::max(d.x, 0.f), std::max(d.y, 0.f)};
  return Len(m) + std::min(std::max(d.x, d.y), 0.f) - radius;
}

float SdSegment(V2 p, V2 a, V2 b, float r) {
  V2 pa = p - a, ba = b - a;
  float dd = Dot(ba, ba);
  float h = dd > 0 ? Clamp01(Dot(pa, ba) / dd) : 0;
  return Len(pa - ba * h) - r;
}

float SdPolygon(V2 p, const std::vector<V2>& v) {
  size_t n = v.size();
  float d = Dot(p - v[0], p - v[0]);
  float s = 1;
  for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
    V2 e = v[j] - v[i], w = p - v[i];
    V2 b = w - e * Clamp01(Dot(w, e) / Dot(e, e));
    d = std::min(d, Dot(b, b));
    bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float Noise(float x, float y, int px, int py, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto lat = [&](int cx, int cy) {
    cx = ((cx % px) + px) % px;
    cy = ((cy % py) + py) % py;
    return Hash01(uint32_t(cx), uint32_t(cy), seed);
  };
  float a = lat(ix, iy), b = lat(ix + 1, iy), c = lat(ix, iy + 1), d = lat(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Fbm(float x, float y, int px, int py, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += Noise(x, y, px, py, seed + uint32_t(o) * 101u) * amp;
    norm += amp;
    x *= 2;
    y *= 2;
    px *= 2;
    py *= 2;
    amp *= 0.5f;
  }
  return sum / norm;
}

void Outline(Canvas& cv, Col tint, float darken) {
  Canvas src = cv;
  const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  for (int y = 0; y < cv.h(); ++y)
    for (int x = 0; x < cv.w(); ++x) {
      if (src.At(x, y).a >= 0.5f) continue;
      Col sum{};
      int n = 0;
      for (int k = 0; k < 4; ++k) {
        int nx = x + dx[k], ny = y + dy[k];
        if (src.In(nx, ny) && src.At(nx, ny).a >= 0.5f) {
          sum = sum + src.At(nx, ny).rgb();
          ++n;
        }
      }
      if (n == 0) continue;
      Col c = Mix(sum * (1.f / n), tint, 0.5f) * (1 - darken);
      cv.At(x, y) = {c.r, c.g, c.b, 1};
    }
}

void Binarize(Canvas& cv) {
  for (int y = 0; y < cv.h(); ++y)
    for (int x = 0; x < cv.w(); ++x) {
      Px& p = cv.At(x, y);
      p.a = p.a >= 0.5f ? 1.f : 0.f;
    }
}

Canvas Downscale(const Canvas& src, int f) {
  Canvas out(src.w() / f, src.h() / f);
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) {
      Col acc{};
      float a = 0;
      for (int yy = 0; yy < f; ++yy)
        for (int xx = 0; xx < f; ++xx) {
          const Px& p = src.At(x * f + xx, y * f + yy);
          acc = acc + p.rgb() * p.a;
          a += p.a;
        }
      if (a > 0) acc = acc * (1 / a);
      out.At(x, y) = {acc.r, acc.g, acc.b, a / float(f * f)};
    }
  return out;
}

Canvas Upscale(const Canvas& src, int f) {
  Canvas out(src.w() * f, src.h() * f);
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) out.At(x, y) = src.At(x / f, y / f);
  return out;
}

void Blur(Canvas& cv, int r) {
  if (r <= 0) return;
  int w = cv.w(), h = cv.h();
  std::vector<Px> line;
  auto pass = [&](bool horiz) {
    int n = horiz ? w : h, m = horiz ? h : w;
    line.resize(size_t(n));
    for (int j = 0; j < m; ++j) {
      for (int i = 0; i < n; ++i) line[size_t(i)] = horiz ? cv.At(i, j) : cv.At(j, i);
      for (int i = 0; i < n; ++i) {
        Px acc{};
        int cnt = 0;
        for (int k = -r; k <= r; ++k) {
          int q = std::clamp(i + k, 0, n - 1);
          const Px& p = line[size_t(q)];
          acc.r += p.r * p.a;
          acc.g += p.g * p.a;
          acc.b += p.b * p.a;
          acc.a += p.a;
          ++cnt;
        }
        Px out{};
        if (acc.a > 0) out = {acc.r / acc.a, acc.g / acc.a, acc.b / acc.a, acc.a / float(cnt)};
        (horiz ? cv.At(i, j) : cv.At(j, i)) = out;
      }
    }
  };
  for (int k = 0; k < 3; ++k) {
    pass(true);
    pass(false);
  }
}

Canvas Shadow(const Canvas& src, int dx, int dy, int radius, float strength) {
  int pad = radius * 3 + 2;
  Canvas sh(src.w() + 2 * pad, src.h() + 2 * pad);
  for (int y = 0; y < src.h(); ++y)
    for (int x = 0; x < src.w(); ++x) sh.At(x + pad, y + pad) = {0, 0, 0, src.At(x, y).a * strength};
  Blur(sh, radius);
  Canvas out(src.w(), src.h());
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) {
      int sx = x - dx + pad, sy = y - dy + pad;
      if (sh.In(sx, sy)) out.At(x, y) = sh.At(sx, sy);
    }
  return out;
}

}  // namespace gen
