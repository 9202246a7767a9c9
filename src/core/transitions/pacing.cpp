#include "core/transitions/pacing.h"

#include <cmath>

namespace glintora {

// A duration that is not a finite number of milliseconds would never end (infinite) or
// never move (NaN): it runs as "no duration", in fixed steps.
FramePacer::FramePacer(float seconds, const Clock& clock, bool stopOnReachingOne)
    : m_duration(std::isfinite(seconds * 1000.0f) ? seconds * 1000.0f : 0.0f),
      m_stopOnReachingOne(stopOnReachingOne),
      m_watch(clock) {}

void FramePacer::Start() {
  m_watch.Reset();
  m_watch.Init();
  m_watch.Reset();
  m_watch.Start();
}

void FramePacer::DeductElapsed() {
  if (m_duration != 0.0f) {
    m_duration -= m_watch.Elapsed();
    // A remainder of exactly 0 must not turn into "no duration".
    if (m_duration <= 0.0f) m_timeIsUp = true;
  }
  m_watch.Reset();
  m_watch.Start();
}

bool FramePacer::Advance() {
  m_frames += 1.0f;
  if (m_timeIsUp) return false;
  if (m_duration != 0.0f) {
    const float elapsed = m_watch.Elapsed();
    if (elapsed >= m_duration) return false;
    // The progress still missing over the frames the remaining time allows at the mean
    // frame time so far.
    m_step = (1.0f - m_progress) / (m_frames * (m_duration - elapsed) / elapsed);
  }
  if (m_progress >= 1.0f) return false;
  m_progress += m_step;
  if (m_progress > 1.0f) m_progress = 1.0f;
  return !(m_stopOnReachingOne && m_progress >= 1.0f);
}

}  // namespace glintora
