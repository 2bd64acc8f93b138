// Gamepads: buttons and the left stick become the keys they stand for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/platform/input_sources.h"

namespace {

using platform::Event;
using platform::EventKind;
using platform::PadAxis;
using platform::PadButton;
using platform::PadKeys;

// Events written short: "+W" key down, "-W" key up, "'" + character typed
// (Space and Enter written as SP and CR).
std::string Name(int code) {
  if (code == 32) return "SP";
  if (code == 13) return "CR";
  return std::string(1, char(code));
}
std::vector<std::string> Short(const std::vector<Event>& events) {
  std::vector<std::string> out;
  for (const Event& e : events) {
    EXPECT_EQ(e.mods, 0);
    switch (e.kind) {
      case EventKind::KeyDown: out.push_back("+" + Name(e.data)); break;
      case EventKind::KeyUp: out.push_back("-" + Name(e.data)); break;
      case EventKind::Char: out.push_back("'" + Name(e.data)); break;
      default: out.push_back("?"); break;
    }
  }
  return out;
}

using Keys = std::vector<std::string>;

struct Pads {
  PadKeys keys;
  Keys Button(int pad, PadButton b, bool down) {
    std::vector<Event> out;
    keys.Button(pad, b, down, out);
    return Short(out);
  }
  Keys Axis(int pad, PadAxis a, int value) {
    std::vector<Event> out;
    keys.Axis(pad, a, value, out);
    return Short(out);
  }
  Keys Removed(int pad) {
    std::vector<Event> out;
    keys.Removed(pad, out);
    return Short(out);
  }
};

}  // namespace

TEST(PadKeys, ButtonsAreTheirKeys) {
  Pads p;
  EXPECT_EQ(p.Button(0, PadButton::A, true), (Keys{"+SP", "'SP"}));
  EXPECT_EQ(p.Button(0, PadButton::A, false), (Keys{"-SP"}));
  EXPECT_EQ(p.Button(0, PadButton::Start, true), (Keys{"+CR", "'CR"}));
  EXPECT_EQ(p.Button(0, PadButton::Start, false), (Keys{"-CR"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, true), (Keys{"+W"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadLeft, true), (Keys{"+A"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadDown, true), (Keys{"+S"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadRight, true), (Keys{"+D"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, false), (Keys{"-W"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadLeft, false), (Keys{"-A"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadDown, false), (Keys{"-S"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadRight, false), (Keys{"-D"}));
  // A repeated report changes nothing; a release of what is not held neither.
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, true), (Keys{"+W"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, true), Keys{});
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, false), (Keys{"-W"}));
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, false), Keys{});
  // Every other button (Back, Guide, B, X, Y, shoulders, sticks) does nothing:
  // none of them ends the program.
  EXPECT_EQ(p.Button(0, PadButton::Other, true), Keys{});
  EXPECT_EQ(p.Button(0, PadButton::Other, false), Keys{});
}

TEST(PadKeys, StickHoldsDirectionsWithHysteresis) {
  Pads p;
  // Up is negative Y, left negative X.
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -PadKeys::kPressAt + 1), Keys{});
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -PadKeys::kPressAt), (Keys{"+W"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -32768), Keys{});
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -PadKeys::kReleaseBelow), Keys{}) << "still out far enough";
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -PadKeys::kReleaseBelow + 1), (Keys{"-W"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, 32767), (Keys{"+S"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, 0), (Keys{"-S"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftX, 20000), (Keys{"+D"}));
  // Across the middle in one report: one side ends before the other begins.
  EXPECT_EQ(p.Axis(0, PadAxis::LeftX, -20000), (Keys{"-D", "+A"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftX, 20000), (Keys{"-A", "+D"}));
  // Diagonal: both axes hold their keys at once.
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -20000), (Keys{"+W"}));
  EXPECT_EQ(p.Axis(0, PadAxis::Other, 32767), Keys{}) << "other axes and triggers do nothing";
  EXPECT_EQ(p.Axis(0, PadAxis::LeftX, 0), (Keys{"-D"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, 0), (Keys{"-W"}));
}

// A key is held while anything holds it: the d-pad and the stick of one pad,
// or two pads; unplugging lets go of what that pad held, and only that.
TEST(PadKeys, KeyIsHeldUntilItsLastHolderLetsGo) {
  Pads p;
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, true), (Keys{"+W"}));
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, -30000), Keys{});
  EXPECT_EQ(p.Button(0, PadButton::DpadUp, false), Keys{}) << "the stick still holds W";
  EXPECT_EQ(p.Axis(0, PadAxis::LeftY, 0), (Keys{"-W"}));

  EXPECT_EQ(p.Button(1, PadButton::DpadRight, true), (Keys{"+D"}));
  EXPECT_EQ(p.Button(2, PadButton::DpadRight, true), Keys{});
  EXPECT_EQ(p.Button(1, PadButton::A, true), (Keys{"+SP", "'SP"}));
  EXPECT_EQ(p.Axis(1, PadAxis::LeftY, 30000), (Keys{"+S"}));
  EXPECT_EQ(p.Removed(1), (Keys{"-SP", "-S"})) << "pad 2 still holds D";
  EXPECT_EQ(p.Removed(1), Keys{});
  EXPECT_EQ(p.Removed(7), Keys{}) << "a pad never seen";
  EXPECT_EQ(p.Button(2, PadButton::DpadRight, false), (Keys{"-D"}));
  // Plugged in again under the same number: it starts from nothing held.
  EXPECT_EQ(p.Button(1, PadButton::DpadRight, false), Keys{});
  EXPECT_EQ(p.Axis(1, PadAxis::LeftY, 0), Keys{});
  EXPECT_EQ(p.Button(1, PadButton::A, true), (Keys{"+SP", "'SP"}));
}
