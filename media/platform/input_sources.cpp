#include "media/platform/input_sources.h"

namespace platform {

WindowKeys::Verdict WindowKeys::Filter(const Event& event) {
  if (event.data <= 0 || event.data > 255) return Verdict::Pass;
  bool& taken = taken_[static_cast<size_t>(event.data)];
  switch (event.kind) {
    case EventKind::KeyDown:
    case EventKind::KeyRepeat: {
      const bool switching = event.data == kKeyF11 || (event.data == kKeyEnter && (event.mods & kModAlt) != 0);
      if (!switching && !taken) return Verdict::Pass;
      if (taken || event.kind == EventKind::KeyRepeat) return Verdict::Take;
      taken = true;
      return Verdict::Toggle;
    }
    case EventKind::KeyUp:
      if (!taken) return Verdict::Pass;
      taken = false;
      return Verdict::Take;
    default:
      return Verdict::Pass;
  }
}

namespace {

// Control ids of the held directions and buttons.
enum Control { kDpadUp, kDpadDown, kDpadLeft, kDpadRight, kStickUp, kStickDown, kStickLeft, kStickRight, kA, kStart };

constexpr int kKeyW = 87, kKeyA = 65, kKeyS = 83, kKeyD = 68;

}  // namespace

void PadKeys::Hold(int key, Holder holder, bool on, std::vector<Event>& out) {
  std::set<Holder>& who = holders_[key];
  const bool was_down = !who.empty();
  if (on) {
    who.insert(holder);
  } else {
    who.erase(holder);
  }
  if (!was_down && !who.empty()) {
    out.push_back(Event{EventKind::KeyDown, key, 0});
    // Enter and Space type their characters, as on the keyboard.
    if (key == kKeyEnter || key == kKeySpace) out.push_back(Event{EventKind::Char, key, 0});
  } else if (was_down && who.empty()) {
    out.push_back(Event{EventKind::KeyUp, key, 0});
  }
}

void PadKeys::Button(int pad, PadButton button, bool down, std::vector<Event>& out) {
  switch (button) {
    case PadButton::A: Hold(kKeySpace, {pad, kA}, down, out); return;
    case PadButton::Start: Hold(kKeyEnter, {pad, kStart}, down, out); return;
    case PadButton::DpadUp: Hold(kKeyW, {pad, kDpadUp}, down, out); return;
    case PadButton::DpadDown: Hold(kKeyS, {pad, kDpadDown}, down, out); return;
    case PadButton::DpadLeft: Hold(kKeyA, {pad, kDpadLeft}, down, out); return;
    case PadButton::DpadRight: Hold(kKeyD, {pad, kDpadRight}, down, out); return;
    case PadButton::Other: return;
  }
}

void PadKeys::Axis(int pad, PadAxis axis, int value, std::vector<Event>& out) {
  if (axis == PadAxis::Other) return;
  const bool x = axis == PadAxis::LeftX;
  const int low_key = x ? kKeyA : kKeyW, high_key = x ? kKeyD : kKeyS;
  const Holder low{pad, x ? kStickLeft : kStickUp}, high{pad, x ? kStickRight : kStickDown};
  auto held = [&](int key, Holder h) {
    auto it = holders_.find(key);
    return it != holders_.end() && it->second.count(h) != 0;
  };
  // Each direction with its own hysteresis: held from kPressAt out, let go
  // below kReleaseBelow, so a stick resting near the threshold does not chatter.
  auto update = [&](int key, Holder h, int amount) {
    const bool on = held(key, h) ? amount >= kReleaseBelow : amount >= kPressAt;
    Hold(key, h, on, out);
  };
  // Let go of one side before taking the other, so a flick across the middle
  // within one report ends one key before the next begins.
  if (value >= 0) {
    update(low_key, low, -value);
    update(high_key, high, value);
  } else {
    update(high_key, high, value);
    update(low_key, low, -value);
  }
}

void PadKeys::Removed(int pad, std::vector<Event>& out) {
  for (auto& [key, who] : holders_) {
    const bool was_down = !who.empty();
    for (auto it = who.begin(); it != who.end();) it = it->first == pad ? who.erase(it) : std::next(it);
    if (was_down && who.empty()) out.push_back(Event{EventKind::KeyUp, key, 0});
  }
}

}  // namespace platform
