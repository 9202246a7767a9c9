#include "core/base/random.h"

#include <atomic>

#include "core/base/clock.h"

namespace glintora {
namespace {

// Relaxed loads and stores, never a read-modify-write: the generator is deliberately
// unlocked, but the atomic keeps concurrent use free of undefined behaviour.
std::atomic<uint32_t> g_state{0};
std::atomic<bool> g_seeded{false};

}  // namespace

uint32_t InitialRandomSeed(const Clock& clock) {
  int64_t counter = 0;
  if (clock.QueryCounter(counter)) return static_cast<uint32_t>(counter) & 0xFFFFu;
  return static_cast<uint32_t>(clock.CalendarSeconds());
}

void SeedRandom(uint32_t seed) {
  g_state.store(seed, std::memory_order_relaxed);
  g_seeded.store(true, std::memory_order_relaxed);
}

int NextRandom() {
  if (!g_seeded.load(std::memory_order_relaxed)) SeedRandom(InitialRandomSeed(SystemClock()));
  const RandomStep step = StepRandom(g_state.load(std::memory_order_relaxed));
  g_state.store(step.state, std::memory_order_relaxed);
  return step.value;
}

float RandomBetween(float lo, float hi) {
  // The product is taken in float, the scaling by 1/32767 in double, as the expression
  // lo + r * (hi - lo) * 3.0518509e-5 evaluates with float operands.
  const float spread = static_cast<float>(NextRandom()) * (hi - lo);
  return static_cast<float>(lo + spread * 3.0518509e-5);
}

}  // namespace glintora
