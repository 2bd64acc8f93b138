// Translation of SDL keyboard codes into the Windows virtual-key numbering the
// input tables use. Plain ints so that callers need no SDL header: `scancode` is
// an SDL_Scancode (a USB HID usage id), `keycode` an SDL_Keycode.
#pragma once

#include "media/platform/input_sources.h"

namespace platform {

// The virtual-key code of a key, or 0 for keys without one. Letters follow the
// keyboard layout (the key that types 'a' is 65); every other key goes by its
// position. The sided modifiers get 160..165 (left/right shift, control, alt).
int VirtualKeyFromSdl(int scancode, int keycode);

// A game controller's button (an SDL_GameControllerButton) and axis (an
// SDL_GameControllerAxis) as the pad mapping knows them.
PadButton PadButtonFromSdl(int button);
PadAxis PadAxisFromSdl(int axis);

}  // namespace platform
