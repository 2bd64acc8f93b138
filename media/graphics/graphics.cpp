#include "media/graphics/graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/core/module_state.h"
#include "media/core/registry.h"
#include "media/graphics/gl/gl_driver.h"
#include "media/graphics/renderer.h"
#include "media/input/keyboard.h"
#include "media/input/tick_waits.h"
#include "media/platform/lifetime.h"
#include "media/platform/platform.h"

namespace {

// Graphics kept in program-wide variables, and the exit action that closes the
// graphics, may come after every static here.
struct GraphicsState {
  int epoch = 1;
  TPlanoDriver* driver = nullptr;
  int default_flags = GRAPHICS_BACKBUFFER;
  std::shared_ptr<TGraphics> current;
  std::shared_ptr<TPlanoGraphics> exclusive;
  TPlanoGraphics* plano = nullptr;  // current renderer state
  TPlanoDriver* plano_driver = nullptr;
  bool soft_sync = false;
  bool auto_sync = false;
  int sync_rate = 0;
  int sync_period = 0;
  int sync_frac = 0;
  int sync_accum = 0;
  uint32_t sync_time = 0;
  unsigned tick_waits = 0;  // TickWaitsSoFar at the previous limited frame
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;
  std::string title = "Tessaly Application";
  core::Registry<TPlanoDriver> drivers;

  GraphicsState() { drivers.Add(GLPlanoDriver()); }
};

GraphicsState& S() { return core::ModuleState<GraphicsState>(); }

void BumpEpoch() {
  // Wraps from -1 to 1: 0 means "never built" to the images.
  int& epoch = S().epoch;
  uint32_t e = static_cast<uint32_t>(epoch) + 1u;
  if (e == 0) e = 1;
  epoch = static_cast<int>(e);
}

TPlanoDriver* Driver() {
  auto& s = S();
  if (s.driver == nullptr) SetGraphicsDriver(GLPlanoDriver());
  return s.driver;
}

// Each Apply sends one part of the renderer state to the driver.
void ApplyVirtualSize(TPlanoGraphics& g) { g._driver->SetResolution(g.vres_width, g.vres_height); }
void ApplyBlend(TPlanoGraphics& g) { g._driver->SetBlend(g.blend_mode); }
void ApplyColor(TPlanoGraphics& g) { g._driver->SetColor(g.color_red, g.color_green, g.color_blue); }
void ApplyAlpha(TPlanoGraphics& g) { g._driver->SetAlpha(g.color_alpha); }
void ApplyClsColor(TPlanoGraphics& g) {
  g._driver->SetClsColor(g.clscolor_red, g.clscolor_green, g.clscolor_blue);
}
void ApplyLineWidth(TPlanoGraphics& g) { g._driver->SetLineWidth(g.line_width); }

void ApplyTransform(TPlanoGraphics& g) {
  const double rad = static_cast<double>(g.tform_rot) * 3.14159265358979323846 / 180.0;
  const float s = static_cast<float>(std::sin(rad));
  const float c = static_cast<float>(std::cos(rad));
  g.tform_ix = c * g.tform_scale_x;
  g.tform_iy = -s * g.tform_scale_y;
  g.tform_jx = s * g.tform_scale_x;
  g.tform_jy = c * g.tform_scale_y;
  g._driver->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
}

void ApplyViewport(TPlanoGraphics& g) {
  // The viewport is given in virtual units; the driver wants real pixels.
  // Edges are worked out in double and held inside the int range, so that
  // rectangles reaching far off screen stay off screen instead of overflowing.
  const auto edge = [](double units, float scale) {
    const double v = std::floor(static_cast<float>(units) / scale);
    return static_cast<int64_t>(std::clamp(v, double{INT32_MIN}, double{INT32_MAX}));
  };
  const float sx = g.vres_mousexscale, sy = g.vres_mouseyscale;
  const int64_t x0 = edge(g.viewport_x, sx);
  const int64_t y0 = edge(g.viewport_y, sy);
  const int64_t x1 = edge(static_cast<double>(g.viewport_x) + g.viewport_w, sx);
  const int64_t y1 = edge(static_cast<double>(g.viewport_y) + g.viewport_h, sy);
  const auto size = [](int64_t n) { return static_cast<int>(std::min<int64_t>(n, INT32_MAX)); };
  g._driver->SetViewport(static_cast<int>(x0), static_cast<int>(y0), size(x1 - x0), size(y1 - y0));
}

void ClearSettings() {
  auto& s = S();
  s.width = s.height = s.depth = s.hertz = s.flags = 0;
}

}  // namespace

TPlanoGraphics::TPlanoGraphics(std::shared_ptr<TGraphics> graphics, TPlanoDriver* driver)
    : _graphics(std::move(graphics)), _driver(driver) {
  int w = 0, h = 0, d = 0, hz = 0, f = 0;
  _graphics->GetSettings(w, h, d, hz, f);
  viewport_w = w;
  viewport_h = h;
  vres_width = static_cast<float>(w);
  vres_height = static_cast<float>(h);
  g_width = w;
  g_height = h;
}

TGraphicsDriver* TPlanoGraphics::Driver() { return _driver; }

void TPlanoGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  _graphics->GetSettings(width, height, depth, hertz, flags);
}

void TPlanoGraphics::Close() { _graphics->Close(); }

void TPlanoGraphics::Validate() {
  int w = 0, h = 0, d = 0, hz = 0, f = 0;
  GetSettings(w, h, d, hz, f);
  if (w != g_width || h != g_height) {
    g_width = w;
    g_height = h;
    vres_width = static_cast<float>(w);
    vres_height = static_cast<float>(h);
    vres_mousexscale = vres_mouseyscale = 1.0f;
  }
  ApplyVirtualSize(*this);
  ApplyBlend(*this);
  ApplyColor(*this);
  ApplyAlpha(*this);
  ApplyClsColor(*this);
  ApplyLineWidth(*this);
  ApplyTransform(*this);  // rotation and scale together
  ApplyViewport(*this);
  // Origin, handle and font live only here; the drawing code reads them.
}

void TPlanoGraphics::MakeCurrent() {
  auto& s = S();
  s.plano = this;
  s.plano_driver = _driver;
  Validate();
  if (_setup == 0) {
    // Both buffers start cleared.
    _driver->Cls();
    _driver->Flip(0);
    _driver->Cls();
    _driver->Flip(0);
    _setup = 1;
  }
}

int graphics_epoch() { return S().epoch; }
void SetGraphicsEpoch(int epoch) { S().epoch = epoch; }

TPlanoDriver* GraphicsDrivers() { return S().drivers.Head(); }
void RegisterGraphicsDriver(TPlanoDriver* driver) { S().drivers.Add(driver); }

TPlanoDriver* GetGraphicsDriver() { return Driver(); }

void SetGraphicsDriver(TPlanoDriver* driver, int default_flags) {
  auto& s = S();
  if (s.driver != nullptr && s.current) s.driver->SetGraphics(nullptr);
  s.driver = driver;
  s.default_flags = default_flags;
  s.current.reset();
  s.plano = nullptr;
  s.plano_driver = nullptr;
  ClearSettings();
  BumpEpoch();
}

TPlanoDriver* FindGraphicsDriver(const std::string& name) {
  return S().drivers.Find([&](const TPlanoDriver& d) { return name == d.name; });
}

void SetAppTitle(const std::string& title) {
  S().title = title;
  // An open window takes the new title too, so the caption shows the title the
  // program set, whenever it set it.
  if (S().exclusive) platform::Current().SetWindowTitle(title);
}
const std::string& AppTitle() { return S().title; }

void SetGraphics(const std::shared_ptr<TGraphics>& graphics) {
  auto& s = S();
  if (!graphics) {
    if (s.driver != nullptr) s.driver->SetGraphics(nullptr);
    s.current.reset();
    s.plano = nullptr;
    s.plano_driver = nullptr;
    ClearSettings();
    return;
  }
  auto* driver = dynamic_cast<TPlanoDriver*>(graphics->Driver());
  if (driver != s.driver) {
    if (s.driver != nullptr) s.driver->SetGraphics(nullptr);
    s.driver = driver;
  }
  graphics->GetSettings(s.width, s.height, s.depth, s.hertz, s.flags);
  if (driver != nullptr) driver->SetGraphics(graphics.get());
  s.current = graphics;
}

std::shared_ptr<TPlanoGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags) {
  auto& s = S();
  CloseGraphics();
  TPlanoDriver* driver = Driver();
  std::shared_ptr<TPlanoGraphics> g;
  try {
    g = std::dynamic_pointer_cast<TPlanoGraphics>(
        driver->CreateGraphics(width, height, depth, hertz, flags | s.default_flags));
  } catch (...) {
    g.reset();
  }
  if (!g) return nullptr;
  BumpEpoch();
  SetGraphics(g);
  if (depth != 0) {
    s.soft_sync = false;
    s.auto_sync = hertz != 0;
  } else {
    s.auto_sync = false;
    // A negative rate would make a negative period; it paces nothing.
    s.soft_sync = hertz > 0;
  }
  if (s.soft_sync) {
    s.sync_rate = hertz;
    s.sync_period = 1000 / hertz;
    s.sync_frac = 1000 - s.sync_period * hertz;
    s.sync_accum = 0;
    s.sync_time = static_cast<uint32_t>(ElapsedMillis());
  }
  s.tick_waits = TickWaitsSoFar();
  EnablePolledInput(nullptr);
  s.exclusive = g;
  platform::AddExitHookOnce(CloseGraphics);
  return g;
}

void CloseGraphics() {
  auto& s = S();
  if (!s.exclusive) return;
  auto g = std::move(s.exclusive);
  BumpEpoch();
  DisablePolledInput();
  if (s.current == g) SetGraphics(nullptr);
  g->Close();
}

std::shared_ptr<TGraphics> CurrentGraphics() { return S().current; }
TPlanoGraphics* CurrentPlanoGraphics() { return S().plano; }
const TPlanoGraphics* CurrentRenderer() { return S().plano; }
TPlanoDriver* CurrentPlanoDriver() { return S().plano_driver; }
int graphics_width() { return S().width; }
int graphics_height() { return S().height; }
int graphics_depth() { return S().depth; }
int graphics_hertz() { return S().hertz; }
int graphics_flags() { return S().flags; }

void Cls() {
  if (auto* d = CurrentPlanoDriver(); d != nullptr && S().current) d->Cls();
}

void Flip(int sync) {
  auto& s = S();
  if (!s.current || s.driver == nullptr) return;
  if (sync != -1) {
    s.driver->Flip(sync);
    return;
  }
  if (s.current != s.exclusive) {
    s.driver->Flip(1);
    return;
  }
  if (s.soft_sync) {
    // Spreads 1000 ms evenly over sync_rate frames (16, 17, 17 ... at 60 Hz).
    s.sync_time += static_cast<uint32_t>(s.sync_period);
    s.sync_accum += s.sync_frac;
    if (s.sync_accum >= s.sync_rate) {
      s.sync_accum -= s.sync_rate;
      s.sync_time += 1;
    }
    const auto now = static_cast<uint32_t>(ElapsedMillis());
    const auto dt = static_cast<int32_t>(s.sync_time - now);
    if (dt > 0)
      platform::Current().SleepMillis(dt);
    else
      s.sync_time = now;  // late: restart the schedule from now instead of hurrying
    s.driver->Flip(0);
    return;
  }
  // A frame the program did not pace by a tick wait since the previous one may
  // be held back by the window (platform/frame_limit.h).
  const unsigned waits = TickWaitsSoFar();
  if (waits == s.tick_waits) platform::Current().HoldUnpacedFrame();
  s.tick_waits = waits;
  s.driver->Flip(s.auto_sync ? 1 : 0);
}

int ElapsedMillis() { return static_cast<int>(platform::Current().Millis()); }

// ---- renderer state setters ----

void SetColor(int red, int green, int blue) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->color_red = red, g->color_green = green, g->color_blue = blue;
    ApplyColor(*g);
  }
}

void SetAlpha(float alpha) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->color_alpha = alpha;
    ApplyAlpha(*g);
  }
}

void SetBlend(int mode) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->blend_mode = mode;
    ApplyBlend(*g);
  }
}

void SetClsColor(int red, int green, int blue) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->clscolor_red = red, g->clscolor_green = green, g->clscolor_blue = blue;
    ApplyClsColor(*g);
  }
}

void SetLineWidth(float width) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->line_width = width;
    ApplyLineWidth(*g);
  }
}

void SetViewport(int x, int y, int width, int height) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->viewport_x = x, g->viewport_y = y, g->viewport_w = width, g->viewport_h = height;
    ApplyViewport(*g);
  }
}

void SetDrawOrigin(float x, float y) {
  if (auto* g = CurrentPlanoGraphics()) g->origin_x = x, g->origin_y = y;
}

void SetDrawHandle(float x, float y) {
  if (auto* g = CurrentPlanoGraphics()) g->handle_x = -x, g->handle_y = -y;
}

void SetDrawRotation(float degrees) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->tform_rot = degrees;
    ApplyTransform(*g);
  }
}

void SetDrawScale(float x, float y) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->tform_scale_x = x, g->tform_scale_y = y;
    ApplyTransform(*g);
  }
}

void SetDrawTransform(float degrees, float scale_x, float scale_y) {
  if (auto* g = CurrentPlanoGraphics()) {
    g->tform_rot = degrees, g->tform_scale_x = scale_x, g->tform_scale_y = scale_y;
    ApplyTransform(*g);
  }
}

void SetVirtualSize(float width, float height) {
  auto* g = CurrentPlanoGraphics();
  if (g == nullptr || !(width > 0.0f) || !(height > 0.0f)) return;
  g->vres_width = width, g->vres_height = height;
  g->vres_mousexscale = g->g_width > 0 ? width / static_cast<float>(g->g_width) : 1.0f;
  g->vres_mouseyscale = g->g_height > 0 ? height / static_cast<float>(g->g_height) : 1.0f;
  ApplyVirtualSize(*g);
}

void UseFont(std::shared_ptr<TImageFont> font) {
  if (auto* g = CurrentPlanoGraphics()) g->image_font = std::move(font);
}

// ---- getters ----

void GetColor(int& red, int& green, int& blue) {
  const auto* g = CurrentPlanoGraphics();
  red = g ? g->color_red : 255, green = g ? g->color_green : 255, blue = g ? g->color_blue : 255;
}
float GetAlpha() { return CurrentPlanoGraphics() ? CurrentPlanoGraphics()->color_alpha : 1.0f; }
int GetBlend() { return CurrentPlanoGraphics() ? CurrentPlanoGraphics()->blend_mode : 1; }
void GetClsColor(int& red, int& green, int& blue) {
  const auto* g = CurrentPlanoGraphics();
  red = g ? g->clscolor_red : 0, green = g ? g->clscolor_green : 0, blue = g ? g->clscolor_blue : 0;
}
float GetLineWidth() { return CurrentPlanoGraphics() ? CurrentPlanoGraphics()->line_width : 1.0f; }
void GetViewport(int& x, int& y, int& width, int& height) {
  const auto* g = CurrentPlanoGraphics();
  x = g ? g->viewport_x : 0, y = g ? g->viewport_y : 0;
  width = g ? g->viewport_w : 0, height = g ? g->viewport_h : 0;
}
void GetDrawOrigin(float& x, float& y) {
  const auto* g = CurrentPlanoGraphics();
  x = g ? g->origin_x : 0.0f, y = g ? g->origin_y : 0.0f;
}
void GetDrawHandle(float& x, float& y) {
  const auto* g = CurrentPlanoGraphics();
  x = g ? -g->handle_x : 0.0f, y = g ? -g->handle_y : 0.0f;
}
float GetDrawRotation() { return CurrentPlanoGraphics() ? CurrentPlanoGraphics()->tform_rot : 0.0f; }
void GetDrawScale(float& x, float& y) {
  const auto* g = CurrentPlanoGraphics();
  x = g ? g->tform_scale_x : 1.0f, y = g ? g->tform_scale_y : 1.0f;
}
void GetVirtualSize(float& width, float& height) {
  const auto* g = CurrentPlanoGraphics();
  width = g ? g->vres_width : 0.0f, height = g ? g->vres_height : 0.0f;
}
std::shared_ptr<TImageFont> CurrentFont() {
  return CurrentPlanoGraphics() ? CurrentPlanoGraphics()->image_font : nullptr;
}

void SetLoadMask(int red, int green, int blue) {
  auto& s = S();
  s.mask_r = red, s.mask_g = green, s.mask_b = blue;
}

void GetLoadMask(int& red, int& green, int& blue) {
  const auto& s = S();
  red = s.mask_r, green = s.mask_g, blue = s.mask_b;
}
