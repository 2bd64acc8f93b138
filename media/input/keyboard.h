// Polled keyboard input: tables of held keys and presses, a queue of typed
// characters, and the window's close request. Every query first collects the
// pending window-system events (unless auto-poll is off).
#pragma once

// Key codes follow the Windows virtual-key numbering.
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_ENTER = 13;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;
constexpr int KEY_NUM0 = 96;  // keypad 0; keypad 1..9 are 97..105
constexpr int KEY_F1 = 112;   // F1..F12 are 112..123
constexpr int KEY_LSHIFT = 160;
constexpr int KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162;
constexpr int KEY_RCONTROL = 163;
constexpr int KEY_LALT = 164;
constexpr int KEY_RALT = 165;

// 1 while the key is held.
int IsKeyDown(int key);
// Presses of the key since the last call for it (or the last flush).
int KeyPresses(int key);
// The oldest typed character (a UTF-16 code unit), or 0 when none is waiting.
int NextTypedChar();
// Polls, then forgets every held key, press and typed character.
void ClearKeys();
// 1 once the window was asked to close; reading it resets it.
int CloseRequested();

// 1 while the application is inactive (focus elsewhere).
int AppSuspended();
// With auto-poll off (0) the queries read the tables without polling first.
void SetAutoPoll(int on);

// Switched on when graphics open and off when they close. Events from sources
// other than `source` are ignored (null accepts all). Both flush the tables.
void EnablePolledInput(const void* source);
void DisablePolledInput();
