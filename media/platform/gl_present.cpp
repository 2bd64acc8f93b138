#include "media/platform/gl_present.h"

#include <algorithm>

namespace platform {

PictureRect FitPicture(int pic_w, int pic_h, int out_w, int out_h) {
  PictureRect r;
  if (pic_w > 0 && pic_h > 0) r.factor = std::max(1, std::min(out_w / pic_w, out_h / pic_h));
  r.w = pic_w * r.factor;
  r.h = pic_h * r.factor;
  r.x = out_w / 2 - r.w / 2;
  r.y = out_h / 2 - r.h / 2;
  return r;
}

bool ScaledPresenter::Open(int pic_w, int pic_h, bool alpha, unsigned target, GlProcLoader load,
                           std::string& error) {
  Close();
  if (pic_w <= 0 || pic_h <= 0) {
    error = "no picture to present";
    return false;
  }
  if (!picture_.Create(load, pic_w, pic_h, alpha, error)) {
    // Drawing goes on into the target as before.
    if (const auto bind = picture_.Calls().BindFramebuffer) bind(GL_FRAMEBUFFER, target);
    return false;
  }
  target_ = target;
  width_ = pic_w;
  height_ = pic_h;
  // A new picture starts black, as a new window does.
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
  return true;
}

void ScaledPresenter::Close() { picture_.Destroy(target_); }

void ScaledPresenter::CopyToTarget(int out_w, int out_h, const std::function<void(const PictureRect&)>& over) {
  if (!picture_.Exists()) return;
  const GlFramebufferCalls& gl = picture_.Calls();
  const PictureRect r = FitPicture(width_, height_, out_w, out_h);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  gl.BindFramebuffer(GL_READ_FRAMEBUFFER, picture_.Id());
  gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, target_);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // GL rows count from the bottom: the picture's top edge lies r.y below the
  // output's top.
  const int y0 = out_h - r.y - r.h;
  gl.BlitFramebuffer(0, 0, width_, height_, r.x, y0, r.x + r.w, y0 + r.h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  if (over) over(r);
  gl.BindFramebuffer(GL_FRAMEBUFFER, picture_.Id());
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace platform
