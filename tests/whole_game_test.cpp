// A whole game played from a script, checked on every frame of its trace against
// the rules that hold from one game frame to the next: the counters change only
// with the sounds of pick-up, theft and delivery, the view and the Blobbs move at
// their speeds, the clock only runs down (or moves by the extra time), and the
// power-up effects follow the slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/game_run.h"
#include "support/temp_dir.h"

namespace {

constexpr int kPlayerW = 24, kPlayerH = 25, kBlobbSize = 30, kHoleW = 26, kHoleH = 21;
// World top-left corners of the blue, green and red holes.
constexpr int kHoleX[] = {120, 40, 1100}, kHoleY[] = {640, 40, 750};

bool Overlap(int ax, int ay, int aw, int ah, int bx, int by, int bw, int bh) {
  return ax < bx + bw && bx < ax + aw && ay < by + bh && by < ay + ah;
}

// A trace line, read by hand (a whole game is some 20000 lines, which a JSON
// parser takes long over): the values of each top-level key.
struct Line {
  std::string text;

  // Where the value of a key starts, or npos.
  size_t ValueAt(std::string_view key) const {
    const std::string quoted = "\"" + std::string(key) + "\":";
    const size_t at = text.find(quoted);
    return at == std::string::npos ? at : at + quoted.size();
  }
  // The numbers of a key's value in the order they stand, a table's rows one
  // after the other; `size` of them (zeros and a test failure when the line
  // holds another count).
  std::vector<int64_t> Numbers(std::string_view key, size_t size) const {
    std::vector<int64_t> out;
    size_t i = ValueAt(key);
    for (int depth = 0; i < text.size(); ++i) {
      const char ch = text[i];
      if (ch == '[') ++depth;
      if (ch == ']') --depth;
      if (ch == '-' || (ch >= '0' && ch <= '9')) {
        char* end = nullptr;
        out.push_back(std::strtoll(text.c_str() + i, &end, 10));
        i = size_t(end - text.c_str()) - 1;
      }
      if (depth == 0 && (ch == ']' || ch == ',' || ch == '}')) break;
    }
    if (out.size() == size) return out;
    ADD_FAILURE() << "not " << size << " numbers under \"" << key << "\" in " << text;
    return std::vector<int64_t>(size, 0);
  }
  int64_t Number(std::string_view key) const { return Numbers(key, 1)[0]; }
  // The texts of a key's value (the game's texts here hold no escapes).
  std::vector<std::string> Texts(std::string_view key) const {
    std::vector<std::string> out;
    size_t i = ValueAt(key);
    if (i == std::string::npos) return out;
    const size_t stop = text[i] == '[' ? text.find(']', i) : text.find_first_of(",}", text.find('"', i + 1));
    for (i = text.find('"', i); i < stop; i = text.find('"', i)) {
      const size_t end = text.find('"', i + 1);
      out.push_back(text.substr(i + 1, end - i - 1));
      i = end + 1;
    }
    return out;
  }
};

// What the checks read of a game frame.
struct GameFrame {
  std::string text;
  int64_t f, t, anim, left, start;
  std::vector<int64_t> scroll, counters, fx, blobbs, slots;  // blobbs 11 x 6, slots 2 x 5
  std::vector<std::string> sfx;

  explicit GameFrame(const Line& line)
      : text(line.text),
        f(line.Number("f")),
        t(line.Number("t")),
        anim(line.Number("anim")),
        left(line.Number("timeLeft")),
        start(line.Number("startTime")),
        scroll(line.Numbers("scroll", 2)),
        counters(line.Numbers("counters", 6)),
        fx(line.Numbers("fx", 5)),
        blobbs(line.Numbers("blobbs", 66)),
        slots(line.Numbers("slots", 10)),
        sfx(line.Texts("sfx")) {}
  int Count(const char* sound) const { return int(std::count(sfx.begin(), sfx.end(), sound)); }
  int64_t Blobb(int i, int column) const { return blobbs[size_t(6 * i + column)]; }
  int64_t Slot(int s, int column) const { return slots[size_t(5 * s + column)]; }
  int64_t X() const { return 200 + scroll[0]; }  // the figure's world position
  int64_t Y() const { return 200 + scroll[1]; }
};

// The rules broken: on how many frames each, and the first of them. One line per
// rule keeps the report short when a fault breaks a rule on every frame.
class Rules {
 public:
  void Check(bool kept, const char* rule, const GameFrame& frame) {
    if (kept) return;
    Broken& b = broken_[rule];
    if (b.frames++ == 0) b.first = frame.text;
  }
  void Report() const {
    for (const auto& [rule, b] : broken_)
      ADD_FAILURE() << "broken on " << b.frames << " frames: " << rule << "\nfirst: " << b.first;
  }

 private:
  struct Broken {
    int frames = 0;
    std::string first;
  };
  std::map<std::string, Broken> broken_;
};

// The events of the game, to tell whether the rules had anything to check.
struct Tally {
  int gets = 0, doubled_gets = 0, bites = 0, deliveries = 0, most_delivered = 0, protected_contacts = 0;
  std::array<int, 8> kinds{};  // power-ups taken, by kind
};

// Protect, walking speed, freeze, wall code and pick-up factor as the kinds in
// the two slots call for them.
std::vector<int64_t> EffectsOf(const GameFrame& frame) {
  auto held = [&](int kind) { return frame.Slot(0, 1) == kind || frame.Slot(1, 1) == kind; };
  return {held(1) ? 1 : 0, held(2) ? 2 : 1, held(3) ? 1 : 0, held(4) ? 4 : 5, held(7) ? 2 : 1};
}

// The kinds put into a slot during the frame: a slot occupied now that was empty
// or held a power-up taken at another time.
std::vector<int64_t> TakenKinds(const GameFrame& prev, const GameFrame& cur) {
  std::vector<int64_t> kinds;
  for (int s = 0; s < 2; ++s)
    if (cur.Slot(s, 0) == 1 && (prev.Slot(s, 0) == 0 || prev.Slot(s, 3) != cur.Slot(s, 3)))
      kinds.push_back(cur.Slot(s, 1));
  return kinds;
}

void CheckFrame(const GameFrame& prev, const GameFrame& cur, Rules& rules, Tally& tally) {
  rules.Check(cur.f == prev.f + 1, "no game frame is missing from the trace", cur);
  rules.Check(prev.left > 0, "the game goes on only while time is left", cur);
  rules.Check(cur.anim == (prev.anim + 1) % 9, "the animation steps through 0 to 8", cur);

  // Slots and effects.
  const std::vector<int64_t> taken = TakenKinds(prev, cur);
  for (int64_t kind : taken) ++tally.kinds.at(size_t(kind));
  rules.Check(cur.Count("PUsound") == int(taken.size()), "one power-up sound per slot filled", cur);
  rules.Check(cur.fx == EffectsOf(cur), "the effects are those of the kinds in the slots, and only those", cur);
  for (int s = 0; s < 2; ++s) {
    if (cur.Slot(s, 0) == 1) rules.Check(prev.t - cur.Slot(s, 3) < 30000, "a power-up ends after 30 seconds", cur);
    if (prev.Slot(s, 0) == 1 && (cur.Slot(s, 0) == 0 || cur.Slot(s, 3) != prev.Slot(s, 3)))
      rules.Check(cur.t - prev.Slot(s, 3) >= 30000, "a power-up lasts 30 seconds", cur);
  }

  // The clock: its start moves only by the extra time, and it shows 300 s less
  // the time since then, read between the two frames' presents.
  const auto extra = std::count(taken.begin(), taken.end(), 5);
  rules.Check(cur.start == prev.start + 30000 * extra, "only the extra time moves the clock", cur);
  rules.Check(300 - (cur.t - cur.start) / 1000 <= cur.left && cur.left <= 300 - (prev.t - cur.start) / 1000,
              "the clock shows 300 s less the time since the start", cur);

  // The counters, replayed in the frame's order: holes, power-ups, diamonds, Blobbs.
  const std::vector<int64_t>&c0 = prev.counters, &c = cur.counters;
  rules.Check(*std::min_element(c.begin(), c.end()) >= 0, "no counter is ever negative", cur);
  std::vector<int64_t> carried(c0.begin(), c0.begin() + 3);
  int delivered = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (c[i + 3] == c0[i + 3]) continue;
    ++delivered;
    tally.most_delivered = std::max(tally.most_delivered, int(c0[i]));
    rules.Check(c0[i] > 0 && c[i + 3] == c0[i + 3] + c0[i], "a delivery moves all carried diamonds of its colour",
                cur);
    rules.Check(Overlap(int(prev.X()), int(prev.Y()), kPlayerW, kPlayerH, kHoleX[i], kHoleY[i], kHoleW, kHoleH),
                "diamonds are delivered at the hole of their colour", cur);
    carried[i] = 0;
  }
  tally.deliveries += delivered;
  rules.Check(cur.Count("hole") == delivered, "one hole sound per colour delivered", cur);
  for (int64_t& n : carried) n += 10 * std::count(taken.begin(), taken.end(), 6);
  const int gets = cur.Count("get");
  const int64_t factor = cur.fx[4];
  tally.gets += gets;
  if (factor == 2) tally.doubled_gets += gets;
  // Blobbs are tested after the player's move, each at its new place.
  bool touching = false;
  for (int i = 0; i < 11; ++i)
    touching = touching || (cur.Blobb(i, 0) != 0 && Overlap(int(cur.X()), int(cur.Y()), kPlayerW, kPlayerH,
                                                             int(cur.Blobb(i, 1)), int(cur.Blobb(i, 2)), kBlobbSize,
                                                             kBlobbSize));
  if (touching && cur.fx[0] == 1 && *std::max_element(c.begin(), c.begin() + 3) > 0) ++tally.protected_contacts;
  if (cur.Count("bite") > 0) {
    ++tally.bites;
    rules.Check(cur.Count("bite") == 1, "one theft a frame at most", cur);
    rules.Check(c[0] == 0 && c[1] == 0 && c[2] == 0, "a theft empties the carried counters", cur);
    rules.Check(gets > 0 || *std::max_element(carried.begin(), carried.end()) > 0, "a theft takes something", cur);
    rules.Check(cur.fx[0] == 0, "no theft while protected", cur);
    rules.Check(touching, "a theft comes from a Blobb touching the figure", cur);
  } else {
    int64_t risen = 0;
    bool whole_steps = true;
    for (size_t i = 0; i < 3; ++i) {
      const int64_t d = c[i] - carried[i];
      whole_steps = whole_steps && d >= 0 && d % factor == 0;
      risen += d;
    }
    rules.Check(whole_steps && risen == gets * factor,
                "each pick-up sound adds the pick-up factor to one carried counter, and nothing else does", cur);
  }

  // The view moves by the walking speed on each axis (A and D together cancel out).
  for (size_t axis = 0; axis < 2; ++axis) {
    const int64_t d = cur.scroll[axis] - prev.scroll[axis];
    rules.Check(d == 0 || d == cur.fx[1] || d == -cur.fx[1], "the view moves by the walking speed", cur);
  }

  // Placed Blobbs step one pixel in their direction, or stand.
  for (int i = 0; i < 11; ++i) {
    if (cur.fx[2] == 1) rules.Check(cur.Blobb(i, 0) == 2, "freezing holds every Blobb", cur);
    if (prev.Blobb(i, 0) == 0) continue;  // not placed: a new place is drawn
    rules.Check(cur.Blobb(i, 0) != 0, "a placed Blobb stays placed", cur);
    const int64_t dx = cur.Blobb(i, 1) - prev.Blobb(i, 1), dy = cur.Blobb(i, 2) - prev.Blobb(i, 2);
    rules.Check(std::abs(dx) + std::abs(dy) <= 1, "a Blobb moves at most one pixel a frame", cur);
    if (dx == 0 && dy == 0) continue;
    const int direction = dx == 1 ? 1 : dx == -1 ? 2 : dy == 1 ? 3 : 4;
    rules.Check(cur.Blobb(i, 0) == 1 && cur.Blobb(i, 3) == direction,
                "a Blobb steps in its direction, and only while roaming", cur);
  }
}

TEST(WholeGame, EveryFrameKeepsTheRules) {
  const test_support::TempDir dir;
  const std::string path = dir.File("trace.jsonl");
  auto options = game_test::RunOptions::Clock(2700);
  options.trace = false;  // the trace is read here a line at a time
  options.extra_args = {"--trace", path};
  const auto run = game_test::RunScriptFile("whole_game.txt", options);
  EXPECT_EQ(run.status, 0) << run.err;

  Rules rules;
  Tally tally;
  std::vector<std::string> screens;
  std::optional<Line> menu;
  std::optional<GameFrame> prev;
  std::ifstream in(path, std::ios::binary);
  for (std::string text; std::getline(in, text);) {
    const Line line{std::move(text)};
    const std::vector<std::string> screen_name = line.Texts("screen");
    const std::string screen = screen_name.empty() ? "" : screen_name[0];
    if (screens.empty() || screens.back() != screen) {
      screens.push_back(screen);
      if (screen == "results" && prev) {
        const std::vector<int64_t>& c = prev->counters;
        EXPECT_LE(prev->left, 0);
        EXPECT_EQ(line.Number("score"), c[0] + c[1] + c[2] + 2 * (c[3] + c[4] + c[5]));
      }
    }
    if (screen == "menu") menu = line;
    if (screen != "game") continue;
    GameFrame cur(line);
    if (prev) {
      CheckFrame(*prev, cur, rules, tally);
    } else {
      EXPECT_EQ(cur.left, 300);
      EXPECT_EQ(cur.counters, std::vector<int64_t>(6, 0));
    }
    prev = std::move(cur);
  }
  EXPECT_EQ(screens, (std::vector<std::string>{"start", "menu", "game", "results"}));
  // Played on the level page with the third choice applied.
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->Number("page"), 4);
  EXPECT_EQ(menu->Number("files"), 2);
  EXPECT_EQ(menu->Number("level"), 2);
  rules.Report();
  // The walk and the clock give a game that puts the rules above to work, all
  // but freezing (no freezing power-up is taken): without these events the
  // checks would pass on nothing.
  EXPECT_GE(tally.gets, 20);
  EXPECT_GE(tally.doubled_gets, 1);
  EXPECT_GE(tally.bites, 5);
  EXPECT_GE(tally.deliveries, 1);
  EXPECT_GE(tally.most_delivered, 2);
  EXPECT_GE(tally.protected_contacts, 1) << "no Blobb met the figure while it was protected and carrying";
  for (int kind : {1, 2, 5, 6, 7}) EXPECT_GE(tally.kinds[size_t(kind)], 1) << "no power-up of kind " << kind << " taken";
}

}  // namespace
