#include "media/recording/session.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

#include "media/core/module_state.h"
#include "media/platform/lifetime.h"
#include "media/platform/os_files.h"

namespace recording {
namespace {

class Recorder;
class Player;

struct Session {
  Writer writer;
  Recorder* recorder = nullptr;  // the installed recording backend, while it lives
  Player* player = nullptr;      // the installed replaying backend, while it lives
  ReplayOutcome outcome;
  std::string replay_folder;  // where kept files are laid out for a replay
  int kept_laid_out = 0;
};

Session& S() { return core::ModuleState<Session>(); }

// ---- recording ----

class Recorder : public platform::Backend {
 public:
  explicit Recorder(std::unique_ptr<platform::Backend> inner) : inner_(std::move(inner)) { S().recorder = this; }
  ~Recorder() override {
    if (S().recorder == this) S().recorder = nullptr;
  }

  const char* Name() const override { return inner_->Name(); }
  bool OpenWindow(const platform::WindowSpec& wanted) override {
    const bool opened = inner_->OpenWindow(wanted);
    if (Recording()) writer().OpenWindow(wanted.width, wanted.height, wanted.flags, opened);
    return opened;
  }
  void CloseWindow() override { inner_->CloseWindow(); }
  bool WindowOpen() const override { return inner_->WindowOpen(); }
  void SetWindowTitle(const std::string& title) override { inner_->SetWindowTitle(title); }
  bool HasGL() const override { return inner_->HasGL(); }

  void Present(int swap_interval) override {
    presenting_ = true;
    inner_->Present(swap_interval);  // may end the program (a headless script's end)
    FinishPresent();
  }

  bool PollEvent(platform::Event& out) override {
    const bool got = inner_->PollEvent(out);
    if (Recording()) got ? writer().Event(out) : writer().EmptyPoll();
    return got;
  }
  void WaitEvent() override {
    if (Recording()) writer().Wait();
    inner_->WaitEvent();
  }
  uint32_t Millis() override {
    FinishPresent();  // a read from inside a Present that ended the program
    if (after_present_) return present_clock_;
    const uint32_t now = inner_->Millis();
    if (Recording()) writer().Clock(now);
    return now;
  }
  void SleepMillis(int ms) override { inner_->SleepMillis(ms); }
  // The window's own business, on its own clock: nothing the program reads.
  void HoldUnpacedFrame() override { inner_->HoldUnpacedFrame(); }
  int StartTimer(int period_ms) override {
    const int id = inner_->StartTimer(period_ms);
    if (Recording()) writer().StartTimer(period_ms, id);
    return id;
  }
  void StopTimer(int id) override { inner_->StopTimer(id); }
  std::unique_ptr<platform::AudioDevice> OpenAudio(int rate, platform::AudioCallback callback) override {
    return inner_->OpenAudio(rate, std::move(callback));
  }
  bool ReadPixels(int x, int y, int w, int h, uint8_t* rgba) override { return inner_->ReadPixels(x, y, w, h, rgba); }

  void Kept(const KeptFile& file) {
    if (Recording()) writer().Kept(file);
  }

  // The exit action: the frame being presented when the program ended, then the end.
  void Finish() {
    FinishPresent();
    writer().End(ended_in_present_);
  }

 private:
  static Writer& writer() { return S().writer; }
  // Whatever is asked once the program has begun to end is not part of the run.
  // Every question but a clock read right after a Present ends that stretch.
  bool Recording() {
    after_present_ = false;
    return !platform::Ended();
  }
  void FinishPresent() {
    if (!presenting_) return;
    presenting_ = false;
    present_clock_ = inner_->Millis();
    writer().Present(present_clock_);
    after_present_ = true;
    if (platform::Ended()) ended_in_present_ = true;
  }

  std::unique_ptr<platform::Backend> inner_;
  bool presenting_ = false;
  bool after_present_ = false;
  bool ended_in_present_ = false;
  uint32_t present_clock_ = 0;
};

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  char text[32] = "";
  if (const std::tm* utc = std::gmtime(&now)) parts = *utc;
  if (parts.tm_year != 0) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// ---- replaying ----

class Player : public platform::Backend {
 public:
  Player(std::unique_ptr<platform::Backend> inner, Recording recording, ReplaySettings settings)
      : inner_(std::move(inner)), rec_(std::move(recording)), reader_(rec_), settings_(std::move(settings)) {
    S().player = this;
    auto& outcome = S().outcome;
    outcome = ReplayOutcome{};
    outcome.replaying = true;
    outcome.recorded_frames = rec_.frames;
    outcome.cut_short = rec_.cut_short;
  }
  ~Player() override {
    if (S().player == this) S().player = nullptr;
  }

  const char* Name() const override { return "replay"; }

  bool OpenWindow(const platform::WindowSpec& wanted) override {
    const Record* r = Take(RecordKind::OpenWindow, "a window of " + std::to_string(wanted.width) + " x " +
                                                       std::to_string(wanted.height));
    if (r == nullptr) return false;
    if (r->width != wanted.width || r->height != wanted.height || r->flags != wanted.flags) {
      Desync("a window of " + std::to_string(wanted.width) + " x " + std::to_string(wanted.height) + " (flags " +
                 std::to_string(wanted.flags) + ")",
             *r, " (flags " + std::to_string(r->flags) + ")");
      return false;
    }
    // A window the recorded run did not get is not opened here either.
    return r->value == 1 && inner_->OpenWindow(wanted);
  }
  void CloseWindow() override { inner_->CloseWindow(); }
  bool WindowOpen() const override { return inner_->WindowOpen(); }
  void SetWindowTitle(const std::string& title) override { inner_->SetWindowTitle(title); }
  bool HasGL() const override { return inner_->HasGL(); }

  void Present(int swap_interval) override {
    if (settings_.paced && !Quiet()) Pace();
    inner_->Present(swap_interval);
    const Record* r = Take(RecordKind::Present, "to present a frame");
    if (r == nullptr) return;
    ++frames_;
    S().outcome.frames = frames_;
    after_present_ = true;
    present_clock_ = clock_ = r->value;
    // The viewer closed the window: the replay ends with this frame, whole.
    if (settings_.paced) LookAtWindow();
    if (viewer_stopped_) {
      PlayedOut();
      return;
    }
    // The recorded run ended inside this Present (a headless script's end).
    if (const Record* next = Current(); next != nullptr && next->kind == RecordKind::End && next->value == 1)
      PlayedOut();
  }

  bool PollEvent(platform::Event& out) override {
    if (Quiet()) return false;
    after_present_ = false;
    const Record* r = Peek("an input poll");
    if (r == nullptr) return false;
    if (r->kind != RecordKind::EmptyPolls && r->kind != RecordKind::Event) {
      Desync("an input poll", *r);
      return false;
    }
    Consume();
    if (r->kind == RecordKind::EmptyPolls) return false;
    out = r->event;
    return true;
  }
  void WaitEvent() override { Take(RecordKind::Wait, "a wait for events"); }
  uint32_t Millis() override {
    if (after_present_) return present_clock_;
    if (const Record* r = Take(RecordKind::Clock, "the clock")) clock_ = r->value;
    return clock_;
  }
  // The recorded clock says how long the program slept.
  void SleepMillis(int) override {}
  // The recorded pace between frames already holds whatever the window held.
  void HoldUnpacedFrame() override {}
  int StartTimer(int period_ms) override {
    const Record* r = Take(RecordKind::StartTimer, "a timer of " + std::to_string(period_ms) + " ms");
    if (r == nullptr) return 0;
    if (r->period != period_ms) {
      Desync("a timer of " + std::to_string(period_ms) + " ms", *r);
      return 0;
    }
    return static_cast<int>(r->value);
  }
  void StopTimer(int) override {}
  std::unique_ptr<platform::AudioDevice> OpenAudio(int rate, platform::AudioCallback callback) override {
    return inner_->OpenAudio(rate, std::move(callback));
  }
  bool ReadPixels(int x, int y, int w, int h, uint8_t* rgba) override { return inner_->ReadPixels(x, y, w, h, rgba); }

  // The recorded copy of a kept file; false after a desync or the end.
  bool Kept(std::string_view name, KeptFile& file) {
    const Record* r = Take(RecordKind::KeptFile, "the kept file " + std::string(name));
    if (r == nullptr) return false;
    if (r->kept.name != name) {
      Desync("the kept file " + std::string(name), *r);
      return false;
    }
    file = r->kept;
    return true;
  }

  // The exit action: did the program end where the recording ends?
  void Finish() {
    auto& outcome = S().outcome;
    if (stopped_) return;
    stopped_ = true;
    const Record* next = Current();
    const bool at_end = used_ == 0 && (next == nullptr || next->kind == RecordKind::End);
    if (at_end) return;
    outcome.in_sync = false;
    outcome.message = rec_.path + ": out of sync at frame " + std::to_string(frames_ + 1) +
                      ": the program ended, but the recording goes on to frame " + std::to_string(rec_.frames);
  }

 private:
  // Nothing is asked of the recording once the replay has stopped or the
  // program has begun to end.
  bool Quiet() const { return stopped_ || platform::Ended(); }

  // The record that answers the next question, or null after the last.
  const Record* Current() {
    if (!have_ && !exhausted_) {
      have_ = reader_.Next(current_);
      exhausted_ = !have_;
    }
    return have_ ? &current_ : nullptr;
  }
  // The next record, or null when there is none to give: the recording is
  // played out (which ends the replay) or it ended where the program asks on.
  const Record* Peek(const std::string& asked) {
    const Record* r = Current();
    if (r == nullptr) {
      PlayedOut();
      return nullptr;
    }
    if (r->kind == RecordKind::End) {
      Desync(asked, *r);
      return nullptr;
    }
    return r;
  }
  // The next record when it is of the kind asked for, taken (one of its run).
  const Record* Take(RecordKind kind, const std::string& asked) {
    if (Quiet()) return nullptr;
    after_present_ = false;
    const Record* r = Peek(asked);
    if (r == nullptr) return nullptr;
    if (r->kind != kind) {
      Desync(asked, *r);
      return nullptr;
    }
    Consume();
    return r;
  }
  // One question of the current record's run answered (the record stays
  // readable until the next is asked for).
  void Consume() {
    if (++used_ >= current_.count) {
      have_ = false;
      used_ = 0;
    }
  }

  void PlayedOut() {
    if (stopped_) return;
    stopped_ = true;
    if (settings_.at_end) settings_.at_end();
  }
  void Desync(const std::string& asked, const Record& held, const std::string& more = {}) {
    Fail(rec_.path + ": out of sync at frame " + std::to_string(frames_ + 1) + ": the program asked for " + asked +
         ", but the recording holds " + Describe(held) + more);
  }

 public:
  // Ends the replay: it cannot go on as recorded, for the reason given.
  void Fail(const std::string& why) {
    if (stopped_) return;
    stopped_ = true;
    auto& outcome = S().outcome;
    outcome.in_sync = false;
    outcome.message = why;
    if (settings_.at_desync) settings_.at_desync(outcome.message);
  }

 private:

  // Waits until this frame is as far from the first as it was when recorded.
  static constexpr int32_t kLongestPause = 5000;
  static constexpr int32_t kMostBehind = 100;
  void Pace() {
    const Record* next = Current();
    if (next == nullptr || next->kind != RecordKind::Present) return;
    const uint32_t recorded = next->value;
    const uint32_t now = inner_->Millis();
    if (!paced_) {
      paced_ = true;
      real_start_ = now;
      recorded_start_ = recorded;
      return;
    }
    uint32_t due = real_start_ + (recorded - recorded_start_);
    // A recorded pause longer than kLongestPause (the machine slept, say) is cut
    // short, and a replay that fell behind does not hurry to catch up: either
    // way the frames after keep their pace from here.
    if (const auto wait = static_cast<int32_t>(due - now); wait > kLongestPause || wait < -kMostBehind) {
      const int32_t shift = wait > 0 ? wait - kLongestPause : wait;
      real_start_ -= static_cast<uint32_t>(shift);
      due -= static_cast<uint32_t>(shift);
    }
    for (;;) {
      const auto wait = static_cast<int32_t>(due - inner_->Millis());
      if (wait <= 0 || viewer_stopped_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(wait < 50 ? wait : 50));
      LookAtWindow();
    }
  }
  // The viewer may close the window (or press Escape) to stop watching.
  void LookAtWindow() {
    platform::Event e;
    while (inner_->PollEvent(e))
      if (e.kind == platform::EventKind::Close || (e.kind == platform::EventKind::KeyDown && e.data == 27))
        viewer_stopped_ = true;
  }

  std::unique_ptr<platform::Backend> inner_;
  Recording rec_;
  RecordReader reader_;
  ReplaySettings settings_;
  Record current_;         // the record that answers the next question
  bool have_ = false;      // current_ holds it
  bool exhausted_ = false;  // every record has been read
  uint32_t used_ = 0;      // questions of its run answered so far
  uint64_t frames_ = 0;
  bool stopped_ = false;
  bool after_present_ = false;
  uint32_t present_clock_ = 0;
  uint32_t clock_ = 0;
  bool paced_ = false;
  bool viewer_stopped_ = false;
  uint32_t real_start_ = 0;
  uint32_t recorded_start_ = 0;
};

// The state of one place as the program would find it.
KeptState Snapshot(const std::string& path, std::string& bytes) {
  switch (platform::KindOfPath(path)) {
    case platform::PathKind::Absent: return KeptState::Absent;
    case platform::PathKind::Folder: return KeptState::Unreadable;
    case platform::PathKind::File: break;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return KeptState::Unreadable;
  bytes.resize(kMaxKeptFileBytes);
  const size_t n = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  bytes.resize(n);
  return failed ? KeptState::Unreadable : KeptState::File;
}

// Makes the place hold what the recording says stood there: the bytes of a
// file, nothing, or a folder (which the program cannot read as a file).
void LayOut(const std::filesystem::path& place, KeptState state, const std::string& bytes) {
  std::error_code ignored;
  std::filesystem::create_directories(place.parent_path(), ignored);
  if (state == KeptState::Unreadable) {
    std::filesystem::create_directories(place, ignored);
  } else if (state == KeptState::File) {
    if (std::FILE* file = std::fopen(place.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  }
}

// Makes a fresh private folder for the kept files of this replay, removed when
// the program ends (or at once, with `keep` false: a replay that reads no kept
// file leaves nothing behind even when it is killed). False when none can be
// made.
bool MakeReplayFolder(std::string& error, bool keep = true) {
  auto& s = S();
  std::error_code no_temp;
  const auto base = std::filesystem::temp_directory_path(no_temp);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto folder = (no_temp ? std::filesystem::path("/tmp") : base) / ("zarn-replay-" + std::to_string(random()));
    std::error_code made;
    if (std::filesystem::create_directory(folder, made) && !made) {
      if (!keep) {
        std::filesystem::remove(folder, made);
        return true;
      }
      s.replay_folder = folder.string();
      platform::AddExitHook([] {
        std::error_code ignored;
        std::filesystem::remove_all(S().replay_folder, ignored);
      });
      return true;
    }
    error = made.message();
  }
  error = "cannot make a temporary folder for the replay's copy of the highscore table: " + error;
  return false;
}

}  // namespace

std::unique_ptr<platform::Backend> StartRecording(std::unique_ptr<platform::Backend> inner, const std::string& path,
                                                  const std::vector<std::pair<std::string, std::string>>& header,
                                                  std::string& error) {
  std::vector<std::pair<std::string, std::string>> all = {
      {"program", std::string(ZARN_PROGRAM_NAME) + " " + ZARN_PROGRAM_VERSION},
      {"backend", inner->Name()},
      {"recorded", UtcNow()},
  };
  all.insert(all.end(), header.begin(), header.end());
  auto& s = S();
  if (!s.writer.Open(path, all, error)) return nullptr;
  auto recorder = std::make_unique<Recorder>(std::move(inner));
  platform::AddExitHook([] {
    if (S().recorder != nullptr) {
      S().recorder->Finish();
    } else {
      S().writer.End(false);
    }
  });
  return recorder;
}

std::unique_ptr<platform::Backend> StartReplay(std::unique_ptr<platform::Backend> inner, Recording recording,
                                              ReplaySettings settings, std::string& error) {
  // Made when the first kept file is looked up; whether one can be made is
  // found out now.
  if (!MakeReplayFolder(error, false)) return nullptr;
  auto player = std::make_unique<Player>(std::move(inner), std::move(recording), std::move(settings));
  platform::AddExitHook([] {
    if (S().player != nullptr) S().player->Finish();
  });
  return player;
}

bool ReplayKeptFile(std::string_view name, std::string& path, std::string& seed) {
  auto& s = S();
  if (!s.outcome.replaying) return false;
  std::string error;
  if (s.replay_folder.empty() && !MakeReplayFolder(error)) {
    // The replay cannot go on without it, and the player's own file is no
    // stand-in.
    if (s.player != nullptr) s.player->Fail(error);
    path = seed = std::string();
    return true;
  }
  const std::string base = std::filesystem::path(std::string(name)).filename().string();
  const std::filesystem::path folder = std::filesystem::path(s.replay_folder) / std::to_string(++s.kept_laid_out);
  path = (folder / base).string();
  seed.clear();
  // After a desync nothing is laid out: the program then finds no file, and
  // never the player's own.
  KeptFile file;
  if (s.player == nullptr || !s.player->Kept(name, file)) return true;
  LayOut(path, file.state, file.bytes);
  if (file.has_seed) {
    seed = (folder / "seed" / base).string();
    LayOut(seed, file.seed_state, file.seed_bytes);
  }
  return true;
}

void RecordKeptFile(std::string_view name, const std::string& path, const std::string& seed) {
  auto& s = S();
  if (s.recorder == nullptr) return;
  KeptFile file;
  file.name = std::string(name);
  file.state = Snapshot(path, file.bytes);
  // The program reads the seed only while the file itself is absent.
  if (file.state == KeptState::Absent && !seed.empty()) {
    file.has_seed = true;
    file.seed_state = Snapshot(seed, file.seed_bytes);
  }
  s.recorder->Kept(file);
}

const ReplayOutcome& ReplayResult() { return S().outcome; }

}  // namespace recording
