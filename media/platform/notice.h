// A short line of text the window shows over the program's picture for a
// moment (the volume after a volume key): white letters of a small built-in
// font on a dark box, centred near the top of the picture. It is painted after
// the program's frame is complete, with cleared rectangles only, so it needs no
// texture and leaves the program's GL state as it was.
#pragma once

#include <string_view>

#include "media/platform/gl_present.h"

namespace platform {

// Paints `text` onto the bound draw framebuffer, whose height is `out_h`,
// over the picture at `picture` (its place and factor on that framebuffer).
// Characters the font lacks leave a gap. The scissor test, its box and the
// clear colour are restored afterwards.
void PaintNotice(std::string_view text, const PictureRect& picture, int out_h);

}  // namespace platform
