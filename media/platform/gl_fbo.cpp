#include "media/platform/gl_fbo.h"

#include <type_traits>

namespace platform {

bool GlFramebufferCalls::Load(GlProcLoader load) {
  if (load == nullptr) return false;
  bool all = true;
  auto get = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(load(name));
    all = all && fn != nullptr;
  };
  get(GenFramebuffers, "glGenFramebuffers");
  get(BindFramebuffer, "glBindFramebuffer");
  get(DeleteFramebuffers, "glDeleteFramebuffers");
  get(GenRenderbuffers, "glGenRenderbuffers");
  get(BindRenderbuffer, "glBindRenderbuffer");
  get(DeleteRenderbuffers, "glDeleteRenderbuffers");
  get(RenderbufferStorage, "glRenderbufferStorage");
  get(FramebufferRenderbuffer, "glFramebufferRenderbuffer");
  get(CheckFramebufferStatus, "glCheckFramebufferStatus");
  get(BlitFramebuffer, "glBlitFramebuffer");
  return all;
}

bool GlFramebuffer::Create(GlProcLoader load, int width, int height, bool alpha, std::string& error) {
  if (fbo_ != 0) {
    error = "a framebuffer exists already";
    return false;
  }
  if (!gl_.Load(load)) {
    error = "the OpenGL context has no framebuffer objects";
    return false;
  }
  gl_.GenRenderbuffers(1, &color_);
  gl_.BindRenderbuffer(GL_RENDERBUFFER, color_);
  gl_.RenderbufferStorage(GL_RENDERBUFFER, alpha ? GL_RGBA8 : GL_RGB8, width, height);
  gl_.GenFramebuffers(1, &fbo_);
  gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
  if (gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    Destroy(0);
    error = "the framebuffer is incomplete";
    return false;
  }
  return true;
}

void GlFramebuffer::Destroy(GLuint bind_after) {
  if (fbo_ == 0 && color_ == 0) return;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, bind_after);
  gl_.DeleteFramebuffers(1, &fbo_);
  gl_.DeleteRenderbuffers(1, &color_);
  fbo_ = 0;
  color_ = 0;
}

}  // namespace platform
