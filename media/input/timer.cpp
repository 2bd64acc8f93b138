#include "media/input/timer.h"

#include "media/input/tick_waits.h"

#include <cmath>
#include <map>

#include "media/core/module_state.h"
#include "media/platform/lifetime.h"
#include "media/platform/platform.h"

namespace {

// The running timers by platform timer id. Timers the program keeps in
// program-wide variables reach it when they are destroyed at exit.
struct RunningTimers {
  std::map<int, TTimer*> by_handle;
  unsigned waits = 0;  // tick waits that returned ticks
};

std::map<int, TTimer*>& Running() { return core::ModuleState<RunningTimers>().by_handle; }

// At the end of the program every running timer stops, so the timers the program
// still holds have nothing left to release when they are destroyed.
void StopAllTimers() {
  auto& running = Running();
  while (!running.empty()) running.begin()->second->Stop();
}

}  // namespace

TTimer::~TTimer() { Stop(); }

int TTimer::Ticks() { return _ticks; }

void TTimer::Stop() {
  if (_handle == 0) return;
  platform::Current().StopTimer(_handle);
  Running().erase(_handle);
  _handle = 0;
  _event.reset();
}

void TTimer::Fire() {
  ++_ticks;
  if (_event) {
    TEvent e = *_event;
    EmitEvent(e);
  } else {
    TEvent e;
    e.id = TEvent::TimerTick;
    e.source = this;
    e.data = _ticks;
    EmitEvent(e);
  }
}

int TTimer::Wait() {
  if (_handle == 0) return 0;
  // Ticks taken off the queue since the last Wait (while input was polled)
  // count at once; otherwise wait for the next.
  SystemPoll();
  while (_ticks == _wticks) {
    if (_handle == 0) return 0;
    SystemWait();
  }
  const int n = _ticks - _wticks;
  _wticks = _ticks;
  ++core::ModuleState<RunningTimers>().waits;
  return n;
}

std::shared_ptr<TTimer> CreateTickTimer(float hertz, std::shared_ptr<TEvent> event) {
  if (!(hertz > 0.0f) || !std::isfinite(hertz)) return nullptr;
  const double period = std::trunc(1000.0 / static_cast<double>(hertz));
  if (period < 1.0 || period > 1e9) return nullptr;
  if (static_cast<int>(Running().size()) >= kMaxTimers) return nullptr;
  const int handle = platform::Current().StartTimer(static_cast<int>(period));
  if (handle == 0) return nullptr;
  platform::AddExitHookOnce(StopAllTimers);
  auto timer = std::make_shared<TTimer>();
  timer->_handle = handle;
  timer->_event = std::move(event);
  Running()[handle] = timer.get();
  return timer;
}

unsigned TickWaitsSoFar() { return core::ModuleState<RunningTimers>().waits; }

int WaitTicks(TTimer* timer) { return timer != nullptr ? timer->Wait() : 0; }

void FireTimer(int handle) {
  auto& running = Running();
  auto it = running.find(handle);
  if (it != running.end()) it->second->Fire();
}
