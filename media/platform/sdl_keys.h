// Translation of SDL keyboard codes into the Windows virtual-key numbering the
// input tables use. Plain ints so that callers need no SDL header: `scancode` is
// an SDL_Scancode (a USB HID usage id), `keycode` an SDL_Keycode.
#pragma once

namespace platform {

// The virtual-key code of a key, or 0 for keys without one. Letters follow the
// keyboard layout (the key that types 'a' is 65); every other key goes by its
// position. The sided modifiers get 160..165 (left/right shift, control, alt).
int VirtualKeyFromSdl(int scancode, int keycode);

}  // namespace platform
