// The boundary between the media layer and the operating system.
//
// Everything above this header is written against `platform::Backend`; only the
// files in media/platform/ include SDL2, EGL or OS headers. Two backends exist:
// the SDL2 backend (a real window with an OpenGL compatibility context, SDL's event
// queue and audio device) and the headless backend (virtual clock, scripted input,
// offscreen or no drawing, audio written to a file).
#pragma once

#include <cstdint>
#include <cstdio>
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
// SDL2 backend. Once the program has ended (see RunExitHooks) it is a closed
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
};
std::unique_ptr<Backend> CreateHeadlessBackend(const HeadlessOptions& options);

// The graphics layer may hold drawing back to send it to GL in batches. It
// registers how to send what it holds; the backends call FlushPendingDrawing
// before they read or present the drawing surface, so what was drawn is there.
void SetPendingDrawingFlush(void (*flush)());
void FlushPendingDrawing();

// How the program ends. The program may keep the layer's objects (timers,
// graphics, images, fonts, sounds, channels) in program-wide variables that are
// destroyed only after the layer has ended, so the layer keeps one rule:
//  - Ending runs once, before any program-wide variable is destroyed (Exit runs
//    it; a plain return from main runs it first thing at exit): the exit actions
//    run in reverse order of registration, each module releasing what it holds of
//    the platform (audio shut down, timers stopped, graphics closed), and the
//    backend, the first thing made, is destroyed last.
//  - From then on nothing new is made (Current() is the closed backend), and the
//    objects the program still holds, when destroyed, free only their own memory.
//    The layer's own bookkeeping they reach on the way (timer list, texture list,
//    driver lists, event hooks) is never destroyed.
void AddExitHook(std::function<void()> hook);
// Ends the layer as described above. Each hook is taken off the list before it
// runs, so a later call runs only the hooks not run yet (after one that failed).
void RunExitHooks();
// True once RunExitHooks has begun.
bool Ended();
// When the program ends by returning from main or by std::exit, the layer ends
// before every handler registered with atexit up to now. Called once a library
// that tears itself down in such a handler (Mesa: its EGL displays, drivers and
// worker threads) has been set up, so the layer still closes its window and GL
// context while that library works. (Exit ends the layer before std::exit.)
void EndBeforeExitHandlersSoFar();
// Runs `step`. An error it lets out has its text written to standard error
// ("unknown error" when it carries none), and then false is returned.
bool RunReportingErrors(const std::function<void()>& step);
// Runs the exit hooks, flushes the standard streams and ends the process. An
// error from an exit hook is reported, the other hooks still run, and the
// status becomes -1.
[[noreturn]] void Exit(int status);

// Absolute path of the running program file, or empty when it cannot be found.
std::string ExecutablePath();
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);
// Whether this user may make and rename files in the folder.
bool MayWriteFolder(const std::string& path);
// The folder the user's programs keep their data in: $XDG_DATA_HOME when it is
// an absolute path, else .local/share in the home folder ($HOME, or the one the
// user database names). Empty when there is no home folder to be found.
std::string UserDataHome();
// Makes the folder and every missing folder above it (new ones readable by this
// user only). True when the folder exists afterwards.
bool MakeFolders(const std::string& path, std::string& error);

// Files, as far as the stream layer's safe replacing of a file needs the system.
// Paths are native (UTF-8, forward slashes). Failures come back as the system's
// reason in `error`.
enum class PathKind { Absent, File, Folder };
// What stands at the path (Absent also when it cannot be looked at).
PathKind KindOfPath(const std::string& path);
// The path a write should go to: the file a symbolic link leads to, else the path.
std::string WriteTarget(const std::string& path);
// Why the existing file at the path must not be replaced: it is marked read-only
// (no write permission for anyone) or this user may not write it. Empty when it
// may be replaced or does not exist.
std::string ReplaceRefusal(const std::string& path);
// A new, empty file with a name of its own beside `path` (path + ".new-" and six
// characters), open for writing, with the permissions of the file at `path` when
// there is one. Null when it cannot be made.
std::FILE* CreateFileBeside(const std::string& path, std::string& created, std::string& error);
// Flushes the C library's buffer and has the system write the file's data to the
// disk.
bool SyncFile(std::FILE* file, std::string& error);
// Renames `from` over `to` in one step, then has the system write the folder
// holding them to the disk so the rename survives a power loss (a folder that
// cannot be synced does not fail the rename).
bool RenameOver(const std::string& from, const std::string& to, std::string& error);
void RemoveFile(const std::string& path);

}  // namespace platform
