// Input that does not come straight from the keyboard to the program: the
// window's own keys (Alt+Enter and F11 switch between the window and full
// screen) and gamepads, whose buttons and stick become the keys they stand for.
// Both are independent of the window system, so every backend shares them.
#pragma once

#include <array>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "media/platform/platform.h"

namespace platform {

// Virtual-key codes these act on.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyF11 = 122;
inline constexpr int kModAlt = 4;

// Sees every key event before the program does and takes the strokes that
// switch between the window and full screen: Enter while Alt is held, and F11.
// The whole stroke is taken (the key down, its repeats and the key up that ends
// it), so the program never sees any part of it; Alt itself still reaches the
// program, as it does for Alt+F4.
class WindowKeys {
 public:
  enum class Verdict { Pass, Take, Toggle };
  // Toggle for the key down that begins a switching stroke (take it and switch),
  // Take for the rest of such a stroke, Pass for everything else.
  Verdict Filter(const Event& event);
  // Focus lost: the key ups of strokes in progress may never come.
  void Forget() { taken_.fill(false); }

 private:
  std::array<bool, 256> taken_{};
};

// What a pad reports, independent of the window system.
enum class PadButton { A, Start, DpadUp, DpadDown, DpadLeft, DpadRight, Other };
enum class PadAxis { LeftX, LeftY, Other };

// Turns gamepad buttons and the left stick into key events: the d-pad and the
// stick hold W, A, S, D; button A is Space and Start is Enter (each with the
// character the key types, as a keyboard would). A key is down while any pad
// holds it by any of its controls, and goes up when the last lets go; a pad
// that is unplugged lets go of everything it held. Nothing a pad does ends
// the program: its other buttons and axes are ignored.
class PadKeys {
 public:
  // Stick positions run from -32768 to 32767; a direction is held from half
  // way out and let go again once back inside a third.
  static constexpr int kPressAt = 16384;
  static constexpr int kReleaseBelow = 10923;

  void Button(int pad, PadButton button, bool down, std::vector<Event>& out);
  void Axis(int pad, PadAxis axis, int value, std::vector<Event>& out);
  void Removed(int pad, std::vector<Event>& out);

 private:
  // One control of one pad that holds a key: (pad, control id).
  using Holder = std::pair<int, int>;
  void Hold(int key, Holder holder, bool on, std::vector<Event>& out);

  std::map<int, std::set<Holder>> holders_;  // key -> who holds it
};

}  // namespace platform
