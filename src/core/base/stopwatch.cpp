#include "core/base/stopwatch.h"

namespace glintora {

void Stopwatch::Init() {
  int64_t frequency = 0;
  int64_t counter = 0;
  // A counter that reports no frequency (or none at all) would measure nothing for ever.
  const bool usable = m_clock->QueryFrequency(frequency) && frequency > 0 && m_clock->QueryCounter(counter);
  m_frequency = usable ? frequency : 0;
}

void Stopwatch::Start() {
  m_running = true;
  if (m_frequency <= 0) {
    m_start = m_clock->TickCount();
  } else if (!m_clock->QueryCounter(m_start)) {
    m_start = 0;
  }
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
  if (m_frequency <= 0) {
    // Milliseconds already; the difference taken in 32 bits survives the count's wrap.
    return static_cast<double>(m_clock->TickCount() - static_cast<uint32_t>(m_start));
  }
  int64_t now = 0;
  if (!m_clock->QueryCounter(now)) return 0.0;
  return static_cast<double>(now - m_start) / (static_cast<double>(m_frequency) * 0.001);
}

}  // namespace glintora
