#include "media/platform/script.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "media/core/strings.h"

namespace platform {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Parses a decimal number of at most `max`; false on anything else.
bool ParseNumber(const std::string& s, uint64_t max, uint64_t& out) {
  if (s.empty() || s.size() > 20) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (max - d) / 10) return false;
    v = v * 10 + d;
  }
  out = v;
  return true;
}

// Splits off the first word of `rest`; `rest` keeps what follows, trimmed.
std::string TakeWord(std::string& rest) {
  size_t i = 0;
  while (i < rest.size() && !IsSpace(rest[i])) ++i;
  std::string word = rest.substr(0, i);
  rest = Trim(rest.substr(i));
  return word;
}

}  // namespace

bool Script::HasShots() const {
  for (const auto& line : lines)
    if (line.command == ScriptCommand::Shot) return true;
  return false;
}

int ScriptKeyCode(const std::string& name) {
  const std::string n = Upper(name);
  if (n.size() == 1 && ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= '0' && n[0] <= '9'))) return n[0];
  if (n.size() >= 2 && n[0] >= '0' && n[0] <= '9') {
    uint64_t v = 0;
    return ParseNumber(n, 255, v) && v > 0 ? static_cast<int>(v) : 0;
  }
  static const struct {
    const char* name;
    int code;
  } kNames[] = {{"SPACE", 32}, {"ENTER", 13}, {"ESCAPE", 27}, {"BACKSPACE", 8}, {"LEFT", 37},
                {"RIGHT", 39}, {"UP", 38},    {"DOWN", 40}};
  for (const auto& k : kNames)
    if (n == k.name) return k.code;
  // F1 to F12.
  if (n.size() >= 2 && n.size() <= 3 && n[0] == 'F' && n[1] >= '1' && n[1] <= '9') {
    uint64_t v = 0;
    if (ParseNumber(n.substr(1), 12, v) && v >= 1) return 111 + static_cast<int>(v);
  }
  return 0;
}

bool ParseScript(const std::string& text, const std::string& file, Script& out, std::string& error) {
  out = Script{};
  out.file = file;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    auto bad = [&](const std::string& what) {
      error = file + ":" + std::to_string(number) + ": " + what;
      return false;
    };
    std::string rest = Trim(raw.substr(0, raw.find('#')));
    if (rest.empty()) continue;
    ScriptLine line;
    line.line_number = number;
    const std::string frame = TakeWord(rest);
    if (!ParseNumber(frame, UINT64_MAX / 2, line.frame)) return bad("bad frame number \"" + frame + "\"");
    const std::string command = TakeWord(rest);
    const std::string cmd = Upper(command);
    if (cmd.empty()) return bad("missing command");

    if (cmd == "DOWN" || cmd == "UP" || cmd == "PRESS") {
      line.command = cmd == "DOWN" ? ScriptCommand::Down : cmd == "UP" ? ScriptCommand::Up : ScriptCommand::Press;
      const std::string key = TakeWord(rest);
      if (key.empty()) return bad(command + " needs a key");
      line.key = ScriptKeyCode(key);
      if (line.key == 0) return bad("unknown key \"" + key + "\"");
    } else if (cmd == "TYPE") {
      line.command = ScriptCommand::Type;
      if (rest.empty()) return bad("type needs text");
      line.text = TextFromUtf8(rest);
      rest.clear();
    } else if (cmd == "CHAR") {
      line.command = ScriptCommand::Char;
      const std::string code = TakeWord(rest);
      uint64_t v = 0;
      if (!ParseNumber(code, 0xFFFF, v)) return bad("char needs a code from 0 to 65535");
      line.text.push_back(static_cast<char16_t>(v));
    } else if (cmd == "SHOT") {
      line.command = ScriptCommand::Shot;
      if (rest.empty()) return bad("shot needs a file name");
      line.path = rest;
      rest.clear();
    } else if (cmd == "STALL") {
      line.command = ScriptCommand::Stall;
      const std::string ms = TakeWord(rest);
      uint64_t v = 0;
      if (!ParseNumber(ms, 86400000, v)) return bad("stall needs milliseconds from 0 to 86400000");
      line.millis = static_cast<uint32_t>(v);
    } else if (cmd == "CLOSE") {
      line.command = ScriptCommand::Close;
    } else if (cmd == "BLUR") {
      line.command = ScriptCommand::Blur;
    } else if (cmd == "FOCUS") {
      line.command = ScriptCommand::Focus;
    } else if (cmd == "QUIT") {
      line.command = ScriptCommand::Quit;
    } else {
      return bad("unknown command \"" + command + "\"");
    }
    if (!rest.empty()) return bad("unexpected \"" + rest + "\" after " + command);
    out.lines.push_back(std::move(line));
  }
  return true;
}

bool LoadScript(const std::string& path, Script& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the script";
    return false;
  }
  // Scripts are short; refuse anything that could not plausibly be one.
  constexpr std::streamoff kMaxBytes = 16 << 20;
  in.seekg(0, std::ios::end);
  if (in.tellg() > kMaxBytes) {
    error = path + ": the script is larger than 16 MiB";
    return false;
  }
  in.seekg(0, std::ios::beg);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = path + ": cannot read the script";
    return false;
  }
  return ParseScript(text.str(), path, out, error);
}

}  // namespace platform
