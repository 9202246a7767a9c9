// The clock seam on Windows: the performance counter and the tick count.

#include <windows.h>

#include <ctime>

#include "core/base/clock.h"

namespace glintora {
namespace {

class WindowsClock final : public Clock {
 public:
  bool QueryCounter(int64_t& counts) const override {
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value)) return false;
    counts = value.QuadPart;
    return true;
  }
  bool QueryFrequency(int64_t& countsPerSecond) const override {
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value)) return false;
    countsPerSecond = value.QuadPart;
    return true;
  }
  uint32_t TickCount() const override { return GetTickCount(); }
  int64_t CalendarSeconds() const override { return static_cast<int64_t>(std::time(nullptr)); }
};

}  // namespace

const Clock& SystemClock() {
  static const WindowsClock clock;
  return clock;
}

}  // namespace glintora
