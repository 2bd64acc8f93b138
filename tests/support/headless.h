// Headless graphics for tests: no display, no GPU. Drawing goes to an offscreen
// framebuffer on Mesa's software renderer, so pixels can be read back exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "media/graphics/renderer.h"
#include "media/platform/headless_backend.h"

namespace test_support {

struct HeadlessSetup {
  int width = 700;
  int height = 540;
  bool draw = true;           // false: no GL at all (the renderer that draws nothing)
  uint32_t clock_start = 0;   // virtual clock at start, ms
  std::string script;         // script text (not a file name), or empty
  std::string audio_out;      // WAV file for the headless audio device, or empty
};

// Closes any open graphics, installs a fresh headless backend and opens graphics
// through OpenGraphics. Fails the current test (returns null) when the graphics
// cannot be opened, or when drawing was asked for and no offscreen GL exists.
std::shared_ptr<TPlanoGraphics> OpenHeadlessGraphics(const HeadlessSetup& setup = {});
// Installs a fresh headless backend without opening graphics.
platform::HeadlessBackend& InstallHeadless(const HeadlessSetup& setup = {});
// The installed headless backend (fails the test and aborts if another is installed).
platform::HeadlessBackend& Headless();

// The drawing surface as RGBA bytes, top row first (width * height * 4), as
// drawn so far; empty (and a test failure) when nothing can be read.
std::vector<uint8_t> ReadFramebuffer();
struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Rgba& p) {
  return out << "rgba(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}
// One pixel of a ReadFramebuffer result of the current graphics' width.
Rgba PixelAt(const std::vector<uint8_t>& pixels, int x, int y);
// Reads back only one pixel.
Rgba ReadPixel(int x, int y);

}  // namespace test_support
