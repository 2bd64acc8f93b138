// The program's one pseudo-random generator: a Lehmer generator (multiplier 48271,
// modulus 2^31 - 1) stepped with Schrage's method so it never overflows 32 bits.
// A given seed always yields the same sequence; without seeding it starts from 4660.
#pragma once

#include <cstdint>

// Sets the state to seed AND 0x7FFFFFFF; a result of 0 or 0x7FFFFFFF (which would
// stall the generator) becomes 4660.
void SeedRandom(int seed);

// A double in [0, 1); advances the state by two steps.
double RandomUnit();

// An integer in the closed range between min and max, in either order (RandomInt(5, 2)
// equals RandomInt(2, 5) from the same state); advances the state by two steps.
int RandomInt(int min, int max);

// One generator step from the given state (state * 48271 mod 2^31 - 1 for states in
// 1 .. 2^31 - 2), and the current state; for tests and reproducible runs.
int32_t NextRandomState(int32_t state);
int32_t RandomState();
