// The headless backend: no window system. A virtual millisecond clock that moves
// only when a frame is presented (16 ms), when the program sleeps, or when it
// waits for a timer tick that is not yet due; scripted input; drawing into an
// offscreen GL framebuffer or nowhere; audio pulled as virtual time passes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/platform/gl_surface.h"
#include "media/platform/input_sources.h"
#include "media/platform/platform.h"
#include "media/platform/script.h"
#include "media/platform/volume_keys.h"

namespace platform {

class HeadlessAudioDevice;

class HeadlessBackend : public Backend {
 public:
  // Virtual time each presented frame takes.
  static constexpr uint32_t kFrameMillis = 16;

  HeadlessBackend(const HeadlessOptions& options, Script script);
  ~HeadlessBackend() override;

  const char* Name() const override { return "headless"; }
  bool OpenWindow(const WindowSpec& wanted) override;
  void CloseWindow() override;
  bool WindowOpen() const override { return window_open_; }
  void SetWindowTitle(const std::string& title) override {
    if (window_open_) title_ = title;
  }
  // The caption the window would show.
  const std::string& WindowTitle() const { return title_; }
  bool HasGL() const override { return gl_.IsOpen(); }
  void Present(int swap_interval) override;
  bool PollEvent(Event& out) override;
  void WaitEvent() override;
  uint32_t Millis() override { return static_cast<uint32_t>(now_); }
  void SleepMillis(int ms) override;
  int StartTimer(int period_ms) override;
  void StopTimer(int id) override;
  std::unique_ptr<AudioDevice> OpenAudio(int rate, AudioCallback callback) override;
  bool ReadPixels(int x, int y, int w, int h, uint8_t* rgba) override;

  // Queues an event as if the window system had delivered it (the window's
  // own keys are taken out when it is polled).
  void PushEvent(const Event& event) { queue_.push_back(event); }
  // Moves the virtual clock forward (feeding the audio device as well).
  void AdvanceClock(uint32_t ms);
  uint64_t FramesPresented() const { return frames_; }
  // True once every script line was delivered.
  bool ScriptDelivered() const { return cursor_ >= script_.lines.size(); }
  // Whether the window would be shown full screen now: it opens as the
  // player's settings say, Alt+Enter and F11 switch, as in a real window, and
  // never reach the program. Nothing else changes here (there is no display to
  // fill). The volume keys are the window's too, and their notice is drawn when
  // frames are.
  bool Fullscreen() const { return fullscreen_; }
  int FullscreenSwitches() const { return fullscreen_switches_; }
  // What happens once the frame after the script's last line is presented
  // (HeadlessOptions::at_script_end), once; null: nothing, the run goes on.
  void SetScriptEndAction(std::function<void()> action) { options_.at_script_end = std::move(action); }

 private:
  struct Timer {
    uint64_t start = 0;
    uint64_t period = 0;
    uint64_t fired = 0;
  };

  void DeliverScript();
  void QueueDueTicks();
  bool AnyTickDue() const;
  void WriteShots();
  void PushKey(EventKind kind, int key);

  HeadlessOptions options_;
  Script script_;
  size_t cursor_ = 0;
  uint64_t last_delivery_frame_ = 0;
  bool script_end_reported_ = false;
  uint64_t now_ = 0;
  uint64_t frames_ = 0;
  bool window_open_ = false;
  std::string title_;
  OffscreenGL gl_;
  std::deque<Event> queue_;
  std::vector<std::string> pending_shots_;
  std::map<int, Timer> timers_;
  int next_timer_id_ = 1;
  bool held_[256] = {};
  WindowKeys window_keys_;
  VolumeKeys volume_keys_;
  bool fullscreen_ = false;
  int fullscreen_switches_ = 0;
  std::vector<std::weak_ptr<HeadlessAudioDevice>> audio_;
};

}  // namespace platform
