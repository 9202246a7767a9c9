#include "core/media/movie_time.h"

#include <algorithm>
#include <cstdlib>

#include "core/base/saturating.h"
#include "core/media/player_arithmetic.h"

namespace glintora {

// A movie unit is not a whole number of 100-ns steps, so each conversion multiplies before it
// divides, in 128 bits: a 64-bit product would overflow past 922,337,203,685 units (some 48.7
// years) one way and 48.7 years of media time the other. Units to media time can still
// exceed 64 bits (past some 29,000 years) and then stops at the limit.
int64_t MovieUnits(int64_t mediaTime) { return MulDivSaturated(mediaTime, kMovieTimeScale, kMediaTimePerSecond); }

int64_t MediaTimeOfUnits(int64_t movieUnits) {
  return MulDivSaturated(movieUnits, kMediaTimePerSecond, kMovieTimeScale);
}

MovieSpan MovieSelection(int64_t duration, int64_t frameCount, int64_t first, int64_t last) {
  if (frameCount <= 0) return {0, duration};
  const auto at = [&](int64_t frame) {
    return CutToInt64(static_cast<double>(duration) * static_cast<double>(frame) / static_cast<double>(frameCount) +
                      0.5);
  };
  const int64_t begin = at(first);
  return {begin, SubSaturated(at(last), begin)};
}

int64_t FrameAtMovieTime(int64_t time, int64_t duration, int64_t frameCount) {
  if (duration <= 0) return 0;
  return CutToInt64(static_cast<double>(frameCount) / static_cast<double>(duration) * static_cast<double>(time) +
                    0.5);
}

double MovieFrameRate(int64_t frameCount, int64_t duration) {
  if (duration <= 0) return 0;
  return static_cast<double>(frameCount) / (static_cast<double>(duration) / kMovieTimeScale);
}

void PlayPosition::SetSpan(int64_t begin, int64_t end) {
  m_begin = begin;
  m_end = std::max(begin, end);
  m_heldUnits = 0;
}

void PlayPosition::Start(int64_t nowMs) {
  if (m_running) return;
  m_running = true;
  m_startMs = nowMs;
}

void PlayPosition::Stop(int64_t nowMs) {
  if (!m_running) return;
  m_heldUnits = Played(nowMs);
  m_running = false;
}

void PlayPosition::Rewind(int64_t nowMs) {
  m_heldUnits = 0;
  m_startMs = nowMs;
}

int64_t PlayPosition::Played(int64_t nowMs) const {
  int64_t played = m_heldUnits;
  if (m_running) played += std::max<int64_t>(0, nowMs - m_startMs) * kMovieTimeScale / 1000;
  return played;
}

int64_t PlayPosition::At(int64_t nowMs) const {
  const int64_t length = m_end - m_begin;
  const int64_t played = Played(nowMs);
  if (length <= 0) return m_begin;
  if (m_looping) return m_begin + played % length;
  return m_begin + std::min(played, length);
}

bool PlayPosition::Done(int64_t nowMs) const { return !m_looping && Played(nowMs) >= m_end - m_begin; }

bool IsSecondClick(int firstX, int firstY, int64_t firstTimeMs, int x, int y, int64_t timeMs, int width, int height,
                   int64_t doubleClickMs) {
  const int64_t elapsed = timeMs - firstTimeMs;
  return elapsed >= 0 && elapsed <= doubleClickMs && std::abs(x - firstX) <= width / 2 &&
         std::abs(y - firstY) <= height / 2;
}

int64_t LastFrameHold(int64_t last, int64_t previous) {
  if (previous < 0 || previous > last) return kLastFrameHoldMax;
  // Both are media times of one stream: the gap cannot overflow past the cap's check.
  const uint64_t gap = static_cast<uint64_t>(last) - static_cast<uint64_t>(previous);
  return static_cast<int64_t>(std::min<uint64_t>(gap, kLastFrameHoldMax));
}

}  // namespace glintora
