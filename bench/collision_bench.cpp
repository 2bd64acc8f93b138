// ImagesOverlap as the game calls it: a 24 x 25 masked animation frame against a
// 30 x 30 frame, integer positions, no rotation or scale.
#include <benchmark/benchmark.h>

#include "media/collision/collision.h"
#include "media/collision/quads.h"
#include "media/graphics/image.h"

namespace {

// An RGBA frame with a solid ellipse filling it and transparent corners.
ImageRef Ellipse(int w, int h) {
  auto map = TPixmap::Create(w, h, PF_RGBA8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float dx = (float(x) + 0.5f - float(w) / 2) / (float(w) / 2);
      const float dy = (float(y) + 0.5f - float(h) / 2) / (float(h) / 2);
      map->WritePixel(x, y, MakeArgb(dx * dx + dy * dy <= 1.0f ? 255 : 0, 10, 20, 30));
    }
  return LoadImageFile(map, MASKEDIMAGE);
}

struct Scene {
  Scene() : player(Ellipse(24, 25)), item(Ellipse(30, 30)) { SetCollisionTransform(1, 0, 0, 1); }
  ImageRef player, item;
};

// Boxes overlapping only in transparent corners: every common pixel is compared.
void BM_ImagesOverlap_CornersMiss(benchmark::State& state) {
  Scene s;
  int hits = 0;
  for (auto _ : state) hits += ImagesOverlap(s.player, 200, 200, 0, s.item, 221, 222, 0);
  if (hits != 0) state.SkipWithError("corners were expected to miss");
}
BENCHMARK(BM_ImagesOverlap_CornersMiss);

// Boxes overlapping wholly: the first compared pixel may hit.
void BM_ImagesOverlap_Hit(benchmark::State& state) {
  Scene s;
  int hits = 0;
  for (auto _ : state) hits += ImagesOverlap(s.player, 200, 200, 0, s.item, 197, 197, 0);
  if (hits != int(state.iterations())) state.SkipWithError("expected a hit");
}
BENCHMARK(BM_ImagesOverlap_Hit);

// Worst case: complementary checkerboards, the whole 24 x 25 frame inside the
// other, every pixel compared and none hitting.
void BM_ImagesOverlap_FullMiss(benchmark::State& state) {
  auto checker = [](int w, int h, int parity) {
    auto map = TPixmap::Create(w, h, PF_RGBA8888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) map->WritePixel(x, y, MakeArgb((x + y) % 2 == parity ? 255 : 0, 1, 2, 3));
    return LoadImageFile(map, MASKEDIMAGE);
  };
  SetCollisionTransform(1, 0, 0, 1);
  ImageRef player = checker(24, 25, 0), item = checker(30, 30, 1);
  int hits = 0;
  for (auto _ : state) hits += ImagesOverlap(player, 203, 202, 0, item, 200, 199, 0);
  if (hits != 0) state.SkipWithError("checkerboards were expected to miss");
}
BENCHMARK(BM_ImagesOverlap_FullMiss);

// Far apart, as most of the game's calls are.
void BM_ImagesOverlap_Apart(benchmark::State& state) {
  Scene s;
  for (auto _ : state) benchmark::DoNotOptimize(ImagesOverlap(s.player, 200, 200, 0, s.item, 600, 40, 0));
}
BENCHMARK(BM_ImagesOverlap_Apart);

// The general polygon scan on the corner case, for comparison.
void BM_PolygonScan_CornersMiss(benchmark::State& state) {
  Scene s;
  TQuad a, b;
  a.SetCoords(200, 200, 224, 200, 224, 225, 200, 225);
  b.SetCoords(221, 222, 251, 222, 251, 252, 221, 252);
  a.mask = s.player->pixmaps[0];
  b.mask = s.item->pixmaps[0];
  for (auto _ : state) benchmark::DoNotOptimize(QuadsCollideByScan(a, b));
}
BENCHMARK(BM_PolygonScan_CornersMiss);

}  // namespace
