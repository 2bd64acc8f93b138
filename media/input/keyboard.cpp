#include "media/input/keyboard.h"

#include <cstring>

#include "media/core/module_state.h"
#include "media/input/events.h"

namespace {

struct PolledInput {
  int key_down[256] = {};
  int key_hits[256] = {};
  int char_queue[256] = {};
  unsigned char_put = 0;
  unsigned char_get = 0;
  int terminate = 0;
  int suspended = 0;
  int auto_poll = 1;
  const void* source = nullptr;
  int enabled = 0;
  int hook = 0;
};

PolledInput& P() { return core::ModuleState<PolledInput>(); }

void Flush() {
  auto& p = P();
  p.char_put = p.char_get = 0;
  std::memset(p.key_down, 0, sizeof p.key_down);
  std::memset(p.key_hits, 0, sizeof p.key_hits);
}

void AutoPoll() {
  if (P().auto_poll) SystemPoll();
}

bool InRange(int key) { return key >= 0 && key < 256; }

TEvent* PolledInputHook(TEvent* e) {
  auto& p = P();
  if (p.source != nullptr && e->source != p.source) return e;
  switch (e->id) {
    case TEvent::KeyDown:
      if (InRange(e->data) && p.key_down[e->data] == 0) {
        p.key_down[e->data] = 1;
        ++p.key_hits[e->data];
      }
      break;
    case TEvent::KeyUp:
      if (InRange(e->data)) p.key_down[e->data] = 0;
      break;
    case TEvent::KeyChar:
      if (p.char_put - p.char_get < 256) p.char_queue[p.char_put++ % 256] = e->data;
      break;
    case TEvent::AppSuspend:
      Flush();
      p.suspended = 1;
      break;
    case TEvent::AppResume:
      Flush();
      p.suspended = 0;
      break;
    case TEvent::AppTerminate:
      p.terminate = 1;
      break;
    default:
      break;  // auto-repeat and everything else leave the tables alone
  }
  return e;
}

}  // namespace

int IsKeyDown(int key) {
  AutoPoll();
  return InRange(key) ? P().key_down[key] : 0;
}

int KeyPresses(int key) {
  AutoPoll();
  if (!InRange(key)) return 0;
  const int n = P().key_hits[key];
  P().key_hits[key] = 0;
  return n;
}

int NextTypedChar() {
  AutoPoll();
  auto& p = P();
  if (p.char_get == p.char_put) return 0;
  return p.char_queue[p.char_get++ % 256];
}

void ClearKeys() {
  SystemPoll();
  Flush();
}

int CloseRequested() {
  AutoPoll();
  const int t = P().terminate;
  P().terminate = 0;
  return t;
}

int AppSuspended() { return P().suspended; }

void SetAutoPoll(int on) { P().auto_poll = on != 0; }

void EnablePolledInput(const void* source) {
  auto& p = P();
  if (p.enabled) return;
  p.source = source;
  Flush();
  p.hook = AddEmitEventHook(PolledInputHook, 0);
  p.enabled = 1;
}

void DisablePolledInput() {
  auto& p = P();
  if (!p.enabled) return;
  RemoveEmitEventHook(p.hook);
  Flush();
  p.source = nullptr;
  p.enabled = 0;
}
