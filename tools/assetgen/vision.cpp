// The documentation picture of the diamonds, holes and delivered-diamond
// counters as players with full colour vision and with each of the three
// colour-vision deficiencies the art is checked against see them.
#include "colour_vision.h"
#include "mock.h"

namespace gen {

namespace {

// The canvas with every pixel as a viewer with the given vision sees it.
Canvas AsSeen(const Canvas& src, colour_vision::Vision v) {
  Canvas out = src;
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) {
      Px& p = out.At(x, y);
      const colour_vision::Rgb c = colour_vision::Simulate(v, {p.r, p.g, p.b});
      p.r = float(c.r);
      p.g = float(c.g);
      p.b = float(c.b);
    }
  return out;
}

const char* RowLabel(colour_vision::Vision v) {
  switch (v) {
    case colour_vision::Vision::kProtanopia: return "Protanopia";
    case colour_vision::Vision::kDeuteranopia: return "Deuteranopia";
    case colour_vision::Vision::kTritanopia: return "Tritanopia";
    default: return "Full colour vision";
  }
}

}  // namespace

Canvas ColourVisionSheet(const AssetSet& a, const TextRenderer& tr) {
  constexpr int kCell = 32, kGap = 12, kScale = 3, kLabel = 250, kHead = 56, kRowGap = 10, kPad = 12;
  constexpr int kGroup = 3 * kCell + kGap;
  // One row at game size: diamonds, holes and delivered counters, each on a
  // cell of garden floor as in the game.
  Canvas row(3 * kGroup - kGap, kCell);
  for (int g = 0; g < 3; ++g)
    for (int i = 0; i < 3; ++i) {
      const int x = g * kGroup + i * kCell;
      PaintTile(row, x, 0, 1, 0, 0);
      if (g == 0) row.Blit(a.gem[i], x + 1, 1);
      if (g == 1) row.Blit(a.holes.Crop(i * 26, 0, 26, 21), x + 3, 5);
      if (g == 2) row.Blit(a.banked[i], x + 1, 1);
    }

  const int w = kLabel + row.w() * kScale + kPad;
  const int h = kHead + 4 * (kCell * kScale + kRowGap) - kRowGap + kPad;
  Canvas out(w, h, Px{0.1f, 0.09f, 0.16f, 1});
  const char* heads[3] = {"Diamonds", "Holes", "Delivered"};
  for (int g = 0; g < 3; ++g)
    OutlinedText(out, tr, heads[g], 30, float(kLabel + (g * kGroup + 1.5f * kCell) * kScale), 12, pal::kWhite,
                 pal::kInk, 2.0f);
  int y = kHead;
  for (colour_vision::Vision v : colour_vision::kVisions) {
    out.Blit(Upscale(AsSeen(row, v), kScale), kLabel, y);
    OutlinedText(out, tr, RowLabel(v), 28, kLabel / 2.f, y + (kCell * kScale - 28) / 2, pal::kWhite, pal::kInk, 2.0f);
    y += kCell * kScale + kRowGap;
  }
  return out;
}

}  // namespace gen
