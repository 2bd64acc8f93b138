// Scripted input for headless runs. A script is a text file of lines
// `FRAME COMMAND [ARG]`; FRAME counts the frames presented before the line is
// delivered (0 = before the first). `#` starts a comment; blank lines are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class ScriptCommand { Down, Up, Press, Type, Char, Close, Blur, Focus, Shot, Stall, Quit };

struct ScriptLine {
  uint64_t frame = 0;
  ScriptCommand command = ScriptCommand::Quit;
  int key = 0;           // Down, Up, Press: virtual-key code
  std::u16string text;   // Type: the characters (UTF-16); Char: one code unit
  std::string path;      // Shot: the PNG file to write
  uint32_t millis = 0;   // Stall: how far the virtual clock jumps
  int line_number = 0;   // 1-based, for messages
};

struct Script {
  std::string file;
  std::vector<ScriptLine> lines;
  bool HasShots() const;
};

// Key names a script may use besides plain numbers: A-Z, 0-9 (one digit is the
// digit key; a number of two or more digits, such as 08 or 160, is a
// virtual-key code), SPACE, ENTER, ESCAPE, BACKSPACE, LEFT, RIGHT, UP, DOWN,
// F1 to F12.
// Returns the virtual-key code, or 0 when `name` is none of these.
int ScriptKeyCode(const std::string& name);

// Parses script text. On the first bad line returns false with
// "FILE:LINE: what is wrong" in `error`.
bool ParseScript(const std::string& text, const std::string& file, Script& out, std::string& error);
// Reads and parses a script file; a missing file is an error naming it.
bool LoadScript(const std::string& path, Script& out, std::string& error);

}  // namespace platform
