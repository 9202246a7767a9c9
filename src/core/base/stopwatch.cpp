#include "core/base/stopwatch.h"

namespace glintora {

void Stopwatch::Init() {
  if (!m_clock->QueryFrequency(m_frequency)) m_frequency = 0;
}

void Stopwatch::Start() {
  m_running = true;
  if (!m_clock->QueryCounter(m_start)) m_start = 0;
}

void Stopwatch::Reset() {
  m_running = false;
  m_elapsed = 0.0f;
}

void Stopwatch::Pause() {
  if (!m_running) return;
  m_elapsed = static_cast<float>(m_elapsed + SinceStart());
  m_running = false;
}

float Stopwatch::Elapsed() const {
  if (!m_running) return m_elapsed;
  return static_cast<float>(m_elapsed + SinceStart());
}

double Stopwatch::SinceStart() const {
  // Without a frequency (Init not called, or no counter) no time can be measured; report
  // none rather than dividing by zero.
  if (m_frequency <= 0) return 0.0;
  int64_t now = 0;
  if (!m_clock->QueryCounter(now)) return 0.0;
  return static_cast<double>(now - m_start) / (static_cast<double>(m_frequency) * 0.001);
}

}  // namespace glintora
