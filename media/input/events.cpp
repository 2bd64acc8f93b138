#include "media/input/events.h"

#include <algorithm>
#include <vector>

#include "media/core/module_state.h"
#include "media/input/timer.h"
#include "media/platform/platform.h"
#include "media/program/program.h"

namespace {

struct HookEntry {
  int handle;
  int priority;
  TEventHook hook;
};

// Closing the graphics at the end of the program removes a hook.
struct Events {
  std::vector<HookEntry> hooks;
  int next_handle = 1;
  bool polling = false;  // a poll is running
};

Events& S() { return core::ModuleState<Events>(); }
std::vector<HookEntry>& Hooks() { return S().hooks; }

void Dispatch(const platform::Event& e) {
  using platform::EventKind;
  TEvent event;
  event.data = e.data;
  event.mods = e.mods;
  switch (e.kind) {
    case EventKind::KeyDown:
    case EventKind::KeyRepeat:
    case EventKind::KeyUp:
      if (e.data < 1 || e.data > 255) return;
      event.id = e.kind == EventKind::KeyDown   ? TEvent::KeyDown
                 : e.kind == EventKind::KeyUp ? TEvent::KeyUp
                                                : TEvent::KeyRepeat;
      break;
    case EventKind::Char: event.id = TEvent::KeyChar; break;
    case EventKind::Close: event.id = TEvent::AppTerminate, event.data = 0; break;
    case EventKind::FocusLost: event.id = TEvent::AppSuspend, event.data = 0; break;
    case EventKind::FocusGained: event.id = TEvent::AppResume, event.data = 0; break;
    case EventKind::TimerTick: FireTimer(e.data); return;
    case EventKind::Quit: Quit();
  }
  EmitEvent(event);
}

}  // namespace

const char* EventDescription(int id) {
  switch (id) {
    case TEvent::AppSuspend: return "AppSuspend";
    case TEvent::AppResume: return "AppResume";
    case TEvent::AppTerminate: return "AppTerminate";
    case TEvent::AppOpenFile: return "AppOpenFile";
    case TEvent::AppIdle: return "AppIdle";
    case TEvent::KeyDown: return "KeyDown";
    case TEvent::KeyUp: return "KeyUp";
    case TEvent::KeyChar: return "KeyChar";
    case TEvent::KeyRepeat: return "KeyRepeat";
    case TEvent::MouseDown: return "MouseDown";
    case TEvent::MouseUp: return "MouseUp";
    case TEvent::MouseMove: return "MouseMove";
    case TEvent::MouseWheel: return "MouseWheel";
    case TEvent::TimerTick: return "TimerTick";
    default: return "";
  }
}

int AddEmitEventHook(TEventHook hook, int priority) {
  auto& hooks = Hooks();
  // After every hook of higher or equal priority.
  auto at = std::find_if(hooks.begin(), hooks.end(), [&](const HookEntry& h) { return h.priority < priority; });
  const int handle = S().next_handle++;
  hooks.insert(at, HookEntry{handle, priority, std::move(hook)});
  return handle;
}

void RemoveEmitEventHook(int handle) {
  auto& hooks = Hooks();
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [&](const HookEntry& h) { return h.handle == handle; }),
              hooks.end());
}

void EmitEvent(TEvent& event) {
  // A copy, so that hooks may add or remove hooks while they run.
  const auto hooks = Hooks();
  TEvent* e = &event;
  for (const auto& h : hooks) {
    e = h.hook(e);
    if (e == nullptr) return;
  }
}

void SystemPoll() {
  bool& polling = S().polling;
  if (polling) return;
  polling = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{polling};
  platform::Backend& backend = platform::Current();
  platform::Event e;
  while (backend.PollEvent(e)) Dispatch(e);
}

void SystemWait() {
  platform::Current().WaitEvent();
  SystemPoll();
}
