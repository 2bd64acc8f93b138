// Maze tiles (four sets of fifteen), the tiled backgrounds and the
// level-choice pictures.
//
// Frames of a set: 0-2 floor, 3-6 floor in the shadow of a wall (above, left,
// both, corner), 7 wall, 8 wall with its front face (floor below), 9-10 the
// same decorated, 11-12 the barrier that only the through-walls power-up
// passes (top, with front face), 13 decorated floor, 14 floor plate.
#include "art.h"

namespace gen {

namespace {

enum Frame {
  kFloor = 0, kFloorB, kFloorC, kShadeTop, kShadeLeft, kShadeBoth, kShadeCorner,
  kWall, kWallFront, kWallDeco, kWallDecoFront, kGhost, kGhostFront, kFloorDeco, kPlate
};

constexpr float kTop = 20;  // where the front face of a wall begins

struct Theme {
  Col floor_a, floor_b;      // floor base, light and dark
  Col wall_light, wall, wall_dark;
  Col face, face_dark;       // front face of a wall
  Col accent;                // decorations
  Col glow;                  // glow of cracks, crystals and the like
};

Theme ThemeOf(int set) {
  switch (set) {
    case 1:  // glacier
      return {Rgb(92, 138, 188), Rgb(58, 94, 146), Rgb(232, 250, 255), Rgb(156, 214, 246), Rgb(62, 132, 194),
              Rgb(58, 122, 192), Rgb(24, 58, 118), Rgb(170, 240, 255), Rgb(255, 255, 255)};
    case 2:  // volcano
      return {Rgb(70, 60, 66), Rgb(40, 34, 40), Rgb(178, 116, 90), Rgb(118, 70, 56), Rgb(52, 28, 28),
              Rgb(56, 30, 30), Rgb(24, 12, 16), Rgb(255, 140, 40), Rgb(255, 214, 90)};
    case 3:  // desert ruins
      return {Rgb(232, 200, 140), Rgb(204, 168, 110), Rgb(246, 214, 160), Rgb(206, 156, 96), Rgb(140, 92, 52),
              Rgb(160, 104, 60), Rgb(96, 58, 34), Rgb(60, 150, 170), Rgb(255, 240, 190)};
    default:  // garden
      return {Rgb(142, 112, 78), Rgb(104, 80, 56), Rgb(150, 220, 96), Rgb(70, 158, 64), Rgb(22, 80, 40),
              Rgb(34, 96, 46), Rgb(14, 50, 28), Rgb(255, 240, 120), Rgb(255, 255, 220)};
  }
}

float N(float u, float v, float cell, uint32_t seed) {
  int period = int(32 / cell);
  return Noise(u / cell, v / cell, period, period, seed);
}
float F(float u, float v, float cell, uint32_t seed, int oct = 3) {
  int period = int(32 / cell);
  return Fbm(u / cell, v / cell, period, period, seed, oct);
}

// Distance to the nearest feature point of a jittered grid that repeats every
// 32 units, and that point's hash.
float Cells(float u, float v, float cell, uint32_t seed, uint32_t* id, V2* to_point = nullptr) {
  int n = int(32 / cell);
  int cx = int(std::floor(u / cell)), cy = int(std::floor(v / cell));
  float best = 1e9f;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      int gx = cx + dx, gy = cy + dy;
      uint32_t wx = uint32_t((gx % n + n) % n), wy = uint32_t((gy % n + n) % n);
      V2 pt{(float(gx) + 0.15f + 0.7f * Hash01(wx, wy, seed)) * cell,
            (float(gy) + 0.15f + 0.7f * Hash01(wx, wy, seed + 1)) * cell};
      float d = Len(pt - V2{u, v});
      if (d < best) {
        best = d;
        if (id) *id = Hash(wx, wy, seed + 2);
        if (to_point) *to_point = pt - V2{u, v};
      }
    }
  return best;
}

Col Floor(int set, const Theme& t, float u, float v) {
  switch (set) {
    case 1: {  // snow with wind ridges and glitter
      float ridge = N(u * 0.5f, v * 2.0f, 8, 41);
      Col c = Mix(t.floor_b, t.floor_a, Smooth(0.2f, 0.8f, F(u, v, 16, 40) * 0.6f + ridge * 0.4f));
      uint32_t id;
      float d = Cells(u, v, 4, 43, &id);
      if ((id & 7) == 0 && d < 0.7f) c = Mix(c, pal::kWhite, 0.9f);
      return c;
    }
    case 2: {  // basalt with faint warm seams
      Col c = Mix(t.floor_b, t.floor_a, F(u, v, 8, 50));
      c = Shade(c, (N(u, v, 2, 53) - 0.5f) * 0.15f);
      float n = std::fabs(N(u, v, 16, 51) * 0.65f + N(u, v, 8, 52) * 0.35f - 0.5f);
      c = Mix(c, Shade(t.floor_b, -0.45f), Smooth(0.035f, 0.01f, n) * 0.8f);
      c = Mix(c, Rgb(160, 64, 30), Smooth(0.015f, 0.0f, n) * 0.5f);
      return c;
    }
    case 3: {  // sandstone flags
      float fu = std::fmod(u, 16.f), fv = std::fmod(v + (std::fmod(u, 32.f) < 16 ? 0 : 8), 16.f);
      float gap = std::min(std::min(fu, 16 - fu), std::min(fv, 16 - fv));
      Col c = Mix(t.floor_b, t.floor_a, F(u, v, 8, 60));
      c = Mix(Shade(t.floor_b, -0.35f), c, Smooth(0.3f, 1.3f, gap));
      return c;
    }
    default: {  // packed earth with small pebbles
      Col c = Mix(t.floor_b, t.floor_a, F(u, v, 8, 30));
      c = Shade(c, (N(u, v, 2, 31) - 0.5f) * 0.12f);
      uint32_t id;
      V2 to;
      float d = Cells(u, v, 8, 32, &id, &to);
      if ((id & 7) == 0) {
        float r = 1.0f + float(id >> 8 & 3) * 0.3f;
        if (d < r) c = Mix(Rgb(186, 176, 160), Rgb(110, 98, 86), Clamp01(0.5f - to.y / r * 0.6f));
        else if (d < r + 0.8f && to.y < 0) c = Shade(c, -0.18f);
      }
      return c;
    }
  }
}

// Floor variants 1, 2 and the decorated floor: details over the base.
Col FloorDetail(int set, const Theme& t, int frame, float u, float v, Col c) {
  uint32_t seed = uint32_t(set * 100 + frame);
  if (frame == kFloorB) {
    switch (set) {
      case 0: {  // grass tufts
        for (int i = 0; i < 3; ++i) {
          V2 base{4 + 24 * Hash01(seed, uint32_t(i)), 8 + 20 * Hash01(seed, uint32_t(i), 1)};
          for (int b = -2; b <= 2; ++b) {
            V2 tip = base + V2{float(b) * 1.6f, -4.5f + std::fabs(float(b)) * 0.8f};
            if (SdSegment({u, v}, base, tip, 0.55f) < 0)
              return Mix(Rgb(60, 140, 50), Rgb(150, 210, 80), Clamp01((base.y - v) / 4));
          }
        }
        return c;
      }
      case 1: {  // cracks in the ice
        float n = std::fabs(N(u, v, 8, seed) - 0.5f);
        return Mix(c, Rgb(170, 214, 246), Smooth(0.03f, 0.0f, n) * 0.7f);
      }
      case 2: {  // glowing fissure
        float n = std::fabs(N(u, v, 16, seed) * 0.7f + N(u, v, 4, seed + 1) * 0.3f - 0.5f);
        float k = Smooth(0.045f, 0.0f, n);
        return Mix(Mix(c, Rgb(40, 10, 10), Smooth(0.09f, 0.04f, n)), Mix(t.accent, t.glow, k), k);
      }
      default: {  // cracked flag
        float n = std::fabs(N(u, v, 8, seed) - 0.5f);
        return Mix(c, Shade(t.floor_b, -0.4f), Smooth(0.03f, 0.0f, n));
      }
    }
  }
  if (frame == kFloorC) {
    switch (set) {
      case 0: {  // two stepping stones
        for (int i = 0; i < 2; ++i) {
          V2 sc{9 + 14 * float(i), 10 + 12 * float(i)};
          float d = SdEllipse({u, v}, sc, 5.2f - float(i), 3.8f - float(i) * 0.6f);
          if (d < 0) return Ball({u, v}, sc, 5.2f, 4.0f, Rgb(110, 104, 100), Rgb(170, 164, 154), Rgb(224, 220, 210));
          if (d < 1.0f && v > sc.y) return Shade(c, -0.25f);
        }
        return c;
      }
      case 1: {  // frost flowers
        V2 q{u - 16, v - 16};
        float ang = std::atan2(q.y, q.x), r = Len(q);
        float petal = 0.5f + 0.5f * std::cos(ang * 6);
        return Mix(c, pal::kWhite, Smooth(11, 4, r) * Smooth(0.2f, 0.9f, petal) * 0.55f);
      }
      case 2: {  // ash and embers
        uint32_t id;
        float d = Cells(u, v, 5.33f, seed, &id);
        if ((id & 3) == 0 && d < 0.9f) return Mix(t.accent, t.glow, 0.5f);
        return Mix(c, Rgb(120, 110, 110), Smooth(0.5f, 0.75f, F(u, v, 8, seed)) * 0.4f);
      }
      default: {  // sand drift
        float n = F(u, v, 16, seed);
        return Mix(c, Rgb(244, 220, 170), Smooth(0.5f, 0.7f, n) * 0.8f);
      }
    }
  }
  // Decorated floor.
  switch (set) {
    case 0: {  // flowers
      const V2 fl[3] = {{9, 10}, {22, 14}, {13, 23}};
      const Col petals[3] = {Rgb(255, 250, 250), Rgb(255, 210, 60), Rgb(255, 140, 180)};
      for (int i = 0; i < 3; ++i) {
        V2 q = V2{u, v} - fl[i];
        if (Len(q) < 1.4f) return Rgb(255, 190, 40);
        float ang = std::atan2(q.y, q.x);
        float r = 2.0f + 1.4f * std::fabs(std::cos(ang * 2.5f));
        if (Len(q) < r) return Shade(petals[i], -Clamp01(q.y / 4) * 0.3f);
        if (SdSegment({u, v}, fl[i] + V2{0, 2}, fl[i] + V2{0.5f, 6}, 0.5f) < 0) return Rgb(60, 140, 50);
      }
      return c;
    }
    case 1: {  // small crystal shards lying flat
      const V2 sh[3] = {{10, 12}, {20, 9}, {18, 22}};
      for (int i = 0; i < 3; ++i) {
        V2 q = Rot(V2{u, v} - sh[i], 0.6f * float(i) - 0.4f);
        float d = std::fabs(q.x) * 2.2f + std::fabs(q.y) - 3.2f;
        if (d < 0) return Mix(Rgb(180, 240, 255), Rgb(90, 170, 230), Clamp01(q.x * 0.5f + 0.5f));
      }
      return c;
    }
    case 2: {  // glowing vent
      V2 q{u - 16, v - 17};
      float d = SdEllipse(q, {0, 0}, 7, 5);
      if (d < 0) {
        float k = Clamp01(-d / 4);
        return Mix(t.accent, t.glow, k);
      }
      if (d < 2.2f) return Mix(Rgb(30, 14, 14), c, d / 2.2f);
      return c;
    }
    default: {  // inlaid star
      V2 q{u - 16, v - 16};
      float ang = std::atan2(q.y, q.x), r = Len(q);
      float star = 5 + 4 * std::pow(std::fabs(std::cos(ang * 2)), 3.f);
      if (r < star) return Mix(t.accent, Shade(t.accent, -0.4f), Clamp01(r / star));
      return c;
    }
  }
}

// Darkening of a floor point by walls above and to the left.
float FloorShade(int frame, float u, float v) {
  float top = (frame == kShadeTop || frame == kShadeBoth) ? 1 - Smooth(0, 10, v) : 0;
  float left = (frame == kShadeLeft || frame == kShadeBoth) ? 1 - Smooth(0, 7, u) : 0;
  float corner = frame == kShadeCorner ? (1 - Smooth(0, 9, Len({u, v}))) : 0;
  return std::max({top * 0.5f, left * 0.4f, corner * 0.4f});
}

// Top surface of a wall block; h is where the surface ends (32 or kTop).
Col WallTop(int set, const Theme& t, float u, float v, float h, bool deco) {
  // Bevel: distance to the block's edge, with light from the top left.
  float d = std::min({u, v, 32 - u, h - v});
  Col c;
  switch (set) {
    case 0: {  // hedge: clumps of leaves
      uint32_t id;
      V2 to;
      float leaf = Cells(u, v, 4, 70, &id, &to);
      float puff = Smooth(0, 9, d);
      c = Mix(t.wall_dark, t.wall, 0.35f + 0.65f * puff);
      float hl = Clamp01(0.5f - to.y * 0.25f - to.x * 0.15f);
      c = Mix(c, t.wall_light, hl * Smooth(2.6f, 0.5f, leaf) * (0.3f + 0.5f * puff));
      c = Mix(c, t.wall_dark, Smooth(1.2f, 2.8f, leaf) * 0.25f);
      if (deco) {  // berries
        uint32_t bid;
        float b = Cells(u, v, 8, 71, &bid);
        if ((bid & 1) == 0 && b < 1.4f) c = Mix(Rgb(240, 60, 80), Rgb(255, 190, 190), Clamp01(0.9f - b));
      }
      break;
    }
    case 1: {  // ice block
      c = Mix(t.wall, t.wall_light, Clamp01(1 - (u + v) / 48) * 0.8f);
      float streak = std::fabs(std::sin((u - v) * 0.21f + 1.0f));
      c = Mix(c, pal::kWhite, Smooth(0.93f, 1.0f, streak) * 0.5f);
      float n = std::fabs(N(u, v, 8, 80) - 0.5f);
      c = Mix(c, t.wall_dark, Smooth(0.03f, 0.0f, n) * 0.35f);
      if (deco) {
        V2 q = V2{u, v} - V2{16, h * 0.5f};
        float dd = std::fabs(q.x) * 1.8f + std::fabs(q.y) - 6;
        if (dd < 0) c = Mix(Rgb(170, 120, 255), Rgb(240, 220, 255), Clamp01(-q.x * 0.2f + 0.4f));
      }
      break;
    }
    case 2: {  // volcanic rock
      c = Mix(t.wall_dark, t.wall, F(u, v, 8, 90, 4) * 1.2f);
      c = Mix(c, t.wall_light, Smooth(0.62f, 0.8f, F(u, v, 8, 91)) * 0.5f);
      if (deco) {
        float n = std::fabs(N(u, v, 16, 92) * 0.7f + N(u, v, 4, 93) * 0.3f - 0.5f);
        float k = Smooth(0.05f, 0.0f, n);
        c = Mix(Mix(c, Rgb(30, 8, 8), Smooth(0.1f, 0.05f, n)), Mix(t.accent, t.glow, k), k);
      }
      break;
    }
    default: {  // sandstone blocks
      c = Mix(t.wall, t.wall_light, F(u, v, 8, 100) * 0.7f);
      float mortar = std::fabs(v - h * 0.5f);
      c = Mix(Shade(t.wall_dark, 0.1f), c, Smooth(0.4f, 1.2f, mortar));
      if (deco) {
        V2 q{u - 16, v - h * 0.5f};
        if (Len(q) < 5 && Len(q) > 3) c = t.accent;
      }
      break;
    }
  }
  // Bevel: lighter on the lit edges, darker on the others.
  float bevel = Smooth(3.0f, 0.0f, d);
  bool lit_edge = (d == u || d == v);
  c = Mix(c, lit_edge ? Shade(t.wall_light, 0.2f) : t.wall_dark, bevel * (lit_edge ? 0.55f : 0.6f));
  // Dark seam at the very edge.
  c = Mix(c, Shade(t.wall_dark, -0.4f), Smooth(0.9f, 0.0f, d) * 0.7f);
  return c;
}

// Front face of a wall, from kTop to the bottom of the cell.
Col WallFace(int set, const Theme& t, float u, float v, bool deco) {
  float k = (v - kTop) / (32 - kTop);  // 0 at the top edge, 1 at the ground
  Col c;
  switch (set) {
    case 0: {
      uint32_t id;
      V2 to;
      float leaf = Cells(u, v, 3.2f, 74, &id, &to);
      c = Mix(t.face, t.face_dark, k * 0.7f);
      c = Mix(c, Shade(t.face, 0.25f), Smooth(2.0f, 0.4f, leaf) * Clamp01(0.5f - to.y * 0.3f) * 0.6f);
      if (deco) {
        V2 fc{10, 25}, fc2{23, 27};
        if (Len(V2{u, v} - fc) < 2.0f || Len(V2{u, v} - fc2) < 1.7f) c = Rgb(255, 220, 90);
      }
      break;
    }
    case 1: {
      float stria = N(u * 1.0f, v * 0.1f, 2, 84);
      c = Mix(t.face, t.face_dark, k * 0.6f);
      c = Mix(c, Shade(t.face, 0.35f), Smooth(0.6f, 0.9f, stria) * 0.5f);
      if (deco) {
        // Icicles hanging from the top edge.
        for (int i = 0; i < 4; ++i) {
          float x = 5 + float(i) * 7.3f, len = 5 + float((i * 5) % 4) * 2;
          if (std::fabs(u - x) < 1.6f * (1 - (v - kTop) / len) && v - kTop < len)
            c = Mix(pal::kWhite, Rgb(170, 220, 255), (v - kTop) / len);
        }
      }
      break;
    }
    case 2: {
      float strata = N(u * 0.2f, v * 1.2f, 4, 94);
      c = Mix(t.face, t.face_dark, k * 0.5f);
      c = Mix(c, Shade(t.face, 0.3f), Smooth(0.55f, 0.85f, strata) * 0.5f);
      if (deco) {
        // A trickle of lava.
        float x = 16 + 1.5f * std::sin(v * 0.6f);
        float w = 2.2f - k;
        if (std::fabs(u - x) < w) c = Mix(t.glow, t.accent, Clamp01(std::fabs(u - x) / w));
        else if (std::fabs(u - x) < w + 2) c = Mix(c, t.accent, 0.3f);
      }
      break;
    }
    default: {
      float brick = std::fmod(u + (v > 26 ? 8.f : 0.f), 16.f);
      c = Mix(t.face, t.face_dark, k * 0.5f);
      if (brick < 1 || std::fabs(v - 26) < 0.6f) c = Shade(t.face_dark, -0.2f);
      if (deco && std::fabs(u - 16) < 4 && std::fabs(v - 26) < 3) c = t.accent;
      break;
    }
  }
  // Light rim along the top edge, contact shadow at the ground.
  c = Mix(c, Shade(t.wall_light, 0.3f), Smooth(1.6f, 0.0f, v - kTop) * 0.7f);
  c = Mix(c, Shade(t.face_dark, -0.5f), Smooth(29.5f, 32.0f, v) * 0.8f);
  return c;
}

Col TileColour(int set, int frame, float u, float v) {
  const Theme t = ThemeOf(set);
  switch (frame) {
    case kWall:
    case kWallDeco:
      return WallTop(set, t, u, v, 32, frame == kWallDeco);
    case kWallFront:
    case kWallDecoFront:
      return v < kTop ? WallTop(set, t, u, v, kTop, frame == kWallDecoFront)
                      : WallFace(set, t, u, v, frame == kWallDecoFront);
    case kGhost:
    case kGhostFront: {
      // A see-through block: the floor shows through a tinted ghost of the
      // wall, edged with a glowing dashed rim and crossed by shimmer lines.
      const Col glow = Rgb(214, 140, 255);
      Col floor = Floor(set, t, u, v);
      float h = frame == kGhostFront ? kTop : 32;
      Col wall = v < h ? WallTop(set, t, u, v, h, false) : WallFace(set, t, u, v, false);
      Col c = Mix(floor, wall, 0.45f);
      c = Mix(c, Rgb(120, 60, 200), 0.28f);
      float shimmer = std::fabs(std::sin((u + v) * 0.35f));
      c = Mix(c, glow, Smooth(0.9f, 1.0f, shimmer) * 0.45f);
      float d = std::min({u, v, 32 - u, 32 - v});
      bool dash = std::fmod(u + v + 2, 8.f) < 5;
      float rim = Smooth(1.6f, 0.6f, std::fabs(d - 2.2f));
      c = Mix(c, Mix(glow, pal::kWhite, 0.3f), rim * (dash ? 0.95f : 0.35f));
      if (frame == kGhostFront) c = Mix(c, glow, Smooth(1.2f, 0.0f, std::fabs(v - kTop)) * 0.6f);
      return c;
    }
    case kPlate: {
      Col c = Floor(set, t, u, v);
      V2 q{u - 16, v - 16};
      float r = Len(q);
      float slab = SdBox({u, v}, {16, 16}, 13, 13, 4);
      if (slab < 0) {
        Col stone = Mix(Shade(t.floor_a, 0.15f), Shade(t.floor_b, -0.05f), Clamp01((u + v) / 64));
        stone = Mix(stone, Shade(t.floor_b, -0.35f), Smooth(1.8f, 0.2f, std::fabs(r - 9)));
        stone = Mix(stone, t.accent, Smooth(1.0f, 0.0f, std::fabs(r - 9)) * 0.6f);
        float ang = std::atan2(q.y, q.x);
        if (r < 6 && std::fabs(std::sin(ang * 4)) < 0.18f && r > 2) stone = Shade(t.floor_b, -0.3f);
        c = Mix(stone, Shade(stone, -0.35f), Smooth(-1.5f, 0.0f, slab));
      } else if (slab < 1.5f) {
        c = Shade(c, -0.35f);
      }
      return c;
    }
    default: {
      Col c = Floor(set, t, u, v);
      if (frame == kFloorB || frame == kFloorC || frame == kFloorDeco) c = FloorDetail(set, t, frame, u, v, c);
      return c * (1 - FloorShade(frame, u, v));
    }
  }
}

}  // namespace

void PaintTile(Canvas& cv, int x, int y, float scale, int set, int frame) {
  int n = int(std::lround(32 * scale));
  int ss = scale < 1.5f ? 3 : 2;
  for (int py = 0; py < n; ++py)
    for (int px = 0; px < n; ++px) {
      Col acc{};
      for (int sy = 0; sy < ss; ++sy)
        for (int sx = 0; sx < ss; ++sx) {
          float u = (px + (sx + 0.5f) / ss) / scale, v = (py + (sy + 0.5f) / ss) / scale;
          acc = acc + TileColour(set, frame, u, v);
        }
      acc = acc * (1.f / float(ss * ss));
      if (cv.In(x + px, y + py)) cv.At(x + px, y + py) = {acc.r, acc.g, acc.b, 1};
    }
}

Canvas TileSheet() {
  Canvas sheet(32 * kTilesPerSet, 32 * kTileSets);
  for (int s = 0; s < kTileSets; ++s)
    for (int f = 0; f < kTilesPerSet; ++f) PaintTile(sheet, f * 32, s * 32, 1, s, f);
  return sheet;
}

namespace {

// Background texture of frame f at (x, y) in a 64 x 38 tile (repeating).
Col BackgroundColour(int f, float x, float y) {
  auto noise = [&](float, int px, int py, uint32_t seed, int oct) {
    return Fbm(x / (64.f / px), y / (38.f / py), px, py, seed, oct);
  };
  switch (f) {
    case 1: {  // deep ice with drifting snow
      float n = noise(0, 4, 2, 200, 4);
      Col c = Mix(Rgb(14, 34, 70), Rgb(34, 74, 122), n);
      float crack = std::fabs(Fbm(x / 16, y / 9.5f, 4, 4, 201, 2) - 0.5f);
      c = Mix(c, Rgb(90, 150, 210), Smooth(0.02f, 0.0f, crack) * 0.6f);
      uint32_t h = Hash(uint32_t(x), uint32_t(y), 202);
      if ((h & 63) == 0) c = Mix(c, pal::kWhite, 0.6f);
      return c;
    }
    case 2: {  // cooling lava crust
      int nx = 4, ny = 3;
      float cw = 64.f / nx, ch = 38.f / ny;
      int cx = int(std::floor(x / cw)), cy = int(std::floor(y / ch));
      float d1 = 1e9f, d2 = 1e9f;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int gx = cx + dx, gy = cy + dy;
          uint32_t wx = uint32_t((gx % nx + nx) % nx), wy = uint32_t((gy % ny + ny) % ny);
          V2 pt{(float(gx) + 0.2f + 0.6f * Hash01(wx, wy, 210)) * cw,
                (float(gy) + 0.2f + 0.6f * Hash01(wx, wy, 211)) * ch};
          float d = Len(pt - V2{x, y});
          if (d < d1) {
            d2 = d1;
            d1 = d;
          } else if (d < d2) {
            d2 = d;
          }
        }
      float seam = d2 - d1;
      Col crust = Mix(Rgb(22, 12, 14), Rgb(50, 26, 26), noise(0, 8, 4, 212, 3));
      Col lava = Mix(Rgb(200, 50, 16), Rgb(255, 170, 60), Smooth(0.8f, 0.0f, seam));
      crust = Mix(crust, Rgb(110, 30, 14), Smooth(4.0f, 1.5f, seam) * 0.6f);
      return Mix(crust, lava, Smooth(1.6f, 0.4f, seam));
    }
    default: {  // grass
      float n = noise(0, 4, 2, 220, 4);
      Col c = Mix(Rgb(20, 62, 30), Rgb(46, 110, 44), n);
      // Blades: short strokes from a repeating scatter.
      for (int i = 0; i < 70; ++i) {
        float bx = 64 * Hash01(uint32_t(i), 221), by = 38 * Hash01(uint32_t(i), 222);
        float lean = (Hash01(uint32_t(i), 223) - 0.5f) * 3;
        for (int wx = -1; wx <= 1; ++wx)
          for (int wy = -1; wy <= 1; ++wy) {
            V2 b{bx + 64.f * float(wx), by + 38.f * float(wy)};
            if (SdSegment({x, y}, b, b + V2{lean, -5}, 0.5f) < 0)
              c = Mix(Rgb(40, 110, 40), Rgb(110, 180, 70), Clamp01((b.y - y) / 5));
          }
      }
      uint32_t h = Hash(uint32_t(x), uint32_t(y), 224);
      if ((h & 255) == 0) c = Rgb(250, 240, 160);
      return c;
    }
  }
}

}  // namespace

Canvas Backgrounds() {
  Canvas out(192, 38);
  for (int f = 0; f < 3; ++f)
    for (int y = 0; y < 38; ++y)
      for (int x = 0; x < 64; ++x) {
        Col acc{};
        for (int s = 0; s < 4; ++s) acc = acc + BackgroundColour(f, x + (s % 2 + 0.5f) / 2, y + (s / 2 + 0.5f) / 2);
        acc = acc * 0.25f;
        out.At(f * 64 + x, y) = {acc.r, acc.g, acc.b, 1};
      }
  return out;
}

Canvas ChooseSheet(const TextRenderer& tr) {
  const char* names[3] = {"Garden", "Glacier", "Volcano"};
  Canvas out(264, 42);
  for (int s = 0; s < 3; ++s) {
    Canvas cell(88 * 2, 42 * 2);
    // Floor and a few walls drawn at double size, then reduced.
    const int layout[3][6] = {{7, 8, 0, 0, 8, 7}, {8, 0, 13, 0, 0, 8}, {0, 0, 11, 0, 14, 0}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 6; ++c) PaintTile(cell, c * 32 - 4, r * 32 - 10, 1, s, layout[r][c]);
    Canvas small = Downscale(cell, 2);
    // Darken towards the label.
    for (int y = 0; y < 42; ++y)
      for (int x = 0; x < 88; ++x) {
        Px& p = small.At(x, y);
        float k = 1 - 0.35f * Smooth(8, 30, float(y));
        p.r *= k, p.g *= k, p.b *= k;
      }
    OutlinedText(small, tr, names[s], 20, 44, 16, pal::kWhite, pal::kInk, 2.0f, 0.6f);
    // Frame.
    for (int y = 0; y < 42; ++y)
      for (int x = 0; x < 88; ++x) {
        int d = std::min({x, y, 87 - x, 41 - y});
        if (d == 0) small.At(x, y) = {pal::kInk.r, pal::kInk.g, pal::kInk.b, 1};
        else if (d == 1) {
          Col c = pal::kPanelEdge;
          small.At(x, y) = {c.r, c.g, c.b, 1};
        }
      }
    out.Blit(small, s * 88, 0);
  }
  return out;
}

}  // namespace gen
