// Drawing primitives of the OpenGL driver.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/graphics/gl/gl_driver.h"

void TGLPlanoDriver::Plot(float x, float y) {
  if (!HasGL()) return;
  BeginImmediate();
  glBegin(GL_POINTS);
  glVertex2f(x + 0.5f, y + 0.5f);
  glEnd();
}

void TGLPlanoDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  if (!HasGL()) return;
  BeginImmediate();
  glBegin(GL_LINES);
  glVertex2f(ScreenX(x0, y0, tx) + 0.5f, ScreenY(x0, y0, ty) + 0.5f);
  glVertex2f(ScreenX(x1, y1, tx) + 0.5f, ScreenY(x1, y1, ty) + 0.5f);
  glEnd();
}

void TGLPlanoDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  const float xy[8] = {ScreenX(x0, y0, tx), ScreenY(x0, y0, ty), ScreenX(x1, y0, tx), ScreenY(x1, y0, ty),
                       ScreenX(x1, y1, tx), ScreenY(x1, y1, ty), ScreenX(x0, y1, tx), ScreenY(x0, y1, ty)};
  AddQuad(0, xy, nullptr);
}

void TGLPlanoDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  if (!HasGL()) return;
  BeginImmediate();
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
  const int segments = std::max(8, static_cast<int>(std::fabs(rx) + std::fabs(ry)));
  glBegin(GL_POLYGON);
  for (int i = 0; i < segments; ++i) {
    const float a = static_cast<float>(i) * 6.2831853f / static_cast<float>(segments);
    const float x = cx + std::cos(a) * rx, y = cy + std::sin(a) * ry;
    glVertex2f(ScreenX(x, y, tx), ScreenY(x, y, ty));
  }
  glEnd();
}

void TGLPlanoDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                              float origin_y) {
  if (!HasGL() || xy.size() < 6) return;
  BeginImmediate();
  glBegin(GL_POLYGON);
  for (size_t i = 0; i + 1 < xy.size(); i += 2) {
    const float x = xy[i] + handle_x, y = xy[i + 1] + handle_y;
    glVertex2f(ScreenX(x, y, origin_x), ScreenY(x, y, origin_y));
  }
  glEnd();
}

void TGLPlanoDriver::DrawPixmap(TPixmap&, int, int) {}

std::shared_ptr<TPixmap> TGLPlanoDriver::GrabPixmap(int, int, int, int) {
  Flush();
  return nullptr;
}

void TGLPlanoDriver::BeginImmediate() {
  // Drawn after the quads collected before them, untextured, in the current colour.
  Flush();
  BindTexture(0);
  SendColor();
}
