// The OpenGL 2D driver: windows with a GL context from the platform backend,
// drawn with GL 1.1 fixed-function calls. When the backend has no GL (a
// headless run that draws nothing) every GL call is skipped and only the state
// is kept, so the same program runs unchanged.
#pragma once

#include <cstdint>
#include <memory>

#include "media/graphics/graphics.h"

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

  // Maps a shape point to the screen with the current matrix and offset.
  float ScreenX(float x, float y, float tx) const { return x * ix + y * iy + tx; }
  float ScreenY(float x, float y, float ty) const { return x * jx + y * jy + ty; }

  // Current drawing colour as sent to GL, and the transform matrix.
  uint8_t color_r = 255, color_g = 255, color_b = 255, color_a = 255;
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;

 private:
  void ResetContext(int width, int height);
  void SendColor();

  TGLGraphics* current_ = nullptr;
  bool gl_ = false;
  int active_blend_ = 0;  // 0: unknown, sent on next SetBlend
  unsigned bound_texture_ = 0;
  bool texturing_ = false;
};

// The one OpenGL driver (name "OpenGL").
TGLPlanoDriver* GLPlanoDriver();
