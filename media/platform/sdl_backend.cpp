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
#include "media/platform/gl_surface.h"
#include "media/platform/platform.h"
#include "media/platform/sdl_keys.h"
#include "media/text/strings.h"

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
    itimerspec spec{};
    spec.it_interval = ms(period_ms);
    spec.it_value = ms(period_ms);
    spec.it_value.tv_sec += now.tv_sec;
    spec.it_value.tv_nsec += now.tv_nsec;
    if (spec.it_value.tv_nsec >= 1000000000L) {
      spec.it_value.tv_nsec -= 1000000000L;
      ++spec.it_value.tv_sec;
    }
    if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr) != 0) {
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
  SdlBackend() {
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

    // Centred on the desktop with integer halves of both sizes.
    SDL_Rect desk{0, 0, wanted.width, wanted.height};
    SDL_GetDisplayBounds(0, &desk);
    const int x = desk.x + desk.w / 2 - wanted.width / 2;
    const int y = desk.y + desk.h / 2 - wanted.height / 2;
    window_ = SDL_CreateWindow(wanted.title.c_str(), x, y, wanted.width, wanted.height, SDL_WINDOW_OPENGL);
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
    static bool ends_first = false;
    if (!ends_first) {
      ends_first = true;
      EndBeforeExitHandlersSoFar();
    }
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
    swap_interval_ = -2;  // unknown until the first Present sets it
    SDL_StartTextInput();
    return true;
  }

  void CloseWindow() override {
    if (window_ == nullptr) return;
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

  void Present(int swap_interval) override {
    if (window_ == nullptr) return;
    FlushPendingDrawing();
    if (swap_interval != swap_interval_) {
      SDL_GL_SetSwapInterval(swap_interval);  // not every driver can; then it stays as it is
      swap_interval_ = swap_interval;
    }
    SDL_GL_SwapWindow(window_);
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

  void Translate(const SDL_Event& e) {
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const int vk = VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym);
        const int mods = ModsFromSdl(static_cast<SDL_Keymod>(e.key.keysym.mod));
        if (vk <= 0 || vk > 255) return;
        if (e.type == SDL_KEYUP) {
          Push(EventKind::KeyUp, vk, mods);
          return;
        }
        Push(e.key.repeat ? EventKind::KeyRepeat : EventKind::KeyDown, vk, mods);
        // These keys type control characters, which text input does not report.
        if (vk == 8 || vk == 13 || vk == 27) Push(EventKind::Char, vk, mods);
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
          case SDL_WINDOWEVENT_FOCUS_LOST: Push(EventKind::FocusLost, 0, 0); return;
          case SDL_WINDOWEVENT_FOCUS_GAINED: Push(EventKind::FocusGained, 0, 0); return;
          default: return;
        }
      default:
        return;
    }
  }

  bool events_ok_ = false;
  bool video_ok_ = false;
  bool drained_ = false;  // the last PollEvent found SDL's queue empty
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int x11_fd_ = -1;
  int width_ = 0;
  int height_ = 0;
  int swap_interval_ = -2;
  std::deque<Event> pending_;
  std::map<int, std::unique_ptr<TickTimer>> timers_;
  int next_timer_id_ = 1;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace platform
