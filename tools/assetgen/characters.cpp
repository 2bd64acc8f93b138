// The moving and lying things of the maze: the player figure, the Blobbs,
// the diamonds, the holes and the power-up tokens.
#include <cstdio>

#include "art.h"

namespace gen {

namespace {

int Samples(const View& v) { return v.s < 2 ? 4 : 2; }

// Fills a shape with a flat colour or a shader, with the sample count that
// suits the view's scale.
struct Painter {
  Canvas& cv;
  const View& v;
  void operator()(Box b, const Sdf& s, const Shader& sh) const { FillShape(cv, v, b, s, sh, Samples(v)); }
  void operator()(Box b, const Sdf& s, Col c) const { FillShape(cv, v, b, s, c, Samples(v)); }
};

Box Around(V2 c, float rx, float ry) { return {c.x - rx - 1, c.y - ry - 1, c.x + rx + 1, c.y + ry + 1}; }

Box Bounds(const std::vector<V2>& pts, float pad = 1) {
  Box b{1e9f, 1e9f, -1e9f, -1e9f};
  for (V2 p : pts) {
    b.x0 = std::min(b.x0, p.x - pad);
    b.y0 = std::min(b.y0, p.y - pad);
    b.x1 = std::max(b.x1, p.x + pad);
    b.y1 = std::max(b.y1, p.y + pad);
  }
  return b;
}

const Col kFurDark = Rgb(168, 62, 26);
const Col kFur = Rgb(238, 128, 34);
const Col kFurLight = Rgb(255, 200, 96);
const Col kBelly = Rgb(255, 232, 182);
const Col kFoot = Rgb(104, 52, 34);
const Col kEar = Rgb(255, 150, 150);
const Col kPupil = Rgb(34, 22, 54);

void Eye(const Painter& fill, V2 c, float rx, float ry, V2 look, float lid = 0) {
  fill(Around(c, rx, ry), [=](V2 p) { return SdEllipse(p, c, rx, ry); }, [=](V2 p) {
    float t = Clamp01((p.y - c.y) / ry * 0.5f + 0.5f);
    return Paint{Mix(pal::kWhite, Rgb(200, 206, 230), t * 0.7f), 1};
  });
  V2 pc = c + look;
  float prx = rx * 0.6f, pry = ry * 0.66f;
  fill(Around(pc, prx, pry),
       [=](V2 p) { return Inter(SdEllipse(p, pc, prx, pry), SdEllipse(p, c, rx, ry)); }, kPupil);
  V2 hc = pc + V2{-prx * 0.35f, -pry * 0.4f};
  float hr = std::max(0.45f, rx * 0.24f);
  fill(Around(hc, hr, hr), [=](V2 p) { return SdCircle(p, hc, hr); }, pal::kWhite);
  if (lid > 0) {
    // Upper lid: fur colour over the top of the eye.
    fill(Around(c, rx + 0.3f, ry + 0.3f), [=](V2 p) {
      return Inter(SdEllipse(p, c, rx + 0.3f, ry + 0.3f), p.y - (c.y - ry + 2 * ry * lid));
    }, kFur);
  }
}

}  // namespace

Ramp GemRamp(int colour) {
  switch (colour) {
    case 1:
      return {Rgb(226, 255, 226), Rgb(120, 240, 140), Rgb(40, 196, 84), Rgb(16, 126, 60), Rgb(8, 70, 40)};
    case 2:
      return {Rgb(255, 228, 224), Rgb(255, 120, 120), Rgb(232, 40, 56), Rgb(150, 16, 40), Rgb(84, 8, 30)};
    default:
      return {Rgb(224, 240, 255), Rgb(120, 196, 255), Rgb(44, 124, 248), Rgb(24, 64, 190), Rgb(14, 30, 110)};
  }
}

Col Ball(V2 p, V2 c, float rx, float ry, Col dark, Col mid, Col light) {
  float nx = (p.x - c.x) / rx, ny = (p.y - c.y) / ry;
  float nz = std::sqrt(std::max(0.f, 1 - nx * nx - ny * ny));
  float l = -0.42f * nx - 0.52f * ny + 0.74f * nz;  // light from top left
  Col col = l > 0.45f ? Mix(mid, light, Smooth(0.45f, 1.0f, l)) : Mix(dark, mid, Smooth(-0.2f, 0.45f, l));
  // A little bounce light along the lower right rim.
  float rim = Smooth(0.55f, 1.0f, 0.5f * nx + 0.8f * ny) * (1 - nz);
  return Mix(col, Shade(mid, 0.15f), rim * 0.35f);
}

void PaintZarn(Canvas& cv, const View& v, Dir dir, float phase, bool cheer) {
  Painter fill{cv, v};
  float ph = phase * 2 * kPi;
  float s = std::sin(ph), c = std::cos(ph);
  float bob = -0.9f * std::fabs(s);
  bool side = dir == Dir::kLeft || dir == Dir::kRight;
  V2 body{12, 13.8f + bob};
  float rx = side ? 9.0f : 9.4f, ry = 8.9f;

  auto foot = [&](V2 fc, float frx) {
    fill(Around(fc, frx, 2.2f), [=](V2 p) { return SdEllipse(p, fc, frx, 2.1f); }, [=](V2 p) {
      return Paint{Ball(p, fc, frx, 2.1f, Shade(kFoot, -0.4f), kFoot, Shade(kFoot, 0.35f)), 1};
    });
  };
  auto arm = [&](V2 ac, float arx, float ary) {
    fill(Around(ac, arx, ary), [=](V2 p) { return SdEllipse(p, ac, arx, ary); }, [=](V2 p) {
      return Paint{Ball(p, ac, arx, ary, kFurDark, kFur, kFurLight), 1};
    });
  };
  auto ear = [&](std::vector<V2> pts, bool inner_visible, float sign) {
    fill(Bounds(pts, 1.5f), [=](V2 p) { return SdPolygon(p, pts) - 0.7f; }, [=](V2 p) {
      float t = Clamp01((p.y - pts[1].y) / 7.f);
      return Paint{Mix(kFurLight, kFur, t), 1};
    });
    if (!inner_visible) return;
    V2 m = (pts[0] + pts[1] + pts[2]) * (1 / 3.f);
    std::vector<V2> in;
    for (V2 q : pts) in.push_back(m + (q - m) * 0.5f + V2{0.2f * sign, 0.4f});
    fill(Bounds(in), [=](V2 p) { return SdPolygon(p, in) - 0.3f; }, kEar);
  };

  // Feet first: the body overlaps their tops.
  if (side) {
    float fx1 = 12 - 3.6f * c, fx2 = 12 + 3.6f * c;
    float up1 = std::max(0.f, s) * 1.7f, up2 = std::max(0.f, -s) * 1.7f;
    foot({fx2 - 0.8f, 22.6f - up2}, 3.4f);
    foot({fx1 - 0.8f, 22.6f - up1}, 3.4f);
  } else {
    float up1 = std::max(0.f, s) * 1.6f, up2 = std::max(0.f, -s) * 1.6f;
    foot({8.0f, 22.6f - up1}, 3.2f);
    foot({16.0f, 22.6f - up2}, 3.2f);
  }

  // Ears behind the body.
  if (side) {
    ear({{12.5f, 8.0f + bob}, {16.5f, 1.6f + bob}, {18.2f, 8.4f + bob}}, false, 1);
    ear({{8.2f, 7.8f + bob}, {10.6f, 1.2f + bob}, {14.4f, 6.6f + bob}}, true, 1);
  } else {
    bool front = dir == Dir::kDown;
    ear({{4.6f, 10.2f + bob}, {5.2f, 2.0f + bob}, {10.6f, 6.4f + bob}}, front, 1);
    ear({{19.4f, 10.2f + bob}, {18.8f, 2.0f + bob}, {13.4f, 6.4f + bob}}, front, -1);
  }

  // Arms behind the body when seen from the side (far arm).
  float swing = cheer ? 0 : s * 1.1f;
  if (side && !cheer) arm({13.5f + swing, 16.5f + bob}, 2.0f, 2.8f);

  // Body.
  fill(Around(body, rx, ry), [=](V2 p) { return SdEllipse(p, body, rx, ry); }, [=](V2 p) {
    Col col = Ball(p, body, rx, ry, kFurDark, kFur, kFurLight);
    // Soft fur streaks.
    float n = Noise(p.x * 0.9f, p.y * 0.45f, 64, 64, 7);
    return Paint{Shade(col, (n - 0.5f) * 0.12f), 1};
  });

  // Tuft on the head.
  {
    float tx = side ? 10.5f : 12.f;
    std::vector<V2> tuft = {{tx - 2.4f, 6.2f + bob}, {tx - 0.6f, 2.6f + bob}, {tx + 0.2f, 5.0f + bob},
                            {tx + 2.0f, 1.6f + bob}, {tx + 2.6f, 6.4f + bob}};
    fill(Bounds(tuft, 1.5f), [=](V2 p) { return SdPolygon(p, tuft) - 0.4f; }, [=](V2 p) {
      return Paint{Mix(kFurLight, kFur, Clamp01((p.y - 2 - bob) / 5)), 1};
    });
  }

  if (dir == Dir::kDown) {
    V2 bc{12, 17.6f + bob};
    fill(Around(bc, 5.6f, 4.6f), [=](V2 p) { return SdEllipse(p, bc, 5.6f, 4.6f); }, [=](V2 p) {
      return Paint{Mix(kBelly, Shade(kBelly, -0.18f), Clamp01((p.y - bc.y + 2) / 6)), 1};
    });
    Eye(fill, {8.6f, 11.6f + bob}, 2.6f, 3.1f, {0.1f, 0.7f});
    Eye(fill, {15.4f, 11.6f + bob}, 2.6f, 3.1f, {-0.1f, 0.7f});
    V2 nc{12, 14.9f + bob};
    fill(Around(nc, 1.2f, 0.9f), [=](V2 p) { return SdEllipse(p, nc, 1.2f, 0.85f); }, Rgb(210, 70, 90));
    // Smile.
    fill({9, 14 + bob, 15, 18 + bob}, [=](V2 p) {
      float d = SdCircle(p, {12, 14.4f + bob}, 2.4f);
      return Inter(std::fabs(d) - 0.45f, -(p.y - (15.6f + bob)));
    }, Rgb(110, 40, 40));
  } else if (dir == Dir::kUp) {
    // Back: darker stripes and a fluffy tail.
    for (int i = 0; i < 3; ++i) {
      float y = 9.5f + i * 3.2f + bob;
      float hw = 3.4f - i * 0.6f;
      fill({12 - hw - 1, y - 1, 12 + hw + 1, y + 1}, [=](V2 p) {
        return SdSegment(p, {12 - hw, y}, {12 + hw, y}, 0.55f);
      }, Shade(kFurDark, 0.1f));
    }
    V2 tc{12, 20.2f + bob};
    fill(Around(tc, 2.6f, 2.4f), [=](V2 p) { return SdEllipse(p, tc, 2.6f, 2.4f); }, [=](V2 p) {
      return Paint{Ball(p, tc, 2.6f, 2.4f, Shade(kBelly, -0.25f), kBelly, pal::kWhite), 1};
    });
  } else {
    // Profile facing left.
    V2 bc{8.0f, 17.6f + bob};
    fill(Around(bc, 4.2f, 4.4f), [=](V2 p) {
      return Inter(SdEllipse(p, bc, 4.2f, 4.4f), SdEllipse(p, body, rx - 0.6f, ry - 0.6f));
    }, [=](V2 p) { return Paint{Mix(kBelly, Shade(kBelly, -0.18f), Clamp01((p.y - bc.y + 2) / 6)), 1}; });
    // Snout bump and nose.
    V2 sc{3.6f, 14.4f + bob};
    fill(Around(sc, 2.4f, 2.0f), [=](V2 p) { return SdEllipse(p, sc, 2.4f, 2.0f); }, [=](V2 p) {
      return Paint{Ball(p, sc, 2.4f, 2.0f, kFur, Shade(kFur, 0.1f), kFurLight), 1};
    });
    V2 nc{1.9f, 13.7f + bob};
    fill(Around(nc, 1.0f, 0.9f), [=](V2 p) { return SdEllipse(p, nc, 1.0f, 0.85f); }, Rgb(210, 70, 90));
    Eye(fill, {6.9f, 11.4f + bob}, 2.3f, 3.0f, {-0.8f, 0.5f});
    fill({3, 15.5f + bob, 7, 17.5f + bob}, [=](V2 p) {
      return SdSegment(p, {3.4f, 16.3f + bob}, {5.6f, 16.7f + bob}, 0.42f);
    }, Rgb(110, 40, 40));
  }

  // Near arms in front of the body.
  if (cheer) {
    arm({3.2f, 8.0f + bob}, 2.0f, 3.2f);
    arm({20.8f, 8.0f + bob}, 2.0f, 3.2f);
  } else if (side) {
    arm({11.0f - swing, 16.8f + bob}, 2.1f, 3.0f);
  } else {
    arm({3.2f, 15.6f + bob + swing * 0.6f}, 2.0f, 2.8f);
    arm({20.8f, 15.6f + bob - swing * 0.6f}, 2.0f, 2.8f);
  }
}

void PaintBlobb(Canvas& cv, const View& v, float phase) {
  Painter fill{cv, v};
  float ph = phase * 2 * kPi;
  float s = std::sin(ph);
  float sx = 1 + 0.07f * s, sy = 1 - 0.08f * s;
  const float base = 27.6f;
  V2 c{15, base - 11.0f * sy};
  float rx = 12.6f * sx, ry = 11.6f * sy;
  const Col dark = Rgb(74, 26, 120), mid = Rgb(146, 66, 212), light = Rgb(222, 164, 255);
  auto body = [=](V2 p) {
    float d = SdEllipse(p, c, rx, ry);
    d = Inter(d, p.y - base);
    // Three little feet of jelly along the bottom, rippling.
    for (int i = 0; i < 3; ++i) {
      float fx = 15 + (i - 1) * 7.6f * sx;
      float fr = 2.6f + 0.5f * std::sin(ph + float(i) * 2.1f);
      d = Union(d, SdCircle(p, {fx, base - 1.6f}, fr));
    }
    return d;
  };
  fill({0, 0, 30, 30}, body, [=](V2 p) {
    Col col = Ball(p, c, rx, ry * 1.05f, dark, mid, light);
    col = Mix(col, dark, Smooth(base - 4, base + 1, p.y) * 0.6f);
    return Paint{col, 1};
  });
  // Gloss.
  V2 g{c.x - rx * 0.48f, c.y - ry * 0.52f};
  fill(Around(g, 3.2f, 2.0f), [=](V2 p) {
    return SdEllipse(Rot(p - g, 0.5f) + g, g, 3.0f, 1.7f);
  }, Rgb(246, 226, 255));
  // Eyes with cross brows.
  float ey = c.y - 1.2f * sy;
  Eye(fill, {10.6f, ey}, 3.2f, 3.7f, {0.7f, 0.6f});
  Eye(fill, {19.4f, ey}, 3.2f, 3.7f, {-0.7f, 0.6f});
  fill({6, ey - 7, 24, ey - 2}, [=](V2 p) {
    return Union(SdSegment(p, {7.4f, ey - 5.6f}, {13.0f, ey - 3.6f}, 0.85f),
                 SdSegment(p, {22.6f, ey - 5.6f}, {17.0f, ey - 3.6f}, 0.85f));
  }, Rgb(50, 14, 80));
  // Grin with two teeth.
  float my = ey + 6.2f * sy;
  fill({7, my - 3, 23, my + 4}, [=](V2 p) {
    return Inter(SdEllipse(p, {15, my - 0.6f}, 6.4f, 3.2f), -(p.y - (my - 0.6f)));
  }, Rgb(90, 10, 40));
  for (float tx : {12.0f, 18.0f}) {
    std::vector<V2> tooth = {{tx - 1.3f, my - 0.6f}, {tx + 1.3f, my - 0.6f}, {tx, my + 1.9f}};
    fill(Bounds(tooth), [=](V2 p) { return SdPolygon(p, tooth); }, pal::kWhite);
  }
}

void PaintFrozenBlobb(Canvas& cv, const View& v) {
  Painter fill{cv, v};
  // The Blobb itself, in cold colours and wide-eyed.
  Canvas inner(cv.w(), cv.h());
  PaintBlobb(inner, v, 0);
  for (int y = 0; y < inner.h(); ++y)
    for (int x = 0; x < inner.w(); ++x) {
      Px& p = inner.At(x, y);
      float l = Luma(p.rgb());
      Col cold = Mix(Rgb(30, 40, 120), Rgb(190, 230, 255), l);
      Col c = Mix(p.rgb(), cold, 0.6f);
      p.r = c.r, p.g = c.g, p.b = c.b;
    }
  cv.Blit(inner, 0, 0);
  // The ice block around it: translucent, bright edges, frost in the corners.
  auto block = [](V2 p) { return SdBox(p, {15, 15}, 13.6f, 13.6f, 3.5f); };
  fill({0, 0, 30, 30}, block, [=](V2 p) {
    float d = -block(p);
    float edge = 1 - Smooth(0.5f, 3.5f, d);
    float diag = Smooth(0.6f, 1.0f, std::fabs(std::sin((p.x - p.y) * 0.22f + 0.8f)));
    Col ice = Mix(Rgb(120, 200, 255), Rgb(236, 250, 255), std::max(edge * 0.9f, diag * 0.35f));
    float frost = Fbm(p.x * 0.25f, p.y * 0.25f, 8, 8, 31, 3);
    float corner = Smooth(11, 15, std::max(std::fabs(p.x - 15), std::fabs(p.y - 15)));
    ice = Mix(ice, pal::kWhite, Smooth(0.45f, 0.7f, frost) * corner * 0.8f);
    return Paint{ice, 0.22f + 0.65f * edge + 0.25f * corner * frost};
  });
  // Shine streak.
  fill({3, 3, 14, 14}, [](V2 p) { return SdSegment(p, {5.5f, 10.5f}, {10.5f, 5.5f}, 0.9f); },
       [](V2) { return Paint{pal::kWhite, 0.85f}; });
  fill({3, 3, 14, 14}, [](V2 p) { return SdSegment(p, {5.8f, 14.0f}, {7.2f, 12.6f}, 0.7f); },
       [](V2) { return Paint{pal::kWhite, 0.7f}; });
}

namespace {

// A facet: a polygon shaded from colour a at its top to b at its bottom.
struct Facet {
  std::vector<V2> pts;
  Col a, b;
};

void FillFacets(const Painter& fill, const std::vector<Facet>& facets) {
  for (const Facet& f : facets) {
    Box b = Bounds(f.pts, 0.5f);
    fill(b, [pts = f.pts](V2 p) { return SdPolygon(p, pts) - 0.02f; }, [=](V2 p) {
      float t = Clamp01((p.y - b.y0) / std::max(1.f, b.y1 - b.y0));
      return Paint{Mix(f.a, f.b, t), 1};
    });
  }
}

// A facet edge, lighter than the facets.
void FacetEdge(const Painter& fill, const Ramp& r, V2 a, V2 b, float alpha) {
  fill(Bounds({a, b}, 1), [=](V2 p) { return SdSegment(p, a, b, 0.3f); }, [=](V2) { return Paint{r.hi, alpha}; });
}

// The four-pointed glint of a cut stone.
void Sparkle(const Painter& fill, V2 sp) {
  fill({sp.x - 4, sp.y - 4, sp.x + 4, sp.y + 4}, [=](V2 p) {
    V2 q = p - sp;
    float star = std::min(std::fabs(q.x) * 3.2f + std::fabs(q.y), std::fabs(q.y) * 3.2f + std::fabs(q.x));
    return star - 3.2f;
  }, pal::kWhite);
}

// The ramp colour of a facet facing direction d (in the picture's plane):
// light comes from the top left, so facets facing it are brightest.
Col FacingLight(const Ramp& r, V2 d) {
  float l = Dot(d * (1 / std::max(1e-4f, Len(d))), V2{-0.6f, -0.8f});
  if (l > 0.35f) return Mix(r.mid, r.light, Smooth(0.35f, 1.0f, l));
  if (l > -0.35f) return Mix(r.dark, r.mid, Smooth(-0.35f, 0.35f, l));
  return Mix(r.deep, r.dark, Smooth(-1.0f, -0.35f, l));
}

// Blue: a round brilliant seen from the side, crown over a pointed pavilion.
// Its outline is also the contact shape of every diamond in the maze.
void PaintBrilliant(const Painter& fill, const Ramp& r) {
  const V2 u0{9.5f, 5.0f}, u1{20.5f, 5.0f};
  const V2 l0{3.5f, 11.0f}, l1{11.0f, 11.0f}, l2{19.0f, 11.0f}, l3{26.5f, 11.0f};
  const V2 cu{15.0f, 26.0f};
  FillFacets(fill, {
                       {{l0, u0, l1}, r.light, r.mid},
                       {{u0, u1, l2, l1}, r.hi, r.light},
                       {{u1, l3, l2}, r.mid, r.dark},
                       {{l0, l1, cu}, r.mid, r.dark},
                       {{l1, l2, cu}, r.light, r.mid},
                       {{l2, l3, cu}, r.dark, r.deep},
                   });
  FacetEdge(fill, r, l0, l3, 0.7f);
  FacetEdge(fill, r, u0, l1, 0.45f);
  FacetEdge(fill, r, u1, l2, 0.45f);
  FacetEdge(fill, r, l1, cu, 0.35f);
  FacetEdge(fill, r, l2, cu, 0.3f);
  Sparkle(fill, {10.8f, 7.2f});
}

// An octagon: the box [x0, x1] x [y0, y1] with its corners cut by c, clockwise
// from the top left.
std::vector<V2> CutCornerBox(float x0, float y0, float x1, float y1, float c) {
  return {{x0 + c, y0}, {x1 - c, y0}, {x1, y0 + c}, {x1, y1 - c},
          {x1 - c, y1}, {x0 + c, y1}, {x0, y1 - c}, {x0, y0 + c}};
}

// Green: a square emerald cut seen from above, steps of long facets around a
// flat table.
void PaintEmerald(const Painter& fill, const Ramp& r) {
  const std::vector<V2> outer = CutCornerBox(4.5f, 4.5f, 25.5f, 25.5f, 4.5f);
  const std::vector<V2> step = CutCornerBox(7.5f, 7.5f, 22.5f, 22.5f, 3.0f);
  const std::vector<V2> table = CutCornerBox(10.5f, 10.5f, 19.5f, 19.5f, 1.8f);
  const V2 c{15, 15};
  std::vector<Facet> facets;
  for (size_t i = 0; i < outer.size(); ++i) {
    size_t j = (i + 1) % outer.size();
    V2 mid = (outer[i] + outer[j]) * 0.5f - c;
    Col col = FacingLight(r, mid);
    facets.push_back({{outer[i], outer[j], step[j], step[i]}, Shade(col, 0.08f), Shade(col, -0.08f)});
    facets.push_back({{step[i], step[j], table[j], table[i]}, Shade(col, -0.1f), Shade(col, -0.22f)});
  }
  facets.push_back({table, r.light, r.mid});
  FillFacets(fill, facets);
  for (size_t i = 0; i < outer.size(); ++i) {
    size_t j = (i + 1) % outer.size();
    FacetEdge(fill, r, step[i], step[j], 0.45f);
    FacetEdge(fill, r, table[i], table[j], 0.6f);
    FacetEdge(fill, r, outer[i], table[i], 0.3f);
  }
  // A long reflection across the table.
  fill({10, 10, 20, 20}, [](V2 p) { return SdSegment(p, {12.0f, 17.5f}, {17.5f, 12.0f}, 0.7f); },
       [](V2) { return Paint{pal::kWhite, 0.55f}; });
  Sparkle(fill, {9.0f, 8.0f});
}

// A point of a heart outline for t in [0, 2 pi): the top notch at t = 0, the
// tip at t = pi; the heart fills about 32 x 29 units around (0, 0).
V2 HeartPoint(float t) {
  float s = std::sin(t);
  return {16 * s * s * s,
          -(13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t))};
}

// The heart outline as a polygon of n points, scaled and moved to centre.
std::vector<V2> HeartPolygon(int n, V2 centre, float scale) {
  std::vector<V2> pts;
  for (int i = 0; i < n; ++i) pts.push_back(centre + HeartPoint(2 * kPi * float(i) / float(n)) * scale);
  return pts;
}

// Red: a heart cut seen from above, facets fanning out from a heart-shaped
// table.
void PaintHeart(const Painter& fill, const Ramp& r) {
  const V2 c{15, 14.4f};
  const float k = 0.72f;  // 32 units wide to 23 pixels
  auto outer = [&](float t) { return c + HeartPoint(t) * k; };
  auto inner = [&](float t) { return c + V2{0, 0.8f} + HeartPoint(t) * (k * 0.46f); };
  constexpr int kFacets = 10, kSteps = 6;
  std::vector<Facet> facets;
  std::vector<V2> table;
  for (int f = 0; f < kFacets; ++f) {
    float t0 = 2 * kPi * f / kFacets, t1 = 2 * kPi * (f + 1) / kFacets;
    std::vector<V2> pts;
    for (int s = 0; s <= kSteps; ++s) pts.push_back(outer(t0 + (t1 - t0) * s / kSteps));
    for (int s = kSteps; s >= 0; --s) pts.push_back(inner(t0 + (t1 - t0) * s / kSteps));
    for (int s = 0; s < kSteps; ++s) table.push_back(inner(t0 + (t1 - t0) * s / kSteps));
    Col col = FacingLight(r, outer((t0 + t1) / 2) - c);
    facets.push_back({pts, Shade(col, 0.06f), Shade(col, -0.12f)});
  }
  facets.push_back({table, r.light, r.mid});
  FillFacets(fill, facets);
  for (int f = 0; f < kFacets; ++f) {
    float t = 2 * kPi * f / kFacets;
    FacetEdge(fill, r, outer(t), inner(t), 0.35f);
  }
  for (size_t i = 0; i < table.size(); ++i)
    FacetEdge(fill, r, table[i], table[(i + 1) % table.size()], 0.5f);
  Sparkle(fill, {10.0f, 9.0f});
}

}  // namespace

void PaintGem(Canvas& cv, const View& v, int colour) {
  Painter fill{cv, v};
  Ramp r = GemRamp(colour);
  switch (colour) {
    case 1: PaintEmerald(fill, r); break;
    case 2: PaintHeart(fill, r); break;
    default: PaintBrilliant(fill, r); break;
  }
}

namespace {

// The gold setting of a delivered diamond, following the stone's outline: round
// for the brilliant, a cut-corner square for the emerald, a heart for the heart.
float Setting(int colour, V2 p) {
  switch (colour) {
    case 1:
      return SdPolygon(p, CutCornerBox(1.2f, 1.2f, 28.8f, 28.8f, 7.5f));
    case 2: {
      static const std::vector<V2> heart = HeartPolygon(64, {15, 13.0f}, 0.875f);
      return SdPolygon(p, heart);
    }
    default:
      return SdCircle(p, {15, 15}, 14.0f);
  }
}

}  // namespace

void PaintBankedGem(Canvas& cv, const View& v, int colour) {
  Painter fill{cv, v};
  const V2 c{15, 15};
  // The rim is shaded like a ball; square and heart settings reach a little
  // further out than the round one.
  const float rr = colour == 0 ? 14 : 16;
  fill(Around(c, 14.5f, 14.5f), [=](V2 p) { return Setting(colour, p); }, [=](V2 p) {
    return Paint{Ball(p, c, rr, rr, Rgb(150, 96, 20), Rgb(236, 184, 64), Rgb(255, 238, 160)), 1};
  });
  fill(Around(c, 14.5f, 14.5f), [=](V2 p) { return Setting(colour, p) + 2.7f; }, [=](V2 p) {
    float t = Clamp01((p.y - 4) / 22);
    return Paint{Mix(Rgb(20, 16, 36), Rgb(60, 48, 84), t), 1};
  });
  // The heart sits a little smaller, centred on the setting's heart.
  const View inner = colour == 2 ? View{v.ox + 4.2f * v.s, v.oy + 4.3f * v.s, v.s * 0.72f}
                                 : View{v.ox + 3.4f * v.s, v.oy + 3.6f * v.s, v.s * 0.78f};
  PaintGem(cv, inner, colour);
}

namespace {

// The outline of a hole's opening in the shape of its diamond, filling about
// rx x ry around c as the ground seen at a slant squeezes it: an oval for
// blue, a cut-corner square for green, a heart for red.
float HoleOpening(int colour, V2 p, V2 c, float rx, float ry) {
  switch (colour) {
    case 1:
      return SdPolygon(p, CutCornerBox(c.x - rx, c.y - ry, c.x + rx, c.y + ry, 0.3f * ry));
    case 2: {
      // A heart leaves the corners of its box empty, so it is drawn a little
      // larger than the oval to look as big.
      rx *= 1.1f;
      ry *= 1.15f;
      V2 q{(p.x - c.x) * 16 / rx, (p.y - c.y + 0.05f * ry) * 14.5f / ry};
      static const std::vector<V2> heart = HeartPolygon(48, {0, 1.6f}, 1);
      return SdPolygon(q, heart) * std::min(rx / 16, ry / 14.5f);
    }
    default:
      return SdEllipse(p, c, rx, ry);
  }
}

}  // namespace

void PaintHole(Canvas& cv, const View& v, int colour) {
  Painter fill{cv, v};
  Ramp r = GemRamp(colour);
  const V2 c{13, 10.5f};
  // Stone rim tinted with the hole's colour.
  fill(Around(c, 12.0f, 9.5f), [=](V2 p) { return SdEllipse(p, c, 11.9f, 9.4f); }, [=](V2 p) {
    Col stone = Ball(p, c, 11.9f, 9.4f, Rgb(50, 44, 60), Rgb(120, 112, 128), Rgb(206, 200, 210));
    float n = Noise(p.x * 0.7f, p.y * 0.7f, 64, 64, 11 + uint32_t(colour));
    return Paint{Shade(Mix(stone, r.mid, 0.45f), (n - 0.5f) * 0.25f), 1};
  });
  // Glowing inner ring around an opening shaped like the hole's diamond.
  const V2 ic{13, 11.0f};
  fill(Around(ic, 9.4f, 7.0f), [=](V2 p) { return HoleOpening(colour, p, ic, 9.2f, 6.8f); }, [=](V2) {
    return Paint{r.light, 1};
  });
  // The pit: dark at the far (upper) wall, glowing deep down.
  fill(Around(ic, 8.2f, 6.0f), [=](V2 p) { return HoleOpening(colour, p, ic, 7.9f, 5.6f); }, [=](V2 p) {
    float depth = Clamp01((p.y - (ic.y - 6)) / 12);
    Col col = Mix(Rgb(6, 4, 14), r.deep, Smooth(0.25f, 1.0f, depth));
    V2 q{(p.x - ic.x) / 7.9f, (p.y - ic.y - 1.5f) / 5.6f};
    float swirl = std::sin(std::atan2(q.y, q.x) * 3 + Len(q) * 9);
    float glow = Smooth(0.55f, 0.0f, Len(q));
    col = Mix(col, r.mid, glow * (0.55f + 0.25f * swirl));
    col = Mix(col, r.hi, Smooth(0.25f, 0.0f, Len(q)) * 0.8f);
    return Paint{col, 1};
  });
  // Glint on the rim.
  fill({3, 2, 10, 8}, [](V2 p) { return SdEllipse(Rot(p - V2{6, 4.2f}, -0.5f) + V2{6, 4.2f}, {6, 4.2f}, 2.3f, 0.8f); },
       [](V2) { return Paint{pal::kWhite, 0.8f}; });
}

namespace {

// Token colours per power-up kind (index 1..7).
struct Token {
  Col dark, mid, light;
};
Token TokenColours(int kind) {
  switch (kind) {
    case 1: return {Rgb(20, 60, 140), Rgb(56, 120, 220), Rgb(150, 200, 255)};    // protection
    case 2: return {Rgb(150, 70, 0), Rgb(250, 150, 20), Rgb(255, 224, 120)};     // speed
    case 3: return {Rgb(10, 110, 150), Rgb(40, 196, 230), Rgb(190, 246, 255)};   // freeze
    case 4: return {Rgb(70, 24, 120), Rgb(140, 70, 210), Rgb(210, 170, 255)};    // walls
    case 5: return {Rgb(16, 110, 70), Rgb(44, 186, 120), Rgb(170, 250, 200)};    // time
    case 6: return {Rgb(110, 110, 130), Rgb(210, 212, 226), Rgb(255, 255, 255)};  // diamonds
    default: return {Rgb(150, 20, 40), Rgb(230, 50, 70), Rgb(255, 170, 170)};    // double
  }
}

}  // namespace

void PaintPowerUp(Canvas& cv, const View& v, int kind, const TextRenderer& tr) {
  Painter fill{cv, v};
  Token t = TokenColours(kind);
  const V2 c{15, 15};
  fill(Around(c, 13.6f, 13.6f), [=](V2 p) { return SdCircle(p, c, 13.6f); }, [=](V2 p) {
    return Paint{Ball(p, c, 13.6f, 13.6f, t.dark, t.mid, t.light), 1};
  });
  // Inner disc slightly darker so the symbol stands out.
  fill(Around(c, 11, 11), [=](V2 p) { return SdCircle(p, c, 10.6f); }, [=](V2 p) {
    return Paint{Mix(t.mid, t.dark, Clamp01((p.y - 5) / 20) * 0.7f), 1};
  });
  const Col ink = Rgb(30, 20, 40);
  auto symbol = [&](const Sdf& sdf, const Shader& sh) {
    // Dark rim under the symbol for contrast against the token.
    fill({2, 2, 28, 28}, [&](V2 p) { return sdf(p) - 0.9f; }, ink);
    fill({2, 2, 28, 28}, sdf, sh);
  };
  auto vgrad = [](Col top, Col bottom, float y0, float y1) {
    return [=](V2 p) { return Paint{Mix(top, bottom, Clamp01((p.y - y0) / (y1 - y0))), 1}; };
  };
  switch (kind) {
    case 1: {  // shield
      std::vector<V2> sh = {{8.0f, 8.0f}, {15, 6.0f}, {22.0f, 8.0f}, {21.0f, 16.5f}, {15, 23.5f}, {9.0f, 16.5f}};
      symbol([=](V2 p) { return SdPolygon(p, sh) - 0.6f; }, vgrad(Rgb(250, 252, 255), Rgb(150, 170, 200), 6, 23));
      std::vector<V2> em = {{15, 9.0f}, {18.6f, 10.2f}, {18.0f, 15.6f}, {15, 19.6f}};
      fill({12, 8, 20, 21}, [=](V2 p) { return SdPolygon(p, em) - 0.3f; }, Rgb(230, 60, 70));
      std::vector<V2> em2 = {{15, 9.0f}, {15, 19.6f}, {12.0f, 15.6f}, {11.4f, 10.2f}};
      fill({10, 8, 16, 21}, [=](V2 p) { return SdPolygon(p, em2) - 0.3f; }, Rgb(60, 110, 220));
      break;
    }
    case 2: {  // lightning bolt
      std::vector<V2> bolt = {{17.5f, 4.8f}, {9.0f, 16.2f}, {14.4f, 16.2f}, {12.0f, 25.2f},
                              {21.2f, 12.6f}, {15.6f, 12.6f}};
      symbol([=](V2 p) { return SdPolygon(p, bolt) - 0.3f; }, vgrad(Rgb(255, 255, 220), Rgb(255, 220, 60), 5, 25));
      break;
    }
    case 3: {  // snowflake
      auto flake = [](V2 p) {
        V2 q = p - V2{15, 15};
        float d = 1e9f;
        for (int i = 0; i < 3; ++i) {
          V2 a = Rot({0, -8.6f}, float(i) * kPi / 3), b = a * -1;
          d = Union(d, SdSegment(q, a, b, 1.1f));
          for (float sgn : {1.f, -1.f}) {
            V2 tip = a * sgn;
            V2 base = tip * 0.55f;
            d = Union(d, SdSegment(q, base, base + Rot(tip * 0.35f, 0.8f), 0.8f));
            d = Union(d, SdSegment(q, base, base + Rot(tip * 0.35f, -0.8f), 0.8f));
          }
        }
        return d;
      };
      symbol(flake, [](V2) { return Paint{pal::kWhite, 1}; });
      break;
    }
    case 4: {  // ghost passing a wall
      fill({4, 6, 11, 25}, [](V2 p) { return SdBox(p, {7.2f, 15.5f}, 2.6f, 8.5f, 0.6f); }, [](V2 p) {
        bool mortar = std::fmod(p.y - 7.0f, 4.2f) < 0.8f;
        return Paint{mortar ? Rgb(90, 60, 60) : Rgb(200, 110, 90), 1};
      });
      auto ghost = [](V2 p) {
        float d = Union(SdCircle(p, {17, 12.5f}, 6.2f), SdBox(p, {17, 17.5f}, 6.2f, 5.0f));
        float wave = 22.5f + 1.4f * std::cos((p.x - 10.8f) * kPi / 3.1f);
        return Inter(d, p.y - wave);
      };
      symbol(ghost, [](V2 p) { return Paint{Mix(pal::kWhite, Rgb(200, 200, 240), Clamp01((p.y - 8) / 16)), 1}; });
      fill({13, 9, 21, 16}, [](V2 p) {
        return Union(SdEllipse(p, {15.0f, 12.6f}, 1.1f, 1.6f), SdEllipse(p, {19.2f, 12.6f}, 1.1f, 1.6f));
      }, ink);
      break;
    }
    case 5: {  // hourglass
      auto glass = [](V2 p) {
        std::vector<V2> top = {{9.6f, 8.2f}, {20.4f, 8.2f}, {15.8f, 15}, {14.2f, 15}};
        std::vector<V2> bot = {{14.2f, 15}, {15.8f, 15}, {20.4f, 21.8f}, {9.6f, 21.8f}};
        return Union(SdPolygon(p, top), SdPolygon(p, bot)) - 0.5f;
      };
      symbol(glass, [](V2 p) {
        bool sand = (p.y > 11.5f && p.y < 15) || (p.y > 18.6f) || (std::fabs(p.x - 15) < 0.6f && p.y > 15);
        return Paint{sand ? Rgb(255, 206, 90) : Rgb(220, 246, 255), 1};
      });
      auto frame = [](V2 p) {
        return Union(SdBox(p, {15, 7.0f}, 7.4f, 1.3f, 0.6f), SdBox(p, {15, 23.0f}, 7.4f, 1.3f, 0.6f));
      };
      symbol(frame, vgrad(Rgb(200, 140, 70), Rgb(120, 70, 30), 5, 25));
      break;
    }
    case 6: {  // three diamonds
      // The brilliant's crown pokes over the rim at the top left, so it is part
      // of the token's outline, the shape the player touches to take it.
      PaintGem(cv, View{v.ox + 1.6f * v.s, v.oy + 1.0f * v.s, v.s * 0.48f}, 0);
      PaintGem(cv, View{v.ox + 13.8f * v.s, v.oy + 1.0f * v.s, v.s * 0.48f}, 1);
      PaintGem(cv, View{v.ox + 7.7f * v.s, v.oy + 10.6f * v.s, v.s * 0.52f}, 2);
      break;
    }
    default: {  // x2
      int size = int(std::lround(15 * v.s));
      Canvas m = tr.Mask("x2", size, 1.6f * v.s, 2);
      int w = tr.Width("x2", size, 1.6f * v.s);
      int x = int(std::lround(v.ox + 15 * v.s - w / 2.f)) - 2;
      int y = int(std::lround(v.oy + 15 * v.s - size * 0.55f)) - 2;
      DrawMask(cv, Dilate(m, 1.0f * v.s), x, y, ink);
      DrawMask(cv, m, x, y, [&](int, int my) {
        return Mix(Rgb(255, 250, 200), Rgb(255, 200, 60), Clamp01(float(my) / float(m.h())));
      });
      break;
    }
  }
}

Canvas Mirror(const Canvas& src) {
  Canvas out(src.w(), src.h());
  for (int y = 0; y < src.h(); ++y)
    for (int x = 0; x < src.w(); ++x) out.At(x, y) = src.At(src.w() - 1 - x, y);
  return out;
}

namespace {

// Outlines and masks a sprite cell.
Canvas Finish(Canvas c) {
  Outline(c, pal::kInk, 0.7f);
  Binarize(c);
  return c;
}

}  // namespace

Canvas ZarnSheet() {
  Canvas sheet(240, 100);
  const Dir dirs[4] = {Dir::kLeft, Dir::kUp, Dir::kDown, Dir::kRight};
  for (int row = 0; row < 4; ++row)
    for (int i = 0; i < 10; ++i) {
      Canvas cell(24, 25);
      float phase = i < 9 ? float(i) / 9.f : 0.f;
      Dir d = dirs[row] == Dir::kRight ? Dir::kLeft : dirs[row];
      // Drawn a little smaller than its box so the outline fits on every side.
      PaintZarn(cell, View{0.84f, 0.55f, 0.93f}, d, phase);
      cell = Finish(cell);
      if (dirs[row] == Dir::kRight) cell = Mirror(cell);
      sheet.Blit(cell, i * 24, row * 25);
    }
  return sheet;
}

Canvas BlobbSheet() {
  Canvas sheet(270, 30);
  for (int i = 0; i < 9; ++i) {
    Canvas cell(30, 30);
    PaintBlobb(cell, View{0, 0, 1}, float(i) / 9.f);
    sheet.Blit(Finish(cell), i * 30, 0);
  }
  return sheet;
}

Canvas FrozenBlobb() {
  Canvas cell(30, 30);
  PaintFrozenBlobb(cell, View{0, 0, 1});
  return Finish(cell);
}

Canvas GemSprite(int colour, bool banked) {
  Canvas cell(30, 30);
  if (banked)
    PaintBankedGem(cell, View{0, 0, 1}, colour);
  else
    PaintGem(cell, View{0, 0, 1}, colour);
  return Finish(cell);
}

Canvas HoleSheet() {
  Canvas sheet(78, 21);
  for (int i = 0; i < 3; ++i) {
    Canvas cell(26, 21);
    PaintHole(cell, View{0, 0, 1}, i);
    sheet.Blit(Finish(cell), i * 26, 0);
  }
  return sheet;
}

Canvas PowerUpSprite(int kind, const TextRenderer& tr) {
  Canvas cell(30, 30);
  PaintPowerUp(cell, View{0, 0, 1}, kind, tr);
  return Finish(cell);
}

void DrawBig(Canvas& dst, float x, float y, float scale, int w, int h,
             const std::function<void(Canvas&, const View&)>& paint, float outline, bool shadow) {
  int pad = int(std::ceil(scale * 2)) + 2;
  Canvas layer(int(std::ceil(w * scale)) + 2 * pad, int(std::ceil(h * scale)) + 2 * pad);
  paint(layer, View{float(pad), float(pad), scale});
  Canvas ring = Dilate(layer, outline * scale * 0.9f);
  Canvas full(layer.w(), layer.h());
  DrawMask(full, ring, 0, 0, pal::kInk);
  full.Blit(layer, 0, 0);
  int ix = int(std::lround(x)) - pad, iy = int(std::lround(y)) - pad;
  if (shadow) {
    Canvas sh = Shadow(full, int(scale * 1.5f), int(scale * 2.5f), int(scale * 1.2f) + 1, 0.55f);
    dst.Blit(sh, ix, iy);
  }
  dst.Blit(full, ix, iy);
}

}  // namespace gen
