// Events: what the window system reports, as records handed to a chain of hooks.
#pragma once

#include <functional>
#include <memory>

struct TEvent {
  static constexpr int AppSuspend = 0x101;
  static constexpr int AppResume = 0x102;
  static constexpr int AppTerminate = 0x103;
  static constexpr int AppOpenFile = 0x104;
  static constexpr int AppIdle = 0x105;
  static constexpr int KeyDown = 0x201;
  static constexpr int KeyUp = 0x202;
  static constexpr int KeyChar = 0x203;
  static constexpr int KeyRepeat = 0x204;
  static constexpr int MouseDown = 0x401;
  static constexpr int MouseUp = 0x402;
  static constexpr int MouseMove = 0x403;
  static constexpr int MouseWheel = 0x404;
  static constexpr int TimerTick = 0x801;

  int id = 0;
  const void* source = nullptr;
  int data = 0;  // key code or character code
  int mods = 0;  // shift 1, control 2, alt 4, system key 8
  int x = 0;
  int y = 0;
  std::shared_ptr<void> extra;
};

// The name an event id was registered with ("KeyDown", ...), or "" when unknown.
const char* EventDescription(int id);

// Hooks on emitted events run in order of falling priority (equal priorities in
// the order they were added); each returns the event passed on to the next, or
// null to stop the chain.
using TEventHook = std::function<TEvent*(TEvent*)>;
int AddEmitEventHook(TEventHook hook, int priority);
void RemoveEmitEventHook(int handle);
void EmitEvent(TEvent& event);

// Takes every pending window-system event off the queue and emits it (timer ticks
// are counted by their timers). A poll started from inside a poll returns at once.
void SystemPoll();
// Blocks until an event is pending, then polls.
void SystemWait();
