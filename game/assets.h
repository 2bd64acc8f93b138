// The game's files: every picture, sound, the font and the level files are
// checked at start-up, so a missing or unreadable one stops the program with a
// message naming it instead of failing later. Each file is loaded once; asking
// again gives the same image or sound.
#pragma once

#include <string_view>

#include "game/files.h"
#include "game/state.h"

// The picture as a one-frame image (automatic flags), or the program ends with
// status 1 naming the file.
ImageRef GameImage(std::string_view path);
// The picture cut into `count` cells of cw x ch from cell `first`, or the program
// ends naming the file.
ImageRef GameStrip(const StripFile& strip);
// The sound (flags as LoadSound), or the program ends naming the file.
SoundRef GameSound(std::string_view path, int flags);
// The font at a pixel size and style, or the program ends naming the file.
FontRef GameFontFile(std::string_view path, int size, int style);
// The file opened for reading, or the program ends naming it.
StreamRef OpenGameFile(std::string_view path);

// Loads every file the game uses (with the mask colour 255, 0, 255 in force), so
// that nothing can be found missing once the game is running.
void PreloadGameFiles();

// Starts the sound on a new channel and notes it in the trace by the base name of
// its file.
void PlaySound(const SoundRef& sound);
// The base name of the file the sound was loaded from ("get" for sound/get.wav).
std::string_view SoundName(const SoundRef& sound);
