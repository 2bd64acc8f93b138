// OpenGL image frames: one power-of-two texture per frame, and for images of
// several frames a sheet holding all of them in one more texture.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "media/core/module_state.h"
#include "media/graphics/gl/gl_driver.h"
#include "media/graphics/gl/gl_frame.h"
#include "media/pixmap/pixmap.h"
#include "media/platform/heap.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

struct Textures {
  // Names of textures whose frames went away, with the graphics epoch they were
  // made under. They are deleted when the next texture is made, unless graphics
  // were reopened meanwhile (then the context that owned them is gone). Images
  // in program-wide variables reach it when they are destroyed at exit.
  std::vector<std::pair<unsigned, int>> dead;
  bool heap_tuned = false;  // the C library keeps freed memory for the renderer
};

Textures& S() { return core::ModuleState<Textures>(); }
std::vector<std::pair<unsigned, int>>& DeadTextures() { return S().dead; }

void DeleteDeadTextures(bool gl) {
  auto& dead = DeadTextures();
  if (dead.empty()) return;
  // Quads still waiting to be drawn may use them.
  GLPlanoDriver()->Flush();
  for (const auto& [name, seq] : dead) {
    if (gl && seq == graphics_epoch()) {
      const GLuint n = name;
      glDeleteTextures(1, &n);
    }
  }
  dead.clear();
}

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

// The largest texture size not above (w, h) the GL accepts, found with the proxy
// texture, halving each side above 1 while it is refused.
void FitTextureSize(int& w, int& h) {
  for (;;) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint got = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &got);
    if (got != 0) return;
    if (w == 1 && h == 1) throw std::runtime_error("Unable to calculate tex size");
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
  }
}

// Nearest-neighbour resize, for pictures larger than the biggest texture.
PixmapPtr Resized(const TPixmap& map, int w, int h) {
  const PixmapPtr rgba = map.format == PF_RGBA8888 ? nullptr : map.Convert(PF_RGBA8888);
  const TPixmap& src = rgba ? *rgba : map;
  PixmapPtr out = TPixmap::Create(w, h, PF_RGBA8888);
  for (int y = 0; y < h; ++y) {
    const int sy = int(int64_t(y) * src.height / h);
    for (int x = 0; x < w; ++x) {
      const int sx = int(int64_t(x) * src.width / w);
      std::copy_n(src.PixelPtr(sx, sy), 4, out->PixelPtr(x, y));
    }
  }
  return out;
}

// A texture-sized RGBA map with the picture at (0, 0) and its last column, last
// row and bottom-right pixel repeated once beyond it, so filtering at the
// picture's edges samples the picture itself.
PixmapPtr PaddedToTexture(const TPixmap& map, int tw, int th) {
  if (map.width == tw && map.height == th) return map.format == PF_RGBA8888 ? nullptr : map.Convert(PF_RGBA8888);
  PixmapPtr out = TPixmap::Create(tw, th, PF_RGBA8888);
  out->Paste(map, 0, 0);
  const int w = map.width, h = map.height;
  if (w == 0 || h == 0) return out;
  if (w < tw) {
    for (int y = 0; y < h; ++y) std::copy_n(out->PixelPtr(w - 1, y), 4, out->PixelPtr(w, y));
  }
  if (h < th) std::copy_n(out->PixelPtr(0, h - 1), size_t(w) * 4, out->PixelPtr(0, h));
  if (w < tw && h < th) std::copy_n(out->PixelPtr(w - 1, h - 1), 4, out->PixelPtr(w, h));
  return out;
}

// The next mip level: each side halved (not below 1), each texel the mean of
// the up to 2 x 2 texels it covers.
PixmapPtr HalvedMap(const TPixmap& map) {
  const int w = std::max(1, map.width / 2), h = std::max(1, map.height / 2);
  PixmapPtr out = TPixmap::Create(w, h, PF_RGBA8888);
  for (int y = 0; y < h; ++y) {
    const int y0 = std::min(2 * y, map.height - 1), y1 = std::min(2 * y + 1, map.height - 1);
    for (int x = 0; x < w; ++x) {
      const int x0 = std::min(2 * x, map.width - 1), x1 = std::min(2 * x + 1, map.width - 1);
      const uint8_t* p[4] = {map.PixelPtr(x0, y0), map.PixelPtr(x1, y0), map.PixelPtr(x0, y1), map.PixelPtr(x1, y1)};
      uint8_t* d = out->PixelPtr(x, y);
      for (int c = 0; c < 4; ++c) d[c] = uint8_t((p[0][c] + p[1][c] + p[2][c] + p[3][c] + 2) / 4);
    }
  }
  return out;
}

// Largest side of a sheet texture: beyond it the frames keep to their own textures.
constexpr int kMaxSheetSide = 4096;

// A sheet texture for `count` cells of cell_w x cell_h, or null when none fits:
// the smallest power-of-two texture that holds them, the squarer of equal ones.
std::shared_ptr<TGLSheet> MakeSheet(int count, int cell_w, int cell_h) {
  int best_w = 0, best_h = 0;
  for (int tw = PowerOfTwoAtLeast(cell_w); tw <= kMaxSheetSide; tw *= 2) {
    const int columns = tw / cell_w;
    const int64_t rows = (int64_t{count} + columns - 1) / columns;
    if (rows * cell_h > kMaxSheetSide) continue;
    const int th = PowerOfTwoAtLeast(int(rows * cell_h));
    const int64_t area = int64_t{tw} * th, best_area = int64_t{best_w} * best_h;
    if (best_w == 0 || area < best_area || (area == best_area && std::max(tw, th) < std::max(best_w, best_h)))
      best_w = tw, best_h = th;
  }
  if (best_w == 0) return nullptr;
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, best_w, best_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  GLint got = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &got);
  if (got == 0) return nullptr;

  auto sheet = std::make_shared<TGLSheet>();
  sheet->seq = graphics_epoch();
  sheet->width = best_w;
  sheet->height = best_h;
  sheet->columns = best_w / cell_w;
  sheet->cell_w = cell_w;
  sheet->cell_h = cell_h;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  GLPlanoDriver()->BindTexture(name);
  sheet->name = name;
  // Only ever sampled one texel per pixel, at texel centres.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, best_w, best_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  return sheet;
}

// The map in a cell one pixel larger on every side, the border repeating the
// map's edge pixels.
PixmapPtr WithBorder(const TPixmap& map) {
  const int w = map.width, h = map.height;
  PixmapPtr out = TPixmap::Create(w + 2, h + 2, PF_RGBA8888);
  out->Paste(map, 1, 1);
  for (int y = 1; y <= h; ++y) {
    std::copy_n(out->PixelPtr(1, y), 4, out->PixelPtr(0, y));
    std::copy_n(out->PixelPtr(w, y), 4, out->PixelPtr(w + 1, y));
  }
  std::copy_n(out->PixelPtr(0, 1), size_t(w + 2) * 4, out->PixelPtr(0, 0));
  std::copy_n(out->PixelPtr(0, h), size_t(w + 2) * 4, out->PixelPtr(0, h + 1));
  return out;
}

void Upload(const TPixmap& map, int level) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, map.pitch / 4);
  glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, map.width, map.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, map.pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

}  // namespace

size_t QueuedTextureDeletions() { return DeadTextures().size(); }

TGLImageFrame::~TGLImageFrame() {
  if (name != 0 && seq == graphics_epoch()) DeadTextures().emplace_back(name, seq);
}

TGLSheet::~TGLSheet() {
  if (name != 0 && seq == graphics_epoch()) DeadTextures().emplace_back(name, seq);
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
                         float sh) {
  TGLPlanoDriver& d = *GLPlanoDriver();
  if (!d.HasGL() || name == 0 || seq != graphics_epoch()) return;
  const float xy[8] = {d.ScreenX(x0, y0, tx), d.ScreenY(x0, y0, ty), d.ScreenX(x1, y0, tx), d.ScreenY(x1, y0, ty),
                       d.ScreenX(x1, y1, tx), d.ScreenY(x1, y1, ty), d.ScreenX(x0, y1, tx), d.ScreenY(x0, y1, ty)};
  // One texel to one pixel: every sample falls on a texel centre, where nearest
  // and linear sampling (and level 0 of a mipmapped texture) read the same texel.
  const auto whole = [](float v) { return std::floor(v) == v; };
  const bool exact = d.QuadBatching() && unit_texels && whole(sx) && whole(sy) && whole(sw) && whole(sh) &&
                     d.PixelForPixel(xy, sw, sh);
  if (exact && sheet && sx >= 0 && sy >= 0 && sx + sw <= float(width) && sy + sh <= float(height)) {
    const float su = 1.0f / float(sheet->width), sv = 1.0f / float(sheet->height);
    const float s0 = (float(sheet_x) + sx) * su, t0 = (float(sheet_y) + sy) * sv;
    const float s1 = (float(sheet_x) + sx + sw) * su, t1 = (float(sheet_y) + sy + sh) * sv;
    const float st[8] = {s0, t0, s1, t0, s1, t1, s0, t1};
    d.AddQuad(sheet->name, xy, st);
    return;
  }
  d.SetNearest(name, nearest_now, exact, mag_filter, min_filter);
  const float s0 = sx * uscale, t0 = sy * vscale, s1 = (sx + sw) * uscale, t1 = (sy + sh) * vscale;
  const float st[8] = {s0, t0, s1, t0, s1, t1, s0, t1};
  d.AddQuad(name, xy, st);
}

std::shared_ptr<TImageFrame> TGLPlanoDriver::CreateImageFrame(TImage& image, int index) {
  PixmapPtr map = image.Lock(index, true, false);
  std::shared_ptr<TImageFrame> made = CreateFrameFromPixmap(*map, image.flags);
  auto* frame = static_cast<TGLImageFrame*>(made.get());
  if (image.FrameCount() < 2 || frame->name == 0 || !frame->unit_texels || map->width != image.width ||
      map->height != image.height || image.width <= 0 || image.height <= 0)
    return made;
  // The sheet the image's other current frames use, else a new one.
  for (size_t i = 0; i < image.frames.size() && !frame->sheet; ++i) {
    auto* other = dynamic_cast<TGLImageFrame*>(image.frames[i].get());
    if (int(i) != index && image.seqs[i] == graphics_epoch() && other && other->sheet && other->sheet->seq == graphics_epoch())
      frame->sheet = other->sheet;
  }
  if (!frame->sheet) frame->sheet = MakeSheet(image.FrameCount(), image.width + 2, image.height + 2);
  if (!frame->sheet) return made;
  Flush();  // quads waiting to be drawn may use the cell's old pixels
  TGLSheet& sheet = *frame->sheet;
  frame->sheet_x = sheet.FrameX(index);
  frame->sheet_y = sheet.FrameY(index);
  PixmapPtr cell = WithBorder(*map);
  glBindTexture(GL_TEXTURE_2D, sheet.name);
  BindTexture(sheet.name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, cell->pitch / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, frame->sheet_x - 1, frame->sheet_y - 1, cell->width, cell->height, GL_RGBA,
                  GL_UNSIGNED_BYTE, cell->pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  return made;
}

std::shared_ptr<TImageFrame> TGLPlanoDriver::CreateFrameFromPixmap(TPixmap& pixmap, int flags) {
  auto frame = std::make_shared<TGLImageFrame>();
  frame->seq = graphics_epoch();
  frame->width = pixmap.width;
  frame->height = pixmap.height;
  const bool gl = HasGL();
  DeleteDeadTextures(gl);

  int tw = PowerOfTwoAtLeast(std::max(pixmap.width, 1)), th = PowerOfTwoAtLeast(std::max(pixmap.height, 1));
  if (gl) FitTextureSize(tw, th);
  // Frame coordinates (0 .. picture size) map to texture coordinates through
  // uscale and vscale. A picture larger than the biggest texture is shrunk to
  // fit, and the scales shrink with it so the whole picture is still drawn.
  const int fit_w = std::min(tw, pixmap.width), fit_h = std::min(th, pixmap.height);
  frame->uscale = pixmap.width > tw ? float(fit_w) / float(pixmap.width) / float(tw) : 1.0f / float(tw);
  frame->vscale = pixmap.height > th ? float(fit_h) / float(pixmap.height) / float(th) : 1.0f / float(th);
  frame->u1 = float(pixmap.width) * frame->uscale;
  frame->v1 = float(pixmap.height) * frame->vscale;
  frame->unit_texels = fit_w == pixmap.width && fit_h == pixmap.height;
  if (!gl) return frame;  // nothing to draw on: a frame without texture

  // Each texture change costs the software renderer tens of kilobytes of
  // command memory per frame; keep it in the heap rather than have it returned
  // to the system and faulted back every frame (a tenfold slow-down otherwise).
  if (!S().heap_tuned) {
    S().heap_tuned = true;
    platform::RetainFreedHeap(size_t{64} << 20);
  }

  PixmapPtr resized;
  const TPixmap* map = &pixmap;
  if (fit_w < map->width || fit_h < map->height) {
    resized = Resized(*map, fit_w, fit_h);
    map = resized.get();
  }
  PixmapPtr padded = PaddedToTexture(*map, tw, th);
  if (padded) map = padded.get();

  GLuint name = 0;
  glGenTextures(1, &name);
  // Bound directly (a name freed just before may be reused and still be the
  // driver's cached binding), then told to the driver's cache.
  glBindTexture(GL_TEXTURE_2D, name);
  BindTexture(name);
  frame->name = name;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  const bool filtered = flags & 2, mipmapped = flags & 4;
  frame->mag_filter = filtered ? GL_LINEAR : GL_NEAREST;
  frame->min_filter = mipmapped ? (filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                                : (filtered ? GL_LINEAR : GL_NEAREST);
  frame->nearest_now = frame->mag_filter == GL_NEAREST && frame->min_filter == GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, frame->mag_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, frame->min_filter);
  Upload(*map, 0);
  if (mipmapped) {
    PixmapPtr level_map;
    for (int level = 1; map->width > 1 || map->height > 1; ++level) {
      level_map = HalvedMap(*map);
      map = level_map.get();
      Upload(*map, level);
    }
  }
  return frame;
}
