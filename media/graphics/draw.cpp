#include "media/graphics/draw.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "media/graphics/renderer.h"
#include "media/files/streams.h"

namespace {

// A null image is a missing asset: the load returned null and nobody checked.
// Say so, and which file last failed to open, rather than crash.
TImage& Require(const ImageRef& image, const char* operation) {
  if (!image) {
    std::string message = std::string(operation) + ": null image";
    const String failed = LastFailedOpen();
    if (!failed.empty()) message += " (last file that could not be opened: " + TextToUtf8(failed) + ")";
    throw std::invalid_argument(message);
  }
  return *image;
}

// Both are needed to draw; before graphics are open there is nothing to draw on.
bool Renderer(TPlanoGraphics*& g, TPlanoDriver*& driver) {
  g = CurrentPlanoGraphics();
  driver = g ? g->_driver : nullptr;
  return driver != nullptr;
}

// Non-negative remainder.
int Mod(int a, int m) { return ((a % m) + m) % m; }

}  // namespace

namespace {

// The frame with its handle at (x, y) plus the origin, stretched to w x h.
void DrawFrame(const char* operation, const ImageRef& image, float x, float y, float w, float h, int frame) {
  TImage& im = Require(image, operation);
  TPlanoGraphics* g;
  TPlanoDriver* driver;
  if (!Renderer(g, driver)) return;
  TImageFrame* f = im.Frame(frame);
  if (!f) return;
  const float x0 = -im.handle_x, y0 = -im.handle_y;
  f->Draw(x0, y0, x0 + w, y0 + h, x + g->origin_x, y + g->origin_y, 0, 0, float(im.width), float(im.height));
}

}  // namespace

void DrawImageAt(const ImageRef& image, float x, float y, int frame) {
  const float w = image ? float(image->width) : 0, h = image ? float(image->height) : 0;
  DrawFrame("DrawImageAt", image, x, y, w, h, frame);
}

void DrawImageScaled(const ImageRef& image, float x, float y, float w, float h, int frame) {
  DrawFrame("DrawImageScaled", image, x, y, w, h, frame);
}

void FillTiled(const ImageRef& image, float x, float y, int frame) {
  TImage& im = Require(image, "FillTiled");
  TPlanoGraphics* g;
  TPlanoDriver* driver;
  if (!Renderer(g, driver)) return;
  TImageFrame* f = im.Frame(frame);
  const int w = im.width, h = im.height;
  if (!f || w <= 0 || h <= 0) return;
  const int vx = g->viewport_x, vy = g->viewport_y, vw = g->viewport_w, vh = g->viewport_h;
  const float ox = x + g->origin_x - im.handle_x, oy = y + g->origin_y - im.handle_y;
  if (!(std::fabs(ox) < 1e9f && std::fabs(oy) < 1e9f)) return;  // no tile grid that far out is drawable
  const float fx = ox - std::floor(ox), fy = oy - std::floor(oy);
  // The first tile starts in (v - size, v] and lies on the grid through (ox, oy).
  const int start_x = vx - w + 1 + Mod(int(std::floor(ox) - float(vx - w + 1)), w);
  const int start_y = vy - h + 1 + Mod(int(std::floor(oy) - float(vy - h + 1)), h);
  driver->SetTransform(1, 0, 0, 1);
  for (int ty = start_y; ty < vy + vh; ty += h) {
    for (int tx = start_x; tx < vx + vw; tx += w) {
      f->Draw(0, 0, float(w), float(h), float(tx) + fx, float(ty) + fy, 0, 0, float(w), float(h));
    }
  }
  driver->SetTransform(g->tform_ix, g->tform_iy, g->tform_jx, g->tform_jy);
}

void DrawRect(float x, float y, float w, float h) {
  TPlanoGraphics* g;
  TPlanoDriver* driver;
  if (!Renderer(g, driver)) return;
  driver->DrawRect(g->handle_x, g->handle_y, g->handle_x + w, g->handle_y + h, x + g->origin_x, y + g->origin_y);
}
