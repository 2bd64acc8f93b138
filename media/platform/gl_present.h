// Showing the picture larger than it is drawn: the program draws into a
// framebuffer object of the picture's size, exactly as it would draw into a
// window of that size, and presenting copies it onto the window's framebuffer
// enlarged by a whole factor (each pixel becomes factor x factor pixels, nearest
// texel, nothing blended), centred on black. Coordinates, drawing and timing of
// the program stay those of the picture; only the last copy is scaled.
#pragma once

#include <functional>
#include <string>

#include "media/platform/gl_fbo.h"

namespace platform {

// Where an enlarged picture lies on an output (top-left origin).
struct PictureRect {
  int x = 0, y = 0, w = 0, h = 0;
  int factor = 1;
  bool operator==(const PictureRect&) const = default;
};

// The largest whole factor (at least 1) at which a pic_w x pic_h picture fits an
// out_w x out_h output, and the picture at that factor centred on it (integer
// halves; x or y is negative when even factor 1 does not fit).
PictureRect FitPicture(int pic_w, int pic_h, int out_w, int out_h);

class ScaledPresenter {
 public:
  ScaledPresenter() = default;
  ~ScaledPresenter() { Close(); }
  ScaledPresenter(const ScaledPresenter&) = delete;
  ScaledPresenter& operator=(const ScaledPresenter&) = delete;

  // Creates the picture's framebuffer (with an alpha channel only when
  // `alpha`, as the window would have one) in the current GL context and binds
  // it, so all drawing from now on goes there. `target` is the framebuffer the
  // picture is shown on (0 for the window). False, with the reason in `error`
  // and nothing changed, when the context has no framebuffer objects.
  bool Open(int pic_w, int pic_h, bool alpha, unsigned target, GlProcLoader load, std::string& error);
  // Binds the target again and deletes the picture's framebuffer (its
  // contents are lost).
  void Close();
  bool IsOpen() const { return picture_.Exists(); }

  // Clears the target (out_w x out_h) to black and copies the picture onto it at
  // FitPicture's place and factor, then binds the picture's framebuffer again.
  // Scissor test and clear colour are left as the program set them. `over`,
  // when given, paints over the target after the copy, while it is bound, and
  // is told where the picture lies on it.
  void CopyToTarget(int out_w, int out_h, const std::function<void(const PictureRect&)>& over = nullptr);

 private:
  GlFramebuffer picture_;
  GLuint target_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace platform
