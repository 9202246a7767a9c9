// The clock seam on POSIX: the monotonic clock in nanoseconds stands in for the
// performance counter.

#include <time.h>

#include <ctime>

#include "core/base/clock.h"

namespace glintora {
namespace {

class PosixClock final : public Clock {
 public:
  bool QueryCounter(int64_t& counts) const override {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
    counts = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return true;
  }
  bool QueryFrequency(int64_t& countsPerSecond) const override {
    countsPerSecond = 1000000000;
    return true;
  }
  uint32_t TickCount() const override {
    int64_t counts = 0;
    QueryCounter(counts);
    return static_cast<uint32_t>(counts / 1000000);
  }
  int64_t CalendarSeconds() const override { return static_cast<int64_t>(std::time(nullptr)); }
};

}  // namespace

const Clock& SystemClock() {
  static const PosixClock clock;
  return clock;
}

}  // namespace glintora
