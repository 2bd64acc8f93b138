// Interface pictures: HUD panel, clock, power-up slot, key caps, menu panel.
#include "art.h"

namespace gen {

namespace {

void Fill(Canvas& cv, const Sdf& sdf, const Shader& sh, int samples = 3) {
  FillShape(cv, View{}, Box{0, 0, float(cv.w()), float(cv.h())}, sdf, sh, samples);
}

Shader Vertical(Col top, Col bottom, float y0, float y1) {
  return [=](V2 p) { return Paint{Mix(top, bottom, Clamp01((p.y - y0) / (y1 - y0))), 1}; };
}

// Outline drawn inside the picture's own area: the outermost ring of a shape
// becomes ink.
void InkEdge(Canvas& cv, const Sdf& sdf) {
  Fill(cv, [&](V2 p) { return Inter(sdf(p), -(sdf(p) + 1.2f)); }, [](V2) { return Paint{pal::kInk, 1}; });
}

}  // namespace

Canvas GotPanel() {
  Canvas cv(260, 38);
  auto shape = [](V2 p) { return SdBox(p, {130, 19}, 130, 19, 9); };
  // Mid-tone slate: white and black text both keep a contrast of about 4.5.
  const Col top = Rgb(116, 130, 164), bottom = Rgb(94, 106, 138);
  Fill(cv, shape, Vertical(top, bottom, 0, 38));
  // Bevel: a light line under the top edge, a dark one over the bottom.
  Fill(cv, [&](V2 p) { return Inter(shape(p) + 1.2f, -(shape(p) + 2.4f)); }, [](V2 p) {
    return Paint{p.y < 19 ? Rgb(170, 182, 212) : Rgb(64, 72, 100), 1};
  });
  InkEdge(cv, shape);
  Binarize(cv);
  return cv;
}

Canvas ClockIcon() {
  Canvas cv(38, 38);
  const V2 c{19, 21};
  auto fill = [&](const Sdf& s, const Shader& sh) { Fill(cv, s, sh, 4); };
  // Crown and side button.
  fill([](V2 p) { return Union(SdBox(p, {19, 3.5f}, 4.5f, 2.2f, 1), SdBox(p, {19, 6.5f}, 1.8f, 2.5f)); },
       Vertical(Rgb(255, 236, 150), Rgb(190, 130, 40), 1, 9));
  fill([](V2 p) {
    V2 q = Rot(p - V2{19, 21}, -0.8f);
    return SdBox(q, {0, -15.5f}, 2.2f, 2.6f, 0.8f);
  }, Vertical(Rgb(255, 236, 150), Rgb(190, 130, 40), 3, 12));
  // Gold case.
  fill([=](V2 p) { return SdCircle(p, c, 15.2f); }, [=](V2 p) {
    return Paint{Ball(p, c, 15.2f, 15.2f, Rgb(150, 90, 20), Rgb(232, 176, 60), Rgb(255, 240, 170)), 1};
  });
  // Face.
  fill([=](V2 p) { return SdCircle(p, c, 12.0f); }, [=](V2 p) {
    float t = Clamp01((p.y - 9) / 24);
    return Paint{Mix(Rgb(255, 253, 244), Rgb(214, 210, 200), t), 1};
  });
  // Hour marks.
  for (int i = 0; i < 12; ++i) {
    V2 dir = Rot({0, -1}, float(i) * kPi / 6);
    float len = i % 3 == 0 ? 2.6f : 1.4f;
    fill([=](V2 p) { return SdSegment(p, c + dir * 10.6f, c + dir * (10.6f - len), 0.55f); },
         [](V2) { return Paint{Rgb(70, 60, 80), 1}; });
  }
  // Hands at ten past ten, and a red seconds hand.
  fill([=](V2 p) {
    return Union(SdSegment(p, c, c + Rot({0, -6.0f}, -1.05f), 1.0f),
                 SdSegment(p, c, c + Rot({0, -8.8f}, 0.35f), 0.8f));
  }, [](V2) { return Paint{Rgb(40, 32, 56), 1}; });
  fill([=](V2 p) { return SdSegment(p, c + Rot({0, 3}, 2.4f), c + Rot({0, -9.5f}, 2.4f), 0.4f); },
       [](V2) { return Paint{Rgb(220, 40, 50), 1}; });
  fill([=](V2 p) { return SdCircle(p, c, 1.4f); }, [](V2) { return Paint{Rgb(220, 40, 50), 1}; });
  // Glass glint over the upper left of the face.
  fill([=](V2 p) { return Inter(std::fabs(SdCircle(p, c, 9.4f)) - 0.7f, std::max(p.x - c.x + 2, p.y - c.y + 2)); },
       [](V2) { return Paint{pal::kWhite, 0.8f}; });
  Outline(cv, pal::kInk, 0.7f);
  Binarize(cv);
  return cv;
}

Canvas SlotFrame() {
  Canvas cv(30, 30);
  auto outer = [](V2 p) { return SdBox(p, {15, 15}, 14, 14, 6); };
  auto inner = [](V2 p) { return SdBox(p, {15, 15}, 10.6f, 10.6f, 4); };
  Fill(cv, outer, [](V2 p) {
    float t = Clamp01((p.x + p.y) / 60);
    return Paint{Mix(Rgb(226, 232, 246), Rgb(92, 100, 130), t), 1};
  });
  Fill(cv, inner, [](V2 p) {
    float t = Clamp01((p.y - 4) / 22);
    return Paint{Mix(Rgb(10, 12, 26), Rgb(40, 46, 78), t), 1};
  });
  InkEdge(cv, outer);
  Binarize(cv);
  return cv;
}

Canvas EmptySlot() {
  Canvas cv(30, 30);
  // A faint socket ring: seen over the slot's dark recess while no power-up is held.
  Fill(cv, [](V2 p) { return std::fabs(SdCircle(p, {15, 15}, 8)) - 0.9f; }, [](V2 p) {
    float a = std::atan2(p.y - 15, p.x - 15);
    bool dash = std::fmod(a + 2 * kPi, kPi / 4) < kPi / 6;
    return Paint{dash ? Rgb(84, 94, 136) : Rgb(52, 58, 92), 1};
  });
  Fill(cv, [](V2 p) { return SdCircle(p, {15, 15}, 1.6f); }, [](V2) { return Paint{Rgb(84, 94, 136), 1}; });
  Binarize(cv);
  return cv;
}

namespace {

void KeyCap(Canvas& cv, float x, float y, float w, float h, const std::string& label, const TextRenderer& tr) {
  auto body = [=](V2 p) { return SdBox(p, {x + w / 2, y + h / 2}, w / 2, h / 2, 6); };
  auto top = [=](V2 p) { return SdBox(p, {x + w / 2, y + h / 2 - 3}, w / 2 - 4, h / 2 - 6, 4.5f); };
  Fill(cv, body, Vertical(Rgb(168, 162, 176), Rgb(96, 90, 110), y, y + h));
  Fill(cv, top, [=](V2 p) {
    float t = Clamp01((p.y - y) / h);
    float s = Clamp01((p.x - x) / w);
    return Paint{Mix(Rgb(250, 248, 240), Rgb(214, 210, 204), t * 0.8f + s * 0.2f), 1};
  });
  InkEdge(cv, body);
  int size = label.size() > 1 ? 18 : 24;
  Canvas m = tr.Mask(label, size, 0.8f, 1);
  int tw = tr.Width(label, size, 0.8f);
  int tx = int(std::lround(x + w / 2 - tw / 2.f)) - 1;
  int ty = int(std::lround(y + h / 2 - 3 - size * 0.55f)) - 1;
  DrawMask(cv, m, tx, ty, Rgb(44, 38, 60));
}

}  // namespace

Canvas KeyCaps(const std::string& layout, const TextRenderer& tr) {
  Canvas cv;
  if (layout == "WASD") {
    cv = Canvas(128, 84);
    KeyCap(cv, 44, 0, 40, 40, "W", tr);
    KeyCap(cv, 0, 44, 40, 40, "A", tr);
    KeyCap(cv, 44, 44, 40, 40, "S", tr);
    KeyCap(cv, 88, 44, 40, 40, "D", tr);
  } else if (layout == "MN") {
    cv = Canvas(84, 40);
    KeyCap(cv, 0, 0, 40, 40, "M", tr);
    KeyCap(cv, 44, 0, 40, 40, "N", tr);
  } else {
    cv = Canvas(52, 40);
    KeyCap(cv, 0, 0, 52, 40, layout, tr);
  }
  Binarize(cv);
  return cv;
}

Canvas MenuPanel() {
  // Drawn at (180, 40): a main panel behind the page texts with a notch for
  // the red hole drawn at (540, 340), and a small plaque behind the line
  // "Press Space for Main Menu" at y 510.
  Canvas cv(412, 500);
  auto main_body = [](V2 p) {
    float body = SdBox(p, {205, 173}, 203, 171, 14);
    float notch = SdBox(p, {420, 360}, 68, 72, 12);
    return Subtract(body, notch);
  };
  auto plaque = [](V2 p) { return SdBox(p, {155, 481}, 135, 18, 10); };
  auto shape = [&](V2 p) { return Union(main_body(p), plaque(p)); };
  Fill(cv, shape, [](V2 p) {
    float t = Clamp01(p.y / 345);
    Col c = Mix(Rgb(30, 36, 70), Rgb(16, 18, 40), t);
    // Faint diagonal weave.
    float w = std::fabs(std::sin((p.x + p.y) * 0.18f)) * std::fabs(std::sin((p.x - p.y) * 0.18f));
    return Paint{Shade(c, w * 0.06f), 1};
  });
  // Header band behind the page titles.
  Fill(cv, [&](V2 p) { return Inter(main_body(p) + 6, std::fabs(p.y - 34) - 22); },
       Vertical(Rgb(52, 60, 108), Rgb(34, 40, 80), 12, 56));
  Fill(cv, [&](V2 p) { return Inter(main_body(p) + 6, std::fabs(p.y - 57) - 0.8f); },
       [](V2) { return Paint{pal::kPanelEdge, 1}; });
  // Gold trim inside the edge, then the ink edge.
  auto trim = [&](V2 p) {
    float d = shape(p);
    return std::fabs(d + 4.0f) - 1.0f;
  };
  Fill(cv, trim, [](V2 p) {
    return Paint{Mix(Rgb(255, 226, 140), Rgb(196, 130, 40), Clamp01(p.y / 500)), 1};
  });
  InkEdge(cv, shape);
  // Small gems at the corners of the main panel, each colour in its own
  // shape as in the maze: a brilliant, a square cut, a heart.
  auto gem = [&](V2 c, int colour) {
    const Sdf outline = [=](V2 p) {
      V2 q = p - c;
      switch (colour) {
        case 1: return SdBox(q, {0, 0}, 4.6f, 4.6f, 2.0f);
        case 2: {
          // Two lobes over a point.
          float lobes = Union(SdCircle(q, {-2.4f, -1.6f}, 2.9f), SdCircle(q, {2.4f, -1.6f}, 2.9f));
          return Union(lobes, SdPolygon(q, {{-5.1f, -0.6f}, {5.1f, -0.6f}, {0, 5.6f}}));
        }
        default: return SdPolygon(q, {{-2.8f, -4.2f}, {2.8f, -4.2f}, {5.6f, -1.2f}, {0, 5.4f}, {-5.6f, -1.2f}});
      }
    };
    const Col col = GemRamp(colour).mid;
    Fill(cv, outline, [=](V2 p) { return Paint{p.y < c.y - 0.8f ? Shade(col, 0.45f) : col, 1}; });
    Fill(cv, [=](V2 p) { return std::fabs(outline(p)) - 0.6f; }, [](V2) { return Paint{pal::kInk, 1}; });
  };
  gem({14, 14}, 0);
  gem({397, 14}, 1);
  gem({14, 331}, 2);
  // The plaque at the bottom carries a gem at each end.
  gem({27, 481}, 0);
  gem({284, 481}, 2);
  Binarize(cv);
  return cv;
}

}  // namespace gen
