#include "support/headless.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "media/platform/script.h"

namespace test_support {

platform::HeadlessBackend& InstallHeadless(const HeadlessSetup& setup) {
  CloseGraphics();
  platform::Script script;
  if (!setup.script.empty()) {
    std::string error;
    if (!platform::ParseScript(setup.script, "test script", script, error)) ADD_FAILURE() << error;
  }
  platform::HeadlessOptions options;
  options.clock_start = setup.clock_start;
  options.audio_out = setup.audio_out;
  options.draw = setup.draw;
  auto backend = std::make_unique<platform::HeadlessBackend>(options, std::move(script));
  platform::HeadlessBackend& ref = *backend;
  platform::Install(std::move(backend));
  return ref;
}

platform::HeadlessBackend& Headless() {
  auto* backend = dynamic_cast<platform::HeadlessBackend*>(&platform::Current());
  if (backend == nullptr) {
    ADD_FAILURE() << "the headless backend is not installed";
    std::abort();
  }
  return *backend;
}

std::shared_ptr<TPlanoGraphics> OpenHeadlessGraphics(const HeadlessSetup& setup) {
  platform::HeadlessBackend& backend = InstallHeadless(setup);
  auto g = OpenGraphics(setup.width, setup.height, 0, 0, 0);
  if (!g) {
    ADD_FAILURE() << "OpenGraphics failed on the headless backend";
    return nullptr;
  }
  if (setup.draw && !backend.HasGL()) {
    ADD_FAILURE() << "no offscreen OpenGL (EGL surfaceless on Mesa) on this machine";
    return nullptr;
  }
  return g;
}

std::vector<uint8_t> ReadFramebuffer() {
  const int w = graphics_width(), h = graphics_height();
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  if (w <= 0 || h <= 0 || !platform::Current().ReadPixels(0, 0, w, h, pixels.data())) {
    ADD_FAILURE() << "cannot read the framebuffer back";
    return {};
  }
  return pixels;
}

Rgba PixelAt(const std::vector<uint8_t>& pixels, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(graphics_width()) + static_cast<size_t>(x)) * 4;
  if (x < 0 || y < 0 || x >= graphics_width() || i + 3 >= pixels.size()) {
    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the framebuffer";
    return {};
  }
  return Rgba{pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
}

Rgba ReadPixel(int x, int y) {
  uint8_t p[4] = {};
  if (!platform::Current().ReadPixels(x, y, 1, 1, p)) ADD_FAILURE() << "cannot read pixel (" << x << ", " << y << ")";
  return Rgba{p[0], p[1], p[2], p[3]};
}

}  // namespace test_support
