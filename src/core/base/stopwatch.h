#pragma once
// Millisecond stopwatch on the performance counter, used to pace animations. Where the
// counter cannot serve (no counter, or a frequency of 0) it times with the tick count
// instead, so that elapsed time always grows and a paced animation always ends.

#include <cstdint>

#include "core/base/clock.h"

namespace glintora {

class Stopwatch {
 public:
  explicit Stopwatch(const Clock& clock = SystemClock()) : m_clock(&clock) {}

  // Queries the counter's frequency and chooses the counter or, without a usable one, the
  // tick count. Until it is called the tick count is used.
  void Init();
  // Starts (or restarts) timing from now; accumulated time is kept.
  void Start();
  // Stops and forgets all accumulated time.
  void Reset();
  // When running, adds the time since Start to the accumulated time and stops.
  void Pause();
  // Accumulated milliseconds plus, when running, the time since Start.
  float Elapsed() const;

  bool IsRunning() const { return m_running; }

 private:
  double SinceStart() const;

  const Clock* m_clock;
  int64_t m_frequency = 0;  // counts per second; 0 while the tick count is used
  int64_t m_start = 0;      // counter, or tick count, at Start
  bool m_running = false;
  float m_elapsed = 0.0f;   // accumulated milliseconds
};

}  // namespace glintora
