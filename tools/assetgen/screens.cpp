// The two large pictures: the start screen and the results screen's picture.
#include "art.h"
#include "levels.h"

namespace gen {

namespace {

// Light added around a point, falling off with distance (a glow).
void Glow(Canvas& cv, V2 c, float radius, Col col, float strength) {
  int x0 = std::max(0, int(c.x - radius)), x1 = std::min(cv.w() - 1, int(c.x + radius));
  int y0 = std::max(0, int(c.y - radius)), y1 = std::min(cv.h() - 1, int(c.y + radius));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = Len(V2{x + 0.5f, y + 0.5f} - c) / radius;
      if (d >= 1) continue;
      float k = (1 - d) * (1 - d) * strength;
      Px& p = cv.At(x, y);
      p.r = std::min(1.f, p.r + col.r * k);
      p.g = std::min(1.f, p.g + col.g * k);
      p.b = std::min(1.f, p.b + col.b * k);
    }
}

void Stars(Canvas& cv, int y1, uint32_t seed, int count) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    float x = rng.Range(0, float(cv.w())), y = rng.Range(0, float(y1));
    float r = rng.Range(0.5f, 1.4f), a = rng.Range(0.4f, 1.0f);
    FillShape(cv, View{}, {x - 3, y - 3, x + 3, y + 3}, [=](V2 p) { return SdCircle(p, {x, y}, r); },
              [=](V2) { return Paint{Rgb(255, 250, 230), a}; }, 3);
    if (r > 1.2f) Glow(cv, {x, y}, 6, Rgb(180, 190, 255), 0.25f);
  }
}

// Title letters: gold gradient, light top edge, thick ink outline and a shadow.
void Title(Canvas& cv, const TextRenderer& tr, const std::string& text, int size, float cx, int y) {
  const float bold = size * 0.05f;
  const int pad = int(size * 0.12f) + 4;
  Canvas m = tr.Mask(text, size, bold, pad);
  int w = tr.Width(text, size, bold);
  int x = int(std::lround(cx - w / 2.f)) - pad;
  Canvas ring = Dilate(m, size * 0.055f);
  Canvas shadow = Shadow(ring, int(size * 0.03f), int(size * 0.05f), int(size * 0.03f) + 1, 0.8f);
  cv.Blit(shadow, x, y - pad);
  DrawMask(cv, ring, x, y - pad, pal::kInk);
  float top = float(pad) + size * 0.12f, bottom = float(pad) + size * 0.82f;
  DrawMask(cv, m, x, y - pad, [&](int, int my) {
    float t = Clamp01((float(my) - top) / (bottom - top));
    Col c = t < 0.5f ? Mix(Rgb(255, 246, 190), Rgb(255, 206, 70), t * 2)
                     : Mix(Rgb(255, 206, 70), Rgb(226, 120, 24), (t - 0.5f) * 2);
    // A thin light band just above the middle, like polished metal.
    c = Mix(c, Rgb(255, 252, 230), Smooth(0.06f, 0.0f, std::fabs(t - 0.42f)) * 0.7f);
    return c;
  });
}

}  // namespace

Canvas StartScreen(const TextRenderer& tr) {
  Canvas cv(700, 540);
  // The garden maze at twice its size as the backdrop.
  auto frames = TileFrames(FirstLevel(), 11);
  const int c0 = 13, r0 = 0;
  Canvas bg(700, 540);
  bg.Fill(Rgb(20, 60, 30));
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 11; ++c) {
      int f = frames[size_t(r0 + r)][size_t(c0 + c)];
      if (f >= 0) PaintTile(bg, c * 64 - 8, r * 64 - 20, 2, 0, f);
    }
  // Darken, cool the shadows and vignette so the figures and title stand out.
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 700; ++x) {
      Px& p = bg.At(x, y);
      float vx = (x - 350) / 380.f, vy = (y - 300) / 330.f;
      float vig = Clamp01(1 - (vx * vx + vy * vy) * 0.7f);
      float k = 0.42f + 0.35f * vig;
      Col c = Mix(p.rgb() * k, Rgb(20, 16, 60) * 0.8f, 0.18f);
      float top = Smooth(240, 0, float(y)) * 0.55f;
      float bottom = Smooth(420, 540, float(y)) * 0.8f;
      c = Mix(c, Rgb(10, 8, 28), std::max(top, bottom));
      p = {c.r, c.g, c.b, 1};
    }
  cv.Blit(bg, 0, 0);
  Stars(cv, 150, 3, 40);

  // Glows behind the treasure, then the treasure and the figures.
  Glow(cv, {408, 452}, 90, Rgb(60, 120, 255), 0.6f);
  DrawBig(cv, 372, 424, 2.8f, 26, 21, [](Canvas& c, const View& v) { PaintHole(c, v, 0); }, 1, false);
  const struct {
    float x, y, s;
    int colour;
  } gems[] = {{300, 318, 2.2f, 0}, {548, 300, 1.8f, 1}, {236, 412, 2.0f, 2},
              {612, 420, 2.0f, 0}, {458, 372, 1.6f, 2}, {28, 396, 1.7f, 1}};
  for (const auto& g : gems) {
    Col gc = GemRamp(g.colour).light;
    Glow(cv, {g.x + 15 * g.s, g.y + 15 * g.s}, 26 * g.s, gc, 0.35f);
    DrawBig(cv, g.x, g.y, g.s, 30, 30, [c = g.colour](Canvas& cc, const View& v) { PaintGem(cc, v, c); });
  }
  DrawBig(cv, 560, 176, 3.4f, 30, 30, [](Canvas& c, const View& v) { PaintBlobb(c, v, 0.2f); });
  DrawBig(cv, 456, 250, 3.0f, 30, 30, [](Canvas& c, const View& v) { PaintBlobb(c, v, 0.65f); });
  // The hero, walking to the right.
  DrawBig(cv, 96, 232, 5.6f, 24, 25, [](Canvas& c, const View& v) {
    Canvas tmp(c.w(), c.h());
    PaintZarn(tmp, v, Dir::kLeft, 0.15f);
    c.Blit(Mirror(tmp), 0, 0);
  });

  Title(cv, tr, "ZARN", 190, 350, 6);
  OutlinedText(cv, tr, "The Diamond Maze", 40, 350, 196, Rgb(236, 244, 255), pal::kInk, 3.0f, 1.0f);
  return cv;
}

Canvas AppIcon(int size) {
  // Laid out in 64 units whatever the size, so every size shows the same picture
  // drawn at its own resolution rather than scaled from another.
  const float k = float(size) / 64.f;
  const View view{0, 0, k};
  // Garden floor, two by two tiles, lit around the diamond.
  Canvas floor(size, size);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      PaintTile(floor, int(std::lround(c * 32 * k)), int(std::lround(r * 32 * k)), k, 0, r == c ? 0 : 13);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Px& p = floor.At(x, y);
      const float vx = (x + 0.5f) / size - 0.5f, vy = (y + 0.5f) / size - 0.5f;
      const Col c = p.rgb() * (0.95f - 0.9f * (vx * vx + vy * vy));
      p = {c.r, c.g, c.b, 1};
    }
  Glow(floor, V2{47, 46} * k, 20 * k, GemRamp(0).light, 0.5f);

  Canvas cv(size, size);
  // A rounded plate: gold rim, the floor inside.
  FillShape(cv, view, {0, 0, 64, 64}, [](V2 p) { return SdBox(p, {32, 32}, 31, 31, 12); },
            [](V2 p) { return Paint{Mix(pal::kPanelEdge, Shade(pal::kPanelEdge, -0.45f), Smooth(0, 64, p.y)), 1}; },
            3);
  FillShape(cv, view, {0, 0, 64, 64}, [](V2 p) { return SdBox(p, {32, 32}, 28, 28, 9.5f); },
            [&](V2 p) {
              const int x = std::clamp(int(p.x * k), 0, size - 1), y = std::clamp(int(p.y * k), 0, size - 1);
              return Paint{floor.At(x, y).rgb(), 1};
            },
            3);
  // A blue diamond and the player figure beside it, facing the viewer.
  DrawBig(cv, 33 * k, 32 * k, 0.95f * k, 30, 30, [](Canvas& c, const View& v) { PaintGem(c, v, 0); });
  DrawBig(cv, 7 * k, 9 * k, 1.75f * k, 24, 25, [](Canvas& c, const View& v) { PaintZarn(c, v, Dir::kDown, 0); });
  return cv;
}

Canvas EndPicture() {
  Canvas cv(297, 540);
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 297; ++x) {
      float t = float(y) / 540;
      Col c = Mix(Rgb(46, 34, 100), Rgb(12, 10, 30), Smooth(0, 1, t));
      cv.At(x, y) = {c.r, c.g, c.b, 1};
    }
  Stars(cv, 300, 9, 50);
  Glow(cv, {148, 190}, 170, Rgb(255, 200, 90), 0.45f);

  // Confetti in the three diamond colours.
  Rng rng(21);
  for (int i = 0; i < 46; ++i) {
    V2 c{rng.Range(6, 291), rng.Range(10, 380)};
    float ang = rng.Range(0, kPi);
    Col col = GemRamp(i % 3).light;
    FillShape(cv, View{}, {c.x - 5, c.y - 5, c.x + 5, c.y + 5}, [=](V2 p) {
      V2 q = Rot(p - c, ang);
      return SdBox(q, {0, 0}, 3.2f, 1.3f, 0.4f);
    }, [=](V2) { return Paint{col, 0.9f}; }, 3);
  }

  // The trophy.
  const float cx = 148;
  auto metal = [=](V2 p, float half) {
    float t = Clamp01((p.x - (cx - half)) / (2 * half));
    float band = std::sin(t * kPi * 1.6f + 0.6f);
    Col c = Mix(Rgb(176, 110, 26), Rgb(255, 226, 120), Clamp01(band * 0.6f + 0.45f));
    c = Mix(c, Rgb(255, 250, 220), Smooth(0.12f, 0.0f, std::fabs(t - 0.3f)) * 0.7f);
    return Paint{c, 1};
  };
  auto cup = [=](V2 p) {
    float bowl = Inter(SdEllipse(p, {cx, 118}, 66, 112), -(p.y - 118));
    float rim = SdEllipse(p, {cx, 118}, 68, 12);
    return Union(bowl, rim);
  };
  auto handles = [=](V2 p) {
    float l = std::fabs(SdEllipse(p, {cx - 66, 160}, 24, 32)) - 6;
    float r = std::fabs(SdEllipse(p, {cx + 66, 160}, 24, 32)) - 6;
    return Inter(Union(l, r), -(SdEllipse(p, {cx, 150}, 60, 100)));
  };
  auto stand = [=](V2 p) {
    return Union(Union(SdBox(p, {cx, 252}, 11, 26), SdEllipse(p, {cx, 228}, 26, 9)),
                 Union(SdBox(p, {cx, 290}, 44, 14, 5), SdBox(p, {cx, 314}, 58, 12, 4)));
  };
  Canvas trophy(297, 540);
  View v;
  Box all{0, 0, 297, 540};
  FillShape(trophy, v, all, handles, [&](V2 p) { return metal(p, 92); }, 3);
  FillShape(trophy, v, all, stand, [&](V2 p) {
    Paint m = metal(p, 58);
    if (p.y > 302) m.c = Mix(Rgb(60, 40, 70), Rgb(110, 80, 120), Clamp01((p.x - 90) / 116));
    return m;
  }, 3);
  FillShape(trophy, v, all, cup, [&](V2 p) { return metal(p, 66); }, 3);
  // Inside of the rim.
  FillShape(trophy, v, all, [=](V2 p) { return SdEllipse(p, {cx, 118}, 60, 8); },
            [](V2 p) { return Paint{Mix(Rgb(120, 70, 16), Rgb(200, 140, 50), Clamp01((p.y - 110) / 16)), 1}; }, 3);
  // A star on the cup.
  std::vector<V2> star;
  for (int i = 0; i < 10; ++i) {
    float r = i % 2 ? 11.f : 26.f;
    star.push_back(V2{cx, 170} + Rot({0, -r}, float(i) * kPi / 5));
  }
  FillShape(trophy, v, all, [&](V2 p) { return SdPolygon(p, star) - 1.5f; },
            [](V2) { return Paint{pal::kInk, 1}; }, 3);
  FillShape(trophy, v, all, [&](V2 p) { return SdPolygon(p, star); }, [=](V2 p) {
    return Paint{p.x < cx ? Rgb(255, 120, 110) : Rgb(220, 40, 60), 1};
  }, 3);
  Canvas ring = Dilate(trophy, 2.5f);
  Canvas outlined(297, 540);
  DrawMask(outlined, ring, 0, 0, pal::kInk);
  outlined.Blit(trophy, 0, 0);
  cv.Blit(Shadow(outlined, 5, 8, 5, 0.6f), 0, 0);
  cv.Blit(outlined, 0, 0);

  // Diamonds piled at the foot of the trophy, and the cheering hero.
  const struct {
    float x, y, s;
    int colour;
  } pile[] = {{34, 300, 1.5f, 2}, {64, 318, 1.6f, 0}, {206, 312, 1.5f, 1},
              {230, 296, 1.3f, 0}, {98, 330, 1.4f, 1}, {170, 332, 1.4f, 2}};
  for (const auto& g : pile)
    DrawBig(cv, g.x, g.y, g.s, 30, 30, [c = g.colour](Canvas& cc, const View& vv) { PaintGem(cc, vv, c); });
  DrawBig(cv, 98, 342, 4.0f, 24, 25, [](Canvas& c, const View& vv) { PaintZarn(c, vv, Dir::kDown, 0, true); });

  // A calm, dark floor below for the key texts drawn there.
  for (int y = 440; y < 540; ++y)
    for (int x = 0; x < 297; ++x) {
      Px& p = cv.At(x, y);
      float k = Smooth(440, 470, float(y)) * 0.8f;
      Col c = Mix(p.rgb(), Rgb(10, 8, 24), k);
      p = {c.r, c.g, c.b, 1};
    }
  return cv;
}

}  // namespace gen
