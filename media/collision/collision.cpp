#include "media/collision/collision.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

#include "media/core/module_state.h"
#include "media/graphics/renderer.h"
#include "media/collision/quads.h"

namespace {

// ---------------------------------------------------------------------------
// Layers, free list and the collision transform.

struct Collision {
  TQuad* layers[kCollisionLayers] = {};
  TQuad* free_quads = nullptr;
  // Every quad ever made; quads are recycled through the free list, never deleted.
  std::vector<std::unique_ptr<TQuad>> quad_pool;
  // The collision transform.
  float ix = 0, iy = 0, jx = 0, jy = 0;
  // The quad used for the tested image; it never enters a layer itself.
  TQuad scratch;
  // One row of the polygon scan: 1 for each pixel a polygon covers.
  std::vector<int> row_buffer;
};

Collision& S() { return core::ModuleState<Collision>(); }

TQuad* TakeQuad() {
  auto& s = S();
  if (TQuad* q = s.free_quads) {
    s.free_quads = q->link;
    q->link = nullptr;
    return q;
  }
  s.quad_pool.push_back(std::make_unique<TQuad>());
  return s.quad_pool.back().get();
}

void ReleaseQuad(TQuad* q) {
  q->mask.reset();
  q->id = nullptr;
  q->link = S().free_quads;
  S().free_quads = q;
}

TQuad& ScratchQuad() { return S().scratch; }

// The draw origin, and the collision transform refreshed from the renderer's
// rotation-and-scale matrix while graphics are open (it keeps its last value,
// initially all zero, while none are).
void SyncWithRenderer(float& ox, float& oy) {
  GetDrawOrigin(ox, oy);
  if (const TPlanoGraphics* g = CurrentRenderer()) {
    auto& s = S();
    s.ix = g->tform_ix, s.iy = g->tform_iy, s.jx = g->tform_jx, s.jy = g->tform_jy;
  }
}

// ---------------------------------------------------------------------------
// The polygon scan.

constexpr int kChannels = 4;  // x, y, u, v

// Truncation toward zero, with values beyond the int range held at its ends (and
// NaN as 0): corners far out must not make the conversion undefined.
int ToInt(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483648.0f) return INT_MAX;
  if (v < -2147483648.0f) return INT_MIN;
  return int(v);
}

struct RPoly {
  const TPixmap* texture = nullptr;
  float data[16] = {};
  int count = 4;
  float ldat[kChannels] = {}, ladd[kChannels] = {}, rdat[kChannels] = {}, radd[kChannels] = {};
  int Left = 0, Right = 0;
  int top = 0;
  int state = 0;  // 0 not started, 1 active, 2 finished

  float X(int i) const { return data[i * kChannels]; }
  int IY(int i) const { return ToInt(data[i * kChannels + 1]); }
};

void InitPoly(RPoly& p, const TQuad& q) {
  p.texture = q.mask.get();
  std::memcpy(p.data, q.xyuv, sizeof p.data);
  // Normalise the orientation: when every fan triangle turns the same way as a
  // counter-clockwise screen polygon, reverse the vertices.
  bool all_non_negative = true;
  for (int i = 1; i + 1 < p.count; ++i) {
    const float x0 = p.data[0], y0 = p.data[1];
    const float x1 = p.data[i * kChannels], y1 = p.data[i * kChannels + 1];
    const float x2 = p.data[(i + 1) * kChannels], y2 = p.data[(i + 1) * kChannels + 1];
    const int cross = ToInt((x2 - x1) * (y1 - y0) - (x1 - x0) * (y2 - y1));
    if (cross < 0) all_non_negative = false;
  }
  if (all_non_negative) {
    for (int i = 0, j = p.count - 1; i < j; ++i, --j) {
      std::swap_ranges(p.data + i * kChannels, p.data + (i + 1) * kChannels, p.data + j * kChannels);
    }
  }
  int top_index = 0;
  for (int i = 1; i < p.count; ++i) {
    if (p.IY(i) < p.IY(top_index)) top_index = i;
  }
  p.Left = p.Right = top_index;
  p.top = p.IY(top_index);
  p.state = 0;
}

// Moves one edge on when row y has reached the vertex it ends at. `step` is -1
// for the left edge (walking backwards) and +1 for the right edge.
void AdvanceEdge(RPoly& p, int y, int step, int& end, float* dat, float* add) {
  if (y < p.IY(end)) return;
  const int begin = end;
  int g = end, h = end;
  while (p.IY(h) <= y) {
    g = h;
    h = (h + step + p.count) % p.count;
    if (h == begin) {
      p.state = 2;
      return;
    }
  }
  const int64_t rows = int64_t{p.IY(h)} - p.IY(g);
  if (rows < 1) {
    p.state = 2;
    return;
  }
  for (int c = 0; c < kChannels; ++c) {
    add[c] = (p.data[h * kChannels + c] - p.data[g * kChannels + c]) / float(rows);
    dat[c] = p.data[g * kChannels + c] + add[c] * 0.5f;
  }
  end = h;
  if (p.state == 0) p.state = 1;
}

// Where a map keeps the alpha byte of a pixel, and its pixel stride.
int AlphaOffset(const TPixmap& map) { return map.format == PF_A8 ? 0 : 3; }

// Marks the solid pixels of p on [left, right) in the row buffer (index 0 =
// pixel `left`). Returns true when a pixel was already marked.
bool MarkRow(const RPoly& p, int left, int right) {
  std::vector<int>& row_buffer = S().row_buffer;
  if (p.texture == nullptr) {
    for (int x = left; x < right; ++x) {
      if (row_buffer[size_t(x - left)]) return true;
      row_buffer[size_t(x - left)] = 1;
    }
    return false;
  }
  const int64_t e = ToInt(p.ldat[0]), f = ToInt(p.rdat[0]);
  if (f - e < 1) return false;
  const TPixmap& map = *p.texture;
  if (map.width <= 0 || map.height <= 0) return false;
  const float du = (p.rdat[2] - p.ldat[2]) / float(f - e);
  const float dv = (p.rdat[3] - p.ldat[3]) / float(f - e);
  float u = p.ldat[2] + (float(left - e) + 0.5f) * du;
  float v = p.ldat[3] + (float(left - e) + 0.5f) * dv;
  const int bpp = map.BytesPerPixel(), alpha = AlphaOffset(map);
  for (int x = left; x < right; ++x, u += du, v += dv) {
    const float cu = std::clamp(u, 0.0f, 1.0f), cv = std::clamp(v, 0.0f, 1.0f);
    const int col = std::min(int(cu * float(map.width)), map.width - 1);
    const int row = std::min(int(cv * float(map.height)), map.height - 1);
    if (map.pixels[ptrdiff_t(row) * map.pitch + ptrdiff_t(col) * bpp + alpha] < 128) continue;
    if (row_buffer[size_t(x - left)]) return true;
    row_buffer[size_t(x - left)] = 1;
  }
  return false;
}

// The per-row test of two active polygons.
bool RowHit(const RPoly& p, const RPoly& q) {
  const int pl = ToInt(p.ldat[0]), pr = ToInt(p.rdat[0]);
  const int ql = ToInt(q.ldat[0]), qr = ToInt(q.rdat[0]);
  if (pr <= ql || qr <= pl) return false;
  const int left = std::max(pl, ql), right = std::min(pr, qr);
  if (right <= left) return false;
  const size_t span = size_t(int64_t{right} - left);
  std::vector<int>& row_buffer = S().row_buffer;
  if (row_buffer.size() < span) row_buffer.resize(span);
  std::fill_n(row_buffer.begin(), span, 0);
  return MarkRow(p, left, right) || MarkRow(q, left, right);
}

// ---------------------------------------------------------------------------
// The shortcut: two axis-aligned quads on whole pixels, each either unmasked or
// masked by a map of exactly its own size, reduce to comparing the maps over the
// intersection of the two pixel rectangles. For such quads the scan above samples
// texel (px - left, py - top) for screen pixel (px, py), so both give the same
// answer (the tests hold them against each other on random cases).

struct PixelRect {
  int64_t left, top, right, bottom;
  const TPixmap* mask;
};

bool WholePixel(float v) { return std::fabs(v) < 1e8f && v == std::trunc(v); }

bool AsPixelRect(const TQuad& q, PixelRect& r) {
  if (q.whole) {
    r = {q.left, q.top, q.right, q.bottom, q.mask.get()};
  } else {
    const float* d = q.xyuv;
    // Corners in the order top-left, top-right, bottom-right, bottom-left, as an
    // image quad under the identity transform has them.
    if (!(d[0] == d[12] && d[4] == d[8] && d[1] == d[5] && d[9] == d[13] && d[0] <= d[4] && d[1] <= d[9])) {
      return false;
    }
    if (!WholePixel(d[0]) || !WholePixel(d[1]) || !WholePixel(d[4]) || !WholePixel(d[9])) return false;
    r = {int64_t(d[0]), int64_t(d[1]), int64_t(d[4]), int64_t(d[9]), q.mask.get()};
  }
  if (r.mask && (r.mask->width != r.right - r.left || r.mask->height != r.bottom - r.top)) return false;
  return true;
}

// The top bit of byte 3 of a 32-bit pixel read from memory.
constexpr uint32_t kAlphaTopBit = std::endian::native == std::endian::little ? 0x80000000u : 0x80u;

bool RectsCollide(const PixelRect& a, const PixelRect& b) {
  const int64_t left = std::max(a.left, b.left), right = std::min(a.right, b.right);
  const int64_t top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
  if (left >= right || top >= bottom) return false;
  if (!a.mask && !b.mask) return true;
  // At least one side is masked, so the common part is no larger than its map.
  const int w = int(right - left);
  const bool four_byte = a.mask && b.mask && a.mask->BytesPerPixel() == 4 && b.mask->BytesPerPixel() == 4;
  for (int64_t y = top; y < bottom; ++y) {
    const uint8_t* pa = a.mask ? a.mask->PixelPtr(int(left - a.left), int(y - a.top)) : nullptr;
    const uint8_t* pb = b.mask ? b.mask->PixelPtr(int(left - b.left), int(y - b.top)) : nullptr;
    if (four_byte) {
      // Both maps keep alpha in the last byte of each 32-bit pixel: AND the
      // pixels of the row and look at the alpha's top bit once per row.
      uint32_t any = 0;
      for (int i = 0; i < w; ++i) {
        uint32_t u, v;
        std::memcpy(&u, pa + 4 * i, 4);
        std::memcpy(&v, pb + 4 * i, 4);
        any |= u & v;
      }
      if (any & kAlphaTopBit) return true;
      continue;
    }
    int sa = 0, sb = 0;
    if (pa) pa += AlphaOffset(*a.mask), sa = a.mask->BytesPerPixel();
    if (pb) pb += AlphaOffset(*b.mask), sb = b.mask->BytesPerPixel();
    for (int i = 0; i < w; ++i) {
      // An unmasked side counts as solid everywhere.
      if ((!pa || pa[i * sa] >= 128) && (!pb || pb[i * sb] >= 128)) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------

// Under the identity transform, a quad whose left and top edges fall on whole
// pixels gets its exact pixel rectangle, worked out in double (exact for every
// int position, origin and handle the layer can be given).
void SetWholeRect(TQuad& quad, double left, double top, double w, double h) {
  const auto whole = [](double v) { return std::fabs(v) < 0x1p52 && v == std::trunc(v); };
  const auto& s = S();
  if (!(s.ix == 1 && s.iy == 0 && s.jx == 0 && s.jy == 1)) return;
  if (!whole(left) || !whole(top) || !whole(w) || !whole(h) || w < 0 || h < 0) return;
  quad.whole = true;
  quad.left = int64_t(left), quad.top = int64_t(top);
  quad.right = quad.left + int64_t(w), quad.bottom = quad.top + int64_t(h);
}

// (x, y) in double, so that an int position reaches the exact rectangle unrounded.
void BuildImageQuad(TQuad& quad, TImage& image, double x, double y, int frame) {
  image.CheckFrameIndex(frame);
  float ox, oy;
  SyncWithRenderer(ox, oy);
  const float w = float(image.width), h = float(image.height);
  const float g = -image.handle_x, k = -image.handle_y;
  const auto& s = S();
  const float ix = s.ix, iy = s.iy, jx = s.jx, jy = s.jy;
  const float bx = float(x) + ox, by = float(y) + oy;
  quad.SetCoords(bx + g * ix + k * iy, by + g * jx + k * jy,                          //
                 bx + (w + g) * ix + k * iy, by + (w + g) * jx + k * jy,              //
                 bx + (w + g) * ix + (h + k) * iy, by + (w + g) * jx + (h + k) * jy,  //
                 bx + g * ix + (h + k) * iy, by + g * jx + (h + k) * jy);
  SetWholeRect(quad, x + ox + g, y + oy + k, image.width, image.height);
  quad.frame = frame;
  PixmapPtr map = image.Lock(frame, true, false);
  quad.mask = map && map->HasAlpha() ? std::move(map) : nullptr;
}

void BuildRectQuad(TQuad& quad, float x, float y, float w, float h) {
  float ox, oy;
  SyncWithRenderer(ox, oy);
  const auto& s = S();
  const float ix = s.ix, iy = s.iy, jx = s.jx, jy = s.jy;
  const float bx = x + ox, by = y + oy;
  quad.SetCoords(bx, by, bx + w * ix, by + w * jx, bx + w * ix + h * iy, by + w * jx + h * jy, bx + h * iy,
                 by + h * jy);
  SetWholeRect(quad, double(x) + ox, double(y) + oy, w, h);
  quad.frame = 0;
  quad.mask.reset();
}

std::vector<const void*> TestQuad(const TQuad& quad, uint32_t collide_mask, uint32_t write_mask) {
  std::vector<const void*> hits;
  TQuad** layers = S().layers;
  for (int j = 0; j < kCollisionLayers; ++j) {
    if (!(collide_mask & (1u << j))) continue;
    for (const TQuad* q = layers[j]; q; q = q->link) {
      if (QuadsCollide(quad, *q)) hits.push_back(q->id);
    }
  }
  for (int j = 0; j < kCollisionLayers; ++j) {
    if (!(write_mask & (1u << j))) continue;
    TQuad* copy = TakeQuad();
    copy->id = quad.id;
    copy->mask = quad.mask;
    copy->frame = quad.frame;
    std::memcpy(copy->xyuv, quad.xyuv, sizeof copy->xyuv);
    copy->minx = quad.minx, copy->miny = quad.miny, copy->maxx = quad.maxx, copy->maxy = quad.maxy;
    copy->whole = quad.whole;
    copy->left = quad.left, copy->top = quad.top, copy->right = quad.right, copy->bottom = quad.bottom;
    copy->link = layers[j];
    layers[j] = copy;
  }
  return hits;
}

}  // namespace

void TQuad::SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
  const float xy[8] = {x0, y0, x1, y1, x2, y2, x3, y3};
  static constexpr float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  for (int i = 0; i < 4; ++i) {
    xyuv[i * 4 + 0] = xy[i * 2];
    xyuv[i * 4 + 1] = xy[i * 2 + 1];
    xyuv[i * 4 + 2] = uv[i * 2];
    xyuv[i * 4 + 3] = uv[i * 2 + 1];
  }
  whole = false;
  minx = std::min({x0, x1, x2, x3});
  maxx = std::max({x0, x1, x2, x3});
  miny = std::min({y0, y1, y2, y3});
  maxy = std::max({y0, y1, y2, y3});
}

void SetCollisionTransform(float ix, float iy, float jx, float jy) {
  auto& s = S();
  s.ix = ix, s.iy = iy, s.jx = jx, s.jy = jy;
}

void GetCollisionTransform(float& ix, float& iy, float& jx, float& jy) {
  const auto& s = S();
  ix = s.ix, iy = s.iy, jx = s.jx, jy = s.jy;
}

void ClearCollisionLayers(uint32_t mask) {
  TQuad** layers = S().layers;
  for (int j = 0; j < kCollisionLayers; ++j) {
    if (!(mask & (1u << j))) continue;
    while (TQuad* q = layers[j]) {
      layers[j] = q->link;
      ReleaseQuad(q);
    }
  }
}

bool QuadsCollideByScan(const TQuad& a, const TQuad& b) {
  if (a.maxx < b.minx || a.maxy < b.miny || a.minx > b.maxx || a.miny > b.maxy) return false;
  RPoly polys[2];
  InitPoly(polys[0], a);
  InitPoly(polys[1], b);
  int first_row = std::min(polys[0].top, polys[1].top);
  int last_row = 0;
  bool any = false;
  for (const RPoly& p : polys) {
    for (int i = 0; i < p.count; ++i) {
      last_row = any ? std::max(last_row, p.IY(i)) : p.IY(i);
      any = true;
    }
  }
  for (int y = first_row; y < last_row; ++y) {
    for (RPoly& p : polys) {
      if (p.state == 2 || y < p.top) continue;
      AdvanceEdge(p, y, -1, p.Left, p.ldat, p.ladd);
      if (p.state == 2) continue;
      AdvanceEdge(p, y, +1, p.Right, p.rdat, p.radd);
    }
    // Only rows where both polygons are inside their vertical extent can hold a
    // common pixel; a finished polygon keeps stale edge values that must not count.
    if (polys[0].state == 1 && polys[1].state == 1 && RowHit(polys[0], polys[1])) return true;
    for (RPoly& p : polys) {
      if (p.state != 1) continue;
      for (int c = 0; c < kChannels; ++c) {
        p.ldat[c] += p.ladd[c];
        p.rdat[c] += p.radd[c];
      }
    }
  }
  return false;
}

bool QuadsCollide(const TQuad& a, const TQuad& b) {
  PixelRect ra, rb;
  if (AsPixelRect(a, ra) && AsPixelRect(b, rb)) return RectsCollide(ra, rb);
  return QuadsCollideByScan(a, b);
}

namespace {

std::vector<const void*> TestImageQuadAt(const ImageRef& image, double x, double y, int frame, uint32_t collide_mask,
                                         uint32_t write_mask, const void* id) {
  if (!image) return {};
  TQuad& quad = ScratchQuad();
  BuildImageQuad(quad, *image, x, y, frame);
  quad.id = id;
  std::vector<const void*> hits = TestQuad(quad, collide_mask, write_mask);
  quad.mask.reset();
  return hits;
}

}  // namespace

std::vector<const void*> TestImageQuad(const ImageRef& image, float x, float y, int frame, uint32_t collide_mask,
                                       uint32_t write_mask, const void* id) {
  return TestImageQuadAt(image, x, y, frame, collide_mask, write_mask, id);
}

std::vector<const void*> TestRectQuad(float x, float y, float w, float h, uint32_t collide_mask, uint32_t write_mask,
                                      const void* id) {
  TQuad& quad = ScratchQuad();
  BuildRectQuad(quad, x, y, w, h);
  quad.id = id;
  return TestQuad(quad, collide_mask, write_mask);
}

namespace {

constexpr uint32_t kLayer31 = 1u << 31;

// Puts the first image's quad alone in layer 31.
void WriteFirstQuad(const ImageRef& image, int x, int y, int frame) {
  ClearCollisionLayers(kLayer31);
  TestImageQuadAt(image, x, y, frame, 0, kLayer31, nullptr);
}

int HitsFirstQuad(const ImageRef& image, int x, int y, int frame) {
  return TestImageQuadAt(image, x, y, frame, kLayer31, 0, nullptr).empty() ? 0 : 1;
}

}  // namespace

int ImagesOverlap(const ImageRef& image1, int x1, int y1, int frame1, const ImageRef& image2, int x2, int y2,
                  int frame2) {
  WriteFirstQuad(image1, x1, y1, frame1);
  return HitsFirstQuad(image2, x2, y2, frame2);
}

int ImagesOverlapTransformed(const ImageRef& image1, int x1, int y1, float rot1, float sx1, float sy1, int frame1,
                             const ImageRef& image2, int x2, int y2, float rot2, float sx2, float sy2, int frame2) {
  const float rot = GetDrawRotation();
  float scale_x, scale_y;
  GetDrawScale(scale_x, scale_y);
  // Restored on every way out, a bad frame index included.
  struct Restore {
    float rot, sx, sy;
    ~Restore() { SetDrawTransform(rot, sx, sy); }
  } restore{rot, scale_x, scale_y};
  SetDrawTransform(rot1, sx1, sy1);
  WriteFirstQuad(image1, x1, y1, frame1);
  SetDrawTransform(rot2, sx2, sy2);
  return HitsFirstQuad(image2, x2, y2, frame2);
}
