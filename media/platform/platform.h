// The boundary between the media layer and the operating system.
//
// Everything above this header is written against `platform::Backend`; only the
// files in media/platform/ include SDL2, EGL or OS headers (tools/check_layers.py
// fails the build otherwise). The program's lifetime is in lifetime.h, the
// operating system's files in os_files.h. Two backends exist:
// the SDL2 backend (a real window with an OpenGL compatibility context, SDL's event
// queue and audio device) and the headless backend (virtual clock, scripted input,
// offscreen or no drawing, audio written to a file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// What the window system tells the input module. Key codes are already in the
// Windows virtual-key numbering (letters = upper-case character, main-row digits
// = digit character, keypad 96..105, sided modifiers 160..165, ...); characters
// are UTF-16 code units.
enum class EventKind {
  KeyDown,      // data = key code
  KeyRepeat,    // data = key code; auto-repeat of a held key
  KeyUp,        // data = key code
  Char,         // data = UTF-16 code unit
  Close,        // close button or Alt+F4; the window stays open
  FocusLost,    // the application became inactive
  FocusGained,  // the application became active again
  TimerTick,    // data = timer id (see StartTimer)
  Quit,         // the scripted run asks the program to end with status 0
};

struct Event {
  EventKind kind = EventKind::KeyDown;
  int data = 0;
  int mods = 0;  // shift 1, control 2, alt 4, system key 8
};

struct WindowSpec {
  int width = 700;
  int height = 540;
  int flags = 2;  // graphics flags: 2 back buffer, 4 alpha, 8 depth, 16 stencil, 32 accumulation
  std::string title = "Tessaly Application";
};

// Stereo, interleaved 16-bit output: the callback fills `frames` sample frames.
// It runs on the audio thread (SDL) or on the main thread as virtual time passes
// (headless).
using AudioCallback = std::function<void(int16_t* out, int frames)>;

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  virtual int Rate() const = 0;  // sample frames per second
  // Guard for state shared with the callback; held only for short updates.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // Window and GL context. OpenWindow creates the window (client area exactly
  // width x height, centred, not resizable, caption = title) and makes its GL
  // context current. Returns false, changing nothing, when that is impossible.
  virtual bool OpenWindow(const WindowSpec& wanted) = 0;
  virtual void CloseWindow() = 0;
  virtual bool WindowOpen() const = 0;
  // Renames the open window (nothing when none is open).
  virtual void SetWindowTitle(const std::string& title) { (void)title; }
  // True when GL calls reach a real context (false for the headless run that
  // draws nothing).
  virtual bool HasGL() const = 0;
  // Presents the back buffer with the given swap interval (0 = no vsync).
  virtual void Present(int swap_interval) = 0;
  // Called before Present for a frame the program did not pace by waiting on a
  // tick timer since its previous frame. A backend showing a real window holds
  // it back, on its own clock, to the game loop's rate when the player's
  // settings ask for it (frame_limit.h); the program reads nothing of this.
  virtual void HoldUnpacedFrame() {}

  // Event pump: PollEvent never blocks; WaitEvent blocks until at least one
  // event is pending (it does not take it off the queue).
  virtual bool PollEvent(Event& out) = 0;
  virtual void WaitEvent() = 0;

  // Monotonic millisecond clock, wrapping at 2^32, and sleeping.
  virtual uint32_t Millis() = 0;
  virtual void SleepMillis(int ms) = 0;

  // Periodic timer with deadlines at creation time + n * period_ms: PollEvent
  // gives one TimerTick event (data = the returned id) per deadline passed, and
  // WaitEvent returns once one has passed. Returns an id > 0, or 0 when it
  // cannot start.
  virtual int StartTimer(int period_ms) = 0;
  virtual void StopTimer(int id) = 0;

  // Audio output. Returns null when no device can be opened.
  virtual std::unique_ptr<AudioDevice> OpenAudio(int rate, AudioCallback callback) = 0;

  // Reads a rectangle of the drawing surface (what has been drawn so far, before
  // it is presented) as RGBA bytes, top row first, into `rgba` (w * h * 4 bytes).
  // Returns false when there is no GL surface or the rectangle lies outside it.
  virtual bool ReadPixels(int x, int y, int w, int h, uint8_t* rgba) {
    (void)x, (void)y, (void)w, (void)h, (void)rgba;
    return false;
  }
};

// The backend in use. The first call without an installed backend installs the
// SDL2 backend. Once the program has ended (see lifetime.h) it is a closed
// backend that opens no window, starts no timer and opens no audio device.
Backend& Current();
// Installs a backend (replacing and destroying the previous one).
void Install(std::unique_ptr<Backend> backend);

// `scale`: the window shows the program's picture that many times as large
// (1 to kMaxWindowScale); the program still draws at its own size.
inline constexpr int kMaxWindowScale = 8;
std::unique_ptr<Backend> CreateSdlBackend(int scale = 1);

struct HeadlessOptions {
  std::string script;        // scripted input file, or empty for none
  uint32_t clock_start = 0;  // virtual clock at start, in ms
  std::string audio_out;     // WAV file the mixer output is written to, or empty
  bool draw = false;         // true: offscreen GL on Mesa's software renderer
  // Called once the frame after the script's last line has been presented (a
  // script of comments only: after the first frame); the program ends the run
  // there. Unset: the run goes on.
  std::function<void()> at_script_end;
};
// Null, with the reason in `error`, when the script cannot be read or parsed.
std::unique_ptr<Backend> CreateHeadlessBackend(const HeadlessOptions& options, std::string& error);

// The graphics layer may hold drawing back to send it to GL in batches. It
// registers how to send what it holds; the backends call FlushPendingDrawing
// before they read or present the drawing surface, so what was drawn is there.
void SetPendingDrawingFlush(void (*flush)());
void FlushPendingDrawing();

}  // namespace platform
