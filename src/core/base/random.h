#pragma once
// The one process-wide pseudo-random generator, shared by the media list's shuffle and the
// transitions. Its sequence is a linear congruential one; callers rely on the exact values.

#include <cstdint>

namespace glintora {

class Clock;

// Largest value NextRandom returns.
inline constexpr int kRandomMax = 32767;

// One step of the generator: the next state and the value it yields.
struct RandomStep {
  uint32_t state;
  int value;  // 0 .. kRandomMax
};
constexpr RandomStep StepRandom(uint32_t state) {
  const uint32_t next = state * 214013u + 2531011u;
  return {next, static_cast<int>((next >> 16) & 0x7FFFu)};
}

// The seed taken on first use: the low 16 bits of the performance counter or, when the
// counter cannot be read, the calendar time in seconds.
uint32_t InitialRandomSeed(const Clock& clock);

// Returns 0 .. 32767. Seeds itself from the system clock on first use. Not locked: any
// thread may call it, and concurrent callers may see the same value.
int NextRandom();

// lo + NextRandom() * (hi - lo) / 32767, so both ends can occur.
float RandomBetween(float lo, float hi);

// Sets the state, as if the generator had been seeded with `seed` (tests and tools use
// this to replay a sequence).
void SeedRandom(uint32_t seed);

}  // namespace glintora
