// GL drawing surfaces the backends share: reading pixels back, and an offscreen
// context (EGL without any window system, Mesa's software renderer) that draws
// into a framebuffer object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Reads a rectangle (top-left origin) of the current GL read buffer of a
// surface_w x surface_h surface into rgba, top row first, after the drawing
// held back in batches is sent. False when the rectangle is empty or leaves the
// surface.
bool ReadGlPixels(int x, int y, int w, int h, int surface_w, int surface_h, uint8_t* rgba);

// Looks up a GL entry point through EGL (for the offscreen context); a
// GlProcLoader.
void* EglProcAddress(const char* name);

class OffscreenGL {
 public:
  OffscreenGL();
  ~OffscreenGL();
  OffscreenGL(const OffscreenGL&) = delete;
  OffscreenGL& operator=(const OffscreenGL&) = delete;

  // Creates a desktop-GL compatibility context and a width x height RGBA
  // framebuffer object, makes them current. On failure returns false with the
  // reason in `error`, leaving nothing behind.
  bool Open(int width, int height, std::string& error);
  void Close();
  bool IsOpen() const;
  int Width() const;
  int Height() const;
  // Lets the GL finish the frame (there is nothing to swap).
  void Finish();
  // The framebuffer object drawn into (the offscreen "window").
  unsigned Framebuffer() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Writes width x height RGBA pixels (top row first) as an 8-bit RGBA PNG file.
// Returns false with a message naming the file in `error`.
bool WritePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error);

}  // namespace platform
