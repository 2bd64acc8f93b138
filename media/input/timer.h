// Tick timers: the platform marks a deadline every period; the tick is counted on
// the main thread when the event pump collects it (while input is polled or a
// timer is waited on).
#pragma once

#include <memory>

#include "media/input/events.h"

class TTimer {
 public:
  virtual ~TTimer();
  // Ticks counted so far.
  virtual int Ticks();
  virtual void Stop();
  // Counts one tick and emits the timer's event (or a TimerTick event).
  virtual void Fire();
  // Blocks until at least one tick was counted since the previous Wait and
  // returns how many; 0 at once when the timer is stopped.
  virtual int Wait();

  int _ticks = 0;
  int _wticks = 0;
  std::shared_ptr<TTimer> _cycle;
  std::shared_ptr<TEvent> _event;
  int _handle = 0;  // platform timer id, 0 when stopped
};

// At most this many timers run at once.
constexpr int kMaxTimers = 16;

// A timer ticking every truncate(1000 / hertz) ms (16 ms for 60), or null when
// 16 timers already run, the rate gives no whole millisecond, or the platform
// refuses. `event`, when given, is emitted on every tick.
std::shared_ptr<TTimer> CreateTickTimer(float hertz, std::shared_ptr<TEvent> event = nullptr);
// Ticks since the previous WaitTicks of this timer; see TTimer::Wait.
int WaitTicks(TTimer* timer);
inline int WaitTicks(const std::shared_ptr<TTimer>& timer) { return WaitTicks(timer.get()); }

// Called by the event pump for each posted tick of platform timer `handle`.
void FireTimer(int handle);
