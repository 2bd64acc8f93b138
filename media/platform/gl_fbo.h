// Framebuffer objects for the backends: a picture-sized colour buffer that
// drawing can go to instead of a window.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace platform {

// Looks up a GL entry point of the current context by name (SDL's or EGL's).
using GlProcLoader = void* (*)(const char* name);

// The framebuffer-object calls, which GL 1.1 headers do not declare.
struct GlFramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
  PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
  // Looks every call up in the current context; false when one is missing.
  bool Load(GlProcLoader load);
};

// A framebuffer object with one 8-bit colour renderbuffer (RGBA, or RGB when
// no alpha is wanted).
class GlFramebuffer {
 public:
  // Makes it in the current context and binds it. False, with the reason in
  // `error` and nothing left behind, when the context cannot.
  bool Create(GlProcLoader load, int width, int height, bool alpha, std::string& error);
  // Binds `bind_after` (0: the window) and deletes the framebuffer.
  void Destroy(GLuint bind_after);
  bool Exists() const { return fbo_ != 0; }
  GLuint Id() const { return fbo_; }
  const GlFramebufferCalls& Calls() const { return gl_; }

 private:
  GlFramebufferCalls gl_;
  GLuint fbo_ = 0;
  GLuint color_ = 0;
};

}  // namespace platform
