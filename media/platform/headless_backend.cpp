#include "media/platform/headless_backend.h"

#include <cstdio>
#include <utility>

#include "media/platform/audio_devices.h"
#include "media/platform/notice.h"
#include "media/platform/player_settings.h"

namespace platform {
namespace {

// Hands out a headless audio device while the backend keeps a weak reference
// to it, so that the clock can feed it for as long as it lives.
class SharedAudioDevice : public AudioDevice {
 public:
  explicit SharedAudioDevice(std::shared_ptr<HeadlessAudioDevice> device) : device_(std::move(device)) {}
  int Rate() const override { return device_->Rate(); }
  void Lock() override { device_->Lock(); }
  void Unlock() override { device_->Unlock(); }

 private:
  std::shared_ptr<HeadlessAudioDevice> device_;
};

}  // namespace

HeadlessBackend::HeadlessBackend(const HeadlessOptions& options, Script script)
    : options_(options), script_(std::move(script)), now_(options.clock_start) {}

HeadlessBackend::~HeadlessBackend() { CloseWindow(); }

bool HeadlessBackend::OpenWindow(const WindowSpec& wanted) {
  if (window_open_ || wanted.width <= 0 || wanted.height <= 0) return false;
  if (options_.draw) {
    std::string error;
    if (!gl_.Open(wanted.width, wanted.height, error))
      std::fprintf(stderr, "Offscreen drawing is unavailable (%s); frames are not drawn\n", error.c_str());
  }
  window_open_ = true;
  title_ = wanted.title;
  fullscreen_ = CurrentSettings().fullscreen;
  return true;
}

void HeadlessBackend::CloseWindow() {
  gl_.Close();
  window_open_ = false;
}

void HeadlessBackend::Present(int swap_interval) {
  (void)swap_interval;  // nothing waits for a display here
  if (!window_open_) return;
  FlushPendingDrawing();
  if (gl_.IsOpen()) {
    if (const std::string notice = volume_keys_.Notice(Millis()); !notice.empty())
      PaintNotice(notice, PictureRect{0, 0, gl_.Width(), gl_.Height(), 1}, gl_.Height());
  }
  gl_.Finish();
  WriteShots();
  ++frames_;
  AdvanceClock(kFrameMillis);
  // A run with a script (even one of comments only) ends once all of it is delivered.
  if (options_.at_script_end && !script_end_reported_ && !script_.file.empty() && ScriptDelivered() &&
      frames_ > last_delivery_frame_) {
    script_end_reported_ = true;
    options_.at_script_end();
  }
}

void HeadlessBackend::WriteShots() {
  if (pending_shots_.empty()) return;
  std::vector<uint8_t> pixels;
  const bool have = gl_.IsOpen();
  if (have) {
    pixels.resize(static_cast<size_t>(gl_.Width()) * static_cast<size_t>(gl_.Height()) * 4);
    ReadGlPixels(0, 0, gl_.Width(), gl_.Height(), gl_.Width(), gl_.Height(), pixels.data());
  }
  for (const auto& path : pending_shots_) {
    std::string error;
    if (!have)
      std::fprintf(stderr, "cannot write %s: nothing is drawn in this run\n", path.c_str());
    else if (!WritePng(path, pixels.data(), gl_.Width(), gl_.Height(), error))
      std::fprintf(stderr, "%s\n", error.c_str());
  }
  pending_shots_.clear();
}

void HeadlessBackend::PushKey(EventKind kind, int key) {
  if (key > 0 && key < 256) held_[key] = kind != EventKind::KeyUp;
  auto down = [&](std::initializer_list<int> keys) {
    for (int k : keys)
      if (held_[k]) return true;
    return false;
  };
  int mods = 0;
  if (down({16, 160, 161})) mods |= 1;
  if (down({17, 162, 163})) mods |= 2;
  if (down({18, 164, 165})) mods |= 4;
  if (down({91, 92})) mods |= 8;
  queue_.push_back(Event{kind, key, mods});
}

void HeadlessBackend::DeliverScript() {
  while (cursor_ < script_.lines.size() && script_.lines[cursor_].frame <= frames_) {
    const ScriptLine& line = script_.lines[cursor_++];
    last_delivery_frame_ = frames_;
    switch (line.command) {
      case ScriptCommand::Down: PushKey(EventKind::KeyDown, line.key); break;
      case ScriptCommand::Up: PushKey(EventKind::KeyUp, line.key); break;
      case ScriptCommand::Press:
        PushKey(EventKind::KeyDown, line.key);
        PushKey(EventKind::KeyUp, line.key);
        break;
      case ScriptCommand::Type:
      case ScriptCommand::Char:
        for (char16_t unit : line.text) queue_.push_back(Event{EventKind::Char, unit, 0});
        break;
      case ScriptCommand::Close: queue_.push_back(Event{EventKind::Close, 0, 0}); break;
      case ScriptCommand::Blur: queue_.push_back(Event{EventKind::FocusLost, 0, 0}); break;
      case ScriptCommand::Focus: queue_.push_back(Event{EventKind::FocusGained, 0, 0}); break;
      case ScriptCommand::Shot: pending_shots_.push_back(line.path); break;
      // As if the program had stalled: the clock jumps, and the timer ticks of
      // that time fall due at once.
      case ScriptCommand::Stall: AdvanceClock(line.millis); break;
      case ScriptCommand::Quit: queue_.push_back(Event{EventKind::Quit, 0, 0}); break;
    }
  }
}

bool HeadlessBackend::AnyTickDue() const {
  for (const auto& [id, t] : timers_)
    if (t.start + (t.fired + 1) * t.period <= now_) return true;
  return false;
}

void HeadlessBackend::QueueDueTicks() {
  // One tick per elapsed deadline, earliest first across all timers.
  for (;;) {
    Timer* next = nullptr;
    int next_id = 0;
    uint64_t best = 0;
    for (auto& [id, t] : timers_) {
      const uint64_t due = t.start + (t.fired + 1) * t.period;
      if (due <= now_ && (next == nullptr || due < best)) next = &t, next_id = id, best = due;
    }
    if (next == nullptr) return;
    ++next->fired;
    queue_.push_back(Event{EventKind::TimerTick, next_id, 0});
  }
}

bool HeadlessBackend::PollEvent(Event& out) {
  DeliverScript();
  QueueDueTicks();
  while (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    // The window's own keys are answered here, as a real window would.
    if (out.kind == EventKind::FocusLost) window_keys_.Forget();
    switch (window_keys_.Filter(out)) {
      case WindowKeys::Verdict::Pass:
        if (volume_keys_.Filter(out, Millis())) break;
        return true;
      case WindowKeys::Verdict::Take: break;
      case WindowKeys::Verdict::Toggle: {
        fullscreen_ = !fullscreen_;
        ++fullscreen_switches_;
        PlayerSettings settings = CurrentSettings();
        settings.fullscreen = fullscreen_;
        ChangeSettings(settings, SettingsChange::Player);
        break;
      }
    }
  }
  return false;
}

void HeadlessBackend::WaitEvent() {
  DeliverScript();
  if (!queue_.empty() || AnyTickDue()) return;
  // Nothing pending: let virtual time run to the next timer deadline.
  bool found = false;
  uint64_t next = 0;
  for (const auto& [id, t] : timers_) {
    const uint64_t due = t.start + (t.fired + 1) * t.period;
    if (!found || due < next) next = due, found = true;
  }
  if (found && next > now_) AdvanceClock(static_cast<uint32_t>(next - now_));
}

void HeadlessBackend::SleepMillis(int ms) {
  if (ms > 0) AdvanceClock(static_cast<uint32_t>(ms));
}

void HeadlessBackend::AdvanceClock(uint32_t ms) {
  now_ += ms;
  for (size_t i = 0; i < audio_.size();) {
    if (auto device = audio_[i].lock()) {
      device->Advance(ms);
      ++i;
    } else {
      audio_.erase(audio_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

int HeadlessBackend::StartTimer(int period_ms) {
  if (period_ms <= 0) return 0;
  const int id = next_timer_id_++;
  timers_[id] = Timer{now_, static_cast<uint64_t>(period_ms), 0};
  return id;
}

void HeadlessBackend::StopTimer(int id) { timers_.erase(id); }

std::unique_ptr<AudioDevice> HeadlessBackend::OpenAudio(int rate, AudioCallback callback) {
  auto device = std::make_shared<HeadlessAudioDevice>(rate, std::move(callback), options_.audio_out);
  audio_.push_back(device);
  return std::make_unique<SharedAudioDevice>(std::move(device));
}

bool HeadlessBackend::ReadPixels(int x, int y, int w, int h, uint8_t* rgba) {
  if (!gl_.IsOpen()) return false;
  return ReadGlPixels(x, y, w, h, gl_.Width(), gl_.Height(), rgba);
}

std::unique_ptr<Backend> CreateHeadlessBackend(const HeadlessOptions& options, std::string& error) {
  Script script;
  if (!options.script.empty() && !LoadScript(options.script, script, error)) return nullptr;
  return std::make_unique<HeadlessBackend>(options, std::move(script));
}

}  // namespace platform
