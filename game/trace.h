// The state trace: with --trace FILE, one JSON object per presented frame, one per
// line, describing the screen and the game state just after the frame was
// presented. A script and its trace reproduce a game exactly, so tests and bug
// reports go through it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class Screen { Start, Menu, Game, Results, Highscore };

// Opens the file named by --trace, if any; ends the program naming the file when
// it cannot be written.
void OpenTrace();
// Notes a sound started since the previous presented frame, by its file's base name.
void TraceSound(std::string_view name);
// Presents the frame (Flip -1) and writes its trace line.
void PresentFrame(Screen screen);

// The trace line (without the line end) for the current state of the game.
// `frame` counts the frames presented so far including this one, `millis` is the
// clock just after presenting.
std::string TraceLine(Screen screen, uint64_t frame, uint32_t millis);
// A JSON string literal of a text: quotes, backslashes and control characters
// escaped, and code units above 127 as \uXXXX.
std::string JsonText(std::u16string_view text);
