#pragma once
// Arithmetic that stops at the ends of its type instead of overflowing. Durations, frame
// counts and sizes come from movie files and the system; a value past the range must give the
// nearest representable answer, never undefined behaviour or a wrapped one of the other sign.
// Both compilers the project builds with (g++ natively, MinGW-w64 g++) have a 128-bit integer.

#include <cstdint>
#include <limits>

namespace glintora {

// x kept within the range of int64_t.
inline int64_t ClampToInt64(__int128 x) {
  if (x > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (x < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(x);
}

// x kept within the range of int.
inline int ClampToInt(int64_t x) {
  if (x > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (x < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(x);
}

// a × b ÷ c cut toward zero, exact where the quotient fits (the product is formed in 128
// bits); c > 0.
inline int64_t MulDivSaturated(int64_t a, int64_t b, int64_t c) {
  return ClampToInt64(static_cast<__int128>(a) * b / c);
}

// a + b and a − b.
inline int64_t AddSaturated(int64_t a, int64_t b) { return ClampToInt64(static_cast<__int128>(a) + b); }
inline int64_t SubSaturated(int64_t a, int64_t b) { return ClampToInt64(static_cast<__int128>(a) - b); }

// x cut toward zero to an int64_t; NaN gives 0. A plain cast of a value out of range is
// undefined (and on x86 gives the smallest value for either end).
inline int64_t CutToInt64(double x) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (x != x) return 0;
  if (x >= kTwoTo63) return std::numeric_limits<int64_t>::max();
  if (x < -kTwoTo63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(x);
}

}  // namespace glintora
