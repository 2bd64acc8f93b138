// The installed backend and the end of the layer.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/core/module_state.h"
#include "media/platform/lifetime.h"
#include "media/platform/platform.h"

namespace platform {
namespace {

// What is left once the program has ended: nothing can be opened or started,
// and every request is refused or ignored.
class ClosedBackend : public Backend {
 public:
  const char* Name() const override { return "closed"; }
  bool OpenWindow(const WindowSpec&) override { return false; }
  void CloseWindow() override {}
  bool WindowOpen() const override { return false; }
  bool HasGL() const override { return false; }
  void Present(int) override {}
  bool PollEvent(Event&) override { return false; }
  void WaitEvent() override {}
  uint32_t Millis() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void SleepMillis(int) override {}
  int StartTimer(int) override { return 0; }
  void StopTimer(int) override {}
  std::unique_ptr<AudioDevice> OpenAudio(int, AudioCallback) override { return nullptr; }
};

struct Program {
  std::unique_ptr<Backend> backend;
  std::vector<std::function<void()>> hooks;
  std::set<void (*)()> hooks_once;  // the hooks AddExitHookOnce added
  std::set<std::string> libraries;  // the libraries the layer ends before
  bool at_exit = false;             // RunExitHooks is registered with atexit
  bool ended = false;
  void (*pending_drawing_flush)() = nullptr;
};

// Needed until the very end of the process, after every static destructor.
Program& P() { return core::ModuleState<Program>(); }

void EndBeforeAtExitHandlers() {
  // Handlers registered with atexit run in reverse order; this one comes before
  // all that are registered now, and ending twice does nothing.
  std::atexit([] { RunEveryExitHook(); });
}

// A program that returns from main or calls std::exit still ends the layer, and
// before the program-wide variables made before this call are destroyed.
void EndAtExit() {
  auto& p = P();
  if (p.at_exit) return;
  p.at_exit = true;
  EndBeforeAtExitHandlers();
}

}  // namespace

Backend& Current() {
  auto& p = P();
  if (!p.backend) {
    EndAtExit();
    if (p.ended)
      p.backend = std::make_unique<ClosedBackend>();
    else
      p.backend = CreateSdlBackend();
  }
  return *p.backend;
}

void Install(std::unique_ptr<Backend> backend) {
  auto& p = P();
  if (p.ended) return;  // nothing is made once the program has ended
  EndAtExit();
  // Destroy the old backend before the new one takes over, so both never hold
  // the display or the timer threads at once.
  p.backend.reset();
  p.backend = std::move(backend);
}

void SetPendingDrawingFlush(void (*flush)()) { P().pending_drawing_flush = flush; }

void FlushPendingDrawing() {
  if (auto flush = P().pending_drawing_flush) flush();
}

void AddExitHook(std::function<void()> hook) {
  EndAtExit();
  P().hooks.push_back(std::move(hook));
}

void AddExitHookOnce(void (*hook)()) {
  if (P().hooks_once.insert(hook).second) AddExitHook(hook);
}

bool RunEveryExitHook() {
  bool ok = true;
  // A failing hook is off the list before it fails: the next round goes on after it.
  while (!RunReportingErrors(RunExitHooks)) ok = false;
  return ok;
}

void RunExitHooks() {
  // Each hook is taken off the list before it runs, so a second call (Exit, then
  // atexit) runs nothing twice and a hook may add further hooks.
  auto& p = P();
  p.ended = true;
  while (!p.hooks.empty()) {
    auto hook = std::move(p.hooks.back());
    p.hooks.pop_back();
    if (hook) hook();
  }
  // The backend was made first, so it goes last; the closed backend stands in.
  if (dynamic_cast<ClosedBackend*>(p.backend.get()) == nullptr) {
    p.backend.reset();
    p.backend = std::make_unique<ClosedBackend>();
  }
}

bool Ended() { return P().ended; }

void EndBeforeExitHandlersSoFar(const char* library) {
  if (P().libraries.insert(library).second) EndBeforeAtExitHandlers();
}

bool RunReportingErrors(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "unknown error\n");
  }
  return false;
}

}  // namespace platform
