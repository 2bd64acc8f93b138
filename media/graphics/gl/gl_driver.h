// The OpenGL 2D driver: windows with a GL context from the platform backend,
// drawn with GL 1.1 fixed-function calls. When the backend has no GL (a
// headless run that draws nothing) every GL call is skipped and only the state
// is kept, so the same program runs unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/graphics/renderer.h"

class TGLPlanoDriver;

// The window record behind a GL graphics object.
struct TGLContextRecord {
  TGLContextRecord* next = nullptr;
  int kind = 2;  // 1 attached, 2 windowed, 3 full screen
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;
  int flags = 0;
};

class TGLGraphics : public TGraphics {
 public:
  TGLGraphics(TGLPlanoDriver* driver, std::unique_ptr<TGLContextRecord> context);
  ~TGLGraphics() override;
  TGraphicsDriver* Driver() override;
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;

  std::unique_ptr<TGLContextRecord> _context;  // null once closed

 private:
  TGLPlanoDriver* driver_;
};

class TGLPlanoDriver : public TPlanoDriver {
 public:
  TGLPlanoDriver();

  std::vector<TGraphicsMode> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(intptr_t hwnd, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) override;
  void SetGraphics(TGraphics* graphics) override;
  void Flip(int sync) override;

  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(TPixmap& pixmap, int flags) override;
  // A frame of a many-frame image also takes its cell in the image's sheet.
  std::shared_ptr<TImageFrame> CreateImageFrame(TImage& image, int index) override;
  void SetBlend(int mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int red, int green, int blue) override;
  void SetClsColor(int red, int green, int blue) override;
  void SetViewport(int x, int y, int width, int height) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                float origin_y) override;
  void DrawPixmap(TPixmap& pixmap, int x, int y) override;
  std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;
  void SetResolution(float width, float height) override;

  // True while GL calls reach a real context.
  bool HasGL() const { return gl_; }
  // The graphics whose context is current, or null.
  TGLGraphics* Current() const { return current_; }
  // Called by a closing graphics object.
  void Forget(TGLGraphics* graphics);

  // Texture state, cached so that unchanged state is not sent again.
  // BindTexture(0) turns texturing off.
  void BindTexture(unsigned name);
  unsigned BoundTexture() const { return bound_texture_; }

  // Quads are collected and sent to GL in batches: consecutive quads with the
  // same texture go out in one draw call when the texture or a piece of GL state
  // changes, or before anything clears, reads or presents the surface. Each quad
  // takes the current colour and alpha. `xy` holds the four corners in screen
  // units, `st` their texture coordinates (unused for texture 0, which draws
  // untextured). Quads wholly outside the clip rectangle are dropped.
  void AddQuad(unsigned texture, const float xy[8], const float st[8]);
  // Sends the collected quads.
  void Flush();
  // With batching off every quad is sent on its own, drawn from its frame's own
  // texture with that texture's filtering, and none is dropped: the plain path,
  // which the batched one matches pixel for pixel. On by default.
  void SetQuadBatching(bool on);
  bool QuadBatching() const { return batching_; }
  // Quads and draw calls sent to GL so far.
  uint64_t QuadsSent() const { return quads_sent_; }
  uint64_t DrawCalls() const { return draw_calls_; }
  // True when the quad (corners as for AddQuad) covers whole window pixels one
  // to one: identity transform, screen units equal to window pixels, corners on
  // whole pixels, and its size sw x sh.
  bool PixelForPixel(const float xy[8], float sw, float sh) const;
  // Sets the filtering of texture `name` to nearest (for quads drawn one texel
  // per pixel, where it samples exactly what linear filtering samples) or back to
  // its own (mag, min); `nearest_now` records which it has. A change first sends
  // the collected quads, which are to be drawn with the filtering they had.
  void SetNearest(unsigned name, bool& nearest_now, bool nearest, int mag, int min);

  // Maps a shape point to the screen with the current matrix and offset.
  float ScreenX(float x, float y, float tx) const { return x * ix + y * iy + tx; }
  float ScreenY(float x, float y, float ty) const { return x * jx + y * jy + ty; }

  // Current drawing colour as sent to GL, and the transform matrix.
  uint8_t color_r = 255, color_g = 255, color_b = 255, color_a = 255;
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;

 private:
  void ResetContext(int width, int height);
  void SendColor();
  void DropQuads();
  // Readies GL for a primitive drawn at once (points, lines, polygons).
  void BeginImmediate();

  TGLGraphics* current_ = nullptr;
  bool gl_ = false;
  int active_blend_ = 0;  // 0: unknown, sent on next SetBlend
  unsigned bound_texture_ = 0;
  bool texturing_ = false;

  // The batch: texture, corners, texture coordinates and colours (as floats, the
  // values GL makes of the byte colour).
  bool batching_ = true;
  unsigned batch_texture_ = 0;
  bool batch_plain_ = false;  // textured, white at full alpha
  int texture_mode_ = 0;      // texture environment mode sent (0: unknown)
  std::vector<float> batch_xy_, batch_st_, batch_rgba_;
  uint64_t quads_sent_ = 0, draw_calls_ = 0;
  // Window pixels per screen unit, and the clip rectangle in window pixels.
  float unit_x_ = 1.0f, unit_y_ = 1.0f;
  float clip_x0_ = 0, clip_y0_ = 0, clip_x1_ = 0, clip_y1_ = 0;
};

// The one OpenGL driver (name "OpenGL").
TGLPlanoDriver* GLPlanoDriver();
