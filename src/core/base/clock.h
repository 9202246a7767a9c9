#pragma once
// The clock seam: the performance counter, its frequency, the millisecond tick count and
// the calendar time. The system implementation is per platform; tests script their own.

#include <cstdint>

namespace glintora {

class Clock {
 public:
  virtual ~Clock() = default;
  // Performance counter in counts; false when the platform has none.
  virtual bool QueryCounter(int64_t& counts) const = 0;
  // Counts per second of the performance counter; false when the platform has none.
  virtual bool QueryFrequency(int64_t& countsPerSecond) const = 0;
  // Milliseconds since an arbitrary start, wrapping at 2^32.
  virtual uint32_t TickCount() const = 0;
  // Seconds since 1970-01-01 (the C library's time()).
  virtual int64_t CalendarSeconds() const = 0;
};

// The platform's clock; lives for the whole process.
const Clock& SystemClock();

}  // namespace glintora
