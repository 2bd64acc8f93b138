#include "media/graphics/gl_driver.h"

#include <GL/gl.h>

#include <algorithm>

#include "media/platform/platform.h"

namespace {

constexpr unsigned kUnknownTexture = ~0u;

}  // namespace

TGLGraphics::TGLGraphics(TGLPlanoDriver* driver, std::unique_ptr<TGLContextRecord> context)
    : _context(std::move(context)), driver_(driver) {}

TGLGraphics::~TGLGraphics() { Close(); }

TGraphicsDriver* TGLGraphics::Driver() { return driver_; }

void TGLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  if (!_context) {
    width = height = depth = hertz = flags = 0;
    return;
  }
  width = _context->width;
  height = _context->height;
  depth = _context->depth;
  hertz = _context->hertz;
  flags = _context->flags;
}

void TGLGraphics::Close() {
  if (!_context) return;
  driver_->Forget(this);
  platform::Current().CloseWindow();
  _context.reset();
}

TGLPlanoDriver::TGLPlanoDriver() { name = "OpenGL"; }

std::vector<TGraphicsMode> TGLPlanoDriver::GraphicsModes() { return {}; }

std::shared_ptr<TGraphics> TGLPlanoDriver::AttachGraphics(intptr_t, int) {
  // Drawing into a window made elsewhere is not supported on this platform.
  return nullptr;
}

std::shared_ptr<TGraphics> TGLPlanoDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                          int flags) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  platform::Backend& backend = platform::Current();
  platform::WindowSpec wanted;
  wanted.width = width;
  wanted.height = height;
  wanted.flags = flags;
  wanted.title = AppTitle();
  if (!backend.OpenWindow(wanted)) return nullptr;
  auto record = std::make_unique<TGLContextRecord>();
  // Full-screen mode switching is not done here: a non-zero depth still gets a
  // window of the asked size.
  record->kind = depth != 0 ? 3 : 2;
  record->width = width;
  record->height = height;
  record->depth = depth;
  record->hertz = hertz;
  record->flags = flags;
  auto gl = std::make_shared<TGLGraphics>(this, std::move(record));
  return std::make_shared<TPlanoGraphics>(gl, this);
}

void TGLPlanoDriver::Forget(TGLGraphics* graphics) {
  if (current_ != graphics) return;
  current_ = nullptr;
  gl_ = false;
}

void TGLPlanoDriver::SetGraphics(TGraphics* graphics) {
  auto* plano = dynamic_cast<TPlanoGraphics*>(graphics);
  auto* gl = plano ? dynamic_cast<TGLGraphics*>(plano->_graphics.get()) : nullptr;
  if (gl == nullptr || !gl->_context) {
    current_ = nullptr;
    gl_ = false;
    return;
  }
  current_ = gl;
  // The backend holds a single window whose context stays current.
  gl_ = platform::Current().HasGL();
  ResetContext(gl->_context->width, gl->_context->height);
  plano->MakeCurrent();
}

void TGLPlanoDriver::ResetContext(int width, int height) {
  active_blend_ = 0;
  bound_texture_ = kUnknownTexture;
  texturing_ = false;
  if (!gl_) return;
  glDisable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, width, height);
}

void TGLPlanoDriver::Flip(int sync) {
  if (current_ == nullptr) return;
  platform::Current().Present(sync != 0 ? 1 : 0);
}

void TGLPlanoDriver::BindTexture(unsigned name) {
  if (name == 0) {
    if (texturing_ && gl_) glDisable(GL_TEXTURE_2D);
    texturing_ = false;
    return;
  }
  if (!texturing_) {
    if (gl_) glEnable(GL_TEXTURE_2D);
    texturing_ = true;
  }
  if (name != bound_texture_) {
    if (gl_) glBindTexture(GL_TEXTURE_2D, name);
    bound_texture_ = name;
  }
}

void TGLPlanoDriver::SetBlend(int mode) {
  if (mode == active_blend_) return;
  active_blend_ = mode;
  if (!gl_) return;
  switch (mode) {
    case 1:  // mask: opaque where alpha >= 0.5, nothing elsewhere
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GEQUAL, 0.5f);
      break;
    case 3:  // alpha
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDisable(GL_ALPHA_TEST);
      break;
    case 4:  // light
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      glDisable(GL_ALPHA_TEST);
      break;
    case 5:  // shade
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      glDisable(GL_ALPHA_TEST);
      break;
    default:  // solid
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      break;
  }
}

void TGLPlanoDriver::SendColor() {
  if (gl_) glColor4ub(color_r, color_g, color_b, color_a);
}

void TGLPlanoDriver::SetAlpha(float alpha) {
  // NaN counts as 0.
  const float a = alpha > 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
  color_a = static_cast<uint8_t>(a * 255.0f);
  SendColor();
}

void TGLPlanoDriver::SetColor(int red, int green, int blue) {
  color_r = static_cast<uint8_t>(std::clamp(red, 0, 255));
  color_g = static_cast<uint8_t>(std::clamp(green, 0, 255));
  color_b = static_cast<uint8_t>(std::clamp(blue, 0, 255));
  SendColor();
}

void TGLPlanoDriver::SetClsColor(int red, int green, int blue) {
  if (!gl_) return;
  glClearColor(std::clamp(red, 0, 255) / 255.0f, std::clamp(green, 0, 255) / 255.0f,
               std::clamp(blue, 0, 255) / 255.0f, 1.0f);
}

void TGLPlanoDriver::SetViewport(int x, int y, int width, int height) {
  if (!gl_ || current_ == nullptr) return;
  const int gw = current_->_context->width;
  const int gh = current_->_context->height;
  if (x == 0 && y == 0 && width == gw && height == gh) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    // The bottom edge counted from the bottom, kept inside the int range.
    const int64_t bottom = int64_t{gh} - y - height;
    glScissor(x, static_cast<int>(std::clamp<int64_t>(bottom, INT32_MIN, INT32_MAX)), std::max(width, 0),
              std::max(height, 0));
  }
}

void TGLPlanoDriver::SetTransform(float ix_, float iy_, float jx_, float jy_) {
  ix = ix_;
  iy = iy_;
  jx = jx_;
  jy = jy_;
}

void TGLPlanoDriver::SetLineWidth(float width) {
  if (gl_ && width > 0.0f) glLineWidth(width);
}

void TGLPlanoDriver::Cls() {
  if (gl_) glClear(GL_COLOR_BUFFER_BIT);
}

void TGLPlanoDriver::SetResolution(float width, float height) {
  if (!gl_) return;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

TGLPlanoDriver* GLPlanoDriver() {
  static TGLPlanoDriver driver;
  return &driver;
}
