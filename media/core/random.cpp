#include "media/core/random.h"

#include "media/core/module_state.h"

namespace {

constexpr int32_t kMultiplier = 48271;
constexpr int32_t kModulus = 2147483647;
constexpr int32_t kQuotient = 44488;  // kModulus / kMultiplier
constexpr int32_t kRemainder = 3399;  // kModulus % kMultiplier
constexpr int32_t kDefaultState = 0x1234;

// The program's one generator.
struct Generator {
  int32_t state = kDefaultState;
};

int32_t& State() { return core::ModuleState<Generator>().state; }

int32_t Step() {
  int32_t& state = State();
  state = NextRandomState(state);
  return state;
}

}  // namespace

int32_t NextRandomState(int32_t state) {
  // Both products stay inside 32 bits for any state in 0 .. 2^31 - 1.
  int32_t next = (state % kQuotient) * kMultiplier - (state / kQuotient) * kRemainder;
  if (next < 0) next += kModulus;
  return next;
}

int32_t RandomState() { return State(); }

void SeedRandom(int seed) {
  int32_t& state = State();
  state = seed & 0x7FFFFFFF;
  if (state == 0 || state == 0x7FFFFFFF) state = kDefaultState;
}

double RandomUnit() {
  const int32_t high = Step() & 0x1FFFFFFC;
  const int32_t low = Step() & 0x1FFFFFF8;
  return (high + low / 134217728.0) / 536870912.0;
}

int RandomInt(int min, int max) {
  // The span is taken in 64 bits so that ranges wider than 2^31 stay inside their
  // bounds instead of wrapping.
  const int64_t d = int64_t{max} - min;
  const double unit = RandomUnit();
  if (d > 0) return static_cast<int>(min + static_cast<int64_t>(unit * static_cast<double>(d + 1)));
  return static_cast<int>(max + static_cast<int64_t>(unit * static_cast<double>(1 - d)));
}
