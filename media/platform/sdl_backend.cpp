// The SDL2 backend: a real window with an OpenGL compatibility context, SDL's
// event queue, a monotonic clock and periodic timers on threads of our own.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "media/platform/audio_devices.h"
#include "media/platform/gl_surface.h"
#include "media/platform/platform.h"
#include "media/platform/sdl_keys.h"
#include "media/text/strings.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// A timer thread that sleeps to absolute deadlines (start + n * period) and posts
// one SDL user event per deadline. Sleeping to absolute deadlines keeps it from
// drifting: a late wake-up shortens the next wait instead of delaying every later tick.
class TickThread {
 public:
  static constexpr std::chrono::microseconds kSpinMargin{1000};

  // After posting, the thread also signals `wake_fd` (an eventfd, or -1), so the
  // main thread waiting in WaitEvent wakes directly instead of through the
  // window system's queue.
  TickThread(int id, int period_ms, Uint32 event_type, int wake_fd)
      : id_(id),
        period_(period_ms),
        event_type_(event_type),
        wake_fd_(wake_fd),
        start_(Clock::now()),
        thread_([this] { Run(); }) {}

  ~TickThread() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (int64_t n = 1;; ++n) {
      const auto deadline = start_ + std::chrono::milliseconds(period_ * n);
      // The kernel may wake a sleeper a millisecond or more late (notably in
      // virtual machines), so sleep until shortly before the deadline and yield
      // the rest of the way: about 6 % of one core for a 16 ms timer, in
      // exchange for ticks that land within a few microseconds.
      if (wake_.wait_until(lock, deadline - kSpinMargin, [this] { return stop_; })) return;
      while (Clock::now() < deadline) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
        if (stop_) return;
      }
      SDL_Event event{};
      event.type = event_type_;
      event.user.code = id_;
      SDL_PushEvent(&event);
      if (wake_fd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wake_fd_, &one, sizeof one);
      }
    }
  }

  const int id_;
  const int64_t period_;
  const Uint32 event_type_;
  const int wake_fd_;
  const Clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;  // last: started once the fields above are ready
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
    timer_event_ = SDL_RegisterEvents(1);
    wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  }

  ~SdlBackend() override {
    timers_.clear();
    CloseWindow();
    // Once video is up, the display connection stays open until the process
    // ends: closing it unloads the GL driver, whose own allocations would then be
    // left behind.
    if (events_ok_ && !video_ok_) SDL_Quit();
    if (wake_fd_ >= 0) close(wake_fd_);
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
    while (pending_.empty()) {
      SDL_Event e;
      if (!events_ok_ || !SDL_PollEvent(&e)) return false;
      Translate(e);
    }
    out = pending_.front();
    pending_.pop_front();
    return true;
  }

  void WaitEvent() override {
    if (!pending_.empty() || !events_ok_) return;
    if (wake_fd_ < 0) {
      SDL_WaitEvent(nullptr);  // leaves the event on the queue
      return;
    }
    // Wakes on a timer tick (the eventfd) or on input from the window system's
    // connection; the timeout covers events that arrive by other ways.
    for (;;) {
      SDL_PumpEvents();
      if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return;
      pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {x11_fd_, POLLIN, 0}};
      poll(fds, x11_fd_ >= 0 ? 2 : 1, 10);
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = read(wake_fd_, &count, sizeof count);
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
    if (period_ms <= 0 || !events_ok_ || timer_event_ == static_cast<Uint32>(-1)) return 0;
    const int id = next_timer_id_++;
    timers_.emplace(id, std::make_unique<TickThread>(id, period_ms, timer_event_, wake_fd_));
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

  void Translate(const SDL_Event& e) {
    if (e.type == timer_event_) {
      Push(EventKind::TimerTick, e.user.code, 0);
      return;
    }
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
  Uint32 timer_event_ = static_cast<Uint32>(-1);
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int wake_fd_ = -1;
  int x11_fd_ = -1;
  int width_ = 0;
  int height_ = 0;
  int swap_interval_ = -2;
  std::deque<Event> pending_;
  std::map<int, std::unique_ptr<TickThread>> timers_;
  int next_timer_id_ = 1;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend(int scale) {
  (void)scale;
  return std::make_unique<SdlBackend>();
}

}  // namespace platform
