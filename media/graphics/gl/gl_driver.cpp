#include "media/graphics/gl/gl_driver.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "media/core/module_state.h"
#include "media/platform/platform.h"

namespace {

constexpr unsigned kUnknownTexture = ~0u;

void FlushGLDrawing() { GLPlanoDriver()->Flush(); }

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

TGLPlanoDriver::TGLPlanoDriver() {
  name = "OpenGL";
  platform::SetPendingDrawingFlush(FlushGLDrawing);
}

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
  DropQuads();  // the surface they were for goes away
  current_ = nullptr;
  gl_ = false;
}

void TGLPlanoDriver::SetGraphics(TGraphics* graphics) {
  auto* plano = dynamic_cast<TPlanoGraphics*>(graphics);
  auto* gl = plano ? dynamic_cast<TGLGraphics*>(plano->_graphics.get()) : nullptr;
  Flush();  // drawn in the context that was current
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
  texture_mode_ = 0;
  unit_x_ = unit_y_ = 1.0f;
  clip_x0_ = clip_y0_ = 0.0f;
  clip_x1_ = float(width);
  clip_y1_ = float(height);
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
  Flush();
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
  Flush();
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

// Only the primitives drawn one by one need the colour as GL's current colour;
// quads carry it in their vertices.
void TGLPlanoDriver::SendColor() {
  if (gl_) glColor4ub(color_r, color_g, color_b, color_a);
}

void TGLPlanoDriver::SetAlpha(float alpha) {
  // NaN counts as 0.
  const float a = alpha > 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
  color_a = static_cast<uint8_t>(a * 255.0f);
}

void TGLPlanoDriver::SetColor(int red, int green, int blue) {
  color_r = static_cast<uint8_t>(std::clamp(red, 0, 255));
  color_g = static_cast<uint8_t>(std::clamp(green, 0, 255));
  color_b = static_cast<uint8_t>(std::clamp(blue, 0, 255));
}

void TGLPlanoDriver::SetClsColor(int red, int green, int blue) {
  if (!gl_) return;
  glClearColor(std::clamp(red, 0, 255) / 255.0f, std::clamp(green, 0, 255) / 255.0f,
               std::clamp(blue, 0, 255) / 255.0f, 1.0f);
}

void TGLPlanoDriver::SetViewport(int x, int y, int width, int height) {
  if (!gl_ || current_ == nullptr) return;
  Flush();
  const int gw = current_->_context->width;
  const int gh = current_->_context->height;
  // What is drawn shows inside the scissor rectangle and the window both.
  clip_x0_ = float(std::clamp(x, 0, gw));
  clip_y0_ = float(std::clamp(y, 0, gh));
  clip_x1_ = float(std::clamp<int64_t>(int64_t{x} + std::max(width, 0), 0, gw));
  clip_y1_ = float(std::clamp<int64_t>(int64_t{y} + std::max(height, 0), 0, gh));
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
  if (!gl_) return;
  Flush();
  glClear(GL_COLOR_BUFFER_BIT);
}

void TGLPlanoDriver::SetResolution(float width, float height) {
  if (!gl_ || current_ == nullptr) return;
  Flush();
  unit_x_ = float(current_->_context->width) / width;
  unit_y_ = float(current_->_context->height) / height;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

void TGLPlanoDriver::AddQuad(unsigned texture, const float xy[8], const float st[8]) {
  if (!gl_) return;
  if (batching_) {
    // Dropped when wholly left of, right of, above or below the clip rectangle;
    // a quad that only touches its edge covers no pixel centre inside it.
    const auto [x0, x1] = std::minmax({xy[0], xy[2], xy[4], xy[6]});
    const auto [y0, y1] = std::minmax({xy[1], xy[3], xy[5], xy[7]});
    if (x1 * unit_x_ <= clip_x0_ || x0 * unit_x_ >= clip_x1_ || y1 * unit_y_ <= clip_y0_ || y0 * unit_y_ >= clip_y1_)
      return;
  }
  // Textured quads in white at full alpha show the texture as it is: they are
  // drawn without multiplying by the colour, which gives the same values.
  const bool plain = batching_ && texture != 0 && color_r == 255 && color_g == 255 && color_b == 255 && color_a == 255;
  if (texture != batch_texture_ || plain != batch_plain_) {
    Flush();
    batch_texture_ = texture;
    batch_plain_ = plain;
  }
  batch_xy_.insert(batch_xy_.end(), xy, xy + 8);
  if (texture != 0) batch_st_.insert(batch_st_.end(), st, st + 8);
  // The float GL itself makes of a byte colour.
  const float rgba[4] = {float(color_r) / 255.0f, float(color_g) / 255.0f, float(color_b) / 255.0f,
                         float(color_a) / 255.0f};
  for (int corner = 0; corner < 4; ++corner) batch_rgba_.insert(batch_rgba_.end(), rgba, rgba + 4);
  if (!batching_) Flush();
}

void TGLPlanoDriver::Flush() {
  if (batch_xy_.empty()) return;
  if (gl_) {
    BindTexture(batch_texture_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, batch_xy_.data());
    glColorPointer(4, GL_FLOAT, 0, batch_rgba_.data());
    if (batch_texture_ != 0) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(2, GL_FLOAT, 0, batch_st_.data());
      const int mode = batch_plain_ ? GL_REPLACE : GL_MODULATE;
      if (mode != texture_mode_) glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
      texture_mode_ = mode;
    }
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(batch_xy_.size() / 2));
    quads_sent_ += batch_xy_.size() / 8;
    ++draw_calls_;
    if (batch_texture_ != 0) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
  DropQuads();
}

void TGLPlanoDriver::DropQuads() {
  batch_xy_.clear();
  batch_st_.clear();
  batch_rgba_.clear();
}

void TGLPlanoDriver::SetQuadBatching(bool on) {
  Flush();
  batching_ = on;
}

bool TGLPlanoDriver::PixelForPixel(const float xy[8], float sw, float sh) const {
  // Whole numbers of this size are exact in float, and so is all the
  // arithmetic that maps them to texels.
  constexpr float kLimit = 1 << 22;
  const auto whole = [](float v) { return std::fabs(v) <= kLimit && std::floor(v) == v; };
  return ix == 1.0f && iy == 0.0f && jx == 0.0f && jy == 1.0f && unit_x_ == 1.0f && unit_y_ == 1.0f &&
         whole(xy[0]) && whole(xy[1]) && whole(xy[4]) && whole(xy[5]) && sw > 0 && sh > 0 &&
         xy[4] - xy[0] == sw && xy[5] - xy[1] == sh && xy[2] == xy[4] && xy[3] == xy[1] && xy[6] == xy[0] &&
         xy[7] == xy[5];
}

void TGLPlanoDriver::SetNearest(unsigned name, bool& nearest_now, bool nearest, int mag, int min) {
  if (nearest == nearest_now || !gl_ || name == 0) return;
  Flush();
  BindTexture(name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : mag);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, nearest ? GL_NEAREST : min);
  nearest_now = nearest;
}

// Graphics objects the program keeps refer to it to the end.
TGLPlanoDriver* GLPlanoDriver() { return &core::ModuleState<TGLPlanoDriver>(); }
