// The SDL2 backend: a real window with an OpenGL compatibility context, SDL's
// event queue, a monotonic clock, and periodic timers the main thread waits on
// together with the window system's events.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <thread>
#include <vector>

#include "media/platform/audio_devices.h"
#include "media/platform/frame_limit.h"
#include "media/platform/gl_present.h"
#include "media/platform/gl_surface.h"
#include "media/platform/input_sources.h"
#include "media/platform/lifetime.h"
#include "media/platform/notice.h"
#include "media/platform/platform.h"
#include "media/platform/player_settings.h"
#include "media/platform/sdl_keys.h"
#include "media/platform/volume_keys.h"
#include "media/platform/window_size.h"
#include "media/core/strings.h"

namespace platform {
namespace {

// While nothing is due, the wait still looks at SDL's queue this often, for
// events that reach it by ways other than the window system's connection (which
// is watched directly); a running tick timer wakes it more often anyway.
constexpr int kIdleWakeMillis = 50;

// A kernel timer with deadlines at creation + n * period (absolute, so a late
// wake-up never shifts the later deadlines). Its file descriptor becomes readable
// once a deadline has passed, and reading it gives how many have passed since the
// last read: the main thread waits on it directly, with no thread in between and
// no busy waiting.
class TickTimer {
 public:
  explicit TickTimer(int period_ms) : fd_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (fd_ < 0) return;
    const auto ms = [](int64_t n) {
      timespec t{};
      t.tv_sec = static_cast<time_t>(n / 1000);
      t.tv_nsec = static_cast<long>(n % 1000 * 1000000);
      return t;
    };
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    itimerspec due{};
    due.it_interval = ms(period_ms);
    due.it_value = ms(period_ms);
    due.it_value.tv_sec += now.tv_sec;
    due.it_value.tv_nsec += now.tv_nsec;
    if (due.it_value.tv_nsec >= 1000000000L) {
      due.it_value.tv_nsec -= 1000000000L;
      ++due.it_value.tv_sec;
    }
    if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &due, nullptr) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~TickTimer() {
    if (fd_ >= 0) close(fd_);
  }
  TickTimer(const TickTimer&) = delete;
  TickTimer& operator=(const TickTimer&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Deadlines passed since the previous call, at most kMaxTicks at once (after
  // the machine slept, say), so a long pause does not flood the event queue.
  int TakeTicks() {
    uint64_t n = 0;
    if (read(fd_, &n, sizeof n) != static_cast<ssize_t>(sizeof n)) return 0;
    return static_cast<int>(n < kMaxTicks ? n : kMaxTicks);
  }

 private:
  static constexpr uint64_t kMaxTicks = 65535;
  int fd_;
};

void* SdlProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

int ModsFromSdl(SDL_Keymod mods) {
  int m = 0;
  if (mods & KMOD_SHIFT) m |= 1;
  if (mods & KMOD_CTRL) m |= 2;
  if (mods & KMOD_ALT) m |= 4;
  if (mods & KMOD_GUI) m |= 8;
  return m;
}

class SdlBackend : public Backend {
 public:
  explicit SdlBackend(int scale) : scale_(scale < 1 ? 1 : scale > kMaxWindowScale ? kMaxWindowScale : scale) {
    // Ctrl+C and SIGTERM keep their default meaning instead of becoming close requests.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_EVENTS) != 0) {
      std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
      return;
    }
    events_ok_ = true;
  }

  ~SdlBackend() override {
    timers_.clear();
    CloseWindow();
    // Once video is up, the display connection stays open until the process
    // ends: closing it unloads the GL driver, whose own allocations would then be
    // left behind.
    if (events_ok_ && !video_ok_) SDL_Quit();
  }

  const char* Name() const override { return "SDL2"; }

  bool OpenWindow(const WindowSpec& wanted) override {
    if (window_ != nullptr || !events_ok_) return false;
    if (!video_ok_ && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "No display: %s\n", SDL_GetError());
      return false;
    }
    video_ok_ = true;
    // The GL driver stays loaded for the life of the process, like the display
    // connection: SDL unloads it with the last GL window otherwise, leaving the
    // driver's own allocations behind.
    if (!gl_kept_) gl_kept_ = SDL_GL_LoadLibrary(nullptr) == 0;
    // SDL falls back to its offscreen or dummy video drivers when no display is
    // reachable; a game window there would be invisible. Those count only when
    // asked for by name.
    if (const char* driver = SDL_GetCurrentVideoDriver(); driver != nullptr && SDL_getenv("SDL_VIDEODRIVER") == nullptr &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
      std::fprintf(stderr, "No display: SDL found only its \"%s\" video driver\n", driver);
      return false;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (wanted.flags & 2) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (wanted.flags & 4) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (wanted.flags & 8) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (wanted.flags & 16) ? 1 : 0);
    const int accum = (wanted.flags & 32) ? 1 : 0;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);

    // Centred on the desktop with integer halves of both sizes; --scale makes the
    // window that many times the program's size.
    const int window_w = wanted.width * scale_, window_h = wanted.height * scale_;
    SDL_Rect desk{0, 0, window_w, window_h};
    SDL_GetDisplayBounds(0, &desk);
    const int x = desk.x + desk.w / 2 - window_w / 2;
    const int y = desk.y + desk.h / 2 - window_h / 2;
    window_ = SDL_CreateWindow(wanted.title.c_str(), x, y, window_w, window_h, SDL_WINDOW_OPENGL);
    if (window_ == nullptr) {
      std::fprintf(stderr, "Cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr || SDL_GL_MakeCurrent(window_, context_) != 0) {
      std::fprintf(stderr, "Cannot create the OpenGL context: %s\n", SDL_GetError());
      if (context_ != nullptr) SDL_GL_DeleteContext(context_);
      context_ = nullptr;
      SDL_DestroyWindow(window_);
      window_ = nullptr;
      return false;
    }
    EndBeforeExitHandlersSoFar("SDL video");
    // The window system's connection, watched while waiting for events.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    x11_fd_ = -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11)
      x11_fd_ = ConnectionNumber(info.info.x11.display);
#endif
    width_ = wanted.width;
    height_ = wanted.height;
    alpha_ = (wanted.flags & 4) != 0;
    swap_interval_ = -2;  // unknown until the first Present sets it
    frame_limit_ = FrameLimit();  // the new window's first frame goes at once
    fullscreen_ = false;
    // The player's last choice; the switch comes with the first frame.
    fullscreen_wanted_ = CurrentSettings().fullscreen;
    if (scale_ > 1 && !StartEnlarging()) {
      // The program's own size then, as the picture cannot be enlarged.
      SDL_SetWindowSize(window_, width_, height_);
      SDL_SetWindowPosition(window_, desk.x + desk.w / 2 - width_ / 2, desk.y + desk.h / 2 - height_ / 2);
    }
    SDL_StartTextInput();
    // Gamepads, plugged in now or later; their arrival comes as events.
    if (!pads_ok_) pads_ok_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return true;
  }

  void CloseWindow() override {
    if (window_ == nullptr) return;
    for (const auto& [id, pad] : controllers_) SDL_GameControllerClose(pad);
    controllers_.clear();
    pad_keys_ = PadKeys();
    window_keys_.Forget();
    presenter_.Close();
    SDL_StopTextInput();
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    SDL_DestroyWindow(window_);
    context_ = nullptr;
    window_ = nullptr;
    x11_fd_ = -1;
  }

  bool WindowOpen() const override { return window_ != nullptr; }
  void SetWindowTitle(const std::string& title) override {
    if (window_) SDL_SetWindowTitle(window_, title.c_str());
  }
  bool HasGL() const override { return context_ != nullptr; }

  void HoldUnpacedFrame() override {
    if (window_ == nullptr || !CurrentSettings().limit_menu_rate) return;
    if (const int ms = frame_limit_.Delay(Millis()); ms > 0) SleepMillis(ms);
  }

  void Present(int swap_interval) override {
    if (window_ == nullptr) return;
    frame_limit_.Presented(Millis());
    FlushPendingDrawing();
    if (swap_interval != swap_interval_) {
      SDL_GL_SetSwapInterval(swap_interval);  // not every driver can; then it stays as it is
      swap_interval_ = swap_interval;
    }
    const std::string notice = volume_keys_.Notice(Millis());
    if (presenter_.IsOpen()) {
      // The window's real size, every frame: a full-screen request nobody
      // granted leaves it as it was.
      int w = 0, h = 0;
      WindowDrawableSize(window_, w, h);
      presenter_.CopyToTarget(w, h, [&](const PictureRect& picture) {
        if (!notice.empty()) PaintNotice(notice, picture, h);
      });
    } else if (!notice.empty()) {
      PaintNotice(notice, PictureRect{0, 0, width_, height_, 1}, height_);
    }
    SDL_GL_SwapWindow(window_);
    // A switch asked for during the frame takes effect between frames, so that
    // every frame is drawn whole into one place.
    if (fullscreen_wanted_ != fullscreen_) SwitchFullscreen();
  }

  bool PollEvent(Event& out) override {
    // Ticks are counted here, on the main thread, as the events are taken.
    if (pending_.empty()) CollectTicks();
    while (pending_.empty()) {
      SDL_Event e;
      if (!events_ok_ || !SDL_PollEvent(&e)) {
        drained_ = true;
        return false;
      }
      Translate(e);
    }
    drained_ = false;
    out = pending_.front();
    pending_.pop_front();
    return true;
  }

  // Sleeps in poll() on the timers and the window system's connection until a
  // deadline has passed or an event is waiting; SDL's queue is looked at after
  // each wake-up (and every kIdleWakeMillis for events that come other ways).
  void WaitEvent() override {
    if (!pending_.empty() || (!events_ok_ && timers_.empty())) return;
    std::vector<pollfd> fds;
    // Right after a poll that emptied SDL's queue there is nothing to pump: what
    // arrives from now on makes the connection readable.
    bool pump = !drained_;
    drained_ = false;
    for (;; pump = true) {
      if (events_ok_ && pump) {
        SDL_PumpEvents();
        if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return;
      }
      fds.clear();
      for (const auto& [id, timer] : timers_) fds.push_back({timer->Fd(), POLLIN, 0});
      if (x11_fd_ >= 0) fds.push_back({x11_fd_, POLLIN, 0});
      if (poll(fds.data(), fds.size(), kIdleWakeMillis) <= 0) continue;
      for (size_t i = 0; i < timers_.size(); ++i)
        if (fds[i].revents & POLLIN) return;  // taken off by the next PollEvent
    }
  }

  uint32_t Millis() override {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
  }

  void SleepMillis(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

  int StartTimer(int period_ms) override {
    if (period_ms <= 0) return 0;
    auto timer = std::make_unique<TickTimer>(period_ms);
    if (!timer->Ok()) return 0;
    const int id = next_timer_id_++;
    timers_.emplace(id, std::move(timer));
    return id;
  }

  void StopTimer(int id) override { timers_.erase(id); }

  std::unique_ptr<AudioDevice> OpenAudio(int rate, AudioCallback callback) override {
    return OpenSdlAudio(rate, std::move(callback));
  }

  bool ReadPixels(int x, int y, int w, int h, uint8_t* rgba) override {
    if (context_ == nullptr) return false;
    return ReadGlPixels(x, y, w, h, width_, height_, rgba);
  }

 private:
  void Push(EventKind kind, int data, int mods) { pending_.push_back(Event{kind, data, mods}); }

  // One TimerTick event per deadline passed, timers in the order they were started.
  void CollectTicks() {
    for (const auto& [id, timer] : timers_)
      for (int n = timer->TakeTicks(); n > 0; --n) Push(EventKind::TimerTick, id, 0);
  }

  // From here on the program draws into a picture of its own size, which each
  // Present shows enlarged. False (with a message) when the GL context cannot.
  bool StartEnlarging() {
    if (presenter_.IsOpen()) return true;
    std::string error;
    if (presenter_.Open(width_, height_, alpha_, 0, SdlProcAddress, error)) return true;
    std::fprintf(stderr, "The picture cannot be enlarged: %s\n", error.c_str());
    return false;
  }

  void SwitchFullscreen() {
    // The desktop's own mode: no mode change, the picture is enlarged instead.
    if (fullscreen_wanted_ && !StartEnlarging()) {
      fullscreen_wanted_ = false;
      return;
    }
    if (SDL_SetWindowFullscreen(window_, fullscreen_wanted_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
      std::fprintf(stderr, "Cannot switch %s full screen: %s\n", fullscreen_wanted_ ? "to" : "from", SDL_GetError());
      fullscreen_wanted_ = fullscreen_;
      return;
    }
    fullscreen_ = fullscreen_wanted_;
    // Kept for the next start (a switch to what the settings say already changes nothing).
    if (CurrentSettings().fullscreen != fullscreen_) {
      PlayerSettings settings = CurrentSettings();
      settings.fullscreen = fullscreen_;
      ChangeSettings(settings, SettingsChange::Player);
    }
  }

  // A key event for the program, unless it is one of the window's own keys.
  void PushKey(EventKind kind, int vk, int mods) {
    switch (window_keys_.Filter(Event{kind, vk, mods})) {
      case WindowKeys::Verdict::Pass: break;
      case WindowKeys::Verdict::Take: return;
      case WindowKeys::Verdict::Toggle: fullscreen_wanted_ = !fullscreen_wanted_; return;
    }
    if (volume_keys_.Filter(Event{kind, vk, mods}, Millis())) return;
    Push(kind, vk, mods);
    // These keys type control characters, which text input does not report.
    if (kind != EventKind::KeyUp && (vk == 8 || vk == 13 || vk == 27)) Push(EventKind::Char, vk, mods);
  }

  void PushAll(const std::vector<Event>& events) { pending_.insert(pending_.end(), events.begin(), events.end()); }

  void Translate(const SDL_Event& e) {
    std::vector<Event> pad_events;
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const int vk = VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym);
        const int mods = ModsFromSdl(static_cast<SDL_Keymod>(e.key.keysym.mod));
        if (vk <= 0 || vk > 255) return;
        if (e.type == SDL_KEYUP) {
          PushKey(EventKind::KeyUp, vk, mods);
          return;
        }
        PushKey(e.key.repeat ? EventKind::KeyRepeat : EventKind::KeyDown, vk, mods);
        // Alt+F4 asks to close, as the window manager would.
        if (vk == 115 && (mods & 4) && !e.key.repeat) Push(EventKind::Close, 0, mods);
        return;
      }
      case SDL_TEXTINPUT:
        for (char16_t unit : TextFromUtf8(e.text.text)) Push(EventKind::Char, unit, 0);
        return;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: Push(EventKind::Close, 0, 0); return;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            window_keys_.Forget();
            Push(EventKind::FocusLost, 0, 0);
            return;
          case SDL_WINDOWEVENT_FOCUS_GAINED: Push(EventKind::FocusGained, 0, 0); return;
          default: return;
        }
      // Gamepads may come and go at any time; one that goes lets go of its keys.
      case SDL_CONTROLLERDEVICEADDED:
        if (SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which)) {
          const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
          if (controllers_.count(id) != 0) {
            SDL_GameControllerClose(pad);  // reported twice: the first handle stays
          } else {
            controllers_[id] = pad;
          }
        }
        return;
      case SDL_CONTROLLERDEVICEREMOVED:
        pad_keys_.Removed(e.cdevice.which, pad_events);
        PushAll(pad_events);
        if (auto it = controllers_.find(e.cdevice.which); it != controllers_.end()) {
          SDL_GameControllerClose(it->second);
          controllers_.erase(it);
        }
        return;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        pad_keys_.Button(e.cbutton.which, PadButtonFromSdl(e.cbutton.button), e.type == SDL_CONTROLLERBUTTONDOWN,
                         pad_events);
        PushAll(pad_events);
        return;
      case SDL_CONTROLLERAXISMOTION:
        pad_keys_.Axis(e.caxis.which, PadAxisFromSdl(e.caxis.axis), e.caxis.value, pad_events);
        PushAll(pad_events);
        return;
      default:
        return;
    }
  }

  const int scale_;
  bool events_ok_ = false;
  bool video_ok_ = false;
  bool drained_ = false;  // the last PollEvent found SDL's queue empty
  bool pads_ok_ = false;
  bool gl_kept_ = false;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int x11_fd_ = -1;
  int width_ = 0;
  int height_ = 0;
  int swap_interval_ = -2;
  bool alpha_ = false;
  ScaledPresenter presenter_;
  WindowKeys window_keys_;
  VolumeKeys volume_keys_;
  FrameLimit frame_limit_;
  bool fullscreen_ = false;
  bool fullscreen_wanted_ = false;
  PadKeys pad_keys_;
  std::map<SDL_JoystickID, SDL_GameController*> controllers_;
  std::deque<Event> pending_;
  std::map<int, std::unique_ptr<TickTimer>> timers_;
  int next_timer_id_ = 1;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend(int scale) { return std::make_unique<SdlBackend>(scale); }

}  // namespace platform
// The window can show the program's picture enlarged (--scale, full screen)
// and takes gamepads as keys.
