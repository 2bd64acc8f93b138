// The renderer behind the graphics operations: graphics objects, drivers and the
// renderer state record every drawing operation reads. The modules that draw
// (images, fonts, collision, the GL driver) use it; the game does not.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/graphics/graphics.h"

class TPixmap;      // a pixel map (pixmap)
class TImage;       // an image (images)
class TImageFrame;  // a GPU copy of one image frame (images)
class TGraphicsDriver;
class TPlanoDriver;

struct TGraphicsMode {
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;
};

class TGraphics {
 public:
  virtual ~TGraphics() = default;
  virtual TGraphicsDriver* Driver() = 0;
  virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
  virtual void Close() = 0;
};

class TGraphicsDriver {
 public:
  virtual ~TGraphicsDriver() = default;
  virtual std::vector<TGraphicsMode> GraphicsModes() = 0;
  virtual std::shared_ptr<TGraphics> AttachGraphics(intptr_t hwnd, int flags) = 0;
  virtual std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) = 0;
  virtual void SetGraphics(TGraphics* graphics) = 0;
  virtual void Flip(int sync) = 0;

  const char* name = "";
};

// A driver that also draws in 2D. Coordinates reaching the drawing operations
// are already in screen space: (x0, y0)-(x1, y1) is a shape relative to its
// handle, transformed by the current 2x2 matrix and offset by (tx, ty).
class TPlanoDriver : public TGraphicsDriver {
 public:
  virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(TPixmap& pixmap, int flags) = 0;
  // The GPU frame of frame `index` of an image, from its pixel map and the
  // image's flags: CreateFrameFromPixmap, unless the driver keeps the frames of
  // one image together.
  virtual std::shared_ptr<TImageFrame> CreateImageFrame(TImage& image, int index);
  virtual void SetBlend(int mode) = 0;
  virtual void SetAlpha(float alpha) = 0;
  virtual void SetColor(int red, int green, int blue) = 0;
  virtual void SetClsColor(int red, int green, int blue) = 0;
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
  virtual void SetLineWidth(float width) = 0;
  virtual void Cls() = 0;
  virtual void Plot(float x, float y) = 0;
  virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  // xy holds x, y pairs.
  virtual void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                        float origin_y) = 0;
  virtual void DrawPixmap(TPixmap& pixmap, int x, int y) = 0;
  virtual std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) = 0;
  virtual void SetResolution(float width, float height) = 0;

  TPlanoDriver* _succ = nullptr;  // next driver in the list of drivers
};

// The renderer state: one graphics object, one 2D driver and the drawing state.
class TPlanoGraphics : public TGraphics {
 public:
  TPlanoGraphics(std::shared_ptr<TGraphics> graphics, TPlanoDriver* driver);

  TGraphicsDriver* Driver() override;
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;

  virtual void Validate();
  virtual void MakeCurrent();

  int color_red = 255, color_green = 255, color_blue = 255;
  float color_alpha = 1.0f;
  int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
  float line_width = 1.0f;
  float tform_rot = 0.0f;
  float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
  float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;
  int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  float origin_x = 0.0f, origin_y = 0.0f;
  float handle_x = 0.0f, handle_y = 0.0f;  // stored negated
  std::shared_ptr<TImageFont> image_font;  // null: the built-in font
  int blend_mode = 1;
  float vres_width = 0.0f, vres_height = 0.0f;
  float vres_mousexscale = 1.0f, vres_mouseyscale = 1.0f;
  int g_width = 0, g_height = 0;
  std::shared_ptr<TGraphics> _graphics;
  TPlanoDriver* _driver = nullptr;
  int _setup = 0;
};

// Bumped whenever graphics are opened or closed or the driver changes; never 0.
// GPU frames built under another value are stale.
int graphics_epoch();
// Sets the value the next bump starts from (tests of its wrapping).
void SetGraphicsEpoch(int epoch);

// Drivers, newest first. The OpenGL driver is in the list from the start and is
// current by default.
TPlanoDriver* GraphicsDrivers();
void RegisterGraphicsDriver(TPlanoDriver* driver);
TPlanoDriver* GetGraphicsDriver();
void SetGraphicsDriver(TPlanoDriver* driver, int default_flags = GRAPHICS_BACKBUFFER);
// The registered driver with this name (as "OpenGL"), or null.
TPlanoDriver* FindGraphicsDriver(const std::string& name);

void SetGraphics(const std::shared_ptr<TGraphics>& graphics);
std::shared_ptr<TGraphics> CurrentGraphics();
// The current renderer state, or null before graphics are open.
TPlanoGraphics* CurrentPlanoGraphics();
// The same for the modules that draw or test through it (fonts, collision): they
// read the state and never change it.
const TPlanoGraphics* CurrentRenderer();
TPlanoDriver* CurrentPlanoDriver();
