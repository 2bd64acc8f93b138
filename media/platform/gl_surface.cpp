#include "media/platform/gl_surface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <png.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "media/platform/gl_fbo.h"
#include "media/platform/lifetime.h"
#include "media/platform/platform.h"

namespace platform {

bool ReadGlPixels(int x, int y, int w, int h, int surface_w, int surface_h, uint8_t* rgba) {
  if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > surface_w - w || y > surface_h - h) return false;
  FlushPendingDrawing();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  // GL rows run bottom-up; read them straight into place, then reverse.
  glReadPixels(x, surface_h - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  const size_t row = static_cast<size_t>(w) * 4;
  std::vector<uint8_t> tmp(row);
  for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = rgba + row * static_cast<size_t>(top);
    uint8_t* b = rgba + row * static_cast<size_t>(bottom);
    std::memcpy(tmp.data(), a, row);
    std::memcpy(a, b, row);
    std::memcpy(b, tmp.data(), row);
  }
  return glGetError() == GL_NO_ERROR;
}

struct OffscreenGL::State {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GlFramebuffer framebuffer;
  int width = 0;
  int height = 0;
};

OffscreenGL::OffscreenGL() = default;
OffscreenGL::~OffscreenGL() { Close(); }

bool OffscreenGL::IsOpen() const { return state_ != nullptr; }
int OffscreenGL::Width() const { return state_ ? state_->width : 0; }
int OffscreenGL::Height() const { return state_ ? state_->height : 0; }
unsigned OffscreenGL::Framebuffer() const { return state_ ? state_->framebuffer.Id() : 0; }

void* EglProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

bool OffscreenGL::Open(int width, int height, std::string& error) {
  Close();
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    error = "offscreen surface size out of range";
    return false;
  }
  // The software renderer gives the same pixels on every machine, GPU or not.
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  auto s = std::make_unique<State>();
  auto fail = [&](const char* what) {
    error = std::string(what) + " (EGL error 0x" + [] {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(eglGetError()));
      return std::string(buf);
    }() + ")";
    if (s->context != EGL_NO_CONTEXT) {
      eglMakeCurrent(s->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(s->display, s->context);
    }
    return false;
  };

  const char* client_ext = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (client_ext == nullptr || std::strstr(client_ext, "EGL_MESA_platform_surfaceless") == nullptr)
    return fail("EGL has no surfaceless platform");
  auto get_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (get_display == nullptr) return fail("EGL cannot open platform displays");
  s->display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0, minor = 0;
  if (s->display == EGL_NO_DISPLAY || !eglInitialize(s->display, &major, &minor)) {
    s->display = EGL_NO_DISPLAY;
    return fail("cannot initialise the surfaceless EGL display");
  }
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("EGL has no desktop OpenGL");
  const EGLint config_attribs[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(s->display, config_attribs, &config, 1, &count) || count == 0)
    return fail("no EGL configuration for desktop OpenGL");
  const EGLint context_attribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  s->context = eglCreateContext(s->display, config, EGL_NO_CONTEXT, context_attribs);
  if (s->context == EGL_NO_CONTEXT) return fail("cannot create an OpenGL compatibility context");
  if (!eglMakeCurrent(s->display, EGL_NO_SURFACE, EGL_NO_SURFACE, s->context))
    return fail("cannot make the offscreen context current");
  std::string why;
  if (!s->framebuffer.Create(EglProcAddress, width, height, true, why)) return fail(why.c_str());
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  s->width = width;
  s->height = height;
  state_ = std::move(s);
  EndBeforeExitHandlersSoFar("EGL");
  return true;
}

void OffscreenGL::Close() {
  if (!state_) return;
  auto& s = *state_;
  s.framebuffer.Destroy(0);
  eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(s.display, s.context);
  // The display stays initialised for the life of the process: opening it again
  // is then cheap, and Mesa releases it at exit (terminating it early leaves
  // allocations of the unloaded driver behind).
  eglReleaseThread();
  state_.reset();
}

void OffscreenGL::Finish() {
  if (state_) glFinish();
}

bool WritePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4);
  bool ok = png != nullptr && info != nullptr;
  // libpng reports errors by longjmp; nothing with a destructor is created
  // between here and the end of the writing.
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    error = "cannot write " + path + ": PNG encoding failed";
    std::remove(path.c_str());
  }
  return ok;
}

}  // namespace platform
