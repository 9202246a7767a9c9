#pragma once
// Transparent pixels composed over a background colour, as the PNG loader composes them: on
// the stored values, rounded as libpng rounds.

#include <cstdint>

namespace glintora {

// An 8-bit sample `value` of opacity `alpha` (0 to 255) over `background`.
constexpr uint8_t ComposeOver(uint32_t value, uint32_t alpha, uint32_t background) {
  const uint32_t sum = value * alpha + background * (255 - alpha) + 128;
  return static_cast<uint8_t>((sum + (sum >> 8)) >> 8);
}

// A 16-bit sample of opacity `alpha` (0 to 65535) over `background`, all 0 to 65535.
constexpr uint16_t ComposeOver16(uint64_t value, uint64_t alpha, uint64_t background) {
  const uint64_t sum = value * alpha + background * (65535 - alpha) + 32768;
  return static_cast<uint16_t>((sum + (sum >> 16)) >> 16);
}

}  // namespace glintora
