#include "game/trace.h"

#include <cstdio>
#include <vector>

#include "game/state.h"
#include "game/zarn.h"

namespace {

struct Trace {
  std::FILE* file = nullptr;
  // Opening the window presents two frames that clear both buffers; they are
  // counted but have no line.
  uint64_t frames = 2;
  std::vector<std::string> sounds;
  // The screen of a frame being presented: a scripted run may end inside the
  // present, and its line is then written on the way out.
  bool presenting = false;
  Screen screen = Screen::Start;
};

Trace& T() {
  static Trace trace;
  return trace;
}

const char* ScreenName(Screen screen) {
  switch (screen) {
    case Screen::Start: return "start";
    case Screen::Menu: return "menu";
    case Screen::Game: return "game";
    case Screen::Results: return "results";
    case Screen::Highscore: return "highscore";
  }
  return "";
}

class Line {
 public:
  Line& Key(const char* key) {
    text_ += text_.empty() ? "{\"" : ",\"";
    text_ += key;
    text_ += "\":";
    return *this;
  }
  Line& Int(long long value) {
    text_ += std::to_string(value);
    return *this;
  }
  Line& Raw(std::string_view raw) {
    text_ += raw;
    return *this;
  }
  template <typename Table>
  Line& Rows(const Table& table, int first_row, int rows, int columns) {
    text_ += '[';
    for (int i = first_row; i < first_row + rows; ++i) {
      text_ += i == first_row ? "[" : ",[";
      for (int j = 0; j < columns; ++j) {
        if (j) text_ += ',';
        text_ += std::to_string(table(i, j));
      }
      text_ += ']';
    }
    text_ += ']';
    return *this;
  }
  template <typename Range>
  Line& Ints(const Range& values) {
    text_ += '[';
    bool first = true;
    for (int v : values) {
      if (!first) text_ += ',';
      first = false;
      text_ += std::to_string(v);
    }
    text_ += ']';
    return *this;
  }
  std::string Finish() { return text_ + "}"; }

 private:
  std::string text_;
};

}  // namespace

std::string JsonText(std::u16string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char16_t unit : text) {
    if (unit == u'"' || unit == u'\\') {
      out += '\\';
      out += char(unit);
    } else if (unit < 0x20 || unit > 0x7e) {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 15];
    } else {
      out += char(unit);
    }
  }
  return out + "\"";
}

std::string TraceLine(Screen screen, uint64_t frame, uint32_t millis) {
  Line line;
  line.Key("f").Int(static_cast<long long>(frame)).Key("t").Int(millis);
  line.Key("screen").Raw(std::string("\"") + ScreenName(screen) + "\"");
  switch (screen) {
    case Screen::Start: break;
    case Screen::Menu:
      line.Key("page").Int(G.MenuPage).Key("choice").Int(G.LevelChoice).Key("files").Int(G.LevelFiles);
      line.Key("level").Int(G.LevelNo).Key("bg").Int(G.BgFrame).Key("tiles").Int(G.TileOffset);
      break;
    case Screen::Game:
      line.Key("scroll").Ints(std::array{G.ScrollX, G.ScrollY});
      line.Key("frame").Int(G.PlayerObj ? G.PlayerObj->Frame : 0).Key("anim").Int(G.AnimStep);
      line.Key("counters").Ints(G.Counters).Key("timeLeft").Int(G.TimeLeft).Key("startTime").Int(G.StartTime);
      line.Key("fx").Ints(std::array{G.Protect, G.WalkSpeed, G.Freeze, G.WallCode, G.DiamFactor});
      line.Key("diam").Rows(G.DiamTab, 0, kDiamonds, 4);
      line.Key("blobbs").Rows(G.BlobbTab, 0, kBlobbs, 6);
      line.Key("items").Rows(G.PuItemTab, 0, kPuItems, 4);
      line.Key("slots").Rows(G.PuSlotTab, 1, 2, 5);
      break;
    case Screen::Results:
      line.Key("score").Int(G.Score).Key("name").Raw(JsonText(G.NameInput)).Key("cursor").Int(G.CursorOn);
      break;
    case Screen::Highscore: {
      line.Key("score").Int(G.Score).Key("table").Raw("[");
      for (int i = 0; i < 10; ++i) {
        line.Raw(i ? ",[" : "[").Raw(JsonText(G.HiTable[2 * i])).Raw(",").Raw(JsonText(G.HiTable[2 * i + 1]));
        line.Raw("]");
      }
      line.Raw("]");
      break;
    }
  }
  if (!T().sounds.empty()) {
    line.Key("sfx").Raw("[");
    for (size_t i = 0; i < T().sounds.size(); ++i) {
      std::u16string name(T().sounds[i].begin(), T().sounds[i].end());
      line.Raw(i ? "," : "").Raw(JsonText(name));
    }
    line.Raw("]");
  }
  return line.Finish();
}

namespace {

void WriteFrameLine() {
  Trace& t = T();
  ++t.frames;
  t.presenting = false;
  if (!t.file) return;
  const std::string line = TraceLine(t.screen, t.frames, static_cast<uint32_t>(ElapsedMillis()));
  t.sounds.clear();
  std::fputs(line.c_str(), t.file);
  std::fputc('\n', t.file);
  std::fflush(t.file);
}

}  // namespace

void OpenTrace() {
  const std::string& path = TraceFilePath();
  if (path.empty() || T().file) return;
  T().file = std::fopen(path.c_str(), "wb");
  if (!T().file) QuitWithError("zarn: cannot write the trace file \"" + path + "\"");
  OnProgramExit([] {
    if (T().presenting) WriteFrameLine();
    std::fclose(T().file);
    T().file = nullptr;
  });
}

void TraceSound(std::string_view name) {
  if (T().file) T().sounds.emplace_back(name);
}


void PresentFrame(Screen screen) {
  Trace& t = T();
  t.screen = screen;
  t.presenting = true;
  Flip(-1);
  WriteFrameLine();
}
