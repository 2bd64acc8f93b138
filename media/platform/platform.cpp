// The installed backend and the program-exit actions.
#include "media/platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform {
namespace {

std::unique_ptr<Backend>& Installed() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

std::vector<std::function<void()>>& Hooks() {
  // Never destroyed: hooks may still be run from atexit after static destructors began.
  static auto* hooks = new std::vector<std::function<void()>>();
  return *hooks;
}

}  // namespace

Backend& Current() {
  auto& backend = Installed();
  if (!backend) backend = CreateSdlBackend();
  return *backend;
}

void Install(std::unique_ptr<Backend> backend) {
  auto& slot = Installed();
  // Destroy the old backend before the new one takes over, so both never hold
  // the display or the timer threads at once.
  slot.reset();
  slot = std::move(backend);
}

namespace {

void (*pending_drawing_flush)() = nullptr;

}  // namespace

void SetPendingDrawingFlush(void (*flush)()) { pending_drawing_flush = flush; }

void FlushPendingDrawing() {
  if (pending_drawing_flush != nullptr) pending_drawing_flush();
}

void AddExitHook(std::function<void()> hook) {
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit(RunExitHooks);
  }
  Hooks().push_back(std::move(hook));
}

void RunExitHooks() {
  // Each hook is taken off the list before it runs, so a second call (Quit, then
  // atexit) runs nothing twice and a hook may add further hooks.
  auto& hooks = Hooks();
  while (!hooks.empty()) {
    auto hook = std::move(hooks.back());
    hooks.pop_back();
    if (hook) hook();
  }
}

void Exit(int status) {
  RunExitHooks();
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(status);
}

}  // namespace platform
