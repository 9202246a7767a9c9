#include "core/media/player_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "core/base/saturating.h"

namespace glintora {
namespace {

// duration × (frame ÷ frame count) in floating point, cut toward zero and kept in range.
int64_t FrameTime(int64_t duration, int64_t frameCount, int64_t frame) {
  const double time = static_cast<double>(duration) * (static_cast<double>(frame) / static_cast<double>(frameCount));
  if (!(time > 0)) return 0;
  if (time >= 9.2e18) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(time);
}

}  // namespace

int64_t SeekTargetFor(int barPosition, int64_t duration) {
  if (duration <= 0) return 0;
  return MulDivSaturated(std::clamp(barPosition, 0, kSeekBarRange), duration, kSeekBarRange);
}

int SeekBarPositionFor(int64_t time, int64_t duration) {
  if (duration <= 0 || time <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(MulDivSaturated(time, kSeekBarRange, duration), kSeekBarRange));
}

MediaSpan SelectionSpan(int64_t duration, int64_t frameCount, int64_t first, int64_t last) {
  if (duration <= 0) return {};
  if (frameCount <= 0) return {0, duration};
  return {FrameTime(duration, frameCount, first), FrameTime(duration, frameCount, last)};
}

FrameRange NormaliseSelection(int first, int last, int64_t frameCount) {
  if (last < first) std::swap(first, last);
  first = std::max(first, 0);
  last = std::max(last, 0);
  if (frameCount > 0) {
    // Both ends inside the movie: a range past its end would seek nowhere.
    const int count = static_cast<int>(std::min<int64_t>(frameCount, std::numeric_limits<int>::max()));
    first = std::min(first, count);
    last = std::min(last, count);
    if (first == last) {
      if (last < count) {
        ++last;
      } else {
        --first;
      }
    }
  } else if (first == last && last < std::numeric_limits<int>::max()) {
    ++last;
  }
  return {first, last};
}

int64_t FrameAtTime(int64_t time, int64_t duration, int64_t frameCount) {
  if (duration <= 0 || frameCount <= 0) return 0;
  const double frame =
      static_cast<double>(frameCount) * static_cast<double>(time) / static_cast<double>(duration) + 0.5;
  if (!(frame > 0)) return 0;
  return std::min(static_cast<int64_t>(frame), frameCount);
}

StreamSamples KeyFrameSamples(int32_t streamStart, int32_t streamLength, int32_t keyBefore, int32_t keyAfter) {
  constexpr int64_t kLastSample = std::numeric_limits<int32_t>::max();
  const int64_t first = std::max<int64_t>(streamStart, 0);
  const int64_t streamEnd = std::min(int64_t{streamStart} + std::max<int32_t>(streamLength, 0), kLastSample);
  const int64_t start = std::max<int64_t>(keyBefore, first);
  const int64_t end = keyAfter < 0 || keyAfter > streamEnd ? streamEnd : keyAfter;
  if (end <= start) return {};
  return {static_cast<int32_t>(start), static_cast<int32_t>(end - start)};
}

bool ReadWithinRequest(int32_t count, int32_t bufferBytes, int32_t samples, int32_t bytes) {
  return samples > 0 && samples <= count && bytes >= 0 && bytes <= bufferBytes;
}

double FrameRateOverDuration(int64_t frameCount, int64_t duration) {
  if (duration <= 0 || frameCount <= 0) return 0;
  return static_cast<double>(frameCount) / (static_cast<double>(duration) / kMediaTimePerSecond);
}

double FrameRateOverMilliseconds(int64_t frameCount, int64_t milliseconds) {
  if (milliseconds <= 0 || frameCount <= 0) return 0;
  return static_cast<double>(frameCount) / (static_cast<double>(milliseconds) * 0.001);
}

void ProgressWatch::Restart(int64_t nowMs) {
  m_known = false;
  m_sinceMs = nowMs;
}

bool ProgressWatch::Stalled(int64_t position, int64_t nowMs) {
  if (!m_known || position != m_position) {
    m_known = true;
    m_position = position;
    m_sinceMs = nowMs;
    return false;
  }
  // A clock read earlier than the last change (it cannot go back, but a scripted one may)
  // counts as no time passed.
  return nowMs > m_sinceMs && nowMs - m_sinceMs >= m_stallMs;
}

}  // namespace glintora
